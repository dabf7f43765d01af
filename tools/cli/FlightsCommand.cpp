#include "FlightsCommand.h"

#include "AircraftMessages.h"
#include "ApplicationSettings.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Notifier.h"

#include <QTextStream>

#include <optional>

namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

const QString kUsageText = QStringLiteral(
    "usage: brix-cli flights [--aircraft ID] [--engine 1|2] [--memory 0|1] [--status]\n"
    "  lists the flight slots of the raw flight data files in the data directory:\n"
    "  file, slot and the flight list's entry, tab-separated\n"
    "  --aircraft ID   only this aircraft (exact spelling)\n"
    "  --engine N      only engine 1 or 2\n"
    "  --memory M      only pre-defect (0) or post-defect (1) memory\n"
    "  --status        add the steady-state and transient data status of each flight");
const QString kUsageErrorText = QStringLiteral("%1\n\n%2");
const QString kUnknownOptionText = QStringLiteral("Unknown option \"%1\"");
const QString kMissingValueText = QStringLiteral("Option \"%1\" needs a value");
const QString kBadEngineText = QStringLiteral("--engine takes 1 or 2, not \"%1\"");
const QString kBadMemoryText = QStringLiteral("--memory takes 0 or 1, not \"%1\"");

// The viewer's data status lines, as its window shows them.
const QString kSteadyStateStatusText = QStringLiteral("Flight %1 - Steady State Status %2");
const QString kTransientStatusText = QStringLiteral("Flight %1 - Transient Data Status %2");

struct Filters {
    std::optional<QString> aircraftId;
    std::optional<int> engine;
    std::optional<int> memory;
    bool status = false;

    bool matches(const FlightListElement& slot) const {
        return (!aircraftId || slot.aircraftId == *aircraftId) &&
               (!engine || slot.engineNumber == *engine) && (!memory || slot.memoryType == *memory);
    }
};

int usageError(Notifier& notifier, const QString& problem) {
    notifier.critical(kErrorTitle, kUsageErrorText.arg(problem, kUsageText));
    return kUsageError;
}

// One of the two allowed words as its number, or nothing.
std::optional<int> choice(const QString& value, const QString& first, const QString& second) {
    if (value == first)
        return first.toInt();
    if (value == second)
        return second.toInt();
    return std::nullopt;
}

} // namespace

int runFlightsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    Filters filters;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == QStringLiteral("--status")) {
            filters.status = true;
            continue;
        }
        if (name != QStringLiteral("--aircraft") && name != QStringLiteral("--engine") &&
            name != QStringLiteral("--memory"))
            return usageError(notifier, kUnknownOptionText.arg(name));
        if (i + 1 >= arguments.size())
            return usageError(notifier, kMissingValueText.arg(name));
        const QString& value = arguments[++i];
        if (name == QStringLiteral("--aircraft")) {
            filters.aircraftId = value;
        } else if (name == QStringLiteral("--engine")) {
            filters.engine = choice(value, QStringLiteral("1"), QStringLiteral("2"));
            if (!filters.engine)
                return usageError(notifier, kBadEngineText.arg(value));
        } else {
            filters.memory = choice(value, QStringLiteral("0"), QStringLiteral("1"));
            if (!filters.memory)
                return usageError(notifier, kBadMemoryText.arg(value));
        }
    }

    int result = kSuccess;
    for (const FlightListElement& slot : scanFlightSlots(dataDirectory())) {
        if (!filters.matches(slot))
            continue;
        out << slot.filePath << '\t' << slot.slot << '\t' << flightEntryText(slot) << '\n';
        if (!filters.status)
            continue;
        const std::optional<FlightDataElement> flight = loadFlightSlot(slot);
        if (!flight) {
            notifier.warning(
                kWarningTitle,
                kFlightUnreadableText.arg(slot.flightNumber).arg(slot.slot).arg(slot.filePath));
            result = kFailed;
            continue;
        }
        out << kSteadyStateStatusText.arg(slot.flightNumber)
                   .arg(dataStatusText(steadyStateStatus(*flight)))
            << '\n'
            << kTransientStatusText.arg(slot.flightNumber)
                   .arg(dataStatusText(transientStatus(*flight)))
            << '\n';
    }
    out.flush();
    return result;
}
