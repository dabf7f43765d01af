#include "ResourceFiles.h"

#include <QApplication>
#include <QFile>
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

bool applyStyleSheet(const QString& commonRoot) {
    QFile style(resourcePath(commonRoot) + QStringLiteral("/style/brix.qss"));
    if (!style.open(QIODevice::ReadOnly))
        return false;
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    return true;
}
