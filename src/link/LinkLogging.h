#pragma once

#include <QLoggingCategory>

// Diagnostics of the unit link; quiet unless enabled with QT_LOGGING_RULES="zelk.link=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)
