#include "SettingsMaintenance.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ProgramVersion.h"
#include "RegisterKeys.h"

QString partNumberOfVersion(int major, int minor, int revision) {
    return QString::asprintf("388-270-10%d-%d%02d", major, minor, revision);
}

QString programPartNumber() {
    return partNumberOfVersion(kVersionMajor, kVersionMinor, kVersionRevision);
}

QString programVersion() {
    return QString::fromLatin1(kProgramVersion);
}

void performSettingsMaintenance() {
    BrixAircraftSettings settings;
    // A value already in the store is not written again: on most starts nothing changes, and
    // the store is then not rewritten to disk while the program starts.
    auto write = [&settings](const QString& key, const QString& value) {
        if (!settings.contains(key) || settings.value(key).toString() != value)
            settings.setValue(key, value);
    };

    // The help texts belong to this version of the program, whatever the store says.
    const std::pair<const QString&, const QString&> helpTexts[] = {
        {kMainWindowHelpKey, kMainWindowHelpText},
        {kDownloadHelpKey, kDownloadHelpText},
        {kAircraftInformationHelpKey, kAircraftInformationHelpText},
        {kClearMemoryHelpKey, kClearMemoryHelpText},
        {kOtherFunctionsHelpKey, kOtherFunctionsHelpText},
        {kUtilitiesHelpKey, kUtilitiesHelpText},
    };
    for (const auto& [key, text] : helpTexts)
        write(key, text);

    // Missing and non-numeric both read as 0.
    if (settings.value(kPortKey).toInt() == 0)
        settings.setValue(kPortKey, kDefaultPort);

    auto fillWhenEmpty = [&settings, &write](const QString& key, const QString& value) {
        if (settings.value(key).toString().isEmpty())
            write(key, value);
    };
    fillWhenEmpty(kIpAddressKey, kDefaultIpAddress);
    fillWhenEmpty(kEngineTypeKeyPattern.arg(0), kDefaultEngineType0);
    fillWhenEmpty(kEngineTypeKeyPattern.arg(1), kDefaultEngineType1);
    // Written even though empty, so that the key exists for the register screens.
    fillWhenEmpty(kLastAircraftKey, QStringLiteral(""));
    fillWhenEmpty(kDataDirKey, defaultDataDirectory());

    write(kVersionKey, programVersion());
}
