#pragma once

#include "ConditionIndicators.h"
#include "EngineHealth.h"
#include "FlightRecord.h"
#include "PlotSeries.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

// The maintenance report: one PDF per aircraft for a work order. A cover (the aircraft, its
// engines with type, serial number and installation date, the unit's part numbers and the
// date), then per engine: the downloads in the period with their files and flight counts, the
// flights with their data status, the trend of A4R (maximum per flight) with the alert line
// when one is set, the trends of kurtosis and of the outer-race band (bpfo) from the flight
// index, the latest flight's steady-state waterfall, the suspect flights and the engine's
// health: its state on the limits of its type, each indicator with limits, and the trend of the
// driving indicator with its warning and alarm limits. Every
// page carries the aircraft identifier in its header and "Page n of N" in its footer.
//
// A download is one raw flight data file of the engine directory; its date is the header's
// creation time. The part numbers are those of the newest steady-state engine data file of
// the aircraft, which the conversion writes from the unit's answer to the last check.

struct ReportRequest {
    QString aircraftId;
    std::optional<int> engineNumber; // nothing: both engines
    std::optional<QDate> since;      // downloads created on or after this local date
};

struct ReportDownload {
    QString rawFile;   // file names, without directory
    QStringList files; // the raw file and the engine data files beside it that exist
    quint32 creationTime = 0;
    int flightCount = 0;
};

struct ReportFlight {
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    quint32 creationTime = 0;
    double a4rMaximum = 0;
    DataStatus steadyState = DataStatus::Ok;
    DataStatus transient = DataStatus::Ok;
    bool suspect() const {
        return steadyState == DataStatus::Suspect || transient == DataStatus::Suspect;
    }
};

// The trend of one condition indicator over the engine's flights in the period, as the flight
// index holds them (a flight kept in several downloads once, from the newest).
struct ReportIndicatorTrend {
    Indicator indicator = Indicator::Kurtosis;
    PlotView view;
    PlotSelection selection;
};

// The indicators whose trends every engine's section shows.
inline constexpr std::array<Indicator, 2> kReportTrendIndicators = {Indicator::Kurtosis,
                                                                    Indicator::Bpfo};

struct ReportEngine {
    int number = 1;
    QString engineType;
    QString serialNumber;
    QString installDate;
    QList<ReportDownload> downloads;
    QList<ReportFlight> flights; // by flight number, then memory
    QString skippedNote;         // the files and flights left out, empty when none
    PlotView trend;
    PlotSelection trendSelection;
    QList<ReportIndicatorTrend> indicatorTrends; // in the order of kReportTrendIndicators
    // Judged on every indexed flight (not only the period's): the engine's state now.
    EngineHealth health;
    // The driving indicator's trend in the period with its limits; none without one.
    std::optional<ReportIndicatorTrend> drivingTrend;
    std::optional<PlotView> waterfall; // nothing without flights
    PlotSelection waterfallSelection;
};

struct ReportContent {
    QString aircraftId;
    QDate date;
    std::optional<QDate> since;
    QStringList partNumbers; // the header lines, empty when no engine data file holds them
    QList<ReportEngine> engines;
    QStringList warnings; // what was left out while reading, for the caller to tell
};

// Reads everything the report shows from the data directory, its flight index (brought up to
// date first) and the register.
ReportContent collectReport(const QString& dataDirectory, const ReportRequest& request);

// %1 = the engine data file, %2 = the longest header line read, in bytes.
inline const QString kReportLongLineText =
    QStringLiteral("%1 is left out of the part numbers: a line of it is longer than %2 bytes");
