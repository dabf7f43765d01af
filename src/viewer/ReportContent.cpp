#include "ReportContent.h"

#include "AircraftPaths.h"
#include "DownloadFileNames.h"
#include "FixedText.h"
#include "FlightIndex.h"
#include "FlightSelection.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PartNumberLines.h"
#include "Trend.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Keeps what the flight index says for the caller of collectReport to tell.
class CollectingNotifier : public Notifier {
public:
    explicit CollectingNotifier(QStringList& texts) : texts_(texts) {}
    void critical(const QString&, const QString& text) override { texts_.append(text); }
    void warning(const QString&, const QString& text) override { texts_.append(text); }
    void information(const QString&, const QString& text) override { texts_.append(text); }
    bool question(const QString&, const QString&, DefaultAnswer answer) override {
        return answer == DefaultAnswer::Yes;
    }

private:
    QStringList& texts_;
};

bool inPeriod(quint32 creationTime, const std::optional<QDate>& since) {
    return !since || QDateTime::fromSecsSinceEpoch(creationTime).date() >= *since;
}

QList<ReportDownload> downloadsOf(const QString& directory, const std::optional<QDate>& since) {
    QList<ReportDownload> downloads;
    for (const QString& name : rawFileNames(directory)) {
        const QString path = directory + QLatin1Char('/') + name;
        const TrendFile file = readTrendFile(path, ParameterType::A4R, TrendStatistic::Maximum);
        if (file.problem != TrendFileProblem::None || !inPeriod(file.creationTime, since))
            continue;
        ReportDownload download;
        download.rawFile = name;
        download.creationTime = file.creationTime;
        download.flightCount = int(file.flightSlots.size());
        const DownloadFileNames names = downloadFileNamesFor(path);
        for (const QString& beside : {names.rawFile, names.steadyStateFile, names.transientFile})
            if (QFileInfo::exists(beside))
                download.files.append(QFileInfo(beside).fileName());
        downloads.append(download);
    }
    std::stable_sort(downloads.begin(), downloads.end(),
                     [](const ReportDownload& a, const ReportDownload& b) {
                         return a.creationTime < b.creationTime;
                     });
    return downloads;
}

// The trend of `indicator` over the engine's indexed flights of the period, drawn as the A4R
// trend is: a series per memory, suspect flights hollow; flights without a value left out.
ReportIndicatorTrend reportIndicatorTrend(const QList<IndexedFlight>& flights, TrendRequest request,
                                          Indicator indicator) {
    request.indicator = indicator;
    ReportIndicatorTrend trend;
    trend.indicator = indicator;
    trend.view = buildTrendView(indicatorTrend(flights, indicator), request, std::nullopt);
    return trend;
}

ReportEngine collectEngine(const QString& dataDirectory, const ReportRequest& request,
                           const AircraftRecord& record, int engine, const FlightIndex& index) {
    ReportEngine result;
    result.number = engine;
    const EngineRecord& fields = record.engines[engine - 1];
    result.engineType = readFixedText(fields.engineType);
    result.serialNumber = readFixedText(fields.serialNumber);
    result.installDate = readFixedText(fields.installDate);
    result.downloads =
        downloadsOf(engineDirectory(dataDirectory, request.aircraftId, engine), request.since);

    TrendRequest trendRequest;
    trendRequest.aircraftId = request.aircraftId;
    trendRequest.engineNumber = engine;
    TrendResult trend = computeTrend(dataDirectory, trendRequest);
    result.skippedNote = trendSkippedNote(trend);
    trend.points.removeIf(
        [&](const TrendPoint& point) { return !inPeriod(point.creationTime, request.since); });
    result.trend = buildTrendView(trend, trendRequest, readTrendAlertLevel(ParameterType::A4R));
    result.trendSelection.parameterType = ParameterType::A4R;

    QList<IndexedFlight> indexed = index.flights(request.aircraftId, engine, std::nullopt);
    const EngineTypeLimits limits = readEngineTypeLimits(result.engineType);
    result.health = evaluateEngineHealth(indexed, limits);
    indexed.removeIf(
        [&](const IndexedFlight& flight) { return !inPeriod(flight.creationTime, request.since); });
    for (const Indicator indicator : kReportTrendIndicators)
        result.indicatorTrends.append(reportIndicatorTrend(indexed, trendRequest, indicator));
    if (const std::optional<Indicator> driving = result.health.driving) {
        ReportIndicatorTrend trend = reportIndicatorTrend(indexed, trendRequest, *driving);
        const IndicatorLimits& drivingLimits = limits.at(*driving);
        trend.view.warningLimit = drivingLimits.warning;
        trend.view.alarmLimit = drivingLimits.alarm;
        result.drivingTrend = std::move(trend);
    }

    const TrendPoint* latest = nullptr;
    std::optional<FlightDataElement> latestFlight;
    for (const TrendPoint& point : std::as_const(trend.points)) {
        FlightListElement slot;
        slot.filePath = point.filePath;
        slot.aircraftId = request.aircraftId;
        slot.engineNumber = engine;
        slot.flightNumber = point.flightNumber;
        slot.memoryType = point.memoryType;
        slot.slot = point.slot;
        ReportFlight flight;
        flight.flightNumber = point.flightNumber;
        flight.memoryType = point.memoryType;
        flight.creationTime = point.creationTime;
        flight.a4rMaximum = point.value;
        flight.steadyState = point.status;
        std::optional<FlightDataElement> loaded = loadFlightSlot(slot);
        if (loaded) {
            flight.steadyState = steadyStateStatus(*loaded);
            flight.transient = transientStatus(*loaded);
        }
        result.flights.append(flight);
        const bool newer = latest == nullptr || point.creationTime > latest->creationTime ||
                           (point.creationTime == latest->creationTime &&
                            point.flightNumber > latest->flightNumber);
        if (loaded && newer) {
            latest = &point;
            latestFlight = std::move(loaded);
        }
    }
    if (latest != nullptr) {
        PlotSelection& selection = result.waterfallSelection;
        selection.plotType = PlotType::SteadyState;
        selection.parameterType = ParameterType::Waterfall;
        selection.flightNumber = latest->flightNumber;
        selection.flightCreationTime = latest->creationTime;
        selection.memoryType = latest->memoryType;
        result.waterfall = buildPlotView(selection, {*latestFlight});
    }
    return result;
}

} // namespace

ReportContent collectReport(const QString& dataDirectory, const ReportRequest& request) {
    ReportContent content;
    content.aircraftId = request.aircraftId;
    content.date = QDate::currentDate();
    content.since = request.since;
    const PartNumberLines partNumbers = latestPartNumberLines(dataDirectory, request.aircraftId);
    content.partNumbers = partNumbers.lines;
    for (const QString& skipped : partNumbers.skippedFiles)
        content.warnings.append(
            kReportLongLineText.arg(QDir::toNativeSeparators(skipped)).arg(kPartNumberLineLimit));
    const AircraftRecord record = KORALibReadAircraft(request.aircraftId);
    CollectingNotifier indexNotifier(content.warnings);
    const FlightIndex index(dataDirectory, registerIndexInputs(), indexNotifier);
    for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine)
        if (!request.engineNumber || *request.engineNumber == engine)
            content.engines.append(collectEngine(dataDirectory, request, record, engine, index));
    return content;
}
