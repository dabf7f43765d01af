#include "TrendCommand.h"

#include "ApplicationSettings.h"
#include "CommandLine.h"
#include "EngineOptions.h"
#include "FlightIndex.h"
#include "FlightIndicators.h"
#include "HealthCommands.h"
#include "Notifier.h"
#include "Trend.h"

#include <QTextStream>

namespace {

const QString kTrendUsageText = QStringLiteral(
    "usage: brix-cli trend --aircraft ID --engine N --param P [--stat max|mean] [--memory 0|1]\n"
    "                      [--data-dir DIR]\n"
    "  one value per stored flight of the engine, as CSV: flight,date,memory,value,status\n"
    "  --aircraft ID   the aircraft (exact spelling)\n"
    "  --engine N      engine 1 or 2\n"
    "  --param P       steady-state parameter type 0..12, or a condition indicator\n"
    "                  (rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, bpfi, bsf, ftf):\n"
    "                  its flight values, from the index of the data directory\n"
    "  --stat S        max (default) or mean over the 26 bins; not with an indicator\n"
    "  --memory M      only pre-defect (0) or post-defect (1) memory\n"
    "  --data-dir DIR  another data directory, read without writing there");
const QString kTrendRequiredText = QStringLiteral("--aircraft, --engine and --param are required");
// %1 the indicators' names, %2 the word given.
const QString kBadTrendParameterText =
    QStringLiteral("--param takes 0 to 12 or an indicator (%1), not \"%2\"");
// %1 the indicator.
const QString kIndicatorStatisticText =
    QStringLiteral("--stat does not apply to the indicator %1: its value per flight is the "
                   "maximum over the flight's bins");
const QString kBadStatisticText = QStringLiteral("--stat takes max or mean, not \"%1\"");
const QString kTrendCsvHeader = QStringLiteral("flight,date,memory,value,status");
const QString kMaximumWord = QStringLiteral("max");
const QString kMeanWord = QStringLiteral("mean");

QString indicatorNameList() {
    QStringList names;
    for (int indicator = 0; indicator < kIndicatorCount; ++indicator)
        names.append(indicatorName(indicator));
    return names.join(QStringLiteral(", "));
}

} // namespace

std::optional<QString> parseTrendRequest(const QStringList& arguments, TrendRequest& request,
                                         const QList<CommandOption>& moreOptions) {
    bool statisticGiven = false;
    QList<CommandOption> ownOptions = {
        {QStringLiteral("param"), QStringLiteral("P"),
         [&request](const QString& value) -> std::optional<QString> {
             if (const std::optional<int> indicator = indicatorIndex(value)) {
                 request.indicator = static_cast<Indicator>(*indicator);
                 return std::nullopt;
             }
             bool ok = false;
             const int number = value.toInt(&ok);
             if (!ok || !isTrendParameter(number))
                 return kBadTrendParameterText.arg(indicatorNameList(), value);
             request.parameterType = static_cast<ParameterType>(number);
             request.indicator.reset();
             return std::nullopt;
         },
         true},
        {QStringLiteral("stat"), QStringLiteral("S"),
         [&](const QString& value) -> std::optional<QString> {
             if (value != kMaximumWord && value != kMeanWord)
                 return kBadStatisticText.arg(value);
             request.statistic =
                 value == kMaximumWord ? TrendStatistic::Maximum : TrendStatistic::Mean;
             statisticGiven = true;
             return std::nullopt;
         }},
    };
    ownOptions.append(moreOptions);
    EngineFlights engine;
    if (std::optional<QString> problem =
            parseEngineOptions(arguments, ownOptions, kTrendRequiredText, engine))
        return problem;
    // An indicator's flight value is already the largest over the bins: no other statistic.
    if (request.indicator && statisticGiven)
        return kIndicatorStatisticText.arg(indicatorName(valueOf(*request.indicator)));
    request.aircraftId = engine.aircraftId;
    request.engineNumber = engine.engineNumber;
    request.memoryType = engine.memoryType;
    return std::nullopt;
}

int runTrendCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    TrendRequest request;
    std::optional<QString> foreignDirectory;
    const QList<CommandOption> dataDirectoryOption = {
        {QStringLiteral("data-dir"), QStringLiteral("DIR"),
         [&foreignDirectory](const QString& value) -> std::optional<QString> {
             foreignDirectory = value;
             return std::nullopt;
         }}};
    if (const std::optional<QString> problem =
            parseTrendRequest(arguments, request, dataDirectoryOption))
        return reportUsageError(notifier, *problem, kTrendUsageText);
    TrendResult result;
    if (!foreignDirectory) {
        result = engineTrend(dataDirectory(), request, notifier);
    } else if (!request.indicator) {
        // The raw files are only read.
        if (!isDataDirectory(*foreignDirectory, notifier))
            return kExitFailed;
        result = computeTrend(*foreignDirectory, request);
    } else {
        const std::unique_ptr<FlightIndex> index = openDataDirectory(*foreignDirectory, notifier);
        if (!index)
            return kExitFailed;
        result = indicatorTrend(index->indicatorTrend(request.aircraftId, request.engineNumber,
                                                      request.memoryType, *request.indicator),
                                *request.indicator);
    }
    out << kTrendCsvHeader << '\n';
    for (const TrendPoint& point : result.points) {
        out << point.flightNumber << ',' << trendDateText(point.creationTime) << ','
            << valueOf(point.memoryType) << ',' << QString::asprintf("%.9g", point.value) << ','
            << dataStatusText(point.status) << '\n';
    }
    out.flush();
    if (const QString note = trendSkippedNote(result); !note.isEmpty())
        notifier.warning(kWarningTitle, note);
    return kExitSuccess;
}
