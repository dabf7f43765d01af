#pragma once

#include <QString>

#include <functional>

class Notifier;
class QUrl;

// %1 = the data directory.
inline const QString kNoFileManagerText = QStringLiteral("No file manager is available to show %1");

// Shows the data directory in the desktop's file manager, without waiting for it. `open`
// hands the folder to the desktop; when nothing takes it, that is reported as a warning.
void openDataFolder(Notifier& notifier, const std::function<bool(const QUrl&)>& open);
void openDataFolder(Notifier& notifier);
