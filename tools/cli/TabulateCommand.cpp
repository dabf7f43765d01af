#include "TabulateCommand.h"

#include "CommandLine.h"
#include "FlightDataElement.h"
#include "Notifier.h"
#include "Tabulation.h"
#include "ViewArguments.h"

#include <QTextStream>

namespace {

const QString kTabulateUsageText = QStringLiteral(
    "usage: brix-cli tabulate --view steady|transient --param N [--bin B] [--sample S]\n"
    "                         [--flight F] [--window W] [--series I] [--range MIN MAX]\n"
    "                         FILE:SLOT...\n"
    "  --param N        parameter type 0..14 (the waterfall: waterfall-csv)\n"
    "  --bin B          transient bin 0..3 (default 0)\n"
    "  --sample S       steady-state bin 0..25 or transient sample 0..9 (default 0)\n"
    "  --window W       spectrum window, 1 for Hann (default 0)\n"
    "  --series I       the series to list, one per slot from 0 (default 0)\n"
    "  --range MIN MAX  the X range to list (default: all points)\n"
    "  FILE:SLOT        up to 10 flight slots (0..19) of raw flight data files");
const QString kWaterfallCsvUsageText = QStringLiteral(
    "usage: brix-cli waterfall-csv --view steady|transient --flight F [--bin B] [--window W]\n"
    "                              [--range MIN MAX] FILE:SLOT...\n"
    "  --flight F       the waterfall's flight number, one of the slots' flights\n"
    "  --bin B          transient bin 0..3 (default 0)\n"
    "  --window W       spectrum window, 1 for Hann (default 0)\n"
    "  --range MIN MAX  the frequency range in Hz to export (default: all points)\n"
    "  FILE:SLOT        up to 10 flight slots (0..19) of raw flight data files");
const QString kTabulateRequiredText = QStringLiteral("--view and --param are required");
const QString kWaterfallCsvRequiredText = QStringLiteral("--view and --flight are required");
const QString kTabulateWaterfallText =
    QStringLiteral("The waterfall has no tabulation: use waterfall-csv");
const QString kNothingPlottedText = QStringLiteral("The view plots nothing for %1");

// The header lines hold the aircraft ID of a file: its control characters are shown, not
// sent to the terminal.
void escapeLine(QString& line) {
    line = escapeControlCharacters(line);
}

} // namespace

int runTabulateCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    ViewArguments parsed;
    const ViewSyntax syntax{.series = true, .range = true, .requiredText = kTabulateRequiredText};
    if (const std::optional<QString> error = parseViewArguments(arguments, syntax, parsed))
        return reportUsageError(notifier, *error, kTabulateUsageText);
    const PlotSelection& selection = parsed.selection;
    if (selection.parameterType == ParameterType::Waterfall) {
        notifier.critical(kErrorTitle, kTabulateWaterfallText);
        return kExitFailed;
    }
    const std::optional<QList<FlightDataElement>> flights = loadViewFlights(parsed, notifier);
    if (!flights)
        return kExitFailed;
    const PlotView view = buildPlotView(selection, *flights);
    if (!view.seriesBuilt) {
        notifier.critical(kErrorTitle,
                          kNothingPlottedText.arg(parameterMenuText(selection.parameterType)));
        return kExitFailed;
    }
    const XRange range = viewRange(view, parsed.range);
    Tabulation tabulation =
        buildTabulation(view, selection, parsed.series, range.minimum, range.maximum);
    for (QString* line :
         {&tabulation.tag, &tabulation.header1, &tabulation.header2, &tabulation.header3})
        escapeLine(*line);
    out << tabulationFileText(tabulation);
    out.flush();
    return kExitSuccess;
}

int runWaterfallCsvCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    ViewArguments parsed;
    parsed.selection.parameterType = ParameterType::Waterfall;
    const ViewSyntax syntax{.parameter = false,
                            .sample = false,
                            .range = true,
                            .flightRequired = true,
                            .requiredText = kWaterfallCsvRequiredText};
    if (const std::optional<QString> error = parseViewArguments(arguments, syntax, parsed))
        return reportUsageError(notifier, *error, kWaterfallCsvUsageText);
    const std::optional<QList<FlightDataElement>> flights = loadViewFlights(parsed, notifier);
    if (!flights)
        return kExitFailed;
    PlotView view = buildPlotView(parsed.selection, *flights);
    for (QString* line : {&view.headerLine1, &view.headerLine2, &view.footer})
        escapeLine(*line);
    const XRange range = viewRange(view, parsed.range);
    out << waterfallCsvText(view, parsed.selection.flightNumber, range.minimum, range.maximum);
    out.flush();
    return kExitSuccess;
}
