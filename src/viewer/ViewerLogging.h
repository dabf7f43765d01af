#pragma once

#include <QLoggingCategory>

// Diagnostics of the data viewer; quiet unless enabled.
Q_DECLARE_LOGGING_CATEGORY(lcViewer)
