#pragma once

class FleetHealthWindow;
class Notifier;
class QFont;
class QWidget;
class UserPersist;
struct FleetRow;

// Opens the Fleet Health window over the register's data directory: its rows come from the
// index, brought up to date on every refresh, and a row's trend opens in a window of its own.
// nullptr when its form could not be built (reported).
FleetHealthWindow* openFleetHealth(QWidget* parent, const QFont& font, UserPersist& persist,
                                   Notifier& notifier);

// Opens the trend of the row's engine and driving indicator, with its limits drawn, from the
// index of the register's data directory as it is.
void openFleetTrend(QWidget* parent, const FleetRow& row, Notifier& notifier);
