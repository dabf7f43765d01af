#pragma once

#include "ViewerTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

struct FlightDataElement;

// One occupied flight slot of one raw flight data file, as found while scanning.
struct FlightListElement {
    QString filePath; // absolute
    QString aircraftId;
    qint32 engineNumber = 0;
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    // The slot itself (0..19): a file may hold one flight number in two slots, and loading
    // must take the slot that was listed.
    int slot = -1;
    quint32 creationTime = 0; // the download: the file header's creation time (UTC seconds)
};

// Which of two downloads of one flight is the newer: the later header creation time, and of
// equal times the later file name (a second download in the same minute is named "..._2").
// The trend and the flight selection's "Newest download only" choose by this rule.
struct DownloadOrder {
    quint32 creationTime = 0;
    QString fileName;
    bool isNewerThan(const DownloadOrder& other) const {
        return creationTime != other.creationTime ? creationTime > other.creationTime
                                                  : fileName > other.fileName;
    }
};

// The scanned aircraft directories: "*_data" (the raw files are the download's "*.raw").
inline const QString kAircraftDataSuffix = QStringLiteral("_data");
inline const QString kEngineDirectoryPattern = QStringLiteral("engine_%1");

// The engine type that the flight's raw file header names (as the aircraft record held it
// at the download); empty when the header is short.
QString flightEngineType(const FlightDataElement& flight);

// The "*.raw" files of one engine directory (any letter case), in name order; nothing when
// the directory does not exist.
QStringList rawFileNames(const QString& engineDirectory);

// Every "*.raw" file below the data directory, absolute: the "*_data" directories, their
// "engine_1" and "engine_2" directories and the raw files in them, each level in name order
// so that the listing is the same on every machine. Nothing else is entered (the index
// folder among them).
QStringList rawFilePaths(const QString& dataDirectory);
// Whether a path relative to the data directory has the place that rawFilePaths lists
// ("<x>_data/engine_<1|2>/<y>.raw"); the file itself is not looked at.
bool isListedRawFilePath(const QString& relativePath);

// The occupied slots that `header` (kHeaderSize bytes of the file at `path`) lists and whose
// record lies wholly within `fileSize` bytes; nothing when its first word is wrong.
QList<FlightListElement> slotsOfRawFileHeader(const QString& path, const char* header,
                                              qint64 fileSize);

// What a raw file's header read also tells of the file.
struct RawFileStatus {
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0; // since the epoch
};

// Reads the file's first kHeaderSize bytes into `header` with one open, read, fstat and
// close (non-blocking, so that a pipe put in place of a file cannot hang a scan); nothing
// when it is no regular file or shorter than a header.
std::optional<RawFileStatus> readRawFileHeader(const QString& path, char* header);

// The occupied slots of one raw file whose record lies wholly within the file; nothing when
// the file cannot be opened, its header is short or its first word is wrong. The file's
// size decides which records are complete; no record is read.
QList<FlightListElement> listRawFlightDataFile(const QString& path);
