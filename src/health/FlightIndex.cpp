#include "FlightIndex.h"

#include "BearingGeometryStore.h"
#include "DownloadFileNames.h"
#include "FixedText.h"
#include "HealthLogging.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RawFileSlots.h"
#include "RawFlightDataLayout.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using Raw = RawFlightDataLayout;

// How long a statement waits for the other program's write to end before it gives up.
constexpr int kBusyTimeoutMilliseconds = 1000;
// Read files are written in batches of about this much reading, so that the other program
// never waits long for its own turn to write.
constexpr qint64 kBatchMilliseconds = 200;

// Each flight row repeats its file's aircraft, engine and creation time, and says whether it
// is its flight's newest download, so that a trend is one range of one index, in order:
// flight_newest holds every column that a trend or the indicators' list reads, of the newest
// downloads only, so that reading them never looks up the table (flight_key serves the
// updates of `newest`).
const QString kNewestFlightsIndex = QStringLiteral(
    "CREATE INDEX flight_newest ON flight(aircraft, engine, flight_number, memory, "
    "creation_time, suspect, rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, bpfi, bsf, ftf, "
    "newest) WHERE newest = 1");
// Of each engine, what the fleet counts of its flights as flights() lists them, and its latest
// flight: in the newest download, the highest flight number, the pre-defect copy first. Kept
// by every write for the engines it touches, so that the fleet never counts a whole fleet's
// flights. %1 narrows each statement to one engine ("AND aircraft = ? AND engine = ?"), or is
// empty for every engine.
const QString kEngineSummaryTable =
    QStringLiteral("CREATE TABLE engine_summary(aircraft TEXT NOT NULL, engine INTEGER NOT NULL, "
                   "flights INTEGER NOT NULL, suspect INTEGER NOT NULL, newest INTEGER NOT NULL, "
                   "latest_flight INTEGER, latest_memory INTEGER, PRIMARY KEY(aircraft, engine))");
const QString kCountEngines = QStringLiteral(
    "INSERT OR REPLACE INTO engine_summary(aircraft, engine, flights, suspect, newest) "
    "SELECT aircraft, engine, count(*), count(nullif(suspect, 0)), max(creation_time) "
    "FROM flight INDEXED BY flight_newest WHERE newest = 1 AND memory IN (0, 1) "
    "AND aircraft IS NOT NULL %1 GROUP BY aircraft, engine");
const QString kLatestOfEngines = QStringLiteral(
    "UPDATE engine_summary SET (latest_flight, latest_memory) = (SELECT flight_number, memory "
    "FROM flight INDEXED BY flight_newest WHERE aircraft = engine_summary.aircraft AND "
    "engine = engine_summary.engine AND newest = 1 AND memory IN (0, 1) AND "
    "creation_time = engine_summary.newest ORDER BY flight_number DESC, memory LIMIT 1) "
    "WHERE true %1");
const QString kOneEngine = QStringLiteral("AND aircraft = ? AND engine = ?");

const QStringList kSchema = {
    QStringLiteral("CREATE TABLE raw_file(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, "
                   "name TEXT NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL, "
                   "aircraft TEXT, engine INTEGER NOT NULL, "
                   "creation_time INTEGER NOT NULL, bearing TEXT)"),
    QStringLiteral("CREATE TABLE flight(file INTEGER NOT NULL REFERENCES raw_file(id) "
                   "ON DELETE CASCADE, slot INTEGER NOT NULL, aircraft TEXT, "
                   "engine INTEGER NOT NULL, flight_number INTEGER NOT NULL, "
                   "memory INTEGER NOT NULL, creation_time INTEGER NOT NULL, "
                   "newest INTEGER NOT NULL DEFAULT 0, suspect INTEGER NOT NULL, rms REAL, "
                   "peak REAL, crest REAL, kurtosis REAL, n1x1 REAL, n2x1 REAL, bpfo REAL, "
                   "bpfi REAL, bsf REAL, ftf REAL, PRIMARY KEY(file, slot)) WITHOUT ROWID"),
    QStringLiteral(
        "CREATE INDEX flight_key ON flight(aircraft, engine, flight_number, memory, newest)"),
    kNewestFlightsIndex,
    kEngineSummaryTable,
};

// What brings an index of an earlier schema of this program to this one, in place: entry i
// upgrades version i + 1. The rows stay valid, so that no raw file is read again for it.
const QList<QStringList> kSchemaUpgrades = {
    {kNewestFlightsIndex}, // 1: the trend read the table row of every flight
    // 2: the fleet counted every flight of every engine
    {kEngineSummaryTable, kCountEngines.arg(QString()), kLatestOfEngines.arg(QString())},
};

bool run(QSqlDatabase& database, const QString& statement) {
    QSqlQuery query(database);
    if (query.exec(statement))
        return true;
    qCWarning(lcHealth) << statement << "failed:" << query.lastError().text();
    return false;
}

// The first value of a statement's first row; nothing when it failed.
std::optional<QVariant> firstValue(QSqlDatabase& database, const QString& statement, bool& busy) {
    QSqlQuery query(database);
    if (query.exec(statement) && query.next())
        return query.value(0);
    // SQLITE_BUSY and SQLITE_LOCKED: the other program held the file past the time-out, which
    // says nothing about the file itself.
    const QString code = query.lastError().nativeErrorCode();
    busy = busy || code == QStringLiteral("5") || code == QStringLiteral("6");
    return std::nullopt;
}

std::optional<qint64> pragmaNumber(QSqlDatabase& database, const QString& name) {
    bool busy = false;
    const std::optional<QVariant> value =
        firstValue(database, QStringLiteral("PRAGMA ") + name, busy);
    return value ? std::optional(value->toLongLong()) : std::nullopt;
}

QString geometryText(const BearingGeometry& geometry) {
    return QStringLiteral("%1;%2;%3;%4;%5")
        .arg(geometry.elements)
        .arg(geometry.ballDiameter, 0, 'g', 17)
        .arg(geometry.pitchDiameter, 0, 'g', 17)
        .arg(geometry.contactAngleDegrees, 0, 'g', 17)
        .arg(geometry.shaft == BearingShaft::N1 ? QStringLiteral("N1") : QStringLiteral("N2"));
}

QVariant sqlValue(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

} // namespace

struct FlightIndex::StoredFile {
    qint64 size = 0;
    qint64 modified = 0;
    QString bearing;
    QString aircraftId;
    int engineNumber = 0;
};

struct FlightIndex::ReadFile {
    QString relativePath;
    QString name;
    RawFileStatus status;
    QString aircraftId;
    int engineNumber = 0;
    quint32 creationTime = 0;
    QString bearing;
    struct Slot {
        int slot = 0;
        qint32 flightNumber = 0;
        qint32 memory = 0;
        DataStatus status = DataStatus::Ok;
        IndicatorValues indicators;
    };
    QList<Slot> flightSlots;
};

FlightIndexInputs registerIndexInputs() {
    FlightIndexInputs inputs;
    inputs.engineType = [](const QString& aircraftId, int engineNumber) {
        if (engineNumber < 1 || engineNumber > AircraftRecord::kEngineCount)
            return QString();
        return readFixedText(KORALibReadAircraft(aircraftId).engines[engineNumber - 1].engineType);
    };
    for (const QString& type : KORALibListEngineTypes())
        if (const std::optional<BearingGeometry> geometry = readBearingGeometry(type))
            inputs.bearings.emplace(type, *geometry);
    return inputs;
}

FlightIndex::FlightIndex(const QString& dataDirectory, FlightIndexInputs inputs, Notifier& notifier,
                         Opening opening, const QString& indexFolder)
    : dataDirectory_(QDir(dataDirectory).absolutePath()),
      indexFolder_(indexFolder.isEmpty()           ? folderPath(dataDirectory_)
                   : indexFolder == kIndexInMemory ? indexFolder
                                                   : QDir(indexFolder).absolutePath()),
      inputs_(std::move(inputs)),
      connectionName_(QStringLiteral("flight-index-") + QUuid::createUuid().toString()) {
    if (indexFolder_ == kIndexInMemory || !openOnDisk(notifier))
        openInMemory();
    if (opening == Opening::UpToDate)
        lastUpdate_ = update();
}

FlightIndex::~FlightIndex() {
    database().close();
    QSqlDatabase::removeDatabase(connectionName_);
    // The index was checked when it was opened and changed since by this program only: as
    // long as nothing else touches it, the next program need not read it all again.
    if (inMemory_)
        return;
    QFile checked(QDir(indexFolder_).filePath(kIndexFileName + kIndexCheckedSuffix));
    if (!checked.open(QIODevice::WriteOnly | QIODevice::Truncate) || checked.write(fileState()) < 0)
        qCWarning(lcHealth) << "cannot note the index as checked:" << checked.errorString();
}

QString FlightIndex::folderPath(const QString& dataDirectory) {
    return QDir(dataDirectory).filePath(kIndexFolderName);
}

QSqlDatabase FlightIndex::database() const {
    return QSqlDatabase::database(connectionName_, false);
}

bool FlightIndex::openOnDisk(Notifier& notifier) {
    // Looking at flights never makes a data directory that is not there.
    const QString folder = indexFolder_;
    if (!QFileInfo(dataDirectory_).isDir() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlDatabase database =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        database.setDatabaseName(QDir(folder).filePath(kIndexFileName));
        database.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMilliseconds));
        if (!database.open()) {
            qCWarning(lcHealth) << "cannot open the index:" << database.lastError().text();
            database = {};
            QSqlDatabase::removeDatabase(connectionName_);
            return false;
        }
        switch (checkSchema()) {
        case Usability::Usable:
            return true;
        case Usability::Empty:
            if (createSchema())
                return true;
            [[fallthrough]];
        case Usability::ReadOnly:
        case Usability::Busy:
            database.close();
            database = {};
            QSqlDatabase::removeDatabase(connectionName_);
            return false;
        case Usability::Unusable:
            database.close();
            database = {};
            QSqlDatabase::removeDatabase(connectionName_);
            setAside(notifier);
            break;
        }
    }
    return false;
}

void FlightIndex::openInMemory() {
    inMemory_ = true;
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    database.setDatabaseName(QStringLiteral(":memory:"));
    if (!database.open() || !createSchema())
        qCWarning(lcHealth) << "cannot make an index in memory:" << database.lastError().text();
}

// A file that is no database, holds another program's tables, a newer schema or damaged
// pages is unusable; one without tables is empty; one that cannot be written is read-only.
FlightIndex::Usability FlightIndex::checkSchema() {
    QSqlDatabase db = database();
    bool busy = false;
    const auto number = [&](const QString& statement) -> std::optional<qint64> {
        const std::optional<QVariant> value = firstValue(db, statement, busy);
        return value ? std::optional(value->toLongLong()) : std::nullopt;
    };
    const std::optional<qint64> tables =
        number(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    const std::optional<qint64> version = number(QStringLiteral("PRAGMA user_version"));
    const std::optional<qint64> application = number(QStringLiteral("PRAGMA application_id"));
    if (busy)
        return Usability::Busy;
    if (!tables || !version || !application)
        return Usability::Unusable;
    if (*tables == 0 && *version == 0 && *application == 0)
        return Usability::Empty;
    const bool earlier = *version >= 1 && *version < kIndexSchemaVersion;
    if ((*version != kIndexSchemaVersion && !earlier) || *application != kIndexApplicationId)
        return Usability::Unusable;
    // Reading every page takes longer than all the rest of an opening; an index that is as
    // this program left it after such a check is not read again.
    QFile checked(QDir(indexFolder_).filePath(kIndexFileName + kIndexCheckedSuffix));
    if (!checked.open(QIODevice::ReadOnly) || checked.read(1024) != fileState()) {
        const std::optional<QVariant> check =
            firstValue(db, QStringLiteral("PRAGMA quick_check"), busy);
        if (busy)
            return Usability::Busy;
        if (!check || check->toString() != QStringLiteral("ok"))
            return Usability::Unusable;
    }
    // WAL lets the other program read while this one writes; it needs the folder writable.
    QSqlQuery journal(db);
    if (!journal.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !journal.next() ||
        journal.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
        return Usability::ReadOnly;
    journal.finish();
    if (earlier && !upgradeSchema())
        return Usability::ReadOnly;
    return run(db, QStringLiteral("PRAGMA foreign_keys=ON")) &&
                   run(db, QStringLiteral("PRAGMA synchronous=NORMAL"))
               ? Usability::Usable
               : Usability::ReadOnly;
}

bool FlightIndex::createSchema() {
    QSqlDatabase db = database();
    if (!inMemory_ && !run(db, QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    if (!run(db, QStringLiteral("PRAGMA foreign_keys=ON")) ||
        !run(db, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    // The other program may have made it meanwhile.
    if (pragmaNumber(db, QStringLiteral("user_version")).value_or(-1) == kIndexSchemaVersion) {
        run(db, QStringLiteral("ROLLBACK"));
        return checkSchema() == Usability::Usable;
    }
    bool made = true;
    for (const QString& statement : kSchema)
        made = made && run(db, statement);
    made = made && run(db, QStringLiteral("PRAGMA application_id=%1").arg(kIndexApplicationId)) &&
           run(db, QStringLiteral("PRAGMA user_version=%1").arg(kIndexSchemaVersion)) &&
           run(db, QStringLiteral("COMMIT"));
    if (!made)
        run(db, QStringLiteral("ROLLBACK"));
    return made;
}

// One writer upgrades; a program that finds the file upgraded meanwhile has nothing to do.
// False when it cannot be written now: the index is then kept in memory for this run.
bool FlightIndex::upgradeSchema() {
    QSqlDatabase db = database();
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool upgraded = true;
    const qint64 version = pragmaNumber(db, QStringLiteral("user_version")).value_or(-1);
    for (qint64 from = version; upgraded && from >= 1 && from < kIndexSchemaVersion; ++from) {
        for (const QString& statement : kSchemaUpgrades.value(from - 1))
            upgraded = upgraded && run(db, statement);
    }
    upgraded = upgraded &&
               run(db, QStringLiteral("PRAGMA user_version=%1").arg(kIndexSchemaVersion)) &&
               run(db, QStringLiteral("COMMIT"));
    if (!upgraded)
        run(db, QStringLiteral("ROLLBACK"));
    qCDebug(lcHealth) << "index schema" << version << "upgraded:" << upgraded;
    return upgraded;
}

QByteArray FlightIndex::fileState() const {
    QByteArray state;
    const QString path = QDir(indexFolder_).filePath(kIndexFileName);
    const QString journal = path + QStringLiteral("-wal");
    for (const QString& file : {path, journal}) {
        // An empty journal is what opening the index makes of none.
        struct stat status;
        if (::stat(QFile::encodeName(file).constData(), &status) != 0 ||
            (file == journal && status.st_size == 0))
            state += "-\n";
        else
            state += QByteArray::number(qint64(status.st_size)) + ' ' +
                     QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.' +
                     QByteArray::number(qint64(status.st_mtim.tv_nsec)) + '\n';
    }
    return state;
}

void FlightIndex::setAside(Notifier& notifier) {
    const QString path = QDir(indexFolder_).filePath(kIndexFileName);
    QFile::remove(path + kIndexCheckedSuffix);
    const QString stamp = QDateTime::currentDateTime().toString(kBrokenIndexDateFormat);
    QString aside = path + kBrokenIndexSuffix.arg(stamp);
    for (int sequence = 2; QFileInfo::exists(aside); ++sequence)
        aside = path + kBrokenIndexSuffix.arg(stamp) + QLatin1Char('_') + QString::number(sequence);
    // The journal files belong to the set-aside file; a new index must not replay them.
    for (const QString& journal : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + journal))
            QFile::rename(path + journal, aside + journal);
    }
    if (!QFile::rename(path, aside)) {
        qCWarning(lcHealth) << "cannot rename" << path << "aside";
        return;
    }
    notifier.warning(kWarningTitle, kIndexSetAsideText.arg(QDir::toNativeSeparators(path),
                                                           QFileInfo(aside).fileName()));
}

std::optional<BearingGeometry> FlightIndex::bearingOf(const QString& aircraftId, int engineNumber) {
    const auto key = std::make_pair(aircraftId, engineNumber);
    if (const auto known = bearings_.find(key); known != bearings_.end())
        return known->second;
    const QString type =
        inputs_.engineType ? inputs_.engineType(aircraftId, engineNumber) : QString();
    const auto geometry = inputs_.bearings.find(type);
    const std::optional<BearingGeometry> found =
        geometry == inputs_.bearings.end() ? std::nullopt : std::optional(geometry->second);
    bearings_.emplace(key, found);
    return found;
}

QString FlightIndex::bearingFingerprint(const QString& aircraftId, int engineNumber) {
    const std::optional<BearingGeometry> geometry = bearingOf(aircraftId, engineNumber);
    return geometry ? geometryText(*geometry) : QString();
}

// The header, then per occupied slot only its steady-state part: the bin values and the
// bins' time records, which is all that the status and the indicators read.
std::optional<FlightIndex::ReadFile> FlightIndex::readRawFile(const QString& relativePath) {
    const QString path = dataDirectory_ + QLatin1Char('/') + relativePath;
    char header[Raw::kHeaderSize];
    const std::optional<RawFileStatus> status = readRawFileHeader(path, header);
    if (!status)
        return std::nullopt;
    ReadFile file;
    file.relativePath = relativePath;
    file.name = QFileInfo(relativePath).fileName();
    file.status = *status;
    const QList<FlightListElement> listed = slotsOfRawFileHeader(path, header, status->size);
    file.aircraftId = listed.isEmpty() ? QString() : listed.constFirst().aircraftId;
    file.engineNumber = listed.isEmpty() ? 0 : listed.constFirst().engineNumber;
    file.creationTime = listed.isEmpty() ? 0 : listed.constFirst().creationTime;
    file.bearing = bearingFingerprint(file.aircraftId, file.engineNumber);
    const std::optional<BearingGeometry> geometry = bearingOf(file.aircraftId, file.engineNumber);

    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    QByteArray steadyState(Raw::kTransientValuesOffset, '\0');
    bool complete = true;
    for (const FlightListElement& slot : listed) {
        const off_t offset = Raw::kHeaderSize + off_t(slot.slot) * Raw::kRecordSize;
        if (::pread(descriptor, steadyState.data(), steadyState.size(), offset) !=
            steadyState.size()) {
            complete = false;
            break;
        }
        const FlightRecord record(steadyState);
        ReadFile::Slot read{
            slot.slot, slot.flightNumber, valueOf(slot.memoryType), steadyStateStatus(record), {}};
        if (inputs_.indicators)
            read.indicators = inputs_.indicators(record, geometry);
        file.flightSlots.append(read);
    }
    struct stat after;
    // A file that changed while it was read is read again by the next update.
    complete = complete && ::fstat(descriptor, &after) == 0 && after.st_size == status->size &&
               qint64(after.st_mtim.tv_sec) * 1000000000 + after.st_mtim.tv_nsec ==
                   status->modifiedNanoseconds;
    ::close(descriptor);
    if (!complete)
        return std::nullopt;
    return file;
}

bool FlightIndex::write(const QList<ReadFile>& files, const QStringList& vanished) {
    if (files.isEmpty() && vanished.isEmpty())
        return true;
    QSqlDatabase db = database();
    // One writer at a time: the write lock is taken at the start, or not at all once the busy
    // time-out has passed.
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    // The flights whose newest download may change: those of the files removed or added.
    using FlightKey = std::tuple<QString, int, int, int>;
    std::set<FlightKey> touched;
    QSqlQuery removedFlights(db);
    removedFlights.prepare(
        QStringLiteral("SELECT f.aircraft, f.engine, f.flight_number, f.memory FROM raw_file r "
                       "JOIN flight f ON f.file = r.id WHERE r.path = ?"));
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM raw_file WHERE path = ?"));
    QSqlQuery addFile(db);
    addFile.prepare(QStringLiteral(
        "INSERT INTO raw_file(path, name, size, modified, aircraft, engine, creation_time, "
        "bearing) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery addFlight(db);
    addFlight.prepare(QStringLiteral(
        "INSERT INTO flight(file, slot, aircraft, engine, flight_number, memory, creation_time, "
        "suspect, rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, bpfi, bsf, ftf) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    bool written = true;
    const auto removeFile = [&](const QString& path) {
        removedFlights.addBindValue(path);
        written = written && removedFlights.exec();
        while (written && removedFlights.next())
            touched.emplace(removedFlights.value(0).toString(), removedFlights.value(1).toInt(),
                            removedFlights.value(2).toInt(), removedFlights.value(3).toInt());
        remove.addBindValue(path);
        written = written && remove.exec();
    };
    for (const QString& path : vanished)
        removeFile(path);
    for (const ReadFile& file : files) {
        removeFile(file.relativePath);
        for (const QVariant& value :
             {QVariant(file.relativePath), QVariant(file.name), QVariant(file.status.size),
              QVariant(file.status.modifiedNanoseconds), QVariant(file.aircraftId),
              QVariant(file.engineNumber), QVariant(qint64(file.creationTime)),
              QVariant(file.bearing)})
            addFile.addBindValue(value);
        written = written && addFile.exec();
        const QVariant fileId = addFile.lastInsertId();
        for (const ReadFile::Slot& slot : file.flightSlots) {
            for (const QVariant& value :
                 {fileId, QVariant(slot.slot), QVariant(file.aircraftId),
                  QVariant(file.engineNumber), QVariant(slot.flightNumber), QVariant(slot.memory),
                  QVariant(qint64(file.creationTime)),
                  QVariant(slot.status == DataStatus::Suspect ? 1 : 0)})
                addFlight.addBindValue(value);
            for (const std::optional<double>& indicator : slot.indicators.values)
                addFlight.addBindValue(sqlValue(indicator));
            written = written && addFlight.exec();
            touched.emplace(file.aircraftId, file.engineNumber, slot.flightNumber, slot.memory);
        }
    }
    // Of each touched flight, the newest download: the later creation time, then the later
    // file name, of one file the first slot.
    QSqlQuery clearNewest(db);
    clearNewest.prepare(QStringLiteral(
        "UPDATE flight SET newest = 0 WHERE aircraft IS ? AND engine = ? AND flight_number = ? "
        "AND memory = ? AND newest = 1"));
    QSqlQuery setNewest(db);
    setNewest.prepare(QStringLiteral(
        "UPDATE flight SET newest = 1 WHERE (file, slot) = (SELECT f.file, f.slot FROM flight f "
        "JOIN raw_file r ON r.id = f.file WHERE f.aircraft IS ? AND f.engine = ? AND "
        "f.flight_number = ? AND f.memory = ? "
        "ORDER BY f.creation_time DESC, r.name DESC, f.slot LIMIT 1)"));
    std::set<std::pair<QString, int>> touchedEngines;
    for (const auto& [aircraft, engine, flightNumber, memory] : touched) {
        for (QSqlQuery* statement : {&clearNewest, &setNewest}) {
            statement->addBindValue(aircraft);
            statement->addBindValue(engine);
            statement->addBindValue(flightNumber);
            statement->addBindValue(memory);
            written = written && statement->exec();
        }
        if (!aircraft.isNull())
            touchedEngines.emplace(aircraft, engine);
    }
    QSqlQuery dropEngine(db);
    dropEngine.prepare(
        QStringLiteral("DELETE FROM engine_summary WHERE aircraft = ? AND engine = ?"));
    QSqlQuery countEngine(db);
    countEngine.prepare(kCountEngines.arg(kOneEngine));
    QSqlQuery latestOfEngine(db);
    latestOfEngine.prepare(kLatestOfEngines.arg(kOneEngine));
    for (const auto& [aircraft, engine] : touchedEngines) {
        for (QSqlQuery* statement : {&dropEngine, &countEngine, &latestOfEngine}) {
            statement->addBindValue(aircraft);
            statement->addBindValue(engine);
            written = written && statement->exec();
        }
    }
    if (!written) {
        qCWarning(lcHealth) << "cannot write the index:" << addFlight.lastError().text()
                            << addFile.lastError().text() << remove.lastError().text()
                            << setNewest.lastError().text() << countEngine.lastError().text()
                            << latestOfEngine.lastError().text();
        run(db, QStringLiteral("ROLLBACK"));
        return false;
    }
    return run(db, QStringLiteral("COMMIT")) || (run(db, QStringLiteral("ROLLBACK")), false);
}

IndexUpdate FlightIndex::update() {
    IndexUpdate result;
    bearings_.clear();
    std::map<QString, StoredFile> stored;
    {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.exec(
            QStringLiteral("SELECT path, size, modified, bearing, aircraft, engine FROM raw_file"));
        while (query.next())
            stored[query.value(0).toString()] = {
                query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toString(),
                query.value(4).toString(), query.value(5).toInt()};
    }
    const QDir data(dataDirectory_);
    const QString dataPrefix = dataDirectory_ + QLatin1Char('/');
    QList<ReadFile> batch;
    QStringList vanished;
    QElapsedTimer batchTime;
    batchTime.start();
    const auto flush = [&] {
        if (write(batch, vanished)) {
            result.read += int(batch.size());
            result.dropped += int(vanished.size());
        } else {
            result.unwritten += int(batch.size());
        }
        batch.clear();
        vanished.clear();
        batchTime.restart();
    };
    for (const QString& path : rawFilePaths(dataDirectory_)) {
        // rawFilePaths lists them below the absolute data directory.
        const QString relativePath =
            path.startsWith(dataPrefix) ? path.mid(dataPrefix.size()) : data.relativeFilePath(path);
        const auto known = stored.find(relativePath);
        if (known != stored.end()) {
            const StoredFile file = known->second;
            stored.erase(known);
            struct stat status;
            if (::stat(QFile::encodeName(path).constData(), &status) == 0 &&
                status.st_size == file.size &&
                qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec ==
                    file.modified &&
                bearingFingerprint(file.aircraftId, file.engineNumber) == file.bearing) {
                ++result.unchanged;
                continue;
            }
        }
        if (std::optional<ReadFile> read = readRawFile(relativePath))
            batch.append(std::move(*read));
        else
            vanished.append(relativePath); // no longer a readable raw file
        if (batchTime.elapsed() >= kBatchMilliseconds)
            flush();
    }
    for (const auto& [path, file] : stored)
        vanished.append(path);
    flush();
    qCDebug(lcHealth) << "index updated:" << result.read << "read," << result.unchanged
                      << "unchanged," << result.dropped << "dropped," << result.unwritten
                      << "left for later";
    return result;
}

bool FlightIndex::addRawFile(const QString& path) {
    const QString relativePath = QDir(dataDirectory_).relativeFilePath(path);
    // Only what the scan of the data directory finds belongs in the index.
    if (!isListedRawFilePath(relativePath))
        return false;
    bearings_.clear();
    const std::optional<ReadFile> read = readRawFile(relativePath);
    return read && write({*read}, {});
}

QList<IndexedFlight> FlightIndex::flights(const QString& aircraftId, int engineNumber,
                                          std::optional<MemoryType> memoryType,
                                          std::optional<quint32> since) const {
    return query(aircraftId, engineNumber, memoryType, since, std::nullopt);
}

QList<IndexedFlight> FlightIndex::indicatorTrend(const QString& aircraftId, int engineNumber,
                                                 std::optional<MemoryType> memoryType,
                                                 Indicator indicator) const {
    return query(aircraftId, engineNumber, memoryType, std::nullopt, indicator);
}

namespace {

// One flight from the columns flight_number, memory, creation_time, suspect and then either
// the ten indicators or only `indicator`.
IndexedFlight flightFromRow(const QSqlQuery& query, std::optional<Indicator> indicator) {
    IndexedFlight flight;
    flight.flightNumber = query.value(0).toInt();
    flight.memoryType = static_cast<MemoryType>(query.value(1).toInt());
    flight.creationTime = quint32(query.value(2).toLongLong());
    flight.status = query.value(3).toInt() ? DataStatus::Suspect : DataStatus::Ok;
    const int first = indicator ? valueOf(*indicator) : 0;
    const int count = indicator ? 1 : kIndicatorCount;
    for (int column = 0; column < count; ++column) {
        const QVariant value = query.value(4 + column);
        if (!value.isNull())
            flight.indicators.values[std::size_t(first + column)] = value.toDouble();
    }
    return flight;
}

const QString kAllIndicatorColumns =
    QStringLiteral("rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, bpfi, bsf, ftf");

} // namespace

QList<EngineFlightSummary> FlightIndex::engineSummaries(const QList<SummaryRequest>& engines,
                                                        int window) const {
    // Each statement is prepared once for the whole fleet.
    QSqlQuery summaryOf(database());
    QSqlQuery recent(database());
    summaryOf.setForwardOnly(true);
    recent.setForwardOnly(true);
    const bool prepared =
        summaryOf.prepare(QStringLiteral("SELECT flights, suspect, newest, latest_flight, "
                                         "latest_memory FROM engine_summary WHERE aircraft = ? "
                                         "AND engine = ?")) &&
        recent.prepare(QStringLiteral("SELECT flight_number, memory, creation_time, suspect, ") +
                       kAllIndicatorColumns +
                       QStringLiteral(" FROM flight INDEXED BY flight_newest WHERE aircraft = ? "
                                      "AND engine = ? AND newest = 1 AND memory = ? AND "
                                      "flight_number <= ? ORDER BY flight_number DESC"));
    QList<EngineFlightSummary> summaries(engines.size());
    if (!prepared) {
        qCWarning(lcHealth) << "cannot read the index:" << summaryOf.lastError().text()
                            << recent.lastError().text();
        return summaries;
    }
    const auto run = [](QSqlQuery& query, const SummaryRequest& engine,
                        std::initializer_list<QVariant> more) {
        query.bindValue(0, engine.aircraftId);
        query.bindValue(1, engine.engineNumber);
        int position = 2;
        for (const QVariant& value : more)
            query.bindValue(position++, value);
        if (query.exec())
            return true;
        qCWarning(lcHealth) << "cannot read the index:" << query.lastError().text();
        return false;
    };
    for (qsizetype i = 0; i < engines.size(); ++i) {
        const SummaryRequest& engine = engines[i];
        EngineFlightSummary& summary = summaries[i];
        if (!run(summaryOf, engine, {}) || !summaryOf.next())
            continue;
        summary.flights = summaryOf.value(0).toInt();
        summary.suspect = summaryOf.value(1).toInt();
        summary.newest = quint32(summaryOf.value(2).toLongLong());
        const QVariant latestFlight = summaryOf.value(3);
        const QVariant latestMemory = summaryOf.value(4);
        summaryOf.finish();
        if (latestFlight.isNull() || !run(recent, engine, {latestMemory, latestFlight}))
            continue;
        std::map<Indicator, int> values;
        const auto enough = [&] {
            return std::all_of(engine.indicators.cbegin(), engine.indicators.cend(),
                               [&](Indicator indicator) { return values[indicator] >= window; });
        };
        while (!enough() && recent.next()) {
            summary.recent.prepend(flightFromRow(recent, std::nullopt));
            for (const Indicator indicator : engine.indicators)
                values[indicator] += summary.recent.constFirst().indicators[indicator] ? 1 : 0;
        }
        recent.finish();
    }
    return summaries;
}

QList<IndexedFlight> FlightIndex::query(const QString& aircraftId, int engineNumber,
                                        std::optional<MemoryType> memoryType,
                                        std::optional<quint32> since,
                                        std::optional<Indicator> indicator) const {
    const QString columns = indicator ? indicatorName(valueOf(*indicator)) : kAllIndicatorColumns;
    const QString statement =
        QStringLiteral("SELECT flight_number, memory, creation_time, suspect, %1 FROM flight "
                       "INDEXED BY flight_newest "
                       "WHERE aircraft = :aircraft AND engine = :engine AND newest = 1 "
                       "AND memory IN (0, 1) %2 %3 ORDER BY flight_number, memory")
            .arg(columns, memoryType ? QStringLiteral("AND memory = :memory") : QString(),
                 since ? QStringLiteral("AND creation_time >= :since") : QString());
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(statement);
    query.bindValue(QStringLiteral(":aircraft"), aircraftId);
    query.bindValue(QStringLiteral(":engine"), engineNumber);
    if (memoryType)
        query.bindValue(QStringLiteral(":memory"), valueOf(*memoryType));
    if (since)
        query.bindValue(QStringLiteral(":since"), qint64(*since));
    QList<IndexedFlight> found;
    if (!query.exec()) {
        qCWarning(lcHealth) << "cannot read the index:" << query.lastError().text();
        return found;
    }
    while (query.next())
        found.append(flightFromRow(query, indicator));
    return found;
}
