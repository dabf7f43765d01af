#include "LinkLogging.h"

Q_LOGGING_CATEGORY(lcLink, "zelk.link", QtCriticalMsg)
