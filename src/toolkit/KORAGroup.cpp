#include "KORAGroup.h"

#include <QApplication>
#include <QLayout>

KORAGroup::KORAGroup(QWidget* parent) : QGroupBox(parent) {}

namespace {

void collect(QLayout* layout, QList<QWidget*>& into) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() != nullptr)
            into.append(item->widget());
        else if (item->layout() != nullptr)
            collect(item->layout(), into);
    }
}

bool takesTabFocus(const QWidget* control) {
    return (control->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && control->isEnabled() &&
           control->isVisible() && control->focusProxy() == nullptr;
}

} // namespace

QList<QWidget*> KORAGroup::controls() const {
    QList<QWidget*> result;
    if (layout() != nullptr)
        collect(layout(), result);
    return result;
}

bool KORAGroup::focusNextPrevChild(bool next) {
    QWidget* focus = QApplication::focusWidget();
    QList<QWidget*> focusable = controls();
    focusable.removeIf([](const QWidget* control) { return !takesTabFocus(control); });
    const auto at = focusable.indexOf(focus);
    if (at < 0)
        return QGroupBox::focusNextPrevChild(next);
    const Qt::FocusReason reason = next ? Qt::TabFocusReason : Qt::BacktabFocusReason;
    const auto target = next ? at + 1 : at - 1;
    if (target >= 0 && target < focusable.size()) {
        focusable[target]->setFocus(reason);
        return true;
    }
    // At the group's end: on along the window's focus chain to the first control outside it.
    for (QWidget* candidate = next ? focus->nextInFocusChain() : focus->previousInFocusChain();
         candidate != focus;
         candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain()) {
        if (candidate->window() == window() && candidate != this && !isAncestorOf(candidate) &&
            takesTabFocus(candidate)) {
            candidate->setFocus(reason);
            return true;
        }
    }
    return QGroupBox::focusNextPrevChild(next);
}
