#include "SettingsFiles.h"

#include "Notifier.h"
#include "StoreNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr QFileDevice::Permissions kOwnerFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOwnerFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString settingsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/');
}

QString storeFile(const QString& application) {
    return settingsFolder() + kOrganisationName + QLatin1Char('/') + application +
           QStringLiteral(".conf");
}

} // namespace

QString applicationStoreFile() {
    return storeFile(kApplicationStoreName);
}

QString commonStoreFile() {
    return storeFile(kCommonStoreName);
}

QStringList settingsFiles() {
    return {applicationStoreFile(), commonStoreFile(),
            settingsFolder() + kOrganisationName + QStringLiteral(".conf")};
}

std::optional<QString> settingsFileProblem(const QString& path) {
    // A symbolic link counts as what it points to; one that points nowhere as missing.
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        return kNotARegularFileReason;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    file.close();
    // Only read: a settings object writes nothing it was not given.
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return kNotInSettingsFormatReason;
    return std::nullopt;
}

bool prepareSettingsFiles(Notifier& notifier) {
    for (const QString& path : settingsFiles()) {
        if (const std::optional<QString> problem = settingsFileProblem(path)) {
            notifier.critical(kErrorTitle, kSettingsFileUnreadableText.arg(path, *problem));
            return false;
        }
    }
    protectPasswordStore();
    return true;
}

void protectPasswordStore() {
    const QFileInfo file(commonStoreFile());
    const QFileInfo folder(file.absolutePath());
    if (folder.isDir() && !folder.isSymLink())
        QFile::setPermissions(folder.absoluteFilePath(), kOwnerFolder);
    if (file.isFile() && !file.isSymLink())
        QFile::setPermissions(file.absoluteFilePath(), kOwnerFile);
}

void createPasswordStore() {
    const QString path = commonStoreFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    protectPasswordStore();
    // Made owner-only before the password is in it; rewriting the store keeps the mode. An
    // existing file (or link) is never opened for writing here.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerFile))
        file.close();
}
