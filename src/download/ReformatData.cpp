#include "ReformatData.h"

#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "DownloadFileNames.h"
#include "DownloadLogging.h"
#include "DownloadedData.h"
#include "EngineDataFiles.h"
#include "FixedText.h"
#include "Notifier.h"
#include "RawFlightDataFile.h"
#include "SafeFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr QCryptographicHash::Algorithm kVerifyHash = QCryptographicHash::Sha256;
constexpr qint64 kVerifyChunk = 64 * 1024;

// Reads the unit data header and as much of the flight blocks as arrived, never more than
// the full layout, into one buffer laid out like the file (the response header left zero).
// Returns false, having said why, when the data header is not there.
bool readResponse(QFile& file, QByteArray& bytes, Notifier& notifier) {
    if (!file.seek(DownloadedData::kUnitHeaderOffset)) {
        notifier.critical(kReformatDataTitle, kSeekFailedText);
        return false;
    }
    const qint64 size = std::min(file.size(), DownloadedData::kFullSize);
    if (size < DownloadedData::kFlightsOffset) {
        notifier.critical(kReformatDataTitle, kBadDataHeaderText);
        return false;
    }
    bytes = QByteArray(qsizetype(size), '\0');
    qint64 filled = DownloadedData::kUnitHeaderOffset;
    if (file.read(bytes.data() + filled, DownloadedData::kUnitHeaderSize) !=
        DownloadedData::kUnitHeaderSize) {
        notifier.critical(kReformatDataTitle, kBadDataHeaderText);
        return false;
    }
    filled += DownloadedData::kUnitHeaderSize;
    while (filled < size) {
        const qint64 got = file.read(bytes.data() + filled, size - filled);
        if (got < 0) {
            // Blocks that cannot be read must not pass for empty slots, or the response
            // would be deleted with them.
            qCWarning(lcDownload) << "reading" << file.fileName()
                                  << "failed:" << file.errorString();
            notifier.critical(kReformatDataTitle, kBadDataHeaderText);
            return false;
        }
        if (got == 0)
            break; // the file shrank under us; what arrived is all there is
        filled += got;
    }
    bytes.truncate(qsizetype(filled));
    return true;
}

// True when the file on disk holds exactly what was written.
bool readsBackAs(const QString& path, qint64 size, const QByteArray& digest) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != size)
        return false;
    QCryptographicHash hash(kVerifyHash);
    QByteArray chunk(qsizetype(kVerifyChunk), '\0');
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(chunk.data(), kVerifyChunk);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), got));
        total += got;
    }
    return total == size && hash.result() == digest;
}

bool saveRawFile(const QString& path, const DownloadedData& data, int engineIndex,
                 const AircraftRecord& aircraft, const QDateTime& localTime,
                 const std::function<void(int)>& progress) {
    SafeFile file(path);
    if (!file.open()) {
        qCWarning(lcDownload) << "cannot create" << path << ":" << file.errorString();
        return false;
    }
    QCryptographicHash hash(kVerifyHash);
    // The window repaints in the progress callback; the raw file itself counts as step 0.
    const auto afterRecord = [&progress] {
        if (progress)
            progress(0);
    };
    if (!RawFlightDataFile::write(file.device(), data, aircraft, engineIndex,
                                  localTime.toSecsSinceEpoch(), afterRecord, &hash)) {
        qCWarning(lcDownload) << "writing" << path << "failed:" << file.device().errorString();
        return false;
    }
    if (!file.commit())
        return false;
    if (!readsBackAs(path, RawFlightDataFile::kFileSize, hash.result())) {
        qCWarning(lcDownload) << path << "does not read back as written; removed";
        QFile::remove(path);
        return false;
    }
    return true;
}

using EngineDataWriter = bool (*)(QIODevice&, const QString&, const EngineDataSource&,
                                  const QDateTime&, ConversionProgress&);

bool saveEngineDataFile(const QString& path, EngineDataWriter writer,
                        const EngineDataSource& source, const QDateTime& localTime,
                        ConversionProgress& progress, Notifier& notifier) {
    SafeFile file(path);
    if (file.open() &&
        writer(file.device(), QFileInfo(path).fileName(), source, localTime, progress) &&
        file.commit())
        return true;
    qCWarning(lcDownload) << "writing" << path << "failed:" << file.errorString()
                          << file.device().errorString();
    notifier.critical(kErrorTitle, kUnableToOpenProcessedFileText);
    return false;
}

} // namespace

ReformatResult ReformatData(const QString& responseFilePath, int engineIndex,
                            const AircraftRecord& aircraft, const QString& dataDirectory,
                            const PartNumberRecord& partNumbers, Notifier& notifier,
                            const std::function<void(int percent)>& progress,
                            bool deleteResponseOnSuccess, const QDateTime& localTime) {
    ReformatResult result;
    QFile response(responseFilePath);
    if (engineIndex < 0 || engineIndex >= AircraftRecord::kEngineCount ||
        responseFilePath.isEmpty() || !response.open(QIODevice::ReadOnly)) {
        notifier.critical(kReformatDataTitle, kNoDataAvailableText);
        return result;
    }
    QByteArray bytes;
    const bool read = readResponse(response, bytes, notifier);
    result.longerThanLayout = response.size() > DownloadedData::kFullSize;
    const qint64 responseSize = response.size();
    response.close();
    if (!read) {
        result.responseFileKept = true;
        return result;
    }

    const DownloadedData data(std::move(bytes));
    result.slotsReceived = data.completeSlots();
    if (result.slotsReceived < DownloadedData::kSlotCount)
        notifier.warning(kReformatDataTitle, kMissingSlotsText.arg(result.slotsReceived));

    const QString aircraftId = readFixedText(aircraft.aircraftId);
    const int engine = engineIndex + 1;
    // The register makes the engine directories at start-up; one removed since must not cost
    // the download.
    QDir().mkpath(engineDirectory(dataDirectory, aircraftId, engine));
    const DownloadFileNames names =
        freshDownloadFileNames(dataDirectory, aircraftId, engine, localTime);
    result.rawFilePath = names.rawFile;
    result.steadyStatePath = names.steadyStateFile;
    result.transientPath = names.transientFile;

    result.rawFileSaved =
        saveRawFile(names.rawFile, data, engineIndex, aircraft, localTime, progress);
    if (result.longerThanLayout)
        notifier.warning(kReformatDataTitle,
                         kLongerThanLayoutText.arg(responseSize - DownloadedData::kFullSize)
                             .arg(responseFilePath));
    if (result.rawFileSaved && deleteResponseOnSuccess && !result.longerThanLayout) {
        if (!QFile::remove(responseFilePath)) {
            qCWarning(lcDownload) << "cannot delete" << responseFilePath;
            result.responseFileKept = true;
        }
    } else {
        result.responseFileKept = true;
    }
    if (!result.rawFileSaved)
        notifier.critical(kErrorTitle, kUnableToOpenProcessedFileText +
                                           kDownloadedDataKeptText.arg(responseFilePath));

    ConversionProgress conversionProgress(progress);
    const EngineDataSource source{data, engineIndex, aircraft, partNumbers};
    result.steadyStateFileSaved =
        saveEngineDataFile(names.steadyStateFile, writeSteadyStateFile, source, localTime,
                           conversionProgress, notifier);
    result.transientFileSaved = saveEngineDataFile(names.transientFile, writeTransientFile, source,
                                                   localTime, conversionProgress, notifier);
    // The transient writer ends at 100 itself; without it the indicator still has to get there.
    if (!result.transientFileSaved)
        conversionProgress.finish();
    return result;
}
