#pragma once

#include "ConditionIndicators.h"
#include "FlightRecord.h"
#include "PlotSeries.h"
#include "ViewerTypes.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class Notifier;
struct IndexedFlight;

// The engine trend: one value per stored flight of one engine, over every raw flight data
// file of its engine directory, read without the time records: per file its header and, per
// occupied slot, the 1352 bytes of steady-state parameter rows (positioned reads).
//
// Parameters: the 13 steady-state parameter rows (types 0 to 12). Every steady-state bin holds
// all thirteen values (the averages 0 to 5 are averages over the bin's own samples, 6 to 12
// its values), so each of them has one value per bin and a statistic over the 26 bins. The
// time history, FFT and waterfall (13 to 15) are records, not values, and have no trend.
//
// A flight is its flight number and memory type: when several files hold it (the unit's
// memory was not erased between downloads) the one from the newest file counts, newest by
// the header's creation time, then by the later file name. Slots of a memory other than
// pre-defect or post-defect are left out, as the flight selection never lists them.

enum class TrendStatistic { Maximum, Mean };

inline constexpr int kFirstTrendParameter = valueOf(ParameterType::A4RAverage);
inline constexpr int kLastTrendParameter = valueOf(ParameterType::CDN);
bool isTrendParameter(int parameterType);

struct TrendRequest {
    QString aircraftId;
    int engineNumber = 1;
    ParameterType parameterType = ParameterType::A4R;
    TrendStatistic statistic = TrendStatistic::Maximum;
    std::optional<MemoryType> memoryType; // nothing: both memories
    // A condition indicator in place of the parameter type: its flight values, kept in the
    // index of the data directory (the statistic does not apply).
    std::optional<Indicator> indicator = std::nullopt;
};

struct TrendPoint {
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    quint32 creationTime = 0; // the download: the file header's creation time (UTC seconds)
    double value = 0;
    // The steady-state status (negative or non-finite A4R); also Suspect when the trended
    // row holds a non-finite value, which the statistic leaves out.
    DataStatus status = DataStatus::Ok;
    QString filePath;
    int slot = -1;
};

// Why files were left out of a trend; counts of files.
struct TrendSkips {
    int truncated = 0;   // ends before its 20th flight record
    int notRawFile = 0;  // shorter than its magic, or another first word
    int changed = 0;     // its size or time changed while it was read, or a read came short
    int otherEngine = 0; // its header names another aircraft or engine
    int unreadable = 0;  // cannot be opened or read, or is no regular file
    int total() const { return truncated + notRawFile + changed + otherEngine + unreadable; }
};

struct TrendResult {
    QList<TrendPoint> points; // by flight number, then memory type (pre-defect first)
    TrendSkips skipped;
    int filesRead = 0;
    // Flights left out because their row holds no finite value to take a statistic of.
    int flightsWithoutValue = 0;
};

// What happened to one file.
enum class TrendFileProblem { None, Unreadable, NotRawFile, Truncated, Changed, OtherEngine };

struct TrendSlot {
    int slot = -1;
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    std::optional<double> value; // nothing when the row holds no finite value
    DataStatus status = DataStatus::Ok;
};

struct TrendFile {
    TrendFileProblem problem = TrendFileProblem::None;
    QString aircraftId;
    qint32 engineNumber = 0;
    quint32 creationTime = 0;
    QList<TrendSlot> flightSlots; // the occupied slots of memory 0 or 1, in slot order
};

// Reads `length` bytes at `offset` into `buffer`; the number of bytes read, -1 on an error.
using PositionedRead = std::function<qint64(qint64 offset, char* buffer, qint64 length)>;

// The trend values of one raw file of `fileSize` bytes, read through `read`: the header,
// then per occupied slot its steady-state rows. A read that comes short marks the file
// Changed; its slots are then dropped. Never reads anything else.
TrendFile readTrendFile(qint64 fileSize, const PositionedRead& read, ParameterType parameterType,
                        TrendStatistic statistic);
// The same for the file at `path`, through one descriptor; Changed as well when the file's
// size or modification time differs after reading from before.
TrendFile readTrendFile(const QString& path, ParameterType parameterType, TrendStatistic statistic);
// The same over bytes in memory.
TrendFile readTrendBytes(QByteArrayView bytes, ParameterType parameterType,
                         TrendStatistic statistic);

// The statistic over the finite values of a steady-state row; nothing when none is finite.
std::optional<double> rowStatistic(const double* row, int count, TrendStatistic statistic);

// The trend of request.aircraftId's engine over every "*.raw" file of its engine directory
// below `dataDirectory`. The parameter type must be a trend parameter (else nothing is read).
TrendResult computeTrend(const QString& dataDirectory, const TrendRequest& request);

// The trend that `request` asks for: of a parameter type computeTrend's; of an indicator, the
// flight values that the index of `dataDirectory` holds (brought up to date first, reporting
// through `notifier`), each flight once from its newest download, a flight whose value is
// empty counted among the flights without a value.
TrendResult engineTrend(const QString& dataDirectory, const TrendRequest& request,
                        Notifier& notifier);
// The trend of one indicator from flights read out of the index.
TrendResult indicatorTrend(const QList<IndexedFlight>& flights, Indicator indicator);

// The download date of a point, local time: "yyyy-MM-dd hh:mm".
QString trendDateText(quint32 creationTime);
inline const QString kTrendDateFormat = QStringLiteral("yyyy-MM-dd hh:mm");

// The note of the files left out, for the tabulation and brix-cli: "3 files skipped: 2
// truncated, 1 not a raw flight data file" (reasons in the order of TrendSkips), then, when
// flights were left out, "; 2 flights without a finite value" (or that alone). Empty when nothing
// was left out.
QString trendSkippedNote(const TrendResult& result);

inline const QString kTrendFileSkippedText = QStringLiteral("1 file skipped: %1");
inline const QString kTrendFilesSkippedText = QStringLiteral("%1 files skipped: %2");
inline const QString kTrendTruncatedReason = QStringLiteral("%1 truncated");
inline const QString kTrendNotRawFileReason = QStringLiteral("%1 not a raw flight data file");
inline const QString kTrendChangedReason = QStringLiteral("%1 changed while reading");
inline const QString kTrendOtherEngineReason = QStringLiteral("%1 of another aircraft or engine");
inline const QString kTrendUnreadableReason = QStringLiteral("%1 unreadable");
inline const QString kTrendNoValueText = QStringLiteral("%1 flights without a finite value");

// The trend's chart: one series per memory type asked for (named "Pre-Defect" and
// "Post-Defect"), X = flight numbers, markers, suspect points hollow, each point's note its
// download date; X-axis title "Flight Number", Y-axis title the parameter's or the
// indicator's (indicatorAxisTitle), header lines
// "Trend: %1: Engine %2" and the memory ("Pre-Defect", "Post-Defect" or both), footer
// "Maximum over 26 bins" or "Mean over 26 bins" (an indicator's flight value is the maximum);
// the alert level as given.
PlotView buildTrendView(const TrendResult& result, const TrendRequest& request,
                        std::optional<double> alertLevel);

inline const QString kTrendHeader = QStringLiteral("Trend: %1: Engine %2");
inline const QString kBothMemoriesHeader = QStringLiteral("Pre-Defect and Post-Defect");
inline const QString kFlightNumberAxisTitle = QStringLiteral("Flight Number");
inline const QString kTrendMaximumFooter = QStringLiteral("Maximum over 26 bins");
inline const QString kTrendMeanFooter = QStringLiteral("Mean over 26 bins");

// An indicator's Y-axis title: its name, with " (G)" for those measured in G (all but crest
// and kurtosis).
QString indicatorAxisTitle(Indicator indicator);
inline const QString kGravityUnitSuffix = QStringLiteral(" (G)");

// The alert level of a parameter type, in the settings (application store) under
// "Plot2D_Alert_%1", %1 the type's number. Nothing when none is set or the stored value is
// not a finite number; writing nothing removes it.
inline const QString kTrendAlertKeyFormat = QStringLiteral("Plot2D_Alert_%1");
std::optional<double> readTrendAlertLevel(ParameterType parameterType);
void writeTrendAlertLevel(ParameterType parameterType, std::optional<double> level);

// The points whose value lies above `level`, in the trend's order.
QList<TrendPoint> flightsAboveAlert(const TrendResult& result, double level);

// The alert block of the tabulation:
//   "Alert Level: %1 (%2)"            level ("%g"), the parameter's menu text
//   "Flights above the alert level: %1"
//   one line per flight: "Flight %04d  %s  %s  %.5g  %s" (number, date, memory header,
//   value, status text)
// each line + "\n".
QString alertListText(const QList<TrendPoint>& above, ParameterType parameterType, double level);
inline const QString kAlertLevelText = QStringLiteral("Alert Level: %1 (%2)");
inline const QString kFlightsAboveAlertText = QStringLiteral("Flights above the alert level: %1");
