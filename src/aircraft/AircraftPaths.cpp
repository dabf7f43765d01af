#include "AircraftPaths.h"

#include "ApplicationSettings.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString absoluteWithSlashes(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString registerDataDirectory() {
    const QString current = currentDataDirectory();
    return absoluteWithSlashes(current.isEmpty() ? dataDirectory() : current);
}

QString aircraftDirectory(const QString& dataDirectory, const QString& id) {
    return QStringLiteral("%1/%2_data").arg(absoluteWithSlashes(dataDirectory), id);
}

QString engineDirectory(const QString& dataDirectory, const QString& id, int engine) {
    return QStringLiteral("%1/%2_data/engine_%3")
        .arg(absoluteWithSlashes(dataDirectory), id, QString::number(engine));
}

QString aircraftDirectory(const QString& id) {
    return aircraftDirectory(registerDataDirectory(), id);
}

QString engineDirectory(const QString& id, int engine) {
    return engineDirectory(registerDataDirectory(), id, engine);
}
