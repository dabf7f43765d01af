#pragma once

#include <QLoggingCategory>

// Diagnostics of the download and conversion; quiet unless enabled.
Q_DECLARE_LOGGING_CATEGORY(lcDownload)
