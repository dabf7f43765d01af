// The engine trend over 1,000 raw flight data files of one engine (20,000 flight slots, about
// 2.7 GB as the files say, sparse where the file system allows: only each header and each
// slot's steady-state rows are written), side by side with a plain C loop that reads the same
// header and steady-state bytes with pread. Warm: alternating runs, medians. Cold: when the
// page cache may be dropped (root, /proc/sys/vm/drop_caches writable), the same with the
// cache dropped before every run; otherwise it says so.
//
// Then the trend view: opening it to a painted chart (the trend, its view, loaded into the
// viewer's chart and rendered at 1366x768 on the offscreen platform) against the trend alone,
// alternating, warm, medians; the goal is under twice the trend alone.
//
// bench_trend [FOLDER [ROUNDS]]: the files go to a new folder below FOLDER (default: the
// temporary folder) and are removed at the end.
#include "AircraftPaths.h"
#include "BenchMeasures.h"
#include "CraftedRawFile.h"
#include "FlightSelection.h"
#include "OwnHome.h"
#include "PlotWindow.h"
#include "Trend.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Raw = RawFlightDataLayout;

constexpr int kFileCount = 1000;
constexpr int kParameter = 6; // A4R
const QString kAircraft = QStringLiteral("AC001");

// File i holds flights 10 i to 10 i + 19: each flight is in two downloads, as when the
// memory was not erased in between.
bool writeFiles(const QString& directory) {
    for (int i = 0; i < kFileCount; ++i) {
        CraftedRawFile file;
        file.aircraftId = kAircraft;
        file.creationTime = 1141568000 + 86400 * quint32(i);
        for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
            CraftedSlot crafted = CraftedSlot::filled(slot, 10 * i + slot + 1, slot % 2, 1.0f);
            for (int bin = 0; bin < Raw::kBinCount; ++bin)
                crafted.rows[kParameter][bin] = float(std::sin(i + slot + bin) + 2);
            file.flightSlots.append(crafted);
        }
        const QString name = QStringLiteral("n4orig_%1.raw").arg(i, 4, 10, QLatin1Char('0'));
        if (!writeCraftedRawFile(directory + QLatin1Char('/') + name, file))
            return false;
    }
    return true;
}

// The plain loop: list the folder, per raw file open, pread the header, pread each occupied
// slot's steady-state rows, close; the maximum of the parameter's row so that the reads are
// used.
double plainLoop(const std::string& directory) {
    double total = 0;
    DIR* folder = ::opendir(directory.c_str());
    if (!folder)
        return -1;
    while (const dirent* entry = ::readdir(folder)) {
        if (!std::string_view(entry->d_name).ends_with(".raw"))
            continue;
        const int descriptor = ::open((directory + '/' + entry->d_name).c_str(), O_RDONLY);
        if (descriptor < 0)
            continue;
        char header[Raw::kHeaderSize];
        char rows[Raw::kBinTimeOffset];
        if (::pread(descriptor, header, sizeof header, 0) == Raw::kHeaderSize) {
            for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
                if (qFromLittleEndian<qint32>(header + Raw::kFlightNumbersOffset + 4 * slot) == 0)
                    continue;
                if (::pread(descriptor, rows, sizeof rows,
                            Raw::kHeaderSize + off_t(slot) * Raw::kRecordSize) != sizeof rows)
                    break;
                float maximum = 0;
                for (int bin = 0; bin < Raw::kBinCount; ++bin)
                    maximum = std::max(
                        maximum,
                        qFromLittleEndian<float>(rows + 4 * (Raw::kBinCount * kParameter + bin)));
                total += maximum;
            }
        }
        ::close(descriptor);
    }
    ::closedir(folder);
    return total;
}

TrendResult ourTrend(const QString& data) {
    return computeTrend(data, {kAircraft, 1, ParameterType::A4R, TrendStatistic::Maximum, {}});
}

bool dropPageCache() {
    ::sync();
    const int descriptor = ::open("/proc/sys/vm/drop_caches", O_WRONLY);
    if (descriptor < 0)
        return false;
    const bool dropped = ::write(descriptor, "3", 1) == 1;
    ::close(descriptor);
    return dropped;
}

// Alternating runs, the cache dropped before each when `cold`.
void sideBySide(const QString& data, const std::string& directory, int rounds, bool cold) {
    std::vector<double> plainTimes, ourTimes;
    QElapsedTimer timer;
    volatile double sink = 0;
    for (int round = 0; round < rounds; ++round) {
        if (cold)
            dropPageCache();
        timer.start();
        sink = sink + plainLoop(directory);
        plainTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (cold)
            dropPageCache();
        timer.start();
        sink = sink + ourTrend(data).points.size();
        ourTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double plain = median(plainTimes);
    const double ours = median(ourTimes);
    std::printf("%s, median of %d alternating runs over %d files:\n"
                "  plain pread loop %.2f ms, trend %.2f ms, ratio %.2f (goal <= 1.5)\n",
                cold ? "cold page cache" : "warm page cache", rounds, kFileCount, plain, ours,
                ours / plain);
}

// The trend alone against the trend opened in the chart and painted.
void trendView(const QString& data, int rounds) {
    constexpr int kWidth = 1366;
    constexpr int kHeight = 768;
    const TrendRequest request{kAircraft, 1, ParameterType::A4R, TrendStatistic::Maximum, {}};
    PlotWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    std::vector<double> trendTimes, viewTimes;
    QElapsedTimer timer;
    volatile qint64 sink = 0;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        sink = sink + ourTrend(data).points.size();
        trendTimes.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        const TrendResult result = computeTrend(data, request);
        window.loadView(buildTrendView(result, request, 2.5), PlotSelection());
        const QImage image = window.chart()->toPixmap(kWidth, kHeight).toImage();
        viewTimes.push_back(timer.nsecsElapsed() / 1e6);
        sink = sink + image.width();
    }
    const double trend = median(trendTimes);
    const double view = median(viewTimes);
    std::printf("trend view, warm page cache, median of %d alternating runs:\n"
                "  trend alone %.2f ms, trend view painted at %dx%d %.2f ms, ratio %.2f "
                "(goal < 2)\n",
                rounds, trend, kWidth, kHeight, view, view / trend);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    const QString parent = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
    QTemporaryDir folder(parent + QStringLiteral("/bench_trend_XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make a folder below %s\n", qPrintable(parent));
        return 1;
    }
    const QString data = folder.path();
    const QString directory = engineDirectory(data, kAircraft, 1);
    // Sparse files take about 85 MB; ask for the full size in case they are not.
    const qint64 apparent = qint64(kFileCount) * Raw::kFileSize;
    const QStorageInfo disk(data);
    std::printf("free below %s: %lld MB; the files say %lld MB\n", qPrintable(data),
                disk.bytesAvailable() >> 20, apparent >> 20);
    if (!QDir().mkpath(directory) || !writeFiles(directory)) {
        std::fprintf(stderr, "could not write the raw files\n");
        return 1;
    }
    qint64 allocated = 0;
    for (const QString& name : rawFileNames(directory)) {
        struct stat status;
        if (::stat(QFile::encodeName(directory + QLatin1Char('/') + name).constData(), &status) ==
            0)
            allocated += qint64(status.st_blocks) * 512;
    }
    std::printf("%d raw files written, %lld MB on disk (%s)\n", kFileCount, allocated >> 20,
                allocated < apparent / 4 ? "sparse" : "not sparse");

    // Both must read the same; this also warms the cache.
    const std::string plainDirectory = directory.toStdString();
    const double plainSum = plainLoop(plainDirectory);
    const TrendResult trend = ourTrend(data);
    std::printf("plain loop read %d slots; the trend has %lld flights (each in two files), "
                "%d files read, %d skipped\n",
                kFileCount * Raw::kSlotCount, qint64(trend.points.size()), trend.filesRead,
                trend.skipped.total());
    if (plainSum <= 0 || trend.filesRead != kFileCount || trend.points.isEmpty()) {
        std::fprintf(stderr, "the two sides did not read the same files\n");
        return 1;
    }
    sideBySide(data, plainDirectory, rounds, false);
    trendView(data, rounds);
    if (dropPageCache())
        sideBySide(data, plainDirectory, std::max(3, rounds / 4), true);
    else
        std::printf("cold page cache: not measured, /proc/sys/vm/drop_caches refused the "
                    "write\n");
    return 0;
}
