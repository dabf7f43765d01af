#include "HealthLogging.h"

Q_LOGGING_CATEGORY(lcHealth, "zelk.health", QtCriticalMsg)
