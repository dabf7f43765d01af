#include "DownloadFileNames.h"

#include "AircraftPaths.h"

#include <QDateTime>
#include <QFileInfo>

#include <array>

namespace {

// Far more than anyone downloads in one minute; it only keeps a broken directory (where every
// name seems taken) from stalling the conversion.
constexpr int kMaxSequence = 1000;

bool anyExists(const DownloadFileNames& names) {
    return QFileInfo::exists(names.rawFile) || QFileInfo::exists(names.steadyStateFile) ||
           QFileInfo::exists(names.transientFile);
}

} // namespace

QString monthAbbreviation(int month) {
    if (month < 1 || month > 12)
        return QString();
    return QString::fromLatin1(kMonthAbbreviations[std::size_t(month - 1)]);
}

QString rawFlightDataFilePath(const QString& dataDirectory, const QString& aircraftId,
                              int engineNumber, const QDateTime& localTime, int sequence) {
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const auto twoDigits = [](int value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    QString name =
        QStringLiteral("%1_%2%3%4_%5%6")
            .arg(kRawFilePrefix, twoDigits(date.day()), monthAbbreviation(date.month()),
                 QString::number(date.year()), twoDigits(time.hour()), twoDigits(time.minute()));
    if (sequence > 1)
        name += QStringLiteral("_%1").arg(sequence);
    return QStringLiteral("%1/%2.%3")
        .arg(engineDirectory(dataDirectory, aircraftId, engineNumber), name, kRawFileExtension);
}

QString engineDataFilePath(const QString& rawFilePath, const QString& prefix) {
    const int slash = int(rawFilePath.lastIndexOf(QLatin1Char('/')));
    const QString directory = rawFilePath.left(slash + 1);
    QString name = rawFilePath.mid(slash + 1);
    if (name.startsWith(kRawFilePrefix))
        name = prefix + name.mid(kRawFilePrefix.size());
    const QString rawExtension = QLatin1Char('.') + kRawFileExtension;
    if (name.endsWith(rawExtension))
        name.chop(rawExtension.size());
    return directory + name + QLatin1Char('.') + kEngineDataFileExtension;
}

DownloadFileNames downloadFileNamesFor(const QString& rawFilePath) {
    return {rawFilePath, engineDataFilePath(rawFilePath, kSteadyStateFilePrefix),
            engineDataFilePath(rawFilePath, kTransientFilePrefix)};
}

DownloadFileNames freshDownloadFileNames(const QString& dataDirectory, const QString& aircraftId,
                                         int engineNumber, const QDateTime& localTime) {
    DownloadFileNames names;
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        names = downloadFileNamesFor(
            rawFlightDataFilePath(dataDirectory, aircraftId, engineNumber, localTime, sequence));
        if (!anyExists(names))
            break;
    }
    return names;
}
