// How long the window's thread is kept from its events while it waits for the unit: a 5-ms
// timer of that thread (see EventLoopGaps.h) runs through each wait, against the simulated
// unit on loopback:
//   start-up check  the main window's first link check, the unit answering after 3 s;
//   F4, silent      the communication check, the unit never answering (up to the failure
//                   dialog, which is then closed);
//   erase, silent   the erase window, the unit never answering the data erase (3-s time-out).
// The download and conversion of both engines is measured by bench_download_responsiveness.
// Prints each run's longest gap and the median of the runs (goal: at most 17 ms, one frame).
//
//   bench_window_waits [RUNS]    RUNS defaults to 5; offscreen platform
#include "ApplicationSettings.h"
#include "EventLoopGaps.h"
#include "KORAEraseProgress.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "OwnHome.h"
#include "Protocol.h"
#include "ResourceFiles.h"
#include "StderrNotifier.h"
#include "StoreNames.h"
#include "UnitLink.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kSlowAnswerMs = 3000;
constexpr int kEraseTimeoutTicks = 30;

// Runs `measured` with the probe running; `closeModal`, when a modal window appears, stops
// the probe and closes the window, so that what follows the wait is not counted.
double longestGap(const std::function<void()>& measured) {
    EventLoopGaps gaps;
    QTimer closeModal;
    closeModal.setInterval(10);
    QObject::connect(&closeModal, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            gaps.stop();
            modal->close();
        }
    });
    gaps.start();
    closeModal.start();
    measured();
    gaps.stop();
    return gaps.longest();
}

void report(const char* name, const QList<double>& runs) {
    std::printf("%-16s", name);
    for (const double run : runs)
        std::printf(" %7.1f", run);
    std::printf("   median %7.1f ms (goal: at most 17 ms)\n", medianOf(runs));
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useApplicationStoreNames();
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 5;
    const QString directory = QCoreApplication::applicationDirPath();
    for (const auto& [file, root] : {std::pair{kCommonResourceFile, kCommonResourceRoot},
                                     std::pair{kApplicationResourceFile, kApplicationResourceRoot},
                                     std::pair{kHelpResourceFile, kHelpResourceRoot}}) {
        if (!openResourceFile(directory + file, root)) {
            std::fprintf(stderr, "%s is missing beside the benchmark\n", qPrintable(file));
            return 1;
        }
    }

    UnitSimulator simulator;
    if (!simulator.start())
        return 1;
    pointSettingsAtSimulator(simulator.port(), home.path() + QStringLiteral("/data"));
    StderrNotifier notifier;
    UserPersist persist(resourcePath(kApplicationResourceRoot));

    QList<double> startUp;
    QList<double> silentCheck;
    QList<double> silentErase;
    for (int run = 0; run < runs; ++run) {
        {
            KORAWindow window(persist, notifier, {});
            window.show();
            QCoreApplication::processEvents();
            simulator.clearFaults();
            simulator.addFault({ReadPartNumbersCommand, FaultKind::Delay, kSlowAnswerMs, {}, 1});
            startUp.append(longestGap([&] { window.checkCommunication(); }));
        }
        {
            KORAWindow window(persist, notifier, {});
            window.show();
            QCoreApplication::processEvents();
            simulator.clearFaults();
            window.checkCommunication();
            simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
            silentCheck.append(longestGap([&] { window.handleEvent(kCheckCommunicationCode); }));
            simulator.clearFaults();
            // The silent connection is dropped before the window goes.
            window.connection().link().requestAbort();
        }
        {
            KORAWindow window(persist, notifier, {});
            window.show();
            QCoreApplication::processEvents();
            simulator.clearFaults();
            window.checkCommunication();
            simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
            EraseRequests requests{};
            requests[int(EraseKind::Bearing4Data)] = true;
            KORAEraseProgress dialog(window.connection().link(), requests, QFont(), persist,
                                     notifier, &window,
                                     {kEraseTimeoutTicks, kEraseTimeoutTicks, kEraseTimeoutTicks});
            QTimer done;
            done.setInterval(20);
            QObject::connect(&done, &QTimer::timeout, [&] {
                if (dialog.sequence().state() == EraseSequence::State::Done)
                    dialog.handleEvent(KORAEraseProgress::kDoneEvent);
            });
            done.start();
            EventLoopGaps gaps;
            gaps.start();
            dialog.runModal();
            gaps.stop();
            silentErase.append(gaps.longest());
            simulator.clearFaults();
        }
    }
    std::printf("longest gap of the window's event loop in ms, %d runs (the probe ticks every "
                "%d ms)\n",
                runs, EventLoopGaps::kProbeIntervalMs);
    report("start-up check", startUp);
    report("F4, silent", silentCheck);
    report("erase, silent", silentErase);
    return 0;
}
