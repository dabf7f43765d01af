#include "DownloadLogging.h"

Q_LOGGING_CATEGORY(lcDownload, "zelk.download", QtCriticalMsg)
