#include "PlotCommand.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ChartExport.h"
#include "CommandLine.h"
#include "Decibels.h"
#include "FlightDataElement.h"
#include "Notifier.h"
#include "Trend.h"
#include "TrendCommand.h"
#include "ViewArguments.h"

#include <QDir>
#include <QTextStream>

namespace {

const QString kPlotUsageText = QStringLiteral(
    "usage: brix-cli plot --view steady|transient --param N [--bin B] [--sample S]\n"
    "                     [--flight F] [--window W] FILE:SLOT... --out FILE [--size WxH]\n"
    "       brix-cli plot --view trend --param N|INDICATOR --aircraft ID --engine N\n"
    "                     [--stat max|mean] [--memory 0|1] --out FILE [--size WxH]\n"
    "  the viewer's chart drawn into FILE: .png, .svg or .pdf\n"
    "  --size WxH   the chart's size in pixels (default 1366x768)\n"
    "  the other options as for brix-cli series, and for the trend as for brix-cli trend");
const QString kPlotRequiredText = QStringLiteral("--view, --param and --out are required");
const QString kBadSizeText =
    QStringLiteral("--size takes WIDTHxHEIGHT, 16 to 10000 each, not \"%1\"");
const QString kBadOutText =
    QStringLiteral("--out takes a file ending in .png, .svg or .pdf, not \"%1\"");
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

} // namespace

int runPlotCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    PlotWords words;
    if (const std::optional<QString> error = takePlotWords(arguments, words))
        return reportUsageError(notifier, *error, kPlotUsageText);
    PlotView view;
    PlotSelection selection;
    if (words.trend) {
        TrendRequest request;
        if (const std::optional<QString> error = parseTrendRequest(words.viewArguments, request))
            return reportUsageError(notifier, *error, kPlotUsageText);
        const TrendResult trend = engineTrend(dataDirectory(), request, notifier);
        if (const QString skipped = trendSkippedNote(trend); !skipped.isEmpty())
            notifier.warning(kWarningTitle, skipped);
        selection.parameterType = request.parameterType;
        // The alert levels belong to the parameter types.
        view = buildTrendView(trend, request,
                              request.indicator ? std::nullopt
                                                : readTrendAlertLevel(request.parameterType));
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
