#include "ViewArguments.h"

#include "CommandLine.h"
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Notifier.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kViewMissingValueText = QStringLiteral("%1 needs a value");
const QString kBadValueText = QStringLiteral("%1 takes %2, not \"%3\"");
const QString kBadSlotText = QStringLiteral("\"%1\" is not FILE:SLOT with a slot of 0 to 19");
const QString kNoSlotText = QStringLiteral("No FILE:SLOT given");
const QString kSeriesRangeText = QStringLiteral("0 to %1");
const QString kRangeValuesText = QStringLiteral("two numbers MIN <= MAX");
// %1 the parameter type's number, %2 its menu text.
const QString kSteadyOnlyParameterText =
    QStringLiteral("--param %1 (%2) is for --view steady only");
// %1 slot, %2 file.
const QString kSlotUnreadableText =
    QStringLiteral("Slot %1 of \"%2\" holds no flight that can be read");

const QString kSteadyView = QStringLiteral("steady");
const QString kTransientView = QStringLiteral("transient");
const QString kViewOptionName = QStringLiteral("--view");

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
        integerIn(word.mid(colon + 1), 0, RawFlightDataLayout::kSlotCount - 1);
    if (!slot)
        return std::nullopt;
    return SlotName{word.left(colon), *slot};
}

std::optional<XRange> parseRange(const QString& value) {
    const QStringList words = CommandLine::valueWords(value);
    if (words.size() != 2)
        return std::nullopt;
    bool minimumOk = false;
    bool maximumOk = false;
    const XRange range{words[0].toDouble(&minimumOk), words[1].toDouble(&maximumOk)};
    if (!minimumOk || !maximumOk || !std::isfinite(range.minimum) ||
        !std::isfinite(range.maximum) || range.minimum > range.maximum)
        return std::nullopt;
    return range;
}

struct IntegerOption {
    const char* name;
    int minimum;
    int maximum;
    const char* range;
};

constexpr int kAnyMinimum = std::numeric_limits<int>::min();
constexpr int kAnyMaximum = std::numeric_limits<int>::max();
constexpr IntegerOption kParameterOption{"--param", 0, kParameterTypeCount - 1, "0 to 16"};
constexpr IntegerOption kBinOption{"--bin", 0, FlightRecord::kTransientBinCount - 1, "0 to 3"};
constexpr IntegerOption kFlightOption{"--flight", kAnyMinimum, kAnyMaximum, "a flight number"};
constexpr IntegerOption kWindowOption{"--window", kAnyMinimum, kAnyMaximum, "a window type"};
constexpr IntegerOption kSteadySampleOption{"--sample", 0, FlightRecord::kBinCount - 1, "0 to 25"};
constexpr IntegerOption kTransientSampleOption{"--sample", 0,
                                               FlightRecord::kTransientSampleCount - 1, "0 to 9"};
constexpr const char* kSeriesOptionName = "--series";
constexpr const char* kRangeOptionName = "--range";

std::optional<QString> readInteger(const IntegerOption& option, const QString& value, int& target) {
    const std::optional<int> parsed = integerIn(value, option.minimum, option.maximum);
    if (!parsed)
        return kBadValueText.arg(QLatin1String(option.name), QLatin1String(option.range), value);
    target = *parsed;
    return std::nullopt;
}

QCommandLineOption valueOption(const char* name, const QString& valueName = QStringLiteral("N")) {
    return {QString::fromLatin1(name + 2), {}, valueName};
}

QList<QCommandLineOption> optionDefinitions(const ViewSyntax& syntax) {
    QList<QCommandLineOption> definitions{
        valueOption("--view", QStringLiteral("VIEW")), valueOption(kBinOption.name),
        valueOption(kFlightOption.name), valueOption(kWindowOption.name)};
    if (syntax.parameter)
        definitions.append(valueOption(kParameterOption.name));
    if (syntax.sample)
        definitions.append(valueOption(kSteadySampleOption.name));
    if (syntax.series)
        definitions.append(valueOption(kSeriesOptionName));
    if (syntax.range)
        definitions.append(valueOption(kRangeOptionName, QStringLiteral("MIN MAX")));
    return definitions;
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

} // namespace

std::optional<QString> parseViewArguments(const QStringList& arguments, const ViewSyntax& syntax,
                                          ViewArguments& parsed) {
    PlotSelection& selection = parsed.selection;
    // These ranges depend on the view and the slots, which may come later.
    std::optional<QString> sampleText;
    std::optional<QString> seriesText;
    bool viewGiven = false;
    bool parameterGiven = false;
    CommandLine commandLine(optionDefinitions(syntax));
    commandLine.setMissingValueText(kViewMissingValueText);
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    for (const auto& [word, value] : commandLine.options()) {
        std::optional<QString> error;
        if (word == kViewOptionName) {
            if (value != kSteadyView && value != kTransientView)
                return kBadValueText.arg(word, QStringLiteral("steady or transient"), value);
            selection.plotType = value == kSteadyView ? PlotType::SteadyState : PlotType::Transient;
            viewGiven = true;
        } else if (word == QLatin1String(kParameterOption.name)) {
            int number = 0;
            error = readInteger(kParameterOption, value, number);
            selection.parameterType =
                parameterTypeFromValue(number).value_or(selection.parameterType);
            parameterGiven = true;
        } else if (word == QLatin1String(kBinOption.name)) {
            error = readInteger(kBinOption, value, selection.transientBin);
        } else if (word == QLatin1String(kFlightOption.name)) {
            error = readInteger(kFlightOption, value, selection.flightNumber);
            parsed.flightGiven = true;
        } else if (word == QLatin1String(kWindowOption.name)) {
            error = readInteger(kWindowOption, value, selection.windowType);
        } else if (word == QLatin1String(kSteadySampleOption.name)) {
            sampleText = value;
        } else if (word == QLatin1String(kSeriesOptionName)) {
            seriesText = value;
        } else if (word == QLatin1String(kRangeOptionName)) {
            parsed.range = parseRange(value);
            if (!parsed.range)
                return kBadValueText.arg(word, kRangeValuesText, value);
        }
        if (error)
            return error;
    }
    for (const QString& word : commandLine.arguments()) {
        const std::optional<SlotName> slot = parseSlot(word);
        if (!slot)
            return kBadSlotText.arg(word);
        parsed.slotNames.append(*slot);
    }
    if (!viewGiven || (syntax.parameter && !parameterGiven) ||
        (syntax.flightRequired && !parsed.flightGiven) || (syntax.sampleRequired && !sampleText))
        return syntax.requiredText;
    if (selection.parameterType == ParameterType::EnvelopeFft &&
        !offeredInView(selection.plotType, selection.parameterType))
        return kSteadyOnlyParameterText.arg(QString::number(valueOf(selection.parameterType)),
                                            parameterMenuText(selection.parameterType));
    if (sampleText) {
        const IntegerOption& sample = selection.plotType == PlotType::SteadyState
                                          ? kSteadySampleOption
                                          : kTransientSampleOption;
        if (std::optional<QString> error = readInteger(sample, *sampleText, selection.sample))
            return error;
    }
    if (parsed.slotNames.isEmpty())
        return kNoSlotText;
    if (seriesText) {
        // One series per slot.
        const int lastSeries = int(parsed.slotNames.size()) - 1;
        const std::optional<int> series = integerIn(*seriesText, 0, lastSeries);
        if (!series)
            return kBadValueText.arg(QLatin1String(kSeriesOptionName),
                                     kSeriesRangeText.arg(lastSeries), *seriesText);
        parsed.series = *series;
    }
    return std::nullopt;
}

std::optional<QList<FlightDataElement>> loadViewFlights(ViewArguments& parsed, Notifier& notifier) {
    if (parsed.slotNames.size() > FlightSelection::kMaxLoadedFlights) {
        notifier.critical(kErrorTitle, kTooManyFlightsText.arg(FlightSelection::kMaxLoadedFlights));
        return std::nullopt;
    }
    QList<FlightDataElement> flights;
    for (const SlotName& name : parsed.slotNames) {
        std::optional<FlightDataElement> flight = loadSlot(name);
        if (!flight) {
            notifier.critical(kErrorTitle,
                              kSlotUnreadableText.arg(QString::number(name.slot), name.path));
            return std::nullopt;
        }
        flights.append(std::move(*flight));
    }
    if (!parsed.flightGiven)
        parsed.selection.flightNumber = flights.first().flightNumber;
    // The viewer loads flights of one memory; its header names the first slot's.
    parsed.selection.memoryType = flights.first().memoryType;
    return flights;
}

XRange viewRange(const PlotView& view, const std::optional<XRange>& given) {
    if (given)
        return *given;
    XRange range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const PlotSeries& series : view.series) {
        for (double x : series.x) {
            range.minimum = std::min(range.minimum, x);
            range.maximum = std::max(range.maximum, x);
        }
    }
    return range;
}
