#include "RawFileSlots.h"

#include "DownloadFileNames.h"
#include "FlightDataElement.h"
#include "RawFlightDataLayout.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Raw = RawFlightDataLayout;

qint32 headerWord(const char* header, int offset) {
    return qFromLittleEndian<qint32>(header + offset);
}

// A text field of the header stops at its terminator; a damaged header without one gives the
// field's first 16 bytes, the longest text the register can hold.
QString headerText(const char* header, int offset) {
    const char* begin = header + offset;
    const char* end = std::find(begin, begin + Raw::kTextFieldSize - 1, '\0');
    return QString::fromLatin1(begin, end - begin);
}

bool isRecordComplete(int slot, qint64 fileSize) {
    return Raw::kHeaderSize + qint64(slot + 1) * Raw::kRecordSize <= fileSize;
}

// Names in the directory that end with `suffix` in any letter case (as "*_data" and "*.raw"
// match on the technician's PC), in code-unit order whatever the locale and the file
// system's own order. Matched by hand: a name filter costs a regular expression per
// directory, which is most of a scan's time.
QStringList sortedEntries(const QString& directory, const QString& suffix, QDir::Filters filters) {
    QStringList names;
    QDirIterator entries(directory, filters);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            names.append(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

QString flightEngineType(const FlightDataElement& flight) {
    if (flight.fileHeader.size() < Raw::kHeaderSize)
        return {};
    return headerText(flight.fileHeader.constData(), Raw::kEngineTypeOffset);
}

QList<FlightListElement> slotsOfRawFileHeader(const QString& path, const char* header,
                                              qint64 fileSize) {
    const quint32 magic = qFromLittleEndian<quint32>(header + Raw::kMagicOffset);
    if (!Raw::isKnownMagic(magic))
        return {};
    QList<FlightListElement> found;
    const QString aircraftId = headerText(header, Raw::kAircraftIdOffset);
    const qint32 engineNumber = headerWord(header, Raw::kEngineNumberOffset);
    const quint32 creationTime = quint32(headerWord(header, Raw::kCreationTimeOffset));
    for (int slot = 0; slot < Raw::kSlotCount && isRecordComplete(slot, fileSize); ++slot) {
        const qint32 flightNumber = headerWord(header, Raw::kFlightNumbersOffset + 4 * slot);
        if (flightNumber == 0)
            continue;
        found.append({path, aircraftId, engineNumber, flightNumber,
                      static_cast<MemoryType>(headerWord(header, Raw::kMemoriesOffset + 4 * slot)),
                      slot, creationTime});
    }
    return found;
}

// QFile asks for the file's status three times per file, which alone makes a scan half as
// slow again; this is the only hot path of the listing.
std::optional<RawFileStatus> readRawFileHeader(const QString& path, char* header) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return std::nullopt;
    struct stat status;
    const bool complete = ::read(descriptor, header, Raw::kHeaderSize) == Raw::kHeaderSize &&
                          ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    ::close(descriptor);
    if (!complete)
        return std::nullopt;
    return RawFileStatus{status.st_size,
                         qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

QStringList rawFileNames(const QString& engineDirectory) {
    return sortedEntries(engineDirectory, QLatin1Char('.') + kRawFileExtension, QDir::Files);
}

QStringList rawFilePaths(const QString& dataDirectory) {
    QStringList paths;
    const QString data = QDir(dataDirectory).absolutePath();
    for (const QString& aircraftName :
         sortedEntries(data, kAircraftDataSuffix, QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (int engine = 1; engine <= 2; ++engine) {
            // A missing engine directory simply lists nothing.
            const QString engineDirectory = data + QLatin1Char('/') + aircraftName +
                                            QLatin1Char('/') + kEngineDirectoryPattern.arg(engine);
            for (const QString& fileName : rawFileNames(engineDirectory))
                paths.append(engineDirectory + QLatin1Char('/') + fileName);
        }
    }
    return paths;
}

bool isListedRawFilePath(const QString& relativePath) {
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    return parts.size() == 3 && parts[0].endsWith(kAircraftDataSuffix, Qt::CaseInsensitive) &&
           (parts[1] == kEngineDirectoryPattern.arg(1) ||
            parts[1] == kEngineDirectoryPattern.arg(2)) &&
           parts[2].endsWith(QLatin1Char('.') + kRawFileExtension, Qt::CaseInsensitive);
}

QList<FlightListElement> listRawFlightDataFile(const QString& path) {
    char header[Raw::kHeaderSize];
    const std::optional<RawFileStatus> status = readRawFileHeader(path, header);
    return status ? slotsOfRawFileHeader(path, header, status->size) : QList<FlightListElement>();
}
