#include "SettingsMaintenance.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "RegisterKeys.h"

QString programPartNumber() {
    return QStringLiteral("388-270-101-%1%2").arg(kVersionMinor).arg(kVersionRevision);
}

QString programVersion() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

void performSettingsMaintenance() {
    BrixAircraftSettings settings;

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
        settings.setValue(key, text);

    // Missing and non-numeric both read as 0.
    if (settings.value(kPortKey).toInt() == 0)
        settings.setValue(kPortKey, kDefaultPort);

    auto fillWhenEmpty = [&settings](const QString& key, const QString& value) {
        if (settings.value(key).toString().isEmpty())
            settings.setValue(key, value);
    };
    fillWhenEmpty(kIpAddressKey, kDefaultIpAddress);
    fillWhenEmpty(kEngineTypeKeyPattern.arg(0), kDefaultEngineType0);
    fillWhenEmpty(kEngineTypeKeyPattern.arg(1), kDefaultEngineType1);
    // Written even though empty, so that the key exists for the register screens.
    fillWhenEmpty(kLastAircraftKey, QStringLiteral(""));
    fillWhenEmpty(kDataDirKey, defaultDataDirectory());

    settings.setValue(kVersionKey, programVersion());
}
