#pragma once

#include "KORALib.h"

#include <QString>
#include <QStringList>

class QListWidget;

// The lists of the register in its windows.

// Shows the items with one of them selected (-1: none); the list reports no selection
// change for it. An empty list is disabled.
void fillList(QListWidget* list, const QStringList& items, int selectedIndex);

// Fills the list with the registered aircraft, the last aircraft selected when it is still
// registered, otherwise the first; returns what it shows.
AircraftList showRegisteredAircraft(QListWidget* list);

// The text of the selected item; empty when there is none.
QString selectedText(const QListWidget* list);
