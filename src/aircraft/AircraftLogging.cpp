#include "AircraftLogging.h"

Q_LOGGING_CATEGORY(lcAircraft, "zelk.aircraft", QtCriticalMsg)
