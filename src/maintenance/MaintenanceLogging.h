#pragma once

#include <QLoggingCategory>

// Diagnostics of the unit maintenance: communication check, erase and upload.
Q_DECLARE_LOGGING_CATEGORY(lcMaintenance)
