#include "SeriesCommand.h"

#include "CommandLine.h"
#include "FlightDataElement.h"
#include "ViewArguments.h"

#include <QTextStream>

namespace {

const QString kSeriesUsageText = QStringLiteral(
    "usage: brix-cli series --view steady|transient --param N [--bin B] [--sample S]\n"
    "                       [--flight F] [--window W] FILE:SLOT...\n"
    "  --param N    parameter type 0..16 (16, the envelope spectrum: steady view only)\n"
    "  --bin B      transient bin 0..3 (default 0)\n"
    "  --sample S   steady-state bin 0..25 or transient sample 0..9 (default 0)\n"
    "  --flight F   the waterfall's flight number (default: the first slot's)\n"
    "  --window W   spectrum window, 1 for Hann (default 0)\n"
    "  FILE:SLOT    up to 10 flight slots (0..19) of raw flight data files");
const QString kMissingViewText = QStringLiteral("--view and --param are required");
const char kNumberFormat[] = "%.9g";

QString number(double value) {
    return QString::asprintf(kNumberFormat, value);
}

void printView(const PlotView& view, QTextStream& out) {
    out << "# x-title: " << view.xAxisTitle << '\n';
    out << "# y-title: " << view.yAxisTitle << '\n';
    out << "# footer: " << view.footer << '\n';
    out << "# y-min: " << number(view.yAxisMinimum) << '\n';
    if (!view.seriesBuilt || view.series.isEmpty()) {
        out.flush();
        return;
    }
    QStringList hidden;
    QStringList header{QStringLiteral("x")};
    for (const PlotSeries& series : view.series) {
        header.append(series.name);
        if (!series.visible)
            hidden.append(series.name);
    }
    if (!hidden.isEmpty())
        out << "# hidden: " << hidden.join(QLatin1Char(',')) << '\n';
    out << header.join(QLatin1Char(',')) << '\n';
    // Every series of a view has the same X values.
    const QList<double>& x = view.series.first().x;
    for (qsizetype point = 0; point < x.size(); ++point) {
        out << number(x[point]);
        for (const PlotSeries& series : view.series)
            out << ',' << number(point < series.y.size() ? series.y[point] : 0.0);
        out << '\n';
    }
    out.flush();
}

} // namespace

int runSeriesCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    ViewArguments parsed;
    const ViewSyntax syntax{.requiredText = kMissingViewText};
    if (const std::optional<QString> error = parseViewArguments(arguments, syntax, parsed))
        return reportUsageError(notifier, *error, kSeriesUsageText);
    const std::optional<QList<FlightDataElement>> flights = loadViewFlights(parsed, notifier);
    if (!flights)
        return kExitFailed;
    printView(buildPlotView(parsed.selection, *flights), out);
    return kExitSuccess;
}
