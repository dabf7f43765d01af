#include "MaintenanceLogging.h"

Q_LOGGING_CATEGORY(lcMaintenance, "zelk.maintenance", QtCriticalMsg)
