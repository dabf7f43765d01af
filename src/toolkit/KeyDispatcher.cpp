#include "KeyDispatcher.h"

#include "EventHandler.h"
#include "HelpSystem.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

namespace {

// The property holding when a window was last shown, on the dispatcher's clock.
constexpr char kShownAtProperty[] = "brixShownAtMs";
// A key that looks older than this came with a clock that was set anew (or wrapped): the
// offset is measured again from it instead of holding the key back.
constexpr qint64 kClockJumpMs = 60000;

} // namespace

void KeyDispatcher::install() {
    static KeyDispatcher* dispatcher = nullptr;
    if (dispatcher != nullptr)
        return;
    dispatcher = new KeyDispatcher(qApp);
    dispatcher->clock_.start();
    qApp->installEventFilter(dispatcher);
}

bool KeyDispatcher::pressedBeforeShown(const QKeyEvent& key, const QWidget& window) {
    // Keys made up by the program itself carry no time and are taken as they come.
    if (key.timestamp() == 0)
        return false;
    const qint64 stamp = static_cast<qint64>(key.timestamp());
    const qint64 delay = clock_.elapsed() - stamp;
    if (!offsetKnown_ || delay < offsetMs_ || delay - offsetMs_ > kClockJumpMs) {
        offsetKnown_ = true;
        offsetMs_ = delay;
    }
    const QVariant shownAt = window.property(kShownAtProperty);
    return shownAt.isValid() && stamp + offsetMs_ < shownAt.toLongLong();
}

void KeyDispatcher::returnFocusBelow(QWidget& dialog) {
    // A completion pop-up left open by a file name field would take the next key.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (popup->parentWidget() == nullptr || popup->parentWidget()->window() != &dialog)
            break;
        popup->close();
    }
    QWidget* below = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
    if (below != nullptr && below->isVisible())
        below->activateWindow();
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && widget->isWindow()) {
        widget->setProperty(kShownAtProperty, clock_.elapsed());
        return false;
    }
    if (event->type() == QEvent::Hide && widget->isWindow() &&
        qobject_cast<QDialog*>(widget) != nullptr) {
        returnFocusBelow(*widget);
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (pressedBeforeShown(*key, *widget->window())) {
        key->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* handler = dynamic_cast<EventHandler*>(widget->window());
    if (handler == nullptr)
        return false;
    if (key->key() == Qt::Key_F1) {
        const HelpSystem* help = HelpSystem::current();
        if (help == nullptr || !help->hasPage(handler->helpContext()))
            return false;
        key->accept();
        help->show(handler->helpContext(), widget->window());
        return true;
    }
    const int code = handler->keyMap().code(key->key());
    if (code == 0)
        return false;
    key->accept();
    handler->handleEvent(code);
    return true;
}
