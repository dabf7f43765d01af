// How responsive the download window stays: the progress dialog downloads and converts both
// engines from the simulated unit on loopback while a 5-ms timer of the window's thread
// records how long each of its events had to wait. Prints the longest gap between ticks
// (goal: no event waits more than 50 ms) and how the gaps spread.
//
//   bench_download_responsiveness [RUNS]    RUNS defaults to 3; offscreen platform
#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "FixedText.h"
#include "KORAAutoDownload.h"
#include "KORALib.h"
#include "OwnHome.h"
#include "QuietCommunicationView.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "StderrNotifier.h"
#include "StoreNames.h"
#include "UnitConnection.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kProbeIntervalMs = 5;
const QString kAircraft = QStringLiteral("BENCH-1");

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useApplicationStoreNames();
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 3;
    if (!openResourceFile(QCoreApplication::applicationDirPath() + kApplicationResourceFile,
                          kApplicationResourceRoot)) {
        std::fprintf(stderr, "ZELK.znc is missing beside the benchmark\n");
        return 1;
    }

    UnitSimulator simulator;
    if (!simulator.start())
        return 1;
    {
        // The unit's address goes into the settings before anything connects.
        BrixAircraftSettings settings;
        settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
        settings.setValue(kPortKey, simulator.port());
        settings.setValue(kDataDirKey, home.path() + QStringLiteral("/data"));
    }
    setCurrentDataDirectory(home.path() + QStringLiteral("/data"));
    StderrNotifier notifier;
    if (!addAircraft(kAircraft, notifier))
        return 1;
    AircraftRecord record = KORALibReadAircraft(kAircraft);
    for (EngineRecord& engine : record.engines) {
        writeFixedText(engine.engineType, QStringLiteral("CFM56-7"));
        writeFixedText(engine.serialNumber, QStringLiteral("874211"));
        engine.downloadBearing4 = 1;
    }
    KORALibWriteAircraft(kAircraft, record);

    UnitConnection connection;
    QuietCommunicationView view;
    connection.loadAddressFromSettings(notifier);
    if (!connection.checkCommunication(view, notifier))
        return 1;
    UserPersist persist(resourcePath(kApplicationResourceRoot));

    qint64 worstOverall = 0;
    for (int run = 1; run <= runs; ++run) {
        QList<qint64> gaps;
        QElapsedTimer sinceLast;
        QTimer probe;
        probe.setInterval(kProbeIntervalMs);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            gaps.append(sinceLast.nsecsElapsed() / 1000);
            sinceLast.restart();
        });
        QElapsedTimer total;
        total.start();
        KORAAutoDownload dialog(connection.link(), connection.partNumbers(), record, QFont(),
                                QFont(), persist, notifier);
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (!dialog.sequence().isRunning())
                dialog.handleEvent(KORAAutoDownload::kButtonEvent);
        });
        sinceLast.start();
        probe.start();
        closer.start();
        dialog.runModal();
        probe.stop();
        std::sort(gaps.begin(), gaps.end());
        const qint64 worst = gaps.isEmpty() ? 0 : gaps.last();
        const auto percentile = [&gaps](double p) {
            return gaps.isEmpty() ? 0 : gaps[qsizetype(p * (gaps.size() - 1))];
        };
        if (dialog.sequence().anyStepFailed()) {
            std::fprintf(stderr, "the download failed: nothing measured\n");
            return 1;
        }
        std::printf("run %d: %lld ms for both engines, %lld ticks, gap median %.1f ms, "
                    "99th %.1f ms, longest %.1f ms\n",
                    run, total.elapsed(), qint64(gaps.size()), percentile(0.5) / 1000.0,
                    percentile(0.99) / 1000.0, worst / 1000.0);
        worstOverall = std::max(worstOverall, worst);
    }
    std::printf("longest wait of any event: %.1f ms (goal: at most 50 ms; the probe ticks "
                "every %d ms)\n",
                worstOverall / 1000.0, kProbeIntervalMs);
    return 0;
}
