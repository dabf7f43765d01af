#pragma once

#include <QObject>

// Turns key presses into event codes: a key pressed without modifiers in any window of
// the program is looked up in that window's key map before the focused control sees it;
// F1 shows the window's help page. Installed once on the application.
class KeyDispatcher : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
