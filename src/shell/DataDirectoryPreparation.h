#pragma once

#include <QString>

class Notifier;

// %1 = the path (cut for the message), %2 = the longest path the program accepts.
inline const QString kDataDirectoryTooLongText =
    QStringLiteral("The data directory \"%1\" is longer than %2 characters. Choose a shorter "
                   "\"DataDir\" setting.");

// Takes the data directory from the settings as the current one and makes sure it exists
// with its upload folders and every registered aircraft's directories. Each failure has
// already been reported (by the directory check or here) when it returns false; the
// remaining steps are skipped then.
bool prepareDataDirectory(Notifier& notifier);
