#include "DataDirectoryPreparation.h"

#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "EchoedText.h"
#include "KORALib.h"
#include "Notifier.h"

bool prepareDataDirectory(Notifier& notifier) {
    const QString path = dataDirectory();
    // Refused rather than cut: a shortened path would silently point somewhere else.
    if (path.size() > kMaxDataDirLength) {
        notifier.critical(kErrorTitle, kDataDirectoryTooLongText.arg(
                                           echoedText(path), QString::number(kMaxDataDirLength)));
        return false;
    }
    setCurrentDataDirectory(path);

    if (!KORALibCheckDir(path, true, notifier) ||
        !KORALibCheckDir(path + kSoftwareUploadsFolder, true, notifier) ||
        !KORALibCheckDir(path + kConfigurationUploadsFolder, true, notifier))
        return false;
    return KORALibBuildAircraftDir(path, notifier);
}
