#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class Notifier;

// %1 = the file's path, %2 = why it cannot be read.
inline const QString kSettingsFileUnreadableText =
    QStringLiteral("The settings file %1 cannot be read: %2");
inline const QString kNotARegularFileReason = QStringLiteral("it is not a regular file");
inline const QString kNotInSettingsFormatReason =
    QStringLiteral("its contents are not in the settings format");

// The files of the user's settings, where the stores' settings objects keep them.
QString applicationStoreFile();
QString commonStoreFile();
// The application store, the common store and the organisation's file, which the stores
// also read.
QStringList settingsFiles();

// Why `path` cannot be used as a settings file; nothing when it is sound or missing (a
// first start). Anything but a regular file is refused before it is opened, so that a FIFO
// does not hold the program.
std::optional<QString> settingsFileProblem(const QString& path);

// Run at start, before any setting is read. A damaged settings file is reported (titled
// "Error") and false returned: the caller then ends without writing to it, since writing
// would replace what could not be read. Otherwise the password store is tightened.
bool prepareSettingsFiles(Notifier& notifier);

// The password store and its folder readable by their owner only (0600 in a 0700 folder);
// a file or folder that is a symbolic link is left alone.
void protectPasswordStore();

// Makes the password store's folder and an empty store file when they are missing, readable
// by their owner only, so that the password is never in a file that others can read.
void createPasswordStore();
