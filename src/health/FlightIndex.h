#pragma once

#include "BearingFrequencies.h"
#include "FlightIndicators.h"
#include "FlightRecord.h"
#include "ViewerTypes.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <map>
#include <optional>

class Notifier;
class QSqlDatabase;

// Where the index lives below the data directory, and what a set-aside index is called
// (%1 its date and time).
inline const QString kIndexFileName = QStringLiteral("index.sqlite");
inline const QString kBrokenIndexSuffix = QStringLiteral(".broken-%1");
inline const QString kBrokenIndexDateFormat = QStringLiteral("yyyyMMdd-HHmmss");
// %1 the index file, %2 the name it was set aside under.
inline const QString kIndexSetAsideText =
    QStringLiteral("The flight index \"%1\" could not be used and was renamed to \"%2\"; it is "
                   "built again from the raw flight data files.");

// Beside the index: the size and modification time of the index and its journal as this
// program left them, after a check of every page of it found no damage.
inline const QString kIndexCheckedSuffix = QStringLiteral(".checked");

// The index folder that keeps the index in memory only.
inline const QString kIndexInMemory = QStringLiteral(":memory:");

// The schema this program writes, in PRAGMA user_version; a file of an earlier schema of this
// program is upgraded in place, one with a later number, or without this program's
// application id, is not read.
inline constexpr int kIndexSchemaVersion = 3;
inline constexpr int kIndexApplicationId = 0x42524958;

// What the index needs beside the raw files.
struct FlightIndexInputs {
    IndicatorFunction indicators = recordIndicators;
    // The bearing geometry of each engine type that has one.
    std::map<QString, BearingGeometry> bearings;
    // The engine type of an aircraft's engine 1 or 2 (the register's); empty when unknown.
    std::function<QString(const QString& aircraftId, int engineNumber)> engineType;
};

// The inputs of the program and brix-cli: the indicators, the register's engine types and
// the bearing geometries known for them.
FlightIndexInputs registerIndexInputs();

// One flight as the index holds it.
struct IndexedFlight {
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    quint32 creationTime = 0; // the download: the raw file header's creation time
    DataStatus status = DataStatus::Ok;
    IndicatorValues indicators;
};

// What the fleet reads of one engine (see FlightIndex::engineSummaries).
struct EngineFlightSummary {
    // Over every flight that flights() lists.
    int flights = 0;
    int suspect = 0;
    std::optional<quint32> newest; // the newest download's creation time
    // The latest flight and the flights of its memory before it, in flight-number order.
    QList<IndexedFlight> recent;
};

// What one update did, in files.
struct IndexUpdate {
    int read = 0;      // new or changed, read and stored
    int unchanged = 0; // same size, time and bearing geometry: not read
    int dropped = 0;   // gone from the data directory
    int unwritten = 0; // read, but another process held the index longer than a second
};

// The index of every flight below a data directory: per raw file its path relative to the
// data directory, size and modification time, and per slot its flight number, memory, data
// status (the steady-state rule) and indicators. A cache of the raw files: a file that cannot
// be used is renamed aside and built again, a data directory where it cannot be written gets
// one in memory, and two programs share it (WAL, short write transactions, a busy time-out of
// a second after which a write is left for the next update).
class FlightIndex {
public:
    enum class Opening { UpToDate, AsItIs };
    // Opens (or creates) the index and, unless asked to take it as it is, brings it up to date.
    // It lives in `indexFolder`, by default folderPath(dataDirectory), and in memory for
    // kIndexInMemory; nothing is written in the data directory when it is given elsewhere.
    FlightIndex(const QString& dataDirectory, FlightIndexInputs inputs, Notifier& notifier,
                Opening opening = Opening::UpToDate, const QString& indexFolder = {});
    ~FlightIndex();
    FlightIndex(const FlightIndex&) = delete;
    FlightIndex& operator=(const FlightIndex&) = delete;

    // The folder of the index below `dataDirectory`.
    static QString folderPath(const QString& dataDirectory);

    bool isInMemory() const { return inMemory_; }
    // What opening it did.
    const IndexUpdate& lastUpdate() const { return lastUpdate_; }

    // Reads new and changed raw files, drops vanished ones, leaves unchanged ones unread.
    IndexUpdate update();
    // Adds or refreshes one raw file below the data directory (a download just written).
    bool addRawFile(const QString& path);

    // The flights of one engine, each (flight number and memory) once from its newest download
    // (the trend's rule), in flight-number order, pre-defect first; only memories 0 and 1, or
    // the one asked for, and downloads created at or after `since` (UTC seconds) when given.
    QList<IndexedFlight> flights(const QString& aircraftId, int engineNumber,
                                 std::optional<MemoryType> memoryType,
                                 std::optional<quint32> since = std::nullopt) const;
    // The same with one indicator only, the others empty.
    QList<IndexedFlight> indicatorTrend(const QString& aircraftId, int engineNumber,
                                        std::optional<MemoryType> memoryType,
                                        Indicator indicator) const;

    // One engine of engineSummaries(), and the indicators that have limits for it.
    struct SummaryRequest {
        QString aircraftId;
        int engineNumber = 1;
        QList<Indicator> indicators;
    };
    // Of each engine, the counts of its flights and, in place of all of them, those that
    // judging it reads when its `indicators` have limits: its latest flight (the newest
    // download's highest flight number, pre-defect first) and the flights of that memory before
    // it, newest first, until each of `indicators` has `window` values or none are left.
    QList<EngineFlightSummary> engineSummaries(const QList<SummaryRequest>& engines,
                                               int window) const;

private:
    struct StoredFile;
    struct ReadFile;

    bool openOnDisk(Notifier& notifier);
    void openInMemory();
    // Busy: the other program held it longer than the busy time-out.
    enum class Usability { Usable, Empty, Unusable, ReadOnly, Busy };
    Usability checkSchema();
    bool createSchema();
    bool upgradeSchema();
    void setAside(Notifier& notifier);
    // What kIndexCheckedSuffix holds of the index as it is now.
    QByteArray fileState() const;
    std::optional<BearingGeometry> bearingOf(const QString& aircraftId, int engineNumber);
    QString bearingFingerprint(const QString& aircraftId, int engineNumber);
    std::optional<ReadFile> readRawFile(const QString& relativePath);
    bool write(const QList<ReadFile>& files, const QStringList& vanished);
    QList<IndexedFlight> query(const QString& aircraftId, int engineNumber,
                               std::optional<MemoryType> memoryType, std::optional<quint32> since,
                               std::optional<Indicator> indicator) const;
    QSqlDatabase database() const;

    QString dataDirectory_;
    QString indexFolder_;
    FlightIndexInputs inputs_;
    QString connectionName_;
    bool inMemory_ = false;
    IndexUpdate lastUpdate_;
    // The geometry of each aircraft's engine, looked up once per update.
    std::map<std::pair<QString, int>, std::optional<BearingGeometry>> bearings_;
};
