#pragma once

#include "EngineHealth.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class FlightIndex;
class Notifier;

// The CSV header of brix-cli fleet; the JSON objects have the same keys.
inline const QString kFleetCsvHeader =
    QStringLiteral("aircraft,engine,type,serial,last_download,flights,suspect,state,indicator,"
                   "value,limit,flights_to_alarm");
// The last download as the fleet shows it (local time).
inline const QString kFleetDateFormat = QStringLiteral("yyyy-MM-dd HH:mm");

// One engine of the fleet.
struct FleetRow {
    QString aircraftId;
    int engineNumber = 1;
    // Empty when the register does not know the aircraft (another station's folder).
    QString engineType;
    QString serialNumber;
    // The newest download's creation time; none when nothing is stored.
    std::optional<QDateTime> lastDownload;
    int flights = 0;
    int suspect = 0;
    EngineHealth health;
};

// The rows of every registered aircraft and engine, from the index of this station's data
// directory; worst first.
QList<FleetRow> registerFleet(const FlightIndex& index);

// The rows of every aircraft folder ("<id>_data") found in `dataDirectory`, both engines each,
// with type, serial number and limits from this station's register where it knows the
// aircraft and empty otherwise; worst first.
QList<FleetRow> folderFleet(const QString& dataDirectory, const FlightIndex& index);

// The aircraft that have a folder in the data directory, sorted.
QStringList aircraftFolders(const QString& dataDirectory);

// The row of one engine; type and serial number as given.
FleetRow fleetRow(const FlightIndex& index, const QString& aircraftId, int engineNumber,
                  const QString& engineType, const QString& serialNumber);

// Worst first: by state (Alarm, Warning, Normal, No readings, No limits), then the driving
// value / limit highest first, then aircraft and engine.
void sortWorstFirst(QList<FleetRow>& rows);
// True when `a` goes before `b` in that order.
bool worseFleetRow(const FleetRow& a, const FleetRow& b);

// The cells of a row in the order of kFleetCsvHeader: numbers as "%.6g", empty cells for what
// is not there.
QStringList fleetCells(const FleetRow& row);
// The rows as CSV (header first) and as a JSON array of objects with the header's keys.
QString fleetCsv(const QList<FleetRow>& rows);
QByteArray fleetJson(const QList<FleetRow>& rows);

// The index of another station's data directory, never written there: kept in the user's
// cache folder (one per data directory), or in memory (kIndexInMemory) when there is none or
// it cannot be used.
QString foreignIndexFolder(const QString& dataDirectory);
std::unique_ptr<FlightIndex> openForeignIndex(const QString& dataDirectory, Notifier& notifier);
