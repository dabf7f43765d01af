#include "UserGuide.h"

#include "Notifier.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

QString userGuidePath(const QString& programDirectory) {
    return programDirectory + kUserGuideRelativePath;
}

void openUserGuide(const QString& programDirectory, Notifier& notifier,
                   const std::function<bool(const QUrl&)>& open) {
    const QString path = userGuidePath(programDirectory);
    if (!QFileInfo(path).isFile()) {
        notifier.warning(kWarningTitle, kFileNotFoundText.arg(path));
        return;
    }
    if (!open(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        notifier.warning(kWarningTitle, kNoPdfReaderText.arg(path));
}

void openUserGuide(const QString& programDirectory, Notifier& notifier) {
    openUserGuide(programDirectory, notifier, &QDesktopServices::openUrl);
}
