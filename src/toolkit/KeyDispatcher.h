#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

// Turns key presses into event codes: a key pressed without modifiers in any window of
// the program is looked up in that window's key map before the focused control sees it;
// F1 shows the window's help page. Installed once on the application.
//
// When a dialog closes, a completion pop-up that it left open is closed and the window that
// was active before the dialog takes the keys again: otherwise the pop-up, or no window at
// all, would swallow the technician's next key.
class KeyDispatcher : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    static void install();

    // Keys and clicks typed while the program was busy (checking the link, building a
    // window) wait in the queue; a window about to open calls this so that they are thrown
    // away instead of acting on it: three quick F5 on the main menu would otherwise start a
    // download with the second and cancel it with the third. The other waiting events
    // (painting, timers) are handled as usual.
    static void discardWaitingInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void returnKeysBelow(QWidget& dialog);

    // The window that was active when each open dialog was shown.
    QHash<const QObject*, QPointer<QWidget>> activeBefore_;
};
