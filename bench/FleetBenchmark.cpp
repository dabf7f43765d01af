// brix-cli fleet's work over 100 aircraft x 2 engines x 500 flights (25 raw flight data files
// of 20 slots per engine, the rest of each file a hole) from an up-to-date index, warm page
// cache: opening the index (which finds every file unchanged), the rows of every registered
// aircraft and engine with its state and flights to alarm, and their CSV. Goal <= 100 ms
// beyond the process start.
//
// bench_fleet [FOLDER [ROUNDS [AIRCRAFT]]]: the files go to a new folder below FOLDER (default:
// the temporary folder) and are removed at the end.
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "BenchMeasures.h"
#include "BrixAircraftSettings.h"
#include "CraftedRawFile.h"
#include "FixedText.h"
#include "FleetHealth.h"
#include "FlightIndex.h"
#include "KORALib.h"
#include "Notifier.h"
#include "OwnHome.h"
#include "RegisterEditing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Raw = RawFlightDataLayout;

constexpr int kFlightsPerEngine = 500;
const QString kEngineType = QStringLiteral("T700");

QString aircraftId(int i) {
    return QStringLiteral("AC%1").arg(i, 3, 10, QLatin1Char('0'));
}

// The flights of one engine, 20 to a file, N1 rising slowly so that some engines end above
// their warning or alarm.
bool writeEngine(const QString& data, int aircraft, int engine) {
    const QString directory = engineDirectory(data, aircraftId(aircraft), engine);
    if (!QDir().mkpath(directory))
        return false;
    for (int file = 0; file * Raw::kSlotCount < kFlightsPerEngine; ++file) {
        CraftedRawFile raw;
        raw.aircraftId = aircraftId(aircraft);
        raw.engineNumber = engine;
        raw.creationTime = 1141568000 + 86400 * quint32(file);
        for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
            const int flight = file * Raw::kSlotCount + slot + 1;
            CraftedSlot crafted = CraftedSlot::filled(slot, flight, 0, 1.0f);
            crafted.rows[valueOf(ParameterType::N1)].fill(
                float(1 + 0.001 * flight * (aircraft % 7) + 0.01 * (flight % 5)));
            raw.flightSlots.append(crafted);
        }
        if (!writeCraftedRawFile(directory + QStringLiteral("/n4orig_%1.raw").arg(file), raw))
            return false;
    }
    return true;
}

// The index is built once with cheap indicators; what is measured only finds it up to date.
FlightIndexInputs cheapInputs() {
    FlightIndexInputs inputs;
    inputs.indicators = [](const FlightRecord& record, const std::optional<BearingGeometry>&) {
        IndicatorValues values;
        values[Indicator::Rms] = record.steadyStateValue(valueOf(ParameterType::N1), 0);
        values[Indicator::Kurtosis] = 3;
        return values;
    };
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    const QString parent = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const int aircraftCount = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100;
    QTemporaryDir folder(parent + QStringLiteral("/bench_fleet_XXXXXX"));
    if (!folder.isValid())
        return 1;
    const QString data = folder.path();

    PrintingNotifier notifier;
    if (!addEngineType(kEngineType, notifier) ||
        !writeIndicatorLimits(kEngineType, Indicator::Rms,
                              {.warning = 1.3, .alarm = 2.5, .change = 0.2}, notifier) ||
        !writeIndicatorLimits(kEngineType, Indicator::Kurtosis,
                              {.warning = 4, .alarm = 6, .change = std::nullopt}, notifier))
        return 1;
    for (int aircraft = 0; aircraft < aircraftCount; ++aircraft) {
        AircraftRecord record;
        writeFixedText(record.aircraftId, aircraftId(aircraft));
        for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine) {
            writeFixedText(record.engines[engine - 1].engineType, kEngineType);
            writeFixedText(record.engines[engine - 1].serialNumber,
                           QString::number(100000 + 2 * aircraft + engine));
            if (!writeEngine(data, aircraft, engine)) {
                std::fprintf(stderr, "could not write the raw files\n");
                return 1;
            }
        }
        if (!KORALibWriteAircraft(aircraftId(aircraft), record))
            return 1;
    }
    {
        const FlightIndex index(data, cheapInputs(), notifier);
        std::printf("%d aircraft x 2 engines x %d flights: %d raw files indexed\n", aircraftCount,
                    kFlightsPerEngine, index.lastUpdate().read);
    }

    // Open for the whole command, as brix-cli holds it, so that the register is read once.
    const BrixAircraftSettings applicationStore;
    std::vector<double> openTimes, rowTimes, csvTimes, totalTimes;
    QElapsedTimer timer;
    qsizetype lines = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer total;
        total.start();
        timer.start();
        const FlightIndex index(data, registerIndexInputs(), notifier);
        openTimes.push_back(milliseconds(timer));
        if (index.lastUpdate().read != 0)
            std::fprintf(stderr, "the index read %d files\n", index.lastUpdate().read);
        timer.start();
        const QList<FleetRow> rows = registerFleet(index);
        rowTimes.push_back(milliseconds(timer));
        timer.start();
        lines = fleetCsv(rows).count(QLatin1Char('\n'));
        csvTimes.push_back(milliseconds(timer));
        totalTimes.push_back(milliseconds(total));
    }
    std::printf("brix-cli fleet's work, %lld CSV lines, median of %d runs (goal <= 100 ms):\n"
                "  index opened and found up to date %.1f ms, rows %.1f ms, CSV %.1f ms, "
                "total %.1f ms\n",
                qint64(lines), rounds, median(openTimes), median(rowTimes), median(csvTimes),
                median(totalTimes));
    return 0;
}
