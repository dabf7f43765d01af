#pragma once

#include "FlightRecord.h"
#include "PlotSeries.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QCPPainter;
class QRectF;

// The maintenance report: one PDF per aircraft for a work order. A cover (the aircraft, its
// engines with type, serial number and installation date, the unit's part numbers and the
// date), then per engine: the downloads in the period with their files and flight counts, the
// flights with their data status, the trend of A4R (maximum per flight) with the alert line
// when one is set, the latest flight's steady-state waterfall and the suspect flights. Every
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

// Reads everything the report shows from the data directory and the register.
ReportContent collectReport(const QString& dataDirectory, const ReportRequest& request);

// A4, or Letter where the locale's territory uses it (the United States, Canada and the
// countries that follow them).
QPageSize reportPageSize(const QLocale& locale);

// Writes the report as PDF to `path` through a temporary file that is renamed when complete:
// a failure leaves no file behind and gives its reason in `error`.
bool writeMaintenanceReport(const ReportContent& content, const QPageSize& pageSize,
                            const QString& path, QString* error);

// The report's tables as plain text, one line per row (what the PDF shows, without charts).
QString reportText(const ReportContent& content);

inline const QString kReportTitle = QStringLiteral("Maintenance Report");
inline const QString kReportAircraftText = QStringLiteral("Aircraft: %1");
inline const QString kReportDateText = QStringLiteral("Date: %1");
inline const QString kReportPeriodText = QStringLiteral("Downloads since %1");
inline const QString kReportAllDownloadsText = QStringLiteral("All downloads");
inline const QString kReportEngineText = QStringLiteral("Engine %1: type %2, S/N %3, installed %4");
inline const QString kReportPartNumbersTitle = QStringLiteral("Unit part numbers");
inline const QString kReportNoPartNumbersText =
    QStringLiteral("No engine data file holds the unit's part numbers.");
inline const QString kReportEngineTitle = QStringLiteral("Engine %1");
inline const QString kReportDownloadsTitle = QStringLiteral("Downloads");
inline const QString kReportNoDownloadsText = QStringLiteral("No downloads in the period.");
inline const QString kReportDownloadRowText = QStringLiteral("%1  %2 flights  %3");
inline const QString kReportFlightsTitle = QStringLiteral("Flights");
inline const QString kReportFlightRowText =
    QStringLiteral("Flight %1  %2  %3  A4R max %4  steady state %5  transient %6");
inline const QString kReportTrendTitle = QStringLiteral("Trend of A4R (maximum per flight)");
inline const QString kReportWaterfallTitle =
    QStringLiteral("Steady-state waterfall of the latest flight");
inline const QString kReportSuspectTitle = QStringLiteral("Suspect flights");
// %1 = flight number, %2 = date, %3 = memory, %4 = why it is suspect.
inline const QString kReportSuspectRowText = QStringLiteral("Flight %1  %2  %3  %4");
inline const QString kReportNoSuspectText = QStringLiteral("No suspect flights.");
inline const QString kReportHeaderText = QStringLiteral("Maintenance Report: %1");
inline const QString kReportPageText = QStringLiteral("Page %1 of %2");
inline const QString kReportWriteFailedReason = QStringLiteral("%1: %2");
// %1 = the engine data file, %2 = the longest header line read, in bytes.
inline const QString kReportLongLineText =
    QStringLiteral("%1 is left out of the part numbers: a line of it is longer than %2 bytes");
