#pragma once

#include <QElapsedTimer>
#include <QObject>

class QKeyEvent;
class QWidget;

// Turns key presses into event codes: a key pressed without modifiers in any window of
// the program is looked up in that window's key map before the focused control sees it;
// F1 shows the window's help page. Installed once on the application.
//
// A key pressed before a window was shown never acts on it: keys typed while the program
// was busy building a window wait in the queue and would otherwise reach the new window
// (three quick F5 on the main menu would start a download and cancel it). A key's time
// comes from the window system's clock; it is set against this program's clock by the
// smallest delay seen between a key's time and its arrival, which can only make a key look
// newer than it is, never older.
class KeyDispatcher : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when `key`, sent to a control of `window`, was pressed before the window was shown.
    bool pressedBeforeShown(const QKeyEvent& key, const QWidget& window);
    // Hands the focus back to the window below a dialog that closed.
    static void returnFocusBelow(QWidget& dialog);

    QElapsedTimer clock_;
    bool offsetKnown_ = false;
    qint64 offsetMs_ = 0; // this program's clock minus the window system's, at the least
};
