#include "ApplicationSettings.h"

#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "SettingsFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace {

QMutex currentDataDirectoryMutex;
QString currentDataDirectoryValue;

struct FontKeys {
    const char* prefix;
    int pointSize;
    int slant;
    int weight;
};

constexpr FontKeys kFontKeys[] = {
    {"LargeFont", 14, 1, 1},
    {"NormalFont", 12, 1, 1},
    {"SmallFont", 8, 0, 0},
    {"MidFont", 10, 1, 1},
};

} // namespace

QString defaultDataDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:/ZELK-data");
#else
    return QDir::homePath() + QStringLiteral("/ZELK-data");
#endif
}

QString dataDirectory() {
    BrixAircraftSettings settings;
    if (!settings.contains(kDataDirKey))
        settings.setValue(kDataDirKey, defaultDataDirectory());
    const QString stored = settings.value(kDataDirKey, defaultDataDirectory()).toString();
    // Paths are built with "/" whatever separators the value was typed with.
    QString path = stored;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(path).absoluteFilePath();
}

QString currentDataDirectory() {
    QMutexLocker lock(&currentDataDirectoryMutex);
    return currentDataDirectoryValue;
}

void setCurrentDataDirectory(const QString& path) {
    QMutexLocker lock(&currentDataDirectoryMutex);
    currentDataDirectoryValue = path;
}

void readFontSetting(int kind, FontSetting& setting) {
    if (kind < 0 || kind > 3)
        return;
    const FontKeys& keys = kFontKeys[kind];
    const QString prefix = QString::fromLatin1(keys.prefix);
    BrixCommonSettings settings;
    setting.family = settings.value(prefix, QStringLiteral("Arial")).toString();
    setting.pointSize =
        settings.value(prefix + QStringLiteral("PointSize"), keys.pointSize).toInt();
    setting.slant = settings.value(prefix + QStringLiteral("Slant"), keys.slant).toInt();
    setting.weight = settings.value(prefix + QStringLiteral("Weight"), keys.weight).toInt();
}

QString storedPassword() {
    BrixCommonSettings settings;
    return settings.value(kPasswordKey, kDefaultPassword).toString();
}

void storePassword(const QString& password) {
    createPasswordStore();
    {
        BrixCommonSettings settings;
        settings.setValue(kPasswordKey, password);
    }
    protectPasswordStore();
}
