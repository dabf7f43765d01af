#include "ViewerLogging.h"

Q_LOGGING_CATEGORY(lcViewer, "zelk.viewer", QtCriticalMsg)
