#pragma once

#include <QLoggingCategory>

// Diagnostics of the register; quiet unless enabled with QT_LOGGING_RULES="zelk.aircraft=true".
Q_DECLARE_LOGGING_CATEGORY(lcAircraft)
