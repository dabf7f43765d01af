#include "FleetHealth.h"

#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "FixedText.h"
#include "FlightIndex.h"
#include "FlightIndicators.h"
#include "KORALib.h"
#include "RawFileSlots.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>
#include <map>

namespace {

const QString kForeignIndexFolder = QStringLiteral("fleet-index");

// What one registered aircraft contributes: its engines' types and serial numbers.
struct KnownEngine {
    QString type;
    QString serial;
};

KnownEngine knownEngine(const AircraftRecord& record, int engineNumber) {
    const EngineRecord& engine = record.engines[engineNumber - 1];
    return {readFixedText(engine.engineType), readFixedText(engine.serialNumber)};
}

// The limits of each engine type, read from the store once per type.
class LimitsByType {
public:
    const EngineTypeLimits& of(const QString& engineType) {
        auto found = limits_.find(engineType);
        if (found == limits_.end())
            found = limits_.emplace(engineType, readEngineTypeLimits(engineType)).first;
        return found->second;
    }

private:
    std::map<QString, EngineTypeLimits> limits_;
};

// The engines of the fleet, each with its type's limits, until their rows are made.
struct FleetEngine {
    QString aircraftId;
    int engineNumber = 1;
    KnownEngine known;
    const EngineTypeLimits* limits = nullptr;
};

// The rows of `engines`, in their order. Only the flights that the verdicts read are read,
// not all of them: a fleet has hundreds of thousands.
QList<FleetRow> makeRows(const FlightIndex& index, const QList<FleetEngine>& engines) {
    QList<FlightIndex::SummaryRequest> requests;
    for (const FleetEngine& engine : engines) {
        FlightIndex::SummaryRequest& request =
            requests.emplace_back(engine.aircraftId, engine.engineNumber);
        for (const auto& [indicator, limits] : *engine.limits)
            request.indicators.append(indicator);
    }
    const QList<EngineFlightSummary> summaries =
        index.engineSummaries(requests, kFlightsToAlarmWindow);
    QList<FleetRow> rows;
    rows.reserve(engines.size());
    for (qsizetype i = 0; i < engines.size(); ++i) {
        const FleetEngine& engine = engines[i];
        const EngineFlightSummary& summary = summaries[i];
        rows.append({.aircraftId = engine.aircraftId,
                     .engineNumber = engine.engineNumber,
                     .engineType = engine.known.type,
                     .serialNumber = engine.known.serial,
                     .lastDownload = summary.newest ? std::optional(QDateTime::fromSecsSinceEpoch(
                                                          *summary.newest))
                                                    : std::nullopt,
                     .flights = summary.flights,
                     .suspect = summary.suspect,
                     .health = evaluateEngineHealth(summary.recent, *engine.limits)});
    }
    return rows;
}

QString optionalNumber(const std::optional<double>& value) {
    return value ? healthNumberText(*value) : QString();
}

// A cell of the CSV: quoted when it holds a separator, a quote or a line break.
QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QList<FleetRow> registerFleet(const FlightIndex& index) {
    LimitsByType limits;
    QList<FleetEngine> engines;
    for (const QString& aircraftId : KORALibListAircraft().items) {
        const AircraftRecord record = KORALibReadAircraft(aircraftId);
        for (int engineNumber = 1; engineNumber <= AircraftRecord::kEngineCount; ++engineNumber) {
            const KnownEngine engine = knownEngine(record, engineNumber);
            engines.append({aircraftId, engineNumber, engine, &limits.of(engine.type)});
        }
    }
    QList<FleetRow> rows = makeRows(index, engines);
    sortWorstFirst(rows);
    return rows;
}

QStringList aircraftFolders(const QString& dataDirectory) {
    QStringList ids;
    const QStringList names =
        QDir(dataDirectory).entryList({QLatin1Char('*') + kAircraftDataSuffix}, QDir::Dirs);
    for (const QString& name : names) {
        const QString id = name.chopped(kAircraftDataSuffix.size());
        if (!id.isEmpty())
            ids.append(id);
    }
    ids.sort();
    return ids;
}

QList<FleetRow> folderFleet(const QString& dataDirectory, const FlightIndex& index) {
    const QStringList registered = KORALibListAircraft().items;
    LimitsByType limits;
    QList<FleetEngine> engines;
    for (const QString& aircraftId : aircraftFolders(dataDirectory)) {
        // Only an aircraft this station knows by exactly that identifier lends its record.
        const std::optional<AircraftRecord> record =
            registered.contains(aircraftId) ? std::optional(KORALibReadAircraft(aircraftId))
                                            : std::nullopt;
        for (int engineNumber = 1; engineNumber <= AircraftRecord::kEngineCount; ++engineNumber) {
            const KnownEngine engine = record ? knownEngine(*record, engineNumber) : KnownEngine{};
            engines.append({aircraftId, engineNumber, engine, &limits.of(engine.type)});
        }
    }
    QList<FleetRow> rows = makeRows(index, engines);
    sortWorstFirst(rows);
    return rows;
}

FleetRow fleetRow(const FlightIndex& index, const QString& aircraftId, int engineNumber,
                  const QString& engineType, const QString& serialNumber) {
    const EngineTypeLimits limits = readEngineTypeLimits(engineType);
    return makeRows(index, {{aircraftId, engineNumber, {engineType, serialNumber}, &limits}})
        .constFirst();
}

bool worseFleetRow(const FleetRow& a, const FleetRow& b) {
    if (a.health.state != b.health.state)
        return valueOf(a.health.state) > valueOf(b.health.state);
    const double ratioA = a.health.drivingRatio();
    const double ratioB = b.health.drivingRatio();
    if (ratioA != ratioB)
        return ratioA > ratioB;
    if (a.aircraftId != b.aircraftId)
        return a.aircraftId < b.aircraftId;
    return a.engineNumber < b.engineNumber;
}

void sortWorstFirst(QList<FleetRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), worseFleetRow);
}

QStringList fleetCells(const FleetRow& row) {
    const EngineHealth& health = row.health;
    return {row.aircraftId,
            QString::number(row.engineNumber),
            row.engineType,
            row.serialNumber,
            row.lastDownload ? row.lastDownload->toString(kFleetDateFormat) : QString(),
            QString::number(row.flights),
            QString::number(row.suspect),
            healthStateWord(health.state),
            health.driving ? indicatorName(valueOf(*health.driving)) : QString(),
            optionalNumber(health.value),
            optionalNumber(health.limit),
            health.flightsToAlarm ? QString::number(*health.flightsToAlarm) : QString()};
}

QString fleetCsv(const QList<FleetRow>& rows) {
    QString csv = kFleetCsvHeader + QLatin1Char('\n');
    for (const FleetRow& row : rows) {
        QStringList cells = fleetCells(row);
        for (QString& cell : cells)
            cell = csvCell(cell);
        csv += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return csv;
}

QByteArray fleetJson(const QList<FleetRow>& rows) {
    const QStringList keys = kFleetCsvHeader.split(QLatin1Char(','));
    // The counts and numbers are JSON numbers (the numbers rounded as the CSV rounds them),
    // what is not there is null.
    const QStringList numberKeys = {QStringLiteral("engine"),  QStringLiteral("flights"),
                                    QStringLiteral("suspect"), QStringLiteral("value"),
                                    QStringLiteral("limit"),   QStringLiteral("flights_to_alarm")};
    QJsonArray array;
    for (const FleetRow& row : rows) {
        const QStringList cells = fleetCells(row);
        QJsonObject object;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (!numberKeys.contains(keys[i]))
                object.insert(keys[i], cells[i]);
            else if (cells[i].isEmpty())
                object.insert(keys[i], QJsonValue::Null);
            else
                object.insert(keys[i], cells[i].toDouble());
        }
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString foreignIndexFolder(const QString& dataDirectory) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    // Without a cache folder of the user's, nothing is written anywhere.
    if (cache.isEmpty())
        return kIndexInMemory;
    const QString canonical = QFileInfo(dataDirectory).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir(dataDirectory).absolutePath() : canonical;
    const QByteArray key =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    return cache + QLatin1Char('/') + kForeignIndexFolder + QLatin1Char('/') +
           QString::fromLatin1(key);
}

std::unique_ptr<FlightIndex> openForeignIndex(const QString& dataDirectory, Notifier& notifier) {
    return std::make_unique<FlightIndex>(dataDirectory, registerIndexInputs(), notifier,
                                         FlightIndex::Opening::UpToDate,
                                         foreignIndexFolder(dataDirectory));
}
