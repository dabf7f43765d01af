// How responsive the download window stays: the progress dialog downloads and converts both
// engines from the simulated unit on loopback while a 5-ms timer of the window's thread
// records how long each of its events had to wait. Prints the longest gap between ticks
// of each run, their median over the runs (goal: at most 17 ms, one frame) and how the
// gaps spread.
//
//   bench_download_responsiveness [RUNS]    RUNS defaults to 3; offscreen platform
#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "EventLoopGaps.h"
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
    pointSettingsAtSimulator(simulator.port(), home.path() + QStringLiteral("/data"));
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

    QList<double> longest;
    for (int run = 1; run <= runs; ++run) {
        EventLoopGaps gaps;
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
        gaps.start();
        closer.start();
        dialog.runModal();
        gaps.stop();
        if (dialog.sequence().anyStepFailed()) {
            std::fprintf(stderr, "the download failed: nothing measured\n");
            return 1;
        }
        std::printf("run %d: %lld ms for both engines, %lld ticks, gap median %.1f ms, "
                    "99th %.1f ms, longest %.1f ms\n",
                    run, total.elapsed(), qint64(gaps.ticks()), gaps.percentile(0.5),
                    gaps.percentile(0.99), gaps.longest());
        longest.append(gaps.longest());
    }
    std::printf("longest wait of any event: %.1f ms; median of the runs' longest: %.1f ms "
                "(goal: at most 17 ms; the probe ticks every %d ms)\n",
                *std::max_element(longest.cbegin(), longest.cend()), medianOf(longest),
                EventLoopGaps::kProbeIntervalMs);
    return 0;
}
