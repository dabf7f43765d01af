#pragma once

#include <QObject>

#include <functional>

// Falls back to flight line when nobody has pressed a key or a mouse button for longer than
// the inactivity time-out, at the maker's and the administrator's level. It sees only the
// input that reaches the main window's event loop: while a modal dialog or a message box is
// open, neither its input nor its time is looked at, and the first tick after it closes
// judges the time since the last input seen outside it.
class InactivityWatch : public QObject {
    Q_OBJECT

public:
    // Whole seconds from a fixed origin.
    using Clock = std::function<qint64()>;

    // `revert` changes the level back to flight line; the watch calls it once the time-out
    // has run out and counts the time again from the moment it returns.
    explicit InactivityWatch(std::function<void()> revert, QObject* parent = nullptr);

    // A monotonic clock by default; tests drive their own.
    void setClock(Clock clock);
    // Counts from now, as at the start of the event loop.
    void restart();
    // Looks at the time once a second; called from the main window's timer.
    void tick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> revert_;
    Clock clock_;
    qint64 lastActivity_ = 0;
    qint64 lastCheck_ = 0;
};
