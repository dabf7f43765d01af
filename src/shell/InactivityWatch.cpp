#include "InactivityWatch.h"

#include "PrivilegeLevel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

namespace {

qint64 monotonicSeconds() {
    static QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.elapsed() / 1000;
}

// A key press, a mouse click or the wheel is input; the pointer's movement alone is not.
// Releases are not either: the release of the key or button that closed a modal dialog
// arrives after it has closed, and is still part of the input inside it.
bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

} // namespace

InactivityWatch::InactivityWatch(std::function<void()> revert, QObject* parent)
    : QObject(parent), revert_(std::move(revert)), clock_(&monotonicSeconds) {
    restart();
    qApp->installEventFilter(this);
}

void InactivityWatch::setClock(Clock clock) {
    clock_ = std::move(clock);
    restart();
}

void InactivityWatch::restart() {
    lastActivity_ = clock_();
    lastCheck_ = lastActivity_;
}

void InactivityWatch::tick() {
    if (QApplication::activeModalWidget() != nullptr)
        return;
    const qint64 now = clock_();
    if (now == lastCheck_)
        return;
    lastCheck_ = now;
    if (now - lastActivity_ <= inactivityTimeout() || privilegeLevel() == kFlightLineLevel)
        return;
    revert_();
    lastActivity_ = clock_();
}

bool InactivityWatch::eventFilter(QObject* watched, QEvent* event) {
    if (isUserInput(event->type()) && QApplication::activeModalWidget() == nullptr)
        lastActivity_ = clock_();
    return QObject::eventFilter(watched, event);
}
