#include "TrendCommand.h"

#include "ApplicationSettings.h"
#include "CommandLine.h"
#include "Notifier.h"
#include "Trend.h"

#include <QTextStream>

namespace {

const QString kTrendUsageText = QStringLiteral(
    "usage: brix-cli trend --aircraft ID --engine N --param P [--stat max|mean] [--memory 0|1]\n"
    "  one value per stored flight of the engine, as CSV: flight,date,memory,value,status\n"
    "  --aircraft ID   the aircraft (exact spelling)\n"
    "  --engine N      engine 1 or 2\n"
    "  --param P       steady-state parameter type 0..12\n"
    "  --stat S        max (default) or mean over the 26 bins\n"
    "  --memory M      only pre-defect (0) or post-defect (1) memory");
const QString kTrendRequiredText = QStringLiteral("--aircraft, --engine and --param are required");
const QString kBadTrendParameterText = QStringLiteral("--param takes 0 to 12, not \"%1\"");
const QString kBadStatisticText = QStringLiteral("--stat takes max or mean, not \"%1\"");
const QString kTrendCsvHeader = QStringLiteral("flight,date,memory,value,status");
const QString kMaximumWord = QStringLiteral("max");
const QString kMeanWord = QStringLiteral("mean");

} // namespace

std::optional<QString> parseTrendRequest(const QStringList& arguments, TrendRequest& request) {
    CommandLine commandLine({{QStringLiteral("aircraft"), {}, QStringLiteral("ID")},
                             {QStringLiteral("engine"), {}, QStringLiteral("N")},
                             {QStringLiteral("param"), {}, QStringLiteral("P")},
                             {QStringLiteral("stat"), {}, QStringLiteral("S")},
                             {QStringLiteral("memory"), {}, QStringLiteral("M")}});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    if (!commandLine.arguments().isEmpty())
        return kUnknownOptionText.arg(commandLine.arguments().first());
    bool aircraftGiven = false;
    bool engineGiven = false;
    bool parameterGiven = false;
    for (const auto& [name, value] : commandLine.options()) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (name == QStringLiteral("--aircraft")) {
            request.aircraftId = value;
            aircraftGiven = true;
        } else if (name == QStringLiteral("--engine")) {
            if (!ok || (number != 1 && number != 2))
                return kBadEngineText.arg(value);
            request.engineNumber = number;
            engineGiven = true;
        } else if (name == QStringLiteral("--param")) {
            if (!ok || !isTrendParameter(number))
                return kBadTrendParameterText.arg(value);
            request.parameterType = static_cast<ParameterType>(number);
            parameterGiven = true;
        } else if (name == QStringLiteral("--stat")) {
            if (value != kMaximumWord && value != kMeanWord)
                return kBadStatisticText.arg(value);
            request.statistic =
                value == kMaximumWord ? TrendStatistic::Maximum : TrendStatistic::Mean;
        } else {
            if (!ok || (number != 0 && number != 1))
                return kBadMemoryText.arg(value);
            request.memoryType = static_cast<MemoryType>(number);
        }
    }
    if (!aircraftGiven || !engineGiven || !parameterGiven)
        return kTrendRequiredText;
    return std::nullopt;
}

int runTrendCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    TrendRequest request;
    if (const std::optional<QString> problem = parseTrendRequest(arguments, request))
        return reportUsageError(notifier, *problem, kTrendUsageText);
    const TrendResult result = computeTrend(dataDirectory(), request);
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
