#include "DataFolder.h"

#include "ApplicationSettings.h"
#include "Notifier.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

void openDataFolder(Notifier& notifier, const std::function<bool(const QUrl&)>& open) {
    const QString folder = QDir(dataDirectory()).absolutePath();
    if (!open(QUrl::fromLocalFile(folder)))
        notifier.warning(kWarningTitle, kNoFileManagerText.arg(folder));
}

void openDataFolder(Notifier& notifier) {
    openDataFolder(notifier, &QDesktopServices::openUrl);
}
