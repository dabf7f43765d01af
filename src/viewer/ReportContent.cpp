#include "ReportContent.h"

#include "AircraftPaths.h"
#include "DownloadFileNames.h"
#include "FixedText.h"
#include "FlightSelection.h"
#include "KORALib.h"
#include "PartNumberLines.h"
#include "Trend.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

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

ReportEngine collectEngine(const QString& dataDirectory, const ReportRequest& request,
                           const AircraftRecord& record, int engine) {
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
    for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine)
        if (!request.engineNumber || *request.engineNumber == engine)
            content.engines.append(collectEngine(dataDirectory, request, record, engine));
    return content;
}
