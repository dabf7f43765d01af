#include "ResourceFiles.h"

#include <QFileInfo>
#include <QResource>

QString resourcePath(const QString& root) {
    return QLatin1Char(':') + root;
}

bool openResourceFile(const QString& path, const QString& root) {
    // A directory or a file of another kind is refused by the registration itself.
    return QFileInfo(path).isFile() && QResource::registerResource(path, root);
}

void closeResourceFile(const QString& path, const QString& root) {
    QResource::unregisterResource(path, root);
}
