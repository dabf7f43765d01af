#include "DownloadVerdicts.h"

#include "FlightIndex.h"
#include "HealthLogging.h"
#include "RawFileSlots.h"

#include <QSet>

#include <algorithm>

void DownloadVerdicts::rawFileSaved(const QString& dataDirectory, const QString& rawFilePath) {
    const QList<FlightListElement> saved = listRawFlightDataFile(rawFilePath);
    if (saved.isEmpty())
        return;
    const QString aircraftId = saved.constFirst().aircraftId;
    const int engine = saved.constFirst().engineNumber;
    FlightIndexInputs inputs = registerIndexInputs();
    const QString engineType = inputs.engineType(aircraftId, engine);
    FlightIndex index(dataDirectory, std::move(inputs), notifier_, FlightIndex::Opening::AsItIs);

    QSet<qint32> before;
    for (const IndexedFlight& flight : index.flights(aircraftId, engine, std::nullopt))
        before.insert(flight.flightNumber);
    if (index.isInMemory()) {
        // Nothing is kept between openings: the engine is judged on every stored raw file.
        index.update();
    } else if (!index.addRawFile(rawFilePath)) {
        qCWarning(lcHealth) << "cannot add" << rawFilePath << "to the index";
        return;
    }
    // Only the memories that the flight lists and the index show.
    const bool broughtNewFlights =
        std::any_of(saved.cbegin(), saved.cend(), [&](const FlightListElement& slot) {
            return (slot.memoryType == MemoryType::PreDefect ||
                    slot.memoryType == MemoryType::PostDefect) &&
                   !before.contains(slot.flightNumber);
        });
    if (broughtNewFlights)
        judged_[engine] = evaluateEngineHealth(index, aircraftId, engine, engineType);
}

QStringList DownloadVerdicts::lines() const {
    QStringList lines;
    for (const auto& [engine, health] : judged_)
        lines.append(engineHealthVerdict(engine, health));
    return lines;
}

std::optional<HealthState> DownloadVerdicts::worstState() const {
    std::optional<HealthState> worst;
    for (const auto& [engine, health] : judged_)
        worst = worst ? worseHealthState(*worst, health.state) : health.state;
    return worst;
}
