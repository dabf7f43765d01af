#include "OrdersCommand.h"

#include "CommandLine.h"
#include "FlightDataElement.h"
#include "ShaftOrders.h"
#include "ViewArguments.h"

#include <QTextStream>

namespace {

const QString kOrdersUsageText = QStringLiteral(
    "usage: brix-cli orders --view steady|transient [--bin B] --sample S [--window W]\n"
    "                       FILE:SLOT\n"
    "  the shaft orders 1xN1, 2xN1, 1xN2 and 2xN2 of one spectrum, one line each:\n"
    "  frequency, nearest spectral line, its frequency and amplitude; then, when the\n"
    "  flight's engine type has a bearing geometry, BPFO, BPFI, BSF and FTF alike\n"
    "  --bin B      transient bin 0..3 (default 0)\n"
    "  --sample S   steady-state bin 0..25 or transient sample 0..9\n"
    "  --window W   spectrum window, 1 for Hann (default 0)\n"
    "  FILE:SLOT    one flight slot (0..19) of a raw flight data file");
const QString kOrdersRequiredText = QStringLiteral("--view and --sample are required");
const QString kOneSlotText = QStringLiteral("orders takes one FILE:SLOT");

} // namespace

int runOrdersCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    ViewArguments parsed;
    parsed.selection.parameterType = ParameterType::Fft;
    const ViewSyntax syntax{
        .parameter = false, .sampleRequired = true, .requiredText = kOrdersRequiredText};
    if (const std::optional<QString> error = parseViewArguments(arguments, syntax, parsed))
        return reportUsageError(notifier, *error, kOrdersUsageText);
    if (parsed.slotNames.size() != 1)
        return reportUsageError(notifier, kOneSlotText, kOrdersUsageText);
    const std::optional<QList<FlightDataElement>> flights = loadViewFlights(parsed, notifier);
    if (!flights)
        return kExitFailed;
    const PlotView view = buildPlotView(parsed.selection, *flights);
    const MarkerChoice everyMarker{.shaftOrders = true, .bearing = true};
    out << shaftOrderTableText(viewShaftOrders(view, parsed.selection, *flights, 0, everyMarker),
                               view.decibels);
    out.flush();
    return kExitSuccess;
}
