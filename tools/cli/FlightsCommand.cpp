#include "FlightsCommand.h"

#include "AircraftMessages.h"
#include "ApplicationSettings.h"
#include "CommandLine.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Notifier.h"

#include <QTextStream>

#include <numeric>
#include <optional>

namespace {

const QString kUsageText = QStringLiteral(
    "usage: brix-cli flights [--aircraft ID] [--engine 1|2] [--memory 0|1] [--newest]\n"
    "                        [--status]\n"
    "  lists the flight slots of the raw flight data files in the data directory:\n"
    "  file, slot and the flight list's entry, tab-separated\n"
    "  --aircraft ID   only this aircraft (exact spelling)\n"
    "  --engine N      only engine 1 or 2\n"
    "  --memory M      only pre-defect (0) or post-defect (1) memory\n"
    "  --newest        each flight once, from its newest download\n"
    "  --status        add the steady-state and transient data status of each flight");

struct Filters {
    std::optional<QString> aircraftId;
    std::optional<int> engine;
    std::optional<MemoryType> memory;
    bool newest = false;
    bool status = false;

    bool matches(const FlightListElement& slot) const {
        return (!aircraftId || slot.aircraftId == *aircraftId) &&
               (!engine || slot.engineNumber == *engine) && (!memory || slot.memoryType == *memory);
    }
};

// One of the two allowed words as its number, or nothing.
std::optional<int> choice(const QString& value, const QString& first, const QString& second) {
    if (value == first)
        return first.toInt();
    if (value == second)
        return second.toInt();
    return std::nullopt;
}

// Fills `filters`; on a usage error returns its text.
std::optional<QString> parse(const QStringList& arguments, Filters& filters) {
    CommandLine commandLine({{QStringLiteral("aircraft"), {}, QStringLiteral("ID")},
                             {QStringLiteral("engine"), {}, QStringLiteral("N")},
                             {QStringLiteral("memory"), {}, QStringLiteral("M")},
                             {QStringLiteral("newest"), {}},
                             {QStringLiteral("status"), {}}});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    if (!commandLine.arguments().isEmpty())
        return kUnknownOptionText.arg(commandLine.arguments().first());
    for (const auto& [name, value] : commandLine.options()) {
        if (name == QStringLiteral("--status")) {
            filters.status = true;
        } else if (name == QStringLiteral("--newest")) {
            filters.newest = true;
        } else if (name == QStringLiteral("--aircraft")) {
            filters.aircraftId = value;
        } else if (name == QStringLiteral("--engine")) {
            filters.engine = choice(value, QStringLiteral("1"), QStringLiteral("2"));
            if (!filters.engine)
                return kBadEngineText.arg(value);
        } else {
            const std::optional<int> memory =
                choice(value, QStringLiteral("0"), QStringLiteral("1"));
            if (!memory)
                return kBadMemoryText.arg(value);
            filters.memory = static_cast<MemoryType>(*memory);
        }
    }
    return std::nullopt;
}

} // namespace

int runFlightsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    Filters filters;
    if (const std::optional<QString> problem = parse(arguments, filters))
        return reportUsageError(notifier, *problem, kUsageText);

    int result = kExitSuccess;
    const QList<FlightListElement> found = scanFlightSlots(dataDirectory());
    QList<int> shown;
    if (filters.newest) {
        shown = newestDownloadSlots(found);
    } else {
        shown.resize(found.size());
        std::iota(shown.begin(), shown.end(), 0);
    }
    for (const int index : std::as_const(shown)) {
        const FlightListElement& slot = found[index];
        if (!filters.matches(slot))
            continue;
        // Names from the file system and the file's own header, whatever they hold.
        out << escapeControlCharacters(slot.filePath) << '\t' << slot.slot << '\t'
            << escapeControlCharacters(flightEntryText(slot)) << '\n';
        if (!filters.status)
            continue;
        const std::optional<FlightDataElement> flight = loadFlightSlot(slot);
        if (!flight) {
            notifier.warning(kWarningTitle,
                             kFlightUnreadableText.arg(QString::number(slot.flightNumber),
                                                       QString::number(slot.slot), slot.filePath));
            result = kExitFailed;
            continue;
        }
        const QString flightNumber = QString::number(slot.flightNumber);
        out << kSteadyStateStatusText.arg(flightNumber, dataStatusText(steadyStateStatus(*flight)))
            << '\n'
            << kTransientStatusText.arg(flightNumber, dataStatusText(transientStatus(*flight)))
            << '\n';
    }
    out.flush();
    return result;
}
