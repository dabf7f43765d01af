#include "SettingsSandbox.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"

#include <QDir>
#include <QUuid>

void useOwnHome(const QString& home) {
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
}

void resetSettingsAndHome() {
    {
        BrixAircraftSettings settings;
        settings.clear();
        settings.sync();
    }
    {
        BrixCommonSettings settings;
        settings.clear();
        settings.sync();
    }
    QDir home = QDir::home();
    for (const QFileInfo& entry :
         home.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.fileName() == QStringLiteral(".config"))
            continue;
        if (entry.isDir())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
    setCurrentDataDirectory(QString());
}

QString freshDataDirectory() {
    const QString path = QDir::homePath() + QStringLiteral("/data-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    BrixAircraftSettings settings;
    settings.setValue(kDataDirKey, path);
    setCurrentDataDirectory(path);
    return path;
}

void pointSettingsAtSimulator(quint16 port) {
    BrixAircraftSettings settings;
    settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
    settings.setValue(kPortKey, port);
    settings.sync();
}
