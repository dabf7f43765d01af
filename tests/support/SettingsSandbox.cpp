#include "SettingsSandbox.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

TemporaryHome::TemporaryHome() {
    QTemporaryDir directory;
    if (!directory.isValid())
        return;
    directory.setAutoRemove(false);
    path_ = directory.path();
    useOwnHome(path_);
}

TemporaryHome::~TemporaryHome() {
    if (path_.isEmpty())
        return;
    // Folders without write access keep their entries; give it back everywhere first.
    QFile::setPermissions(path_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDirIterator folders(path_, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (folders.hasNext())
        QFile::setPermissions(folders.next(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
    if (!QDir(path_).removeRecursively())
        std::fprintf(stderr, "could not remove the test home %s\n", qPrintable(path_));
}

void useOwnHome(const QString& home) {
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    // The index of another station's data directory is cached here.
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
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
