// How quickly the link gives up when it has to, against the simulated unit on loopback:
// a stop while the unit keeps silent ends the worker (the program waits kStopWaitMs for
// that), and a communication check with no unit listening ends in its failure (the
// connection wait is kConnectWaitMs). Times are per stop and per check; compare them with
// those two waits.
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "LinkWorker.h"
#include "Notifier.h"
#include "OwnHome.h"
#include "Protocol.h"
#include "QuietCommunicationView.h"
#include "StoreNames.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// Generous bounds for the set-up of each round; only a broken link runs into them.
constexpr int kSetUpWaitMs = 10000;

// The check's failure is what is measured; what it would tell the technician is not.
class SilentNotifier : public Notifier {
public:
    void critical(const QString&, const QString&) override {}
    void warning(const QString&, const QString&) override {}
    void information(const QString&, const QString&) override {}
    bool question(const QString&, const QString&, DefaultAnswer) override { return false; }
};

double secondsSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void stopWhileTheUnitIsSilent(benchmark::State& state) {
    for (auto _ : state) {
        UnitSimulator simulator;
        if (!simulator.start()) {
            state.SkipWithError("the simulator did not start");
            break;
        }
        simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
        auto link = std::make_shared<UnitLink>();
        link->setAddress(QStringLiteral("127.0.0.1"), simulator.port());
        LinkWorker worker;
        worker.start(link);
        if (!link->doneEvent.wait(kSetUpWaitMs) ||
            link->statusCode() != LinkStatusThreadInitialised) {
            state.SkipWithError("the worker did not connect");
            break;
        }
        const quint32 payload[] = {0};
        link->submit(ReadPartNumbersCommand, payload, sizeof payload);
        if (!simulator.waitForCommands(1, kSetUpWaitMs)) {
            state.SkipWithError("the command never reached the unit");
            break;
        }
        const auto begin = std::chrono::steady_clock::now();
        link->requestStop();
        const bool ended = worker.waitForEnd(10 * kStopWaitMs);
        state.SetIterationTime(secondsSince(begin));
        if (!ended) {
            state.SkipWithError("the worker did not end");
            break;
        }
    }
    state.counters["stop_wait_ms"] = kStopWaitMs;
}

void communicationCheckWithNoUnit(benchmark::State& state) {
    UnitSimulator simulator;
    if (!simulator.start()) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    simulator.setRefuseConnections(true);
    {
        BrixAircraftSettings settings;
        settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
        settings.setValue(kPortKey, simulator.port());
    }
    SilentNotifier notifier;
    QuietCommunicationView view;
    for (auto _ : state) {
        UnitConnection connection;
        connection.loadAddressFromSettings(notifier);
        const auto begin = std::chrono::steady_clock::now();
        const bool passed = connection.checkCommunication(view, notifier);
        state.SetIterationTime(secondsSince(begin));
        if (passed) {
            state.SkipWithError("the check passed with no unit");
            break;
        }
    }
    state.counters["connect_wait_ms"] = kConnectWaitMs;
}

BENCHMARK(stopWhileTheUnitIsSilent)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(communicationCheckWithNoUnit)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    // The settings, the log and the response files go to a home of the benchmark's own.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    QCoreApplication app(argc, argv);
    useApplicationStoreNames();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
