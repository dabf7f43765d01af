#include "KORAGroup.h"

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

} // namespace

QList<QWidget*> KORAGroup::controls() const {
    QList<QWidget*> result;
    if (layout() != nullptr)
        collect(layout(), result);
    return result;
}
