// The index of every flight over 1,000 raw flight data files of one engine (20,000 flight
// slots; header, steady-state rows and the 26 steady-state time records of each slot written,
// the rest a hole), warm page cache:
// - building it from nothing, beside a plain loop that reads the same bytes with pread and
//   computes the same indicators (no database); median of alternating runs;
// - an update after one new download: the download's file added (what the program does when a
//   download ends), and a whole update that finds only that file new; goal <= 100 ms;
// - the trend of one indicator over the 1,000 files from the index, beside today's trend of a
//   steady-state value from the raw files; goal <= 10 ms.
//
// bench_index [FOLDER [ROUNDS [FILES]]]: the files go to a new folder below FOLDER (default: the
// temporary folder) and are removed at the end.
#include "AircraftPaths.h"
#include "BenchMeasures.h"
#include "CraftedRawFile.h"
#include "FlightIndex.h"
#include "Notifier.h"
#include "OwnHome.h"
#include "RawFileSlots.h"
#include "Trend.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using Raw = RawFlightDataLayout;

const QString kAircraft = QStringLiteral("AC001");
const QString kEngineType = QStringLiteral("T700");
const BearingGeometry kGeometry{9, 7.9, 39.0, 0.0, BearingShaft::N2};

// File i holds flights 10 i + 1 to 10 i + 20, so that each flight is in two downloads; every
// bin has its speeds and a record of two tones in noise.
bool writeFile(const QString& path, int i) {
    CraftedRawFile file;
    file.aircraftId = kAircraft;
    file.creationTime = 1141568000 + 86400 * quint32(i);
    for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
        CraftedSlot crafted = CraftedSlot::filled(slot, 10 * i + slot + 1, slot % 2, 1.0f);
        for (int bin = 0; bin < Raw::kBinCount; ++bin) {
            crafted.rows[valueOf(ParameterType::N1)][bin] = float(3000 + 50 * bin);
            crafted.rows[valueOf(ParameterType::N2)][bin] = float(9000 + 200 * bin);
        }
        file.flightSlots.append(crafted);
    }
    if (!writeCraftedRawFile(path, file))
        return false;
    QFile out(path);
    if (!out.open(QIODevice::ReadWrite))
        return false;
    std::mt19937 random{quint32(i)};
    std::normal_distribution<double> noise(0, 300);
    QByteArray records(Raw::kBinCount * Raw::kTimeRecordBytes, '\0');
    for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
        for (int sample = 0; sample < Raw::kBinCount * Raw::kTimeRecordLength; ++sample) {
            const double t = sample / 9765.625;
            const double value = 3000 * std::sin(2 * M_PI * 55 * t) +
                                 2000 * std::sin(2 * M_PI * 160 * t) + noise(random);
            qToLittleEndian(qint16(std::lround(value)), records.data() + 2 * sample);
        }
        if (!out.seek(Raw::kHeaderSize + qint64(slot) * Raw::kRecordSize + Raw::kBinTimeOffset) ||
            out.write(records) != records.size())
            return false;
    }
    return true;
}

QString fileName(int i) {
    return QStringLiteral("n4orig_%1.raw").arg(i, 4, 10, QLatin1Char('0'));
}

FlightIndexInputs inputs() {
    FlightIndexInputs inputs;
    inputs.engineType = [](const QString&, int) { return kEngineType; };
    inputs.bearings[kEngineType] = kGeometry;
    return inputs;
}

// The plain loop: list the folder, per raw file pread the header and each occupied slot's
// steady-state part, compute its indicators; the sum of the kurtosis values so that the work
// is used.
double plainLoop(const std::string& directory) {
    double total = 0;
    DIR* folder = ::opendir(directory.c_str());
    if (!folder)
        return -1;
    QByteArray steadyState(Raw::kTransientValuesOffset, '\0');
    while (const dirent* entry = ::readdir(folder)) {
        if (!std::string_view(entry->d_name).ends_with(".raw"))
            continue;
        const int descriptor = ::open((directory + '/' + entry->d_name).c_str(), O_RDONLY);
        if (descriptor < 0)
            continue;
        char header[Raw::kHeaderSize];
        if (::pread(descriptor, header, sizeof header, 0) == Raw::kHeaderSize) {
            for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
                if (qFromLittleEndian<qint32>(header + Raw::kFlightNumbersOffset + 4 * slot) == 0)
                    continue;
                if (::pread(descriptor, steadyState.data(), steadyState.size(),
                            Raw::kHeaderSize + off_t(slot) * Raw::kRecordSize) !=
                    steadyState.size())
                    break;
                total += recordIndicators(FlightRecord(steadyState), kGeometry)[Indicator::Kurtosis]
                             .value_or(0);
            }
        }
        ::close(descriptor);
    }
    ::closedir(folder);
    return total;
}

void removeIndex(const QString& data) {
    QDir(FlightIndex::folderPath(data)).removeRecursively();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    const QString parent = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int fileCount = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    QTemporaryDir folder(parent + QStringLiteral("/bench_index_XXXXXX"));
    if (!folder.isValid())
        return 1;
    const QString data = folder.path();
    const QString directory = engineDirectory(data, kAircraft, 1);
    if (!QDir().mkpath(directory))
        return 1;
    for (int i = 0; i < fileCount; ++i) {
        if (!writeFile(directory + QLatin1Char('/') + fileName(i), i)) {
            std::fprintf(stderr, "could not write the raw files\n");
            return 1;
        }
    }
    std::printf("%d raw files, %d flight slots written\n", fileCount, fileCount * Raw::kSlotCount);

    PrintingNotifier notifier;
    const std::string plainDirectory = directory.toStdString();
    volatile double sink = plainLoop(plainDirectory); // warms the cache
    std::vector<double> plainTimes, buildTimes;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        sink = sink + plainLoop(plainDirectory);
        plainTimes.push_back(milliseconds(timer));
        removeIndex(data);
        timer.start();
        const FlightIndex index(data, inputs(), notifier);
        buildTimes.push_back(milliseconds(timer));
        if (index.lastUpdate().read != fileCount) {
            std::fprintf(stderr, "the index read %d files\n", index.lastUpdate().read);
            return 1;
        }
    }
    const double plain = median(plainTimes);
    const double build = median(buildTimes);
    std::printf("index build, warm page cache, median of %d alternating runs:\n"
                "  plain pread + indicators loop %.0f ms, index build %.0f ms, ratio %.2f\n",
                rounds, plain, build, build / plain);

    std::vector<double> addTimes, updateTimes, trendTimes, scanTimes;
    FlightIndex index(data, inputs(), notifier);
    for (int round = 0; round < rounds; ++round) {
        const QString added = directory + QLatin1Char('/') + fileName(fileCount + 2 * round);
        writeFile(added, fileCount + 2 * round);
        timer.start();
        index.addRawFile(added);
        addTimes.push_back(milliseconds(timer));
        writeFile(directory + QLatin1Char('/') + fileName(fileCount + 2 * round + 1),
                  fileCount + 2 * round + 1);
        timer.start();
        const IndexUpdate update = index.update();
        updateTimes.push_back(milliseconds(timer));
        if (update.read != 1)
            std::fprintf(stderr, "the update read %d files\n", update.read);
    }
    std::printf("after one new download, median of %d runs (goal <= 100 ms):\n"
                "  the download's file added %.1f ms; a whole update finding it %.1f ms\n",
                rounds, median(addTimes), median(updateTimes));

    const TrendRequest request{kAircraft, 1, ParameterType::A4R, TrendStatistic::Maximum, {}};
    qsizetype points = 0;
    for (int round = 0; round < std::max(rounds, 11); ++round) {
        timer.start();
        points = index.indicatorTrend(kAircraft, 1, std::nullopt, Indicator::Kurtosis).size();
        trendTimes.push_back(milliseconds(timer));
        timer.start();
        sink = sink + computeTrend(data, request).points.size();
        scanTimes.push_back(milliseconds(timer));
    }
    std::printf("trend of kurtosis over %d files from the index, %lld flights, median of %d "
                "alternating runs (goal <= 10 ms):\n"
                "  index %.2f ms; steady-state trend scanned from the raw files %.2f ms\n",
                fileCount + 2 * rounds, qint64(points), int(trendTimes.size()), median(trendTimes),
                median(scanTimes));
    return 0;
}
