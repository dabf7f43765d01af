#include "RegisterLists.h"

#include <QListWidget>
#include <QSignalBlocker>

void fillList(QListWidget* list, const QStringList& items, int selectedIndex) {
    if (list == nullptr)
        return;
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(items);
    list->setCurrentRow(selectedIndex);
    list->setEnabled(!items.isEmpty());
}

AircraftList showRegisteredAircraft(QListWidget* list) {
    AircraftList aircraft = KORALibListAircraft();
    fillList(list, aircraft.items, aircraft.selectedIndex);
    return aircraft;
}

QString selectedText(const QListWidget* list) {
    if (list == nullptr || list->currentItem() == nullptr)
        return {};
    return list->currentItem()->text();
}
