// The maintenance report of an aircraft with 2 engines x 200 flights (10 simulated downloads
// of 20 flights per engine), timed three ways, median of five runs each:
//   report   brix-cli report as a technician runs it (a process of its own)
//   whole    the same report in this process (read, lay out, draw, write)
//   parts    the same work piece by piece: reading the data, each chart alone into a PDF of
//            its own, and the tables as a text file
// The report should take under 2 s and at most 1.5 times the sum of its parts.
//
//   bench_report [BRIX_CLI_PATH]
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ChartExport.h"
#include "KORALib.h"
#include "MaintenanceReport.h"
#include "OwnHome.h"
#include "SimulatorRawFile.h"
#include "StoreNames.h"
#include "UnitSimulator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int kRuns = 5;
constexpr int kDownloadsPerEngine = 10;
constexpr int kFlightsPerDownload = 20;
const QString kAircraft = QStringLiteral("BENCH-1");

double medianMs(const std::function<void()>& work) {
    QList<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[kRuns / 2];
}

bool writeData(const QString& dataDirectory) {
    AircraftRecord record;
    std::strcpy(record.aircraftId, "BENCH-1");
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        std::strcpy(record.engines[engine].engineType, "CFM56-7");
        std::strcpy(record.engines[engine].serialNumber, engine == 0 ? "874211" : "874212");
    }
    if (!KORALibWriteAircraft(kAircraft, record))
        return false;
    for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine) {
        const QString directory = engineDirectory(dataDirectory, kAircraft, engine);
        QDir().mkpath(directory);
        for (int download = 0; download < kDownloadsPerEngine; ++download) {
            QMap<int, qint32> numbers;
            for (int slot = 0; slot < kFlightsPerDownload; ++slot)
                numbers.insert(slot, 1 + download * kFlightsPerDownload + slot);
            const QString name = QStringLiteral("/n4orig_%1JAN2024_0900.raw")
                                     .arg(download + 1, 2, 10, QLatin1Char('0'));
            if (!writeSimulatorRawFile(directory + name, kAircraft, engine, numbers))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useOwnHome(home.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useApplicationStoreNames();
    // brix-cli starts with its settings on the loopback simulator, though the report needs
    // no unit.
    UnitSimulator simulator;
    if (!simulator.start())
        return 1;
    {
        QSettings settings;
        settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
        settings.setValue(kPortKey, simulator.port());
    }
    const QString data = home.path() + QStringLiteral("/data");
    BrixAircraftSettings().setValue(kDataDirKey, data);
    if (!writeData(data)) {
        std::fprintf(stderr, "cannot write the data\n");
        return 1;
    }
    const QString out =
        qEnvironmentVariable("BENCH_REPORT_OUT", home.path() + QStringLiteral("/report.pdf"));
    const ReportRequest request{kAircraft, {}, {}};
    const QPageSize page = reportPageSize(QLocale::system());

    bool failed = false;
    double cliMs = -1;
    if (argc > 1) {
        cliMs = medianMs([&] {
            QProcess process;
            process.start(QString::fromLocal8Bit(argv[1]),
                          {QStringLiteral("report"), kAircraft, QStringLiteral("--out"), out});
            if (!process.waitForFinished(60000) || process.exitCode() != 0) {
                std::fprintf(stderr, "brix-cli report failed\n");
                failed = true;
            }
        });
    }
    const double wholeMs = medianMs([&] {
        if (!writeMaintenanceReport(collectReport(data, request), page, out, nullptr)) {
            std::fprintf(stderr, "the report failed\n");
            failed = true;
        }
    });

    ReportContent content;
    const double collectMs = medianMs([&] { content = collectReport(data, request); });
    const double chartsMs = medianMs([&] {
        int index = 0;
        for (const ReportEngine& engine : content.engines) {
            QList<std::pair<const PlotView*, const PlotSelection*>> charts{
                {&engine.trend, &engine.trendSelection}};
            if (engine.waterfall)
                charts.append({&*engine.waterfall, &engine.waterfallSelection});
            for (const auto& [view, selection] : charts) {
                QPdfWriter writer(home.path() + QStringLiteral("/chart%1.pdf").arg(index++));
                writer.setResolution(96);
                QCPPainter painter(&writer);
                drawChart(painter, QRectF(0, 0, writer.width(), writer.height() * 0.42), *view,
                          *selection);
            }
        }
    });
    const double tablesMs = medianMs([&] {
        QFile file(home.path() + QStringLiteral("/tables.txt"));
        if (file.open(QIODevice::WriteOnly))
            file.write(reportText(content).toUtf8());
    });
    const double partsMs = collectMs + chartsMs + tablesMs;
    if (failed) {
        std::fprintf(stderr, "nothing measured\n");
        return 1;
    }
    std::printf("flights: %d engines x %d\n", AircraftRecord::kEngineCount,
                kDownloadsPerEngine * kFlightsPerDownload);
    if (cliMs >= 0)
        std::printf("brix-cli report:          %8.1f ms\n", cliMs);
    std::printf("report in process:        %8.1f ms\n", wholeMs);
    std::printf("parts: read the data      %8.1f ms\n", collectMs);
    std::printf("       charts alone       %8.1f ms\n", chartsMs);
    std::printf("       tables as text     %8.1f ms\n", tablesMs);
    std::printf("       sum                %8.1f ms\n", partsMs);
    std::printf("report / sum of parts:    %8.2f\n", wholeMs / partsMs);
    return 0;
}
