#include "KeyDispatcher.h"

#include "EventHandler.h"
#include "HelpSystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

void KeyDispatcher::install() {
    static KeyDispatcher* dispatcher = nullptr;
    if (dispatcher != nullptr)
        return;
    dispatcher = new KeyDispatcher(qApp);
    qApp->installEventFilter(dispatcher);
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* handler = dynamic_cast<EventHandler*>(static_cast<QWidget*>(watched)->window());
    if (handler == nullptr)
        return false;
    if (key->key() == Qt::Key_F1) {
        const HelpSystem* help = HelpSystem::current();
        if (help == nullptr || !help->hasPage(handler->helpContext()))
            return false;
        key->accept();
        help->show(handler->helpContext(), static_cast<QWidget*>(watched)->window());
        return true;
    }
    const int code = handler->keyMap().code(key->key());
    if (code == 0)
        return false;
    key->accept();
    handler->handleEvent(code);
    return true;
}
