#include "SeriesCommand.h"

#include "CommandLine.h"
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Notifier.h"
#include "PlotSeries.h"

#include <QTextStream>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString kSeriesUsageText = QStringLiteral(
    "usage: brix-cli series --view steady|transient --param N [--bin B] [--sample S]\n"
    "                       [--flight F] [--window W] FILE:SLOT...\n"
    "  --param N    parameter type 0..15\n"
    "  --bin B      transient bin 0..3 (default 0)\n"
    "  --sample S   steady-state bin 0..25 or transient sample 0..9 (default 0)\n"
    "  --flight F   the waterfall's flight number (default: the first slot's)\n"
    "  --window W   spectrum window, 1 for Hann (default 0)\n"
    "  FILE:SLOT    up to 10 flight slots (0..19) of raw flight data files");
const QString kSeriesMissingValueText = QStringLiteral("%1 needs a value");
const QString kBadValueText = QStringLiteral("%1 takes %2, not \"%3\"");
const QString kBadSlotText = QStringLiteral("\"%1\" is not FILE:SLOT with a slot of 0 to 19");
const QString kMissingViewText = QStringLiteral("--view and --param are required");
const QString kNoSlotText = QStringLiteral("No FILE:SLOT given");
// %1 slot, %2 file.
const QString kSlotUnreadableText =
    QStringLiteral("Slot %1 of \"%2\" holds no flight that can be read");

const QString kSteadyView = QStringLiteral("steady");
const QString kTransientView = QStringLiteral("transient");
const char kNumberFormat[] = "%.9g";

struct SlotName {
    QString path;
    int slot = -1;
};

struct SeriesOptions {
    PlotSelection selection;
    bool viewGiven = false;
    bool parameterGiven = false;
    bool flightGiven = false;
    QList<SlotName> slotNames;
};

std::optional<int> integerIn(const QString& text, int minimum, int maximum) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

// The slot follows the last ':', so a path may hold colons of its own.
std::optional<SlotName> parseSlot(const QString& word) {
    const qsizetype colon = word.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    const std::optional<int> slot =
        integerIn(word.mid(colon + 1), 0, RawFlightDataFile::kSlotCount - 1);
    if (!slot)
        return std::nullopt;
    return SlotName{word.left(colon), *slot};
}

struct IntegerOption {
    const char* name;
    int minimum;
    int maximum;
    const char* range;
};

constexpr int kAnyMinimum = std::numeric_limits<int>::min();
constexpr int kAnyMaximum = std::numeric_limits<int>::max();
constexpr IntegerOption kParameterOption{"--param", 0, kParameterTypeCount - 1, "0 to 15"};
constexpr IntegerOption kBinOption{"--bin", 0, FlightRecord::kTransientBinCount - 1, "0 to 3"};
constexpr IntegerOption kFlightOption{"--flight", kAnyMinimum, kAnyMaximum, "a flight number"};
constexpr IntegerOption kWindowOption{"--window", kAnyMinimum, kAnyMaximum, "a window type"};
constexpr IntegerOption kSteadySampleOption{"--sample", 0, FlightRecord::kBinCount - 1, "0 to 25"};
constexpr IntegerOption kTransientSampleOption{"--sample", 0,
                                               FlightRecord::kTransientSampleCount - 1, "0 to 9"};

// Fills `options`; on a usage error returns its text.
std::optional<QString> parseArguments(const QStringList& arguments, SeriesOptions& options) {
    PlotSelection& selection = options.selection;
    std::optional<QString> sampleText; // its range depends on the view
    const auto readInteger = [](const IntegerOption& option, const QString& value,
                                int& target) -> std::optional<QString> {
        const std::optional<int> parsed = integerIn(value, option.minimum, option.maximum);
        if (!parsed)
            return kBadValueText.arg(QLatin1String(option.name), QLatin1String(option.range),
                                     value);
        target = *parsed;
        return std::nullopt;
    };
    QList<QCommandLineOption> definitions{{QStringLiteral("view"), {}, QStringLiteral("VIEW")}};
    for (const IntegerOption* option :
         {&kParameterOption, &kBinOption, &kFlightOption, &kWindowOption, &kSteadySampleOption})
        definitions.append({QString::fromLatin1(option->name + 2), {}, QStringLiteral("N")});
    CommandLine commandLine(definitions);
    commandLine.setMissingValueText(kSeriesMissingValueText);
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    for (const auto& [word, value] : commandLine.options()) {
        std::optional<QString> error;
        if (word == QStringLiteral("--view")) {
            if (value != kSteadyView && value != kTransientView)
                return kBadValueText.arg(word, QStringLiteral("steady or transient"), value);
            selection.plotType = value == kSteadyView ? PlotType::SteadyState : PlotType::Transient;
            options.viewGiven = true;
        } else if (word == QLatin1String(kParameterOption.name)) {
            int number = 0;
            error = readInteger(kParameterOption, value, number);
            selection.parameterType =
                parameterTypeFromValue(number).value_or(selection.parameterType);
            options.parameterGiven = true;
        } else if (word == QLatin1String(kBinOption.name)) {
            error = readInteger(kBinOption, value, selection.transientBin);
        } else if (word == QLatin1String(kFlightOption.name)) {
            error = readInteger(kFlightOption, value, selection.flightNumber);
            options.flightGiven = true;
        } else if (word == QLatin1String(kWindowOption.name)) {
            error = readInteger(kWindowOption, value, selection.windowType);
        } else if (word == QLatin1String(kSteadySampleOption.name)) {
            sampleText = value;
        }
        if (error)
            return error;
    }
    for (const QString& word : commandLine.arguments()) {
        const std::optional<SlotName> slot = parseSlot(word);
        if (!slot)
            return kBadSlotText.arg(word);
        options.slotNames.append(*slot);
    }
    if (!options.viewGiven || !options.parameterGiven)
        return kMissingViewText;
    if (sampleText) {
        const IntegerOption& sample = selection.plotType == PlotType::SteadyState
                                          ? kSteadySampleOption
                                          : kTransientSampleOption;
        if (std::optional<QString> error = readInteger(sample, *sampleText, selection.sample))
            return error;
    }
    if (options.slotNames.isEmpty())
        return kNoSlotText;
    return std::nullopt;
}

// The slot as the flight selection would load it: occupied, whole, and still the same flight.
std::optional<FlightDataElement> loadSlot(const SlotName& name) {
    const QList<FlightListElement> listed = listRawFlightDataFile(name.path);
    const auto slot = std::find_if(listed.begin(), listed.end(), [&name](const auto& element) {
        return element.slot == name.slot;
    });
    if (slot == listed.end())
        return std::nullopt;
    return loadFlightSlot(*slot);
}

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
    SeriesOptions options;
    if (const std::optional<QString> error = parseArguments(arguments, options)) {
        return reportUsageError(notifier, *error, kSeriesUsageText);
    }
    if (options.slotNames.size() > FlightSelection::kMaxLoadedFlights) {
        notifier.critical(kErrorTitle, kTooManyFlightsText.arg(FlightSelection::kMaxLoadedFlights));
        return kExitFailed;
    }
    QList<FlightDataElement> flights;
    for (const SlotName& name : options.slotNames) {
        std::optional<FlightDataElement> flight = loadSlot(name);
        if (!flight) {
            notifier.critical(kErrorTitle,
                              kSlotUnreadableText.arg(QString::number(name.slot), name.path));
            return kExitFailed;
        }
        flights.append(std::move(*flight));
    }
    if (!options.flightGiven)
        options.selection.flightNumber = flights.first().flightNumber;
    printView(buildPlotView(options.selection, flights), out);
    return kExitSuccess;
}
