#include "PlotCommand.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ChartExport.h"
#include "CommandLine.h"
#include "Decibels.h"
#include "FlightDataElement.h"
#include "Notifier.h"
#include "Trend.h"
#include "ViewArguments.h"

#include <QDir>
#include <QTextStream>

namespace {

const QString kPlotUsageText = QStringLiteral(
    "usage: brix-cli plot --view steady|transient --param N [--bin B] [--sample S]\n"
    "                     [--flight F] [--window W] FILE:SLOT... --out FILE [--size WxH]\n"
    "       brix-cli plot --view trend --param N --aircraft ID --engine N [--stat max|mean]\n"
    "                     --out FILE [--size WxH]\n"
    "  the viewer's chart drawn into FILE: .png, .svg or .pdf\n"
    "  --size WxH   the chart's size in pixels (default 1366x768)\n"
    "  --stat S     the trend's max (default) or mean over the 26 bins\n"
    "  the other options as for brix-cli series");
const QString kPlotRequiredText = QStringLiteral("--view, --param and --out are required");
const QString kTrendRequiredText =
    QStringLiteral("The trend takes --param, --aircraft and --engine, and no flight slots");
const QString kBadSizeText =
    QStringLiteral("--size takes WIDTHxHEIGHT, 16 to 10000 each, not \"%1\"");
const QString kBadOutText =
    QStringLiteral("--out takes a file ending in .png, .svg or .pdf, not \"%1\"");
const QString kBadTrendParameterText = QStringLiteral("--param takes 0 to 12, not \"%1\"");
const QString kBadStatisticText = QStringLiteral("--stat takes max or mean, not \"%1\"");
const QString kTrendView = QStringLiteral("trend");
constexpr QSize kDefaultSize(1366, 768);

// The words of plot itself, taken out of the arguments; the rest are the view's.
struct PlotWords {
    QString out;
    QSize size = kDefaultSize;
    bool trend = false;
    QStringList viewArguments;
};

std::optional<QString> takePlotWords(const QStringList& arguments, PlotWords& words) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        const bool own = word == QLatin1String("--out") || word == QLatin1String("--size");
        const bool trendView = word == QLatin1String("--view") && i + 1 < arguments.size() &&
                               arguments[i + 1] == kTrendView;
        if (!own && !trendView) {
            words.viewArguments.append(word);
            continue;
        }
        if (i + 1 >= arguments.size())
            return kMissingValueText.arg(word);
        const QString value = arguments[++i];
        if (trendView) {
            words.trend = true;
        } else if (word == QLatin1String("--out")) {
            if (!chartFormatFor(value))
                return kBadOutText.arg(value);
            words.out = value;
        } else {
            const std::optional<QSize> size = parseChartSize(value);
            if (!size)
                return kBadSizeText.arg(value);
            words.size = *size;
        }
    }
    if (words.out.isEmpty())
        return kPlotRequiredText;
    return std::nullopt;
}

std::optional<QString> parseTrend(const QStringList& arguments, TrendRequest& request) {
    CommandLine commandLine({{QStringLiteral("aircraft"), {}, QStringLiteral("ID")},
                             {QStringLiteral("engine"), {}, QStringLiteral("N")},
                             {QStringLiteral("param"), {}, QStringLiteral("P")},
                             {QStringLiteral("stat"), {}, QStringLiteral("S")}});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    int given = 0;
    for (const auto& [name, value] : commandLine.options()) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (name == QLatin1String("--aircraft")) {
            request.aircraftId = value;
            ++given;
        } else if (name == QLatin1String("--engine")) {
            if (!ok || (number != 1 && number != 2))
                return kBadEngineText.arg(value);
            request.engineNumber = number;
            ++given;
        } else if (name == QLatin1String("--param")) {
            if (!ok || !isTrendParameter(number))
                return kBadTrendParameterText.arg(value);
            request.parameterType = static_cast<ParameterType>(number);
            ++given;
        } else if (value == QLatin1String("max") || value == QLatin1String("mean")) {
            request.statistic =
                value == QLatin1String("max") ? TrendStatistic::Maximum : TrendStatistic::Mean;
        } else {
            return kBadStatisticText.arg(value);
        }
    }
    if (given != 3 || !commandLine.arguments().isEmpty())
        return kTrendRequiredText;
    return std::nullopt;
}

} // namespace

int runPlotCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    PlotWords words;
    if (const std::optional<QString> error = takePlotWords(arguments, words))
        return reportUsageError(notifier, *error, kPlotUsageText);
    PlotView view;
    PlotSelection selection;
    if (words.trend) {
        TrendRequest request;
        if (const std::optional<QString> error = parseTrend(words.viewArguments, request))
            return reportUsageError(notifier, *error, kPlotUsageText);
        const TrendResult trend = computeTrend(dataDirectory(), request);
        if (const QString skipped = trendSkippedNote(trend); !skipped.isEmpty())
            notifier.warning(kWarningTitle, skipped);
        selection.parameterType = request.parameterType;
        view = buildTrendView(trend, request, readTrendAlertLevel(request.parameterType));
    } else {
        ViewArguments parsed;
        const ViewSyntax syntax{.requiredText = kPlotRequiredText};
        if (const std::optional<QString> error =
                parseViewArguments(words.viewArguments, syntax, parsed))
            return reportUsageError(notifier, *error, kPlotUsageText);
        const std::optional<QList<FlightDataElement>> flights = loadViewFlights(parsed, notifier);
        if (!flights)
            return kExitFailed;
        selection = parsed.selection;
        view = buildPlotView(selection, *flights);
        if (BrixAircraftSettings().value(kPlotDecibelsKey, kPlotDecibelsDefault).toBool())
            view = decibelView(view, selection);
    }
    if (const std::optional<QString> failure =
            renderChart(view, selection, words.out, words.size)) {
        notifier.critical(kExportChartTitle,
                          kExportFailedText.arg(QDir::toNativeSeparators(words.out), *failure));
        return kExitFailed;
    }
    out << QDir::toNativeSeparators(words.out) << Qt::endl;
    return kExitSuccess;
}
