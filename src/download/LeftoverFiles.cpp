#include "LeftoverFiles.h"

#include "AircraftIdentifier.h"
#include "DownloadFileNames.h"
#include "DownloadLogging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");

// "ZELK-<pid>" and "ZELK-<pid>-engine<N>-<stamp>" in the home directory.
const QRegularExpression
    kResponsePattern(QStringLiteral("^ZELK-(\\d{1,10})(-engine[12]-\\d{8}-\\d{6}-\\d{3})?$"));
// ".<name>-<pid>-<8 hex digits>.part" below the data directory.
const QRegularExpression kPartPattern(QStringLiteral("^\\..+-(\\d{1,10})-[0-9a-f]{8}\\.part$"));

bool belongsToEndedProcess(const QRegularExpressionMatch& match) {
    if (!match.hasMatch())
        return false;
    bool ok = false;
    const qint64 pid = match.captured(1).toLongLong(&ok);
    return ok && !processExists(pid);
}

bool removeLeftover(const QString& path) {
    const QFileInfo info(path);
    // A link planted under such a name is removed as a link; what it points to stays.
    if (!info.isFile() && !info.isSymLink())
        return false;
    if (!QFile::remove(path))
        return false;
    qCInfo(lcDownload) << "removed" << path << "left by an ended run";
    return true;
}

} // namespace

QString inFlightResponseName(const QString& linkResponseFile, int engineIndex,
                             const QDateTime& time) {
    return QStringLiteral("%1-engine%2-%3")
        .arg(linkResponseFile, QString::number(engineIndex + 1), time.toString(kStampFormat));
}

QString keptResponseName(const QString& aircraftId, int engineIndex, const QDateTime& time) {
    // The identifier comes from a stored record: one that could point elsewhere is left out.
    const bool usable = !isBlankAircraftId(aircraftId) && aircraftIdProblem(aircraftId).isEmpty();
    return QStringLiteral("%1/ZELK-%2engine%3-%4-kept")
        .arg(QDir::homePath(), usable ? aircraftId + QLatin1Char('-') : QString(),
             QString::number(engineIndex + 1), time.toString(kStampFormat));
}

QString moveResponseFile(const QString& path, const QString& target) {
    if (target.isEmpty() || target == path || !QFileInfo(path).isFile())
        return path;
    if (QFile::rename(path, target))
        return target;
    if (QFile::copy(path, target)) {
        QFile::remove(path);
        return target;
    }
    qCWarning(lcDownload) << "cannot move" << path << "to" << target;
    return path;
}

bool processExists(qint64 pid) {
    if (pid <= 0 || pid > 0x7fffffff)
        return false;
    if (pid == QCoreApplication::applicationPid())
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

int removeLeftoversOfEndedRuns(const QString& home, const QString& dataDirectory) {
    int removed = 0;
    const QStringList names =
        QDir(home).entryList({QStringLiteral("ZELK-*")}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : names)
        if (belongsToEndedProcess(kResponsePattern.match(name)) &&
            removeLeftover(home + QLatin1Char('/') + name))
            ++removed;

    if (dataDirectory.isEmpty() || !QFileInfo(dataDirectory).isDir())
        return removed;
    // Links inside the data directory are not followed: nothing outside it is touched.
    QDirIterator files(dataDirectory, {QStringLiteral(".*.part")},
                       QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QString indexFolder =
        QDir(dataDirectory).absoluteFilePath(kIndexFolderName) + QLatin1Char('/');
    while (files.hasNext()) {
        const QString path = QFileInfo(files.next()).absoluteFilePath();
        if (path.startsWith(indexFolder))
            continue; // the program's own folder holds no download
        if (belongsToEndedProcess(kPartPattern.match(files.fileName())) && removeLeftover(path))
            ++removed;
    }
    return removed;
}
