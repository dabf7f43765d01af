// Writing both engine data files of one full download (the simulator's engine 1), side by
// side: the plain way, one fprintf per value into a FILE*, and ours. Both write real files;
// at start-up the two outputs are compared byte for byte. Compare the two times.
#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "EngineDataFiles.h"
#include "FixedText.h"
#include "OwnHome.h"
#include "PartNumberRecord.h"
#include "UnitSimulator.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

struct Conversion {
    DownloadedData data;
    AircraftRecord aircraft;
    PartNumberRecord partNumbers;
    QDateTime created;
};

const Conversion& conversion() {
    static const Conversion instance = [] {
        Conversion made;
        const UnitSimulatorConfig config;
        const std::optional<QByteArray> response =
            UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, config));
        made.data = DownloadedData(response.value_or(QByteArray()));
        writeFixedBytes(made.aircraft.aircraftId, "N4711Z");
        writeFixedBytes(made.aircraft.shopId, "LHT-HAM");
        writeFixedBytes(made.aircraft.engines[0].engineType, "CFM56-7");
        writeFixedBytes(made.aircraft.engines[0].serialNumber, "874-112");
        writeFixedBytes(made.aircraft.engines[0].installDate, "12/04/2003");
        writeFixedBytes(made.aircraft.comments, "Borescope 2006-02-11,\nblade tip nicked.");
        const int offsets[] = {PartNumberRecord::BootMainSoftware, PartNumberRecord::MainSoftware,
                               PartNumberRecord::BootDspSoftware, PartNumberRecord::DspSoftware,
                               PartNumberRecord::CmfiTable};
        for (int field = 0; field < kPartNumberFieldCount; ++field)
            std::memcpy(made.partNumbers.data() + offsets[field],
                        config.partNumbers[size_t(field)].constData(),
                        size_t(std::min<qsizetype>(config.partNumbers[size_t(field)].size(),
                                                   PartNumberRecord::kFieldLength)));
        made.created = QDateTime(QDate(2006, 3, 5), QTime(14, 32));
        return made;
    }();
    return instance;
}

QString pathOf(const char* name) {
    return QDir::homePath() + QLatin1Char('/') + name;
}

// The plain writer, as a C program of the unit's era would have written it.
namespace plain {

const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kPhases[] = {"TOC", "TOD", "AOD", "AOA"};
const char* const kMemories[] = {"PrD", "PoD"};

void separator(FILE* file) {
    for (int i = 0; i < 255; ++i)
        fputc('-', file);
    fputc('\n', file);
}

void header(FILE* file, const char* name, const Conversion& c) {
    const char* parts = c.partNumbers.data();
    const EngineRecord& engine = c.aircraft.engines[0];
    const QDate date = c.created.date();
    const QTime time = c.created.time();
    separator(file);
    fprintf(file, "Copyright (c) Orvantis. All rights reserved.\n");
    fprintf(file, "File name:                %s\n", name);
    fprintf(file, "ZELK P/N:                 613-045-xxx-xxx\n");
    fprintf(file, "Boot Main S/W PN:         %-16.16s\n", parts + 44);
    fprintf(file, "Main Software PN:         %-16.16s\n", parts + 60);
    fprintf(file, "Boot DSP Software PN:     %-16.16s\n", parts + 100);
    fprintf(file, "DSP Software PN:          %-16.16s\n", parts + 116);
    fprintf(file, "CMFI Table PN:            %-16.16s\n", parts + 148);
    fprintf(file, "File created:             %02d-%s-%d, %02d:%02d\n", date.day(),
            kMonths[date.month() - 1], date.year(), time.hour(), time.minute());
    separator(file);
    fprintf(file, "A/C identifier:           %s\n", c.aircraft.aircraftId);
    fprintf(file, "Engine type:              %s\n", engine.engineType);
    fprintf(file, "Engine S/N:               %s\n", engine.serialNumber);
    fprintf(file, "Total engine flights:     %d\n", c.data.totalEngineFlights());
    fprintf(file, "Total engine hours:       %d:%02d\n", c.data.totalEngineHours(),
            c.data.totalEngineMinutes());
    fprintf(file, "Engine installation date: %-s\n", engine.installDate);
    fprintf(file, "Shop ID:                  %-s\n",
            c.aircraft.shopId[0] ? c.aircraft.shopId : "---");
    if (c.aircraft.comments[0])
        fprintf(file, "Comments:                 %-s\n", c.aircraft.comments);
    else
        fprintf(file, "Comments:                 [None]\n");
    separator(file);
    fprintf(file, "Current Alarm Level:      %d\n", c.data.currentAlarmLevel());
    fprintf(file, "Historic Alarm Level:     %d\n", c.data.historicAlarmLevel());
    separator(file);
}

bool steadyState(const char* path, const Conversion& c) {
    FILE* file = fopen(path, "w");
    if (!file)
        return false;
    header(file, "n4ss_05MAR2006_1432.dat", c);
    fprintf(file, "Bin Flight MEM      A4R_avg     TR4R_avg     TR4R_std      CN1_avg      CN2_avg "
                  "     CDN_avg          A4R         TR4R           N1           N2          CN1   "
                  "       CN2          CDN Time History\n");
    separator(file);
    for (int memory = 0; memory < 2; ++memory) {
        for (int bin = 0; bin < 26; ++bin) {
            for (int slot = 0; slot < 20; ++slot) {
                if (c.data.memory(slot) != memory)
                    continue;
                fprintf(file, "%3d %-6d %s ", bin + 1, c.data.flightNumber(slot),
                        kMemories[memory]);
                for (int p = 0; p < 13; ++p)
                    fprintf(file, "%*g ", 12, c.data.binValue(slot, bin, p));
                for (int i = 0; i < 1024; ++i)
                    fprintf(file, "%hd ", c.data.binSample(slot, bin, i));
                fprintf(file, "\n");
            }
        }
        separator(file);
    }
    return fclose(file) == 0;
}

bool transient(const char* path, const Conversion& c) {
    FILE* file = fopen(path, "w");
    if (!file)
        return false;
    header(file, "n4ts_05MAR2006_1432.dat", c);
    fprintf(file, "    Bin Flight MEM          A4R         TR4R           N1           N2          "
                  "CN1          CN2          CDN Time History\n");
    separator(file);
    for (int memory = 0; memory < 2; ++memory) {
        for (int phase = 0; phase < 4; ++phase) {
            for (int slot = 0; slot < 20; ++slot) {
                if (c.data.memory(slot) != memory)
                    continue;
                for (int s = 0; s < 10; ++s) {
                    fprintf(file, "%s %3d %-6d %s ", kPhases[phase], c.data.flightNumber(slot),
                            s + 1, kMemories[memory]);
                    for (int q = 0; q < 7; ++q)
                        fprintf(file, "%*g ", 12, c.data.transientValue(slot, phase, s, q));
                    for (int i = 0; i < 1024; ++i)
                        fprintf(file, "%hd ", c.data.transientSample(slot, phase, s, i));
                    fprintf(file, "\n");
                }
                fprintf(
                    file, "%s %3d %-6s %s %*g %*g %*g %*g %*g %*g %*g\n", kPhases[phase],
                    c.data.flightNumber(slot), "avg", kMemories[memory], 12,
                    c.data.phaseAverage(slot, phase, 0), 12, c.data.phaseAverage(slot, phase, 1),
                    12, 0.0, 12, 0.0, 12, c.data.phaseAverage(slot, phase, 3), 12,
                    c.data.phaseAverage(slot, phase, 4), 12, c.data.phaseAverage(slot, phase, 5));
            }
        }
        separator(file);
    }
    return fclose(file) == 0;
}

} // namespace plain

bool writePlain(const Conversion& c) {
    return plain::steadyState(qPrintable(pathOf("plain-n4ss.dat")), c) &&
           plain::transient(qPrintable(pathOf("plain-n4ts.dat")), c);
}

bool writeOurs(const Conversion& c) {
    const EngineDataSource source{c.data, 0, c.aircraft, c.partNumbers};
    ConversionProgress progress;
    QFile steadyState(pathOf("ours-n4ss.dat"));
    QFile transient(pathOf("ours-n4ts.dat"));
    return steadyState.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           writeSteadyStateFile(steadyState, QStringLiteral("n4ss_05MAR2006_1432.dat"), source,
                                c.created, progress) &&
           transient.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           writeTransientFile(transient, QStringLiteral("n4ts_05MAR2006_1432.dat"), source,
                              c.created, progress);
}

qint64 bytesWritten() {
    return QFile(pathOf("ours-n4ss.dat")).size() + QFile(pathOf("ours-n4ts.dat")).size();
}

void plainFprintf(benchmark::State& state) {
    for (auto _ : state) {
        if (!writePlain(conversion())) {
            state.SkipWithError("the plain writer failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytesWritten());
}

void ourWriters(benchmark::State& state) {
    for (auto _ : state) {
        if (!writeOurs(conversion())) {
            state.SkipWithError("our writer failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytesWritten());
}

BENCHMARK(plainFprintf)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(ourWriters)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

QByteArray contentsOf(const char* name) {
    QFile file(pathOf(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Both writers must produce the same bytes, or the times mean nothing.
bool outputsAgree() {
    if (conversion().data.completeSlots() != DownloadedData::kSlotCount) {
        std::fprintf(stderr, "the simulator's response is not a full download\n");
        return false;
    }
    if (!writePlain(conversion()) || !writeOurs(conversion())) {
        std::fprintf(stderr, "a writer failed\n");
        return false;
    }
    for (const auto& [plainName, ourName] : {std::pair{"plain-n4ss.dat", "ours-n4ss.dat"},
                                             std::pair{"plain-n4ts.dat", "ours-n4ts.dat"}}) {
        const QByteArray plainBytes = contentsOf(plainName);
        const QByteArray ourBytes = contentsOf(ourName);
        if (plainBytes.isEmpty() || plainBytes != ourBytes) {
            std::fprintf(stderr, "%s and %s differ (%lld and %lld bytes)\n", plainName, ourName,
                         qlonglong(plainBytes.size()), qlonglong(ourBytes.size()));
            return false;
        }
        std::printf("%s: byte-identical to the fprintf writer (%lld bytes)\n", ourName,
                    qlonglong(ourBytes.size()));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The files go to a home of the benchmark's own.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    if (!outputsAgree())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
