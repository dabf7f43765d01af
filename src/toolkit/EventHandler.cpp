#include "EventHandler.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QListWidget>

namespace {

const char* const kCodeProperty = "brixEventCode";
const char* const kBoundProperty = "brixEventBound";

// Stores the code on the control and connects it once; later bindings only change the code.
// A control belongs to one window for its whole life, so the first handler stays.
template <typename Control, typename Signal>
void bind(Control* control, EventHandler* handler, int code, Signal signal) {
    if (control == nullptr)
        return;
    control->setProperty(kCodeProperty, code);
    if (control->property(kBoundProperty).toBool())
        return;
    control->setProperty(kBoundProperty, true);
    QObject::connect(control, signal, control, [control, handler] {
        const int current = control->property(kCodeProperty).toInt();
        if (current == 0)
            return;
        handler->setEventSource(control);
        handler->handleEvent(current);
        handler->setEventSource(nullptr);
    });
}

} // namespace

void bindCode(QAbstractButton* button, EventHandler* handler, int code) {
    bind(button, handler, code, &QAbstractButton::clicked);
}

void bindCode(QAction* action, EventHandler* handler, int code) {
    bind(action, handler, code, &QAction::triggered);
}

void bindCode(QListWidget* list, EventHandler* handler, int code) {
    bind(list, handler, code, &QListWidget::currentRowChanged);
}

void bindCode(QComboBox* comboBox, EventHandler* handler, int code) {
    bind(comboBox, handler, code, &QComboBox::activated);
}
