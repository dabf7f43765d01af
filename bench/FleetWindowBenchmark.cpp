// The Fleet Health window over 100 aircraft x 2 engines x 500 flights (25 downloads of 20
// flights per engine), warm page cache, from an up-to-date index:
// - the rows: the index opened and found up to date, every registered engine judged;
// - the window: built from those rows, shown and painted once;
// goal for both together <= 200 ms. Median of ROUNDS runs.
//
// bench_fleet_window [FOLDER [ROUNDS]]: the data goes to a new folder below FOLDER (default: the
// temporary folder) and is removed at the end. The indicators are read from the steady-state
// rows (rms = N1 of bin 0), as computing them from the records is the index's cost, measured by
// bench_index, not the window's.
#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "BenchMeasures.h"
#include "BrixAircraftSettings.h"
#include "CraftedRawFile.h"
#include "FixedText.h"
#include "FleetHealth.h"
#include "FleetHealthWindow.h"
#include "FlightIndex.h"
#include "FlightRecord.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "Notifier.h"
#include "OwnHome.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "UserPersist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kAircraftCount = 100;
constexpr int kDownloadsPerEngine = 25;
const QString kEngineType = QStringLiteral("T700");

QString aircraftName(int aircraft) {
    return QStringLiteral("AC%1").arg(aircraft, 3, 10, QLatin1Char('0'));
}

// Each engine's rms rises slowly over its flights, some engines faster than others, so that
// the fleet holds every state.
bool writeFleet(const QString& dataDirectory, Notifier& notifier) {
    BrixAircraftSettings().setValue(QStringLiteral("EngineType_0"), kEngineType);
    for (int aircraft = 0; aircraft < kAircraftCount; ++aircraft) {
        const QString id = aircraftName(aircraft);
        if (!addAircraft(id, notifier))
            return false;
        AircraftRecord record = KORALibReadAircraft(id);
        for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
            writeFixedText(record.engines[engine].engineType, kEngineType);
            writeFixedText(record.engines[engine].serialNumber,
                           QStringLiteral("%1%2").arg(aircraft).arg(engine + 1));
        }
        if (!KORALibWriteAircraft(id, record))
            return false;
        for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine) {
            const QString folder = engineDirectory(dataDirectory, id, engine);
            if (!QDir().mkpath(folder))
                return false;
            const float slope = 0.0002f * float((aircraft * 2 + engine) % 7);
            for (int download = 0; download < kDownloadsPerEngine; ++download) {
                CraftedRawFile file;
                file.aircraftId = id;
                file.engineNumber = engine;
                file.creationTime = 1141568000 + 86400 * quint32(download);
                for (int slot = 0; slot < RawFlightDataLayout::kSlotCount; ++slot) {
                    const int flight = download * RawFlightDataLayout::kSlotCount + slot + 1;
                    CraftedSlot crafted = CraftedSlot::filled(slot, flight, 0, 1.0f);
                    crafted.rows[valueOf(ParameterType::N1)].fill(0.5f + slope * float(flight));
                    file.flightSlots.append(crafted);
                }
                if (!writeCraftedRawFile(
                        QStringLiteral("%1/n4orig_%2.raw").arg(folder).arg(download), file))
                    return false;
            }
        }
    }
    return writeIndicatorLimits(kEngineType, Indicator::Rms,
                                {.warning = 0.6, .alarm = 0.7, .change = std::nullopt}, notifier);
}

FlightIndexInputs benchInputs() {
    FlightIndexInputs inputs = registerIndexInputs();
    inputs.indicators = [](const FlightRecord& record, const std::optional<BearingGeometry>&) {
        IndicatorValues values;
        values[Indicator::Rms] = record.steadyStateValue(valueOf(ParameterType::N1), 0);
        return values;
    };
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useOwnHome(home.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const QString parent = arguments.value(1, QDir::tempPath());
    const int rounds = std::max(1, arguments.value(2, QStringLiteral("7")).toInt());
    QTemporaryDir data(parent + QStringLiteral("/bench_fleet_window-XXXXXX"));
    if (!openResourceFile(QCoreApplication::applicationDirPath() + kApplicationResourceFile,
                          kApplicationResourceRoot))
        return 1;
    PrintingNotifier notifier;
    BrixAircraftSettings().setValue(kDataDirKey, data.path());
    setCurrentDataDirectory(data.path());
    QElapsedTimer clock;
    clock.start();
    if (!writeFleet(data.path(), notifier))
        return 1;
    std::printf("%d aircraft x 2 engines x %d flights written in %lld ms\n", kAircraftCount,
                kDownloadsPerEngine * RawFlightDataLayout::kSlotCount, clock.restart());
    { const FlightIndex built(data.path(), benchInputs(), notifier); }
    std::printf("index built in %lld ms\n", clock.elapsed());

    UserPersist persist(resourcePath(kApplicationResourceRoot));
    std::vector<double> rowTimes;
    std::vector<double> windowTimes;
    for (int round = 0; round < rounds; ++round) {
        clock.restart();
        QList<FleetRow> rows;
        {
            const FlightIndex index(data.path(), benchInputs(), notifier);
            rows = registerFleet(index);
        }
        rowTimes.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        FleetHealthWindow window(QFont(), persist, notifier, [&rows] { return rows; }, {});
        window.show();
        window.grab();
        windowTimes.push_back(clock.nsecsElapsed() / 1e6);
        if (round == 0)
            std::printf("%lld rows, first: %s\n", qlonglong(rows.size()),
                        qPrintable(fleetCells(rows.value(0)).join(QLatin1Char(','))));
    }
    const double rowsMs = median(rowTimes);
    const double windowMs = median(windowTimes);
    std::printf("rows from the up-to-date index: %.1f ms\nwindow built and painted: %.1f ms\n"
                "together: %.1f ms (goal <= 200 ms), median of %d\n",
                rowsMs, windowMs, rowsMs + windowMs, rounds);
    return 0;
}
