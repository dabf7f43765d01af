#include "KeyDispatcher.h"

#include "EventHandler.h"
#include "HelpSystem.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Long enough to take in whatever waits in the queue, short enough not to be felt.
constexpr int kDiscardBoundMs = 200;

// Swallows keyboard and mouse-button input for as long as it is installed.
class InputDiscarder : public QObject {
public:
    InputDiscarder() { qApp->installEventFilter(this); }
    ~InputDiscarder() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride: // accepted, so that no menu shortcut acts either
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            event->accept();
            return true;
        default:
            return false;
        }
    }
};

// The window a pop-up belongs to: a list's drop-down has its list as parent, a completion
// pop-up has none and hands its focus to the field it completes.
QWidget* ownerWindow(const QWidget& popup) {
    if (const QWidget* owner = popup.parentWidget())
        return owner->window();
    if (const QWidget* field = popup.focusProxy())
        return field->window();
    return nullptr;
}

} // namespace

void KeyDispatcher::install() {
    static KeyDispatcher* dispatcher = nullptr;
    if (dispatcher != nullptr)
        return;
    dispatcher = new KeyDispatcher(qApp);
    qApp->installEventFilter(dispatcher);
}

void KeyDispatcher::discardWaitingInput() {
    const InputDiscarder discarder;
    QCoreApplication::processEvents(QEventLoop::AllEvents, kDiscardBoundMs);
}

void KeyDispatcher::returnKeysBelow(QWidget& dialog) {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (ownerWindow(*popup) != &dialog)
            break;
        popup->close();
    }
    QWidget* below = activeBefore_.take(&dialog);
    if ((below == nullptr || !below->isVisible()) && dialog.parentWidget() != nullptr)
        below = dialog.parentWidget()->window();
    if (below != nullptr && below != &dialog && below->isVisible())
        below->activateWindow();
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Shown and hidden by the program (opened, closed, accepted), not restored or minimised
    // by the user.
    const bool dialogWindow = widget->isWindow() && qobject_cast<QDialog*>(widget) != nullptr;
    if (dialogWindow && event->type() == QEvent::Show && !event->spontaneous()) {
        // A dialog opened from a menu finds the menu active: the keys go back to its window.
        QWidget* active = QApplication::activeWindow();
        if (active != nullptr && active->windowType() == Qt::Popup)
            active = ownerWindow(*active);
        activeBefore_.insert(widget, active);
        return false;
    }
    if (dialogWindow && event->type() == QEvent::Hide && !event->spontaneous()) {
        returnKeysBelow(*widget);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
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
