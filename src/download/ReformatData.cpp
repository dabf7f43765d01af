#include "ReformatData.h"

#include "AircraftIdentifier.h"
#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "DownloadFileNames.h"
#include "DownloadLogging.h"
#include "DownloadedData.h"
#include "EngineDataFiles.h"
#include "FixedText.h"
#include "LeftoverFiles.h"
#include "Notifier.h"
#include "Protocol.h"
#include "RawFlightDataFile.h"
#include "ResponseLayout.h"
#include "SafeFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

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

// Walks the blocks of the response as far as they were read and checks each against the
// download's layout; a file of anything else (random bytes, a raw flight data file, an
// engine data file) does not get past its first block.
bool hasDownloadLayout(const QByteArray& bytes) {
    const ResponseLayout layout = ResponseLayout::forCommand(DownloadBearing4Command);
    qint64 at = DownloadedData::kUnitHeaderOffset;
    for (int index = 0; at + kBlockHeaderSize <= bytes.size(); ++index) {
        const quint32 type = qFromLittleEndian<quint32>(bytes.constData() + at);
        const quint32 byteCount = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (type > 3 || !layout.acceptsBlock(index, type, byteCount))
            return false;
        at += kBlockHeaderSize + qint64(byteCount);
    }
    return true;
}

using EngineDataWriter = bool (*)(QIODevice&, const QString&, const EngineDataSource&,
                                  const QDateTime&, ConversionProgress&);

bool saveEngineDataFile(const QString& path, EngineDataWriter writer,
                        const EngineDataSource& source, const QDateTime& localTime,
                        ConversionProgress& progress) {
    SafeFile file(path);
    if (file.open() &&
        writer(file.device(), QFileInfo(path).fileName(), source, localTime, progress) &&
        file.commit())
        return true;
    qCWarning(lcDownload) << "writing" << path << "failed:" << file.errorString()
                          << file.device().errorString();
    return false;
}

} // namespace

ReformatResult ReformatData(const QString& responseFilePath, int engineIndex,
                            const AircraftRecord& aircraft, const QString& dataDirectory,
                            const PartNumberRecord& partNumbers, Notifier& notifier,
                            const std::function<void(int percent)>& progress,
                            bool deleteResponseOnSuccess, const QDateTime& localTime,
                            const QString& keepAs) {
    ReformatResult result;
    const auto keepResponse = [&] {
        result.responseFileKept = true;
        result.keptResponsePath = moveResponseFile(responseFilePath, keepAs);
        return result.keptResponsePath;
    };
    // A FIFO or a device would block the read for ever, or never end.
    const QFileInfo responseInfo(responseFilePath);
    if (responseInfo.exists() && !responseInfo.isFile()) {
        notifier.critical(kReformatDataTitle, kNotARegularFileText.arg(responseFilePath));
        result.responseFileKept = true;
        result.keptResponsePath = responseFilePath;
        return result;
    }
    QFile response(responseFilePath);
    if (engineIndex < 0 || engineIndex >= AircraftRecord::kEngineCount ||
        responseFilePath.isEmpty() || !response.open(QIODevice::ReadOnly)) {
        notifier.critical(kReformatDataTitle, kNoDataAvailableText);
        return result;
    }
    QByteArray bytes;
    const bool read = readResponse(response, bytes, notifier);
    const qint64 responseSize = response.size();
    response.close();
    if (!read) {
        keepResponse();
        return result;
    }
    if (!hasDownloadLayout(bytes)) {
        notifier.critical(kReformatDataTitle, kNotADownloadResponseText.arg(keepResponse()));
        return result;
    }

    const QString aircraftId = readFixedText(aircraft.aircraftId);
    if (!checkStoredAircraftId(aircraftId, notifier)) {
        keepResponse();
        return result;
    }
    result.longerThanLayout = responseSize > DownloadedData::kFullSize;
    const DownloadedData data(std::move(bytes));
    result.slotsReceived = data.completeSlots();
    if (result.slotsReceived < DownloadedData::kSlotCount)
        notifier.warning(kReformatDataTitle, kMissingSlotsText.arg(result.slotsReceived));

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
    ConversionProgress conversionProgress(progress);
    const EngineDataSource source{data, engineIndex, aircraft, partNumbers};
    result.steadyStateFileSaved = saveEngineDataFile(names.steadyStateFile, writeSteadyStateFile,
                                                     source, localTime, conversionProgress);
    result.transientFileSaved = saveEngineDataFile(names.transientFile, writeTransientFile, source,
                                                   localTime, conversionProgress);
    // The transient writer ends at 100 itself; without it the indicator still has to get there.
    if (!result.transientFileSaved)
        conversionProgress.finish();

    // The response goes only when all three files are there: the engine data files cannot be
    // made from the raw file again.
    const bool allSaved =
        result.rawFileSaved && result.steadyStateFileSaved && result.transientFileSaved;
    if (allSaved && deleteResponseOnSuccess && !result.longerThanLayout &&
        QFile::remove(responseFilePath))
        return result;
    const QString kept = keepResponse();
    if (result.longerThanLayout)
        notifier.warning(kReformatDataTitle,
                         kLongerThanLayoutText.arg(
                             QString::number(responseSize - DownloadedData::kFullSize), kept));
    if (!allSaved)
        notifier.critical(kErrorTitle,
                          kUnableToOpenProcessedFileText + kDownloadedDataKeptText.arg(kept));
    return result;
}
