// Scanning a data directory of 200 raw flight data files (100 aircraft, both engines, about
// 550 MB), side by side: the least work that answers the same question (walk the
// directories, open each file, read its 304-byte header and its size) and our scan. The
// files are written once; both sides then run warm, alternately, so that the page cache is
// the same for both. At start-up both must list the same slots.
#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "FlightSelection.h"
#include "OwnHome.h"
#include "RawFlightDataFile.h"
#include "UnitSimulator.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Raw = RawFlightDataFile;

constexpr int kAircraftCount = 100;
constexpr qint64 kDiskNeeded = 2 * qint64(kAircraftCount) * Raw::kFileSize;

QString benchDataDirectory;

QByteArray simulatorRawFile() {
    const std::optional<QByteArray> response =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
    AircraftRecord aircraft;
    writeFixedText(aircraft.aircraftId, QStringLiteral("AC000"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!response || !Raw::write(buffer, DownloadedData(*response), aircraft, 0, 1141569120))
        return {};
    return bytes;
}

// The same file 200 times, each with its own aircraft identifier and engine number.
bool writeDataDirectory(const QString& root) {
    QByteArray bytes = simulatorRawFile();
    if (bytes.size() != Raw::kFileSize)
        return false;
    for (int aircraft = 0; aircraft < kAircraftCount; ++aircraft) {
        const QByteArray id =
            QByteArray("AC") + QByteArray::number(aircraft).rightJustified(3, '0');
        std::memset(bytes.data() + Raw::kAircraftIdOffset, 0, Raw::kTextFieldSize);
        std::memcpy(bytes.data() + Raw::kAircraftIdOffset, id.constData(), size_t(id.size()));
        for (int engine = 1; engine <= 2; ++engine) {
            qToLittleEndian<qint32>(engine, bytes.data() + Raw::kEngineNumberOffset);
            const QString directory = QStringLiteral("%1/%2_data/engine_%3")
                                          .arg(root, QString::fromLatin1(id))
                                          .arg(engine);
            QFile file(directory + QStringLiteral("/n4orig_05MAR2006_1432.raw"));
            if (!QDir().mkpath(directory) || !file.open(QIODevice::WriteOnly) ||
                file.write(bytes) != bytes.size())
                return false;
        }
    }
    return true;
}

bool isDirectory(const std::string& path, const dirent* entry) {
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type == DT_DIR;
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The least work: for every raw file, open, one 304-byte read, one fstat, close; the slot
// count from the header and the size.
int minimalScan(const std::string& root) {
    int listed = 0;
    DIR* data = ::opendir(root.c_str());
    if (!data)
        return -1;
    while (const dirent* aircraft = ::readdir(data)) {
        const std::string aircraftPath = root + '/' + aircraft->d_name;
        if (!std::string_view(aircraft->d_name).ends_with("_data") ||
            !isDirectory(aircraftPath, aircraft))
            continue;
        for (const char* engine : {"/engine_1", "/engine_2"}) {
            const std::string enginePath = aircraftPath + engine;
            DIR* files = ::opendir(enginePath.c_str());
            if (!files)
                continue;
            while (const dirent* file = ::readdir(files)) {
                if (!std::string_view(file->d_name).ends_with(".raw"))
                    continue;
                const int descriptor = ::open((enginePath + '/' + file->d_name).c_str(), O_RDONLY);
                if (descriptor < 0)
                    continue;
                char header[Raw::kHeaderSize];
                struct stat status;
                if (::read(descriptor, header, sizeof header) == Raw::kHeaderSize &&
                    ::fstat(descriptor, &status) == 0) {
                    const quint32 magic = qFromLittleEndian<quint32>(header);
                    if (Raw::isKnownMagic(magic)) {
                        for (int slot = 0; slot < Raw::kSlotCount &&
                                           Raw::kHeaderSize + qint64(slot + 1) * Raw::kRecordSize <=
                                               status.st_size;
                             ++slot)
                            listed += qFromLittleEndian<qint32>(header + Raw::kFlightNumbersOffset +
                                                                4 * slot) != 0;
                    }
                }
                ::close(descriptor);
            }
            ::closedir(files);
        }
    }
    ::closedir(data);
    return listed;
}

int ourScan(const QString& root) {
    return int(scanFlightSlots(root).size());
}

void minimal(benchmark::State& state) {
    const std::string root = benchDataDirectory.toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(minimalScan(root));
}

void ours(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ourScan(benchDataDirectory));
}

BENCHMARK(minimal)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime()->Repetitions(3);
BENCHMARK(ours)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime()->Repetitions(3);

// Alternating runs, medians: the same cache state and the same machine load for both.
void sideBySide() {
    constexpr int kRounds = 41;
    const std::string root = benchDataDirectory.toStdString();
    std::vector<double> minimalTimes, ourTimes;
    QElapsedTimer timer;
    for (int round = 0; round < kRounds; ++round) {
        timer.start();
        benchmark::DoNotOptimize(minimalScan(root));
        minimalTimes.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        benchmark::DoNotOptimize(ourScan(benchDataDirectory));
        ourTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(minimalTimes.begin(), minimalTimes.end());
    std::sort(ourTimes.begin(), ourTimes.end());
    const double minimalMedian = minimalTimes[kRounds / 2];
    const double ourMedian = ourTimes[kRounds / 2];
    std::printf("side by side, median of %d alternating warm runs over %d files:\n"
                "  minimal %.3f ms, ours %.3f ms, ratio %.2f (goal <= 1.5)\n",
                kRounds, 2 * kAircraftCount, minimalMedian, ourMedian, ourMedian / minimalMedian);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    const QStorageInfo disk(home.path());
    if (disk.bytesAvailable() < 4 * kDiskNeeded) {
        std::fprintf(stderr, "not enough free disk for %lld MB of raw files\n", kDiskNeeded >> 20);
        return 1;
    }
    benchDataDirectory = home.path() + QStringLiteral("/data");
    if (!writeDataDirectory(benchDataDirectory)) {
        std::fprintf(stderr, "could not write the raw files\n");
        return 1;
    }
    // Both must answer the same question, or the times mean nothing; this also warms both.
    const int expected = minimalScan(benchDataDirectory.toStdString());
    const int listed = ourScan(benchDataDirectory);
    std::printf("%d raw files, %lld MB; both list %d slots\n", 2 * kAircraftCount,
                kDiskNeeded >> 20, listed);
    if (expected != listed || listed == 0) {
        std::fprintf(stderr, "the scans disagree: minimal %d, ours %d\n", expected, listed);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sideBySide();
    // The temporary directory and its 550 MB go with `home`.
    return 0;
}
