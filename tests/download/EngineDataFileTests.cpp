#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "EngineDataFiles.h"
#include "FixedText.h"
#include "PartNumberRecord.h"

#include <QBuffer>
#include <QDateTime>
#include <QList>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace {

const QByteArray kSeparator = QByteArray(255, '-');
constexpr int kHeaderLines = 23; // with a one-line comment

// Slot plan of the unit as the simulator records it by default: 14, 15 and 16 in the
// post-defect memory, 17 to 19 empty.
const QList<int> kPreDefectSlots = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 18, 19};
const QList<int> kPostDefectSlots = {14, 15, 16};
const QList<int> kEmptySlots = {17, 18, 19};

// A download response built value by value at the unit's offsets.
class ResponseBuilder {
public:
    ResponseBuilder() : bytes_(DownloadedData::kFullSize, '\0') {}

    void setUnitHeader(qint32 flights, qint32 hours, qint32 minutes, qint32 current,
                       qint32 historic) {
        char* header = bytes_.data() + DownloadedData::kUnitHeaderOffset;
        qToLittleEndian(flights, header + 12);
        qToLittleEndian(hours, header + 16);
        qToLittleEndian(minutes, header + 20);
        qToLittleEndian(current, header + 28);
        qToLittleEndian(historic, header + 32);
    }
    void setSlot(int slot, qint32 flightNumber, qint32 memory) {
        qToLittleEndian(flightNumber, block(slot) + DownloadedData::kFlightNumberOffset);
        qToLittleEndian(memory, block(slot) + DownloadedData::kMemoryOffset);
    }
    void setBinValue(int slot, int bin, int parameter, float value) {
        qToLittleEndian(value, bin0(slot, bin) + DownloadedData::kBinValuesOffset + 4 * parameter);
    }
    void setPhaseAverage(int slot, int phase, int average, float value) {
        qToLittleEndian(value, block(slot) + DownloadedData::phaseOffset(phase) +
                                   DownloadedData::kPhaseAveragesOffset + 4 * average);
    }
    void setTransientValue(int slot, int phase, int sample, int parameter, float value) {
        qToLittleEndian(value, block(slot) + DownloadedData::transientOffset(phase, sample) +
                                   DownloadedData::kTransientValuesOffset + 4 * parameter);
    }

    // Every value of the slot from a seed: readings of all magnitudes and signs, and time
    // histories that reach both ends of the 16-bit range.
    void fillSlot(int slot, quint32 seed) {
        quint32 state = seed * 2654435761u + 1;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return state;
        };
        auto reading = [&next] {
            const quint32 bits = next();
            return std::ldexp(float(bits % 2000000) / 1000.0f - 1000.0f, int(bits >> 27) - 16);
        };
        for (int bin = 0; bin < DownloadedData::kBinCount; ++bin) {
            for (int parameter = 0; parameter < DownloadedData::kBinValueCount; ++parameter)
                setBinValue(slot, bin, parameter, reading());
            for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index)
                setSample(bin0(slot, bin) + DownloadedData::kBinSamplesOffset, index, next());
        }
        for (int phase = 0; phase < DownloadedData::kPhaseCount; ++phase) {
            for (int average = 0; average < DownloadedData::kPhaseAverageCount; ++average)
                setPhaseAverage(slot, phase, average, reading());
            for (int sample = 0; sample < DownloadedData::kTransientSampleCount; ++sample) {
                for (int parameter = 0; parameter < DownloadedData::kTransientValueCount;
                     ++parameter)
                    setTransientValue(slot, phase, sample, parameter, reading());
                char* history = block(slot) + DownloadedData::transientOffset(phase, sample) +
                                DownloadedData::kTransientTimeOffset;
                for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index)
                    setSample(history, index, next());
            }
        }
    }

    // The default plan: flight numbers rising from 501, empty slots all zero.
    void recordDefaultPlan() {
        setUnitHeader(12345, 23456, 7, 2, 3);
        for (int slot = 0; slot < DownloadedData::kSlotCount; ++slot) {
            if (kEmptySlots.contains(slot))
                continue;
            setSlot(slot, 501 + 2 * slot, kPostDefectSlots.contains(slot) ? 1 : 0);
            fillSlot(slot, quint32(slot + 1));
        }
    }

    QByteArray& bytes() { return bytes_; }
    DownloadedData data() const { return DownloadedData(bytes_); }

private:
    char* block(int slot) {
        return bytes_.data() + DownloadedData::kFlightsOffset +
               qint64(DownloadedData::kFlightBlockSize) * slot;
    }
    char* bin0(int slot, int bin) {
        return block(slot) + DownloadedData::kBinsOffset + DownloadedData::kBinSize * bin;
    }
    static void setSample(char* history, int index, quint32 random) {
        // The first two samples of every history are the extremes.
        const qint16 value = index == 0   ? qint16(SHRT_MIN)
                             : index == 1 ? qint16(SHRT_MAX)
                                          : qint16(random);
        qToLittleEndian(value, history + 2 * index);
    }

    QByteArray bytes_;
};

AircraftRecord sampleAircraft() {
    AircraftRecord aircraft;
    writeFixedBytes(aircraft.aircraftId, "N4711Z");
    writeFixedBytes(aircraft.shopId, "LHT-HAM");
    writeFixedBytes(aircraft.engines[0].engineType, "CFM56-3");
    writeFixedBytes(aircraft.engines[0].serialNumber, "111-111");
    writeFixedBytes(aircraft.engines[0].installDate, "01/01/2001");
    writeFixedBytes(aircraft.engines[1].engineType, "CFM56-7");
    writeFixedBytes(aircraft.engines[1].serialNumber, "874-112");
    writeFixedBytes(aircraft.engines[1].installDate, "12/04/2003");
    writeFixedBytes(aircraft.comments, "Checked by J\xFCrgen");
    return aircraft;
}

PartNumberRecord samplePartNumbers() {
    PartNumberRecord record;
    char* bytes = record.data();
    std::memcpy(bytes + PartNumberRecord::BootMainSoftware, "ZK4711-BT-0102", 14);
    // All 16 bytes used and more text behind the field: it is cut at 16.
    std::memset(bytes + PartNumberRecord::MainSoftware, 'X', 40);
    std::memcpy(bytes + PartNumberRecord::MainSoftware, "ZK4712-SW-0305-C", 16);
    std::memcpy(bytes + PartNumberRecord::BootDspSoftware, "ZK4721", 6);
    std::memcpy(bytes + PartNumberRecord::DspSoftware, "ZK4722-SW-0410", 14);
    return record; // the configuration table's number stays empty
}

const QDateTime kCreated(QDate(2006, 3, 5), QTime(14, 32, 59));

struct WrittenFiles {
    QByteArray steadyState;
    QByteArray transient;
    bool steadyStateWritten = false;
    bool transientWritten = false;
    QList<int> percents;
};

WrittenFiles writeBoth(const DownloadedData& data, const AircraftRecord& aircraft,
                       const PartNumberRecord& partNumbers, int engineIndex = 1) {
    WrittenFiles files;
    ConversionProgress progress([&files](int percent) { files.percents.append(percent); });
    const EngineDataSource source{data, engineIndex, aircraft, partNumbers};
    QBuffer steadyState(&files.steadyState);
    steadyState.open(QIODevice::WriteOnly);
    files.steadyStateWritten =
        writeSteadyStateFile(steadyState, "n4ss_05MAR2006_1432.dat", source, kCreated, progress);
    QBuffer transient(&files.transient);
    transient.open(QIODevice::WriteOnly);
    files.transientWritten = writeTransientFile(transient, "n4ts_05MAR2006_1432.dat", source,
                                                kCreated.addSecs(60), progress);
    return files;
}

QList<QByteArray> linesOf(const QByteArray& text) {
    EXPECT_TRUE(text.endsWith('\n'));
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    return lines;
}

QList<int> wordStarts(const QByteArray& line) {
    QList<int> starts;
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] != ' ' && (i == 0 || line[i - 1] == ' '))
            starts.append(i);
    }
    return starts;
}

qsizetype wordCount(const QByteArray& line) {
    return line.simplified().split(' ').size();
}

// The rows as C's printf builds them, the reference for ours.
template <typename... Arguments>
void appendPrinted(std::string& text, const char* format, Arguments... arguments) {
    char piece[64];
    text.append(piece, size_t(std::snprintf(piece, sizeof piece, format, arguments...)));
}

QByteArray referenceBinRow(const DownloadedData& data, int slot, int bin, const char* memory) {
    std::string row;
    appendPrinted(row, "%3d %-6d %s ", bin + 1, data.flightNumber(slot), memory);
    for (int parameter = 0; parameter < DownloadedData::kBinValueCount; ++parameter)
        appendPrinted(row, "%*g ", 12, double(data.binValue(slot, bin, parameter)));
    for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index)
        appendPrinted(row, "%hd ", data.binSample(slot, bin, index));
    return QByteArray::fromStdString(row);
}

const char* const kPhases[] = {"TOC", "TOD", "AOD", "AOA"};

QByteArray referenceSampleRow(const DownloadedData& data, int slot, int phase, int sample,
                              const char* memory) {
    std::string row;
    appendPrinted(row, "%s %3d %-6d %s ", kPhases[phase], data.flightNumber(slot), sample + 1,
                  memory);
    for (int parameter = 0; parameter < DownloadedData::kTransientValueCount; ++parameter)
        appendPrinted(row, "%*g ", 12, double(data.transientValue(slot, phase, sample, parameter)));
    for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index)
        appendPrinted(row, "%hd ", data.transientSample(slot, phase, sample, index));
    return QByteArray::fromStdString(row);
}

QByteArray referenceAverageRow(const DownloadedData& data, int slot, int phase,
                               const char* memory) {
    char row[256];
    auto average = [&](int index) { return double(data.phaseAverage(slot, phase, index)); };
    std::snprintf(row, sizeof row, "%s %3d %-6s %s %*g %*g %*g %*g %*g %*g %*g", kPhases[phase],
                  data.flightNumber(slot), "avg", memory, 12, average(0), 12, average(1), 12, 0.0,
                  12, 0.0, 12, average(3), 12, average(4), 12, average(5));
    return QByteArray(row);
}

class EngineDataFiles : public ::testing::Test {
protected:
    void SetUp() override { builder.recordDefaultPlan(); }

    ResponseBuilder builder;
    AircraftRecord aircraft = sampleAircraft();
    PartNumberRecord partNumbers = samplePartNumbers();
};

TEST_F(EngineDataFiles, HeaderBlockCarriesOriginUnitAircraftAndEngineTotals) {
    writeFixedBytes(aircraft.comments, "Borescope 2006-02-11,\nstage 1 blade tip nicked.");
    const WrittenFiles files = writeBoth(builder.data(), aircraft, partNumbers);
    ASSERT_TRUE(files.steadyStateWritten);
    ASSERT_TRUE(files.transientWritten);

    const QList<QByteArray> expected = {
        kSeparator,
        "Copyright (c) Orvantis. All rights reserved.",
        "File name:                n4ss_05MAR2006_1432.dat",
        "ZELK P/N:                 613-045-xxx-xxx",
        "Boot Main S/W PN:         ZK4711-BT-0102  ",
        "Main Software PN:         ZK4712-SW-0305-C",
        "Boot DSP Software PN:     ZK4721          ",
        "DSP Software PN:          ZK4722-SW-0410  ",
        "CMFI Table PN:                            ",
        "File created:             05-MAR-2006, 14:32",
        kSeparator,
        "A/C identifier:           N4711Z",
        "Engine type:              CFM56-7",
        "Engine S/N:               874-112",
        "Total engine flights:     12345",
        "Total engine hours:       23456:07",
        "Engine installation date: 12/04/2003",
        "Shop ID:                  LHT-HAM",
        "Comments:                 Borescope 2006-02-11,",
        "stage 1 blade tip nicked.",
        kSeparator,
        "Current Alarm Level:      2",
        "Historic Alarm Level:     3",
        kSeparator,
    };
    const QList<QByteArray> steadyState = linesOf(files.steadyState);
    EXPECT_EQ(steadyState.mid(0, expected.size()), expected);

    // The transient file differs only in its name and its time.
    QList<QByteArray> transientExpected = expected;
    transientExpected[2] = "File name:                n4ts_05MAR2006_1432.dat";
    transientExpected[9] = "File created:             05-MAR-2006, 14:33";
    EXPECT_EQ(linesOf(files.transient).mid(0, expected.size()), transientExpected);
}

TEST_F(EngineDataFiles, EmptyShopAndCommentsAndEightBitTextInTheHeader) {
    // Stored 8-bit text is written as stored, not re-encoded.
    QList<QByteArray> lines = linesOf(writeBoth(builder.data(), aircraft, partNumbers).transient);
    EXPECT_EQ(lines[18], "Comments:                 Checked by J\xFC"
                         "rgen");

    writeFixedBytes(aircraft.shopId, QByteArrayView());
    writeFixedBytes(aircraft.comments, QByteArrayView());
    for (const QByteArray& file : {writeBoth(builder.data(), aircraft, partNumbers).steadyState,
                                   writeBoth(builder.data(), aircraft, partNumbers).transient}) {
        lines = linesOf(file);
        EXPECT_EQ(lines[17], "Shop ID:                  ---");
        EXPECT_EQ(lines[18], "Comments:                 [None]");
        EXPECT_EQ(lines[19], kSeparator);
    }

    // A date in the first days of a month and the first minutes of an hour keeps its zeros.
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    ConversionProgress progress;
    const DownloadedData data = builder.data();
    ASSERT_TRUE(writeSteadyStateFile(buffer, "n4ss.dat", {data, 0, aircraft, partNumbers},
                                     QDateTime(QDate(2010, 12, 9), QTime(0, 5)), progress));
    lines = linesOf(text);
    EXPECT_EQ(lines[9], "File created:             09-DEC-2010, 00:05");
    EXPECT_EQ(lines[12], "Engine type:              CFM56-3");
}

TEST_F(EngineDataFiles, ColumnHeaderWordsStartWhereTheColumnsDo) {
    const WrittenFiles files = writeBoth(builder.data(), aircraft, partNumbers);
    const QList<QByteArray> steadyState = linesOf(files.steadyState);
    EXPECT_EQ(wordStarts(steadyState[kHeaderLines]),
              (QList<int>{0, 4, 11, 20, 32, 45, 59, 72, 85, 102, 114, 129, 142, 154, 167, 180, 184,
                          189}));
    EXPECT_TRUE(steadyState[kHeaderLines].startsWith("Bin Flight MEM      A4R_avg"));
    EXPECT_TRUE(steadyState[kHeaderLines].endsWith("CDN Time History"));
    EXPECT_EQ(steadyState[kHeaderLines + 1], kSeparator);

    const QList<QByteArray> transient = linesOf(files.transient);
    EXPECT_EQ(wordStarts(transient[kHeaderLines]),
              (QList<int>{4, 8, 15, 28, 40, 55, 68, 80, 93, 106, 110, 115}));
    EXPECT_TRUE(transient[kHeaderLines].startsWith("    Bin Flight MEM          A4R"));
    EXPECT_TRUE(transient[kHeaderLines].endsWith("CDN Time History"));
    EXPECT_EQ(transient[kHeaderLines + 1], kSeparator);
}

TEST_F(EngineDataFiles, RowsMatchPrintfForEveryKindOfValue) {
    // Values where a formatter goes wrong, and a flight number wider than its column.
    const float awkward[DownloadedData::kBinValueCount] = {
        -0.0f,
        std::numeric_limits<float>::quiet_NaN(),
        -std::numeric_limits<float>::infinity(),
        FLT_MIN,
        FLT_TRUE_MIN,
        999999.5f,
        1e-5f,
        0.0001f,
        123456.7f,
        -FLT_MAX,
        1234565.0f,
        1.0f,
        -std::numeric_limits<float>::quiet_NaN()};
    builder.setSlot(2, -1234567, 0);
    for (int parameter = 0; parameter < DownloadedData::kBinValueCount; ++parameter)
        builder.setBinValue(2, 25, parameter, awkward[parameter]);
    for (int parameter = 0; parameter < DownloadedData::kTransientValueCount; ++parameter)
        builder.setTransientValue(15, 3, 9, parameter, awkward[parameter + 6]);
    for (int average = 0; average < DownloadedData::kPhaseAverageCount; ++average)
        builder.setPhaseAverage(15, 3, average, awkward[average]);
    const DownloadedData data = builder.data();
    const WrittenFiles files = writeBoth(data, aircraft, partNumbers);

    const QList<QByteArray> steadyState = linesOf(files.steadyState);
    for (const auto& [slot, bin, memory] :
         {std::tuple{2, 25, "PrD"}, std::tuple{2, 0, "PrD"}, std::tuple{9, 13, "PrD"},
          std::tuple{18, 4, "PrD"}, std::tuple{16, 25, "PoD"}}) {
        const QByteArray reference = referenceBinRow(data, slot, bin, memory);
        EXPECT_TRUE(steadyState.contains(reference)) << "slot " << slot << " bin " << bin;
        EXPECT_EQ(wordCount(reference), 3 + 13 + 1024);
        EXPECT_TRUE(reference.endsWith(' '));
    }

    const QList<QByteArray> transient = linesOf(files.transient);
    for (const auto& [slot, phase, sample, memory] :
         {std::tuple{15, 3, 9, "PoD"}, std::tuple{15, 0, 0, "PoD"}, std::tuple{2, 1, 4, "PrD"},
          std::tuple{19, 2, 9, "PrD"}}) {
        const QByteArray reference = referenceSampleRow(data, slot, phase, sample, memory);
        EXPECT_TRUE(transient.contains(reference))
            << "slot " << slot << " phase " << phase << " sample " << sample;
        EXPECT_EQ(wordCount(reference), 4 + 7 + 1024);
    }
    for (const auto& [slot, phase, memory] :
         {std::tuple{15, 3, "PoD"}, std::tuple{2, 0, "PrD"}, std::tuple{17, 1, "PrD"}}) {
        const QByteArray reference = referenceAverageRow(data, slot, phase, memory);
        EXPECT_TRUE(transient.contains(reference)) << "slot " << slot << " phase " << phase;
        EXPECT_EQ(wordCount(reference), 4 + 7);
    }
    // The average row of the awkward phase, by hand: TR4R_std is left out, N1 and N2 are 0.
    EXPECT_TRUE(transient.contains("AOA 531 avg    PoD           -0          nan            0"
                                   "            0  1.17549e-38   1.4013e-45        1e+06"));
}

TEST_F(EngineDataFiles, TablesSplitTheSlotsByMemoryInBinAndPhaseOrder) {
    const WrittenFiles files = writeBoth(builder.data(), aircraft, partNumbers);

    // Each row reduced to its bin, flight and memory; "-" for a separator.
    QList<QByteArray> expected = {"-"};
    for (const auto& [slotList, memory] :
         {std::pair{kPreDefectSlots, "PrD"}, std::pair{kPostDefectSlots, "PoD"}}) {
        for (int bin = 1; bin <= DownloadedData::kBinCount; ++bin) {
            for (const int slot : slotList) {
                const int flight = kEmptySlots.contains(slot) ? 0 : 501 + 2 * slot;
                expected.append(QByteArray::number(bin) + " " + QByteArray::number(flight) + " " +
                                memory);
            }
        }
        expected.append("-");
    }
    QList<QByteArray> rows;
    for (const QByteArray& line : linesOf(files.steadyState).mid(kHeaderLines + 1))
        rows.append(line == kSeparator ? QByteArray("-")
                                       : line.simplified().split(' ').mid(0, 3).join(' '));
    EXPECT_EQ(rows, expected);

    // Per phase and slot: ten samples numbered 1 to 10, then the average.
    expected = {"-"};
    for (const auto& [slotList, memory] :
         {std::pair{kPreDefectSlots, "PrD"}, std::pair{kPostDefectSlots, "PoD"}}) {
        for (const char* phase : kPhases) {
            for (const int slot : slotList) {
                const QByteArray flight =
                    QByteArray::number(kEmptySlots.contains(slot) ? 0 : 501 + 2 * slot);
                for (int sample = 1; sample <= DownloadedData::kTransientSampleCount; ++sample)
                    expected.append(QByteArray(phase) + " " + flight + " " +
                                    QByteArray::number(sample) + " " + memory);
                expected.append(QByteArray(phase) + " " + flight + " avg " + memory);
            }
        }
        expected.append("-");
    }
    rows.clear();
    for (const QByteArray& line : linesOf(files.transient).mid(kHeaderLines + 1))
        rows.append(line == kSeparator ? QByteArray("-")
                                       : line.simplified().split(' ').mid(0, 4).join(' '));
    EXPECT_EQ(rows, expected);
}

TEST_F(EngineDataFiles, AnEmptyTableLeavesItsSeparatorsNextToEachOther) {
    for (int slot = 0; slot < DownloadedData::kSlotCount; ++slot)
        builder.setSlot(slot, 700 + slot, 1);
    WrittenFiles files = writeBoth(builder.data(), aircraft, partNumbers);
    for (const QByteArray& file : {files.steadyState, files.transient}) {
        const QList<QByteArray> lines = linesOf(file);
        EXPECT_EQ(lines[kHeaderLines + 1], kSeparator);
        EXPECT_EQ(lines[kHeaderLines + 2], kSeparator);
        EXPECT_TRUE(lines[kHeaderLines + 3].contains(" 700 "))
            << lines[kHeaderLines + 3].left(40).constData();
        EXPECT_TRUE(lines[kHeaderLines + 3].contains(" PoD "));
        EXPECT_EQ(lines.last(), kSeparator);
    }
    EXPECT_EQ(linesOf(files.steadyState).size(), kHeaderLines + 4 + 26 * 20);
    EXPECT_EQ(linesOf(files.transient).size(), kHeaderLines + 4 + 4 * 20 * 11);

    for (int slot = 0; slot < DownloadedData::kSlotCount; ++slot)
        builder.setSlot(slot, 700 + slot, 0);
    files = writeBoth(builder.data(), aircraft, partNumbers);
    for (const QByteArray& file : {files.steadyState, files.transient}) {
        const QList<QByteArray> lines = linesOf(file);
        EXPECT_EQ(lines[lines.size() - 2], kSeparator);
        EXPECT_EQ(lines.last(), kSeparator);
        EXPECT_TRUE(lines[lines.size() - 3].contains(" PrD "));
    }
}

TEST_F(EngineDataFiles, SlotsMissingFromAShortResponseReadAsEmptyPreDefectSlots) {
    // The unit data header and half of the first flight block.
    QByteArray& bytes = builder.bytes();
    bytes.truncate(DownloadedData::kFlightsOffset + DownloadedData::kFlightBlockSize / 2);
    const DownloadedData data = builder.data();
    const WrittenFiles files = writeBoth(data, aircraft, partNumbers);
    ASSERT_TRUE(files.steadyStateWritten);
    ASSERT_TRUE(files.transientWritten);

    const QList<QByteArray> steadyState = linesOf(files.steadyState);
    EXPECT_EQ(steadyState.size(), kHeaderLines + 4 + 26 * 20);
    EXPECT_EQ(steadyState[kHeaderLines + 2], referenceBinRow(data, 0, 0, "PrD"));
    EXPECT_TRUE(steadyState[kHeaderLines + 2].startsWith("  1 0      PrD            0 "));
    EXPECT_EQ(steadyState[14], "Total engine flights:     12345");
    const QList<QByteArray> transient = linesOf(files.transient);
    EXPECT_EQ(transient.size(), kHeaderLines + 4 + 4 * 20 * 11);
    EXPECT_EQ(transient[kHeaderLines + 12], "TOC   0 avg    PrD            0            0"
                                            "            0            0            0"
                                            "            0            0");
}

TEST_F(EngineDataFiles, ProgressCountsSixtyStepsAcrossBothFilesThenReportsHundred) {
    const WrittenFiles files = writeBoth(builder.data(), aircraft, partNumbers);
    const QList<int> expected = {0,  1,  3,  5,  6,  8,  10, 11, 13, 15, 16, 18, 20, 21, 23, 25,
                                 26, 28, 30, 31, 33, 35, 36, 38, 40, 41, 43, 45, 46, 48, 50, 51,
                                 53, 55, 56, 58, 60, 61, 63, 65, 66, 68, 70, 71, 73, 75, 76, 78,
                                 80, 81, 83, 85, 86, 88, 90, 91, 93, 95, 96, 98, 100};
    EXPECT_EQ(files.percents, expected);
}

// Takes `budget` bytes in all, at most `chunk` per call, and refuses every write after that.
class LimitedDevice : public QIODevice {
public:
    LimitedDevice(qint64 budget, qint64 chunk) : budget_(budget), chunk_(chunk) {
        open(QIODevice::WriteOnly);
    }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        if (budget_ <= 0)
            return -1;
        const qint64 count = std::min({length, budget_, chunk_});
        written.append(data, count);
        budget_ -= count;
        return count;
    }

private:
    qint64 budget_;
    qint64 chunk_;
};

TEST_F(EngineDataFiles, AWriteErrorIsReportedAndShortWritesAreCompleted) {
    const DownloadedData data = builder.data();
    const WrittenFiles reference = writeBoth(data, aircraft, partNumbers);
    const EngineDataSource source{data, 1, aircraft, partNumbers};

    // A device that takes a little at a time still gets every byte.
    LimitedDevice slow(std::numeric_limits<qint64>::max(), 1000);
    ConversionProgress progress;
    EXPECT_TRUE(writeSteadyStateFile(slow, "n4ss_05MAR2006_1432.dat", source, kCreated, progress));
    EXPECT_EQ(slow.written, reference.steadyState);

    // Full at once, after the first buffer, and one byte before the end of each file.
    const std::pair<qint64, qint64> budgets[] = {
        {0, 0},
        {300000, 300000},
        {reference.steadyState.size() - 1, reference.transient.size() - 1}};
    for (const auto& [steadyStateBudget, transientBudget] : budgets) {
        LimitedDevice steadyState(steadyStateBudget, steadyStateBudget);
        LimitedDevice transient(transientBudget, transientBudget);
        QList<int> percents;
        ConversionProgress progress([&percents](int percent) { percents.append(percent); });
        EXPECT_FALSE(writeSteadyStateFile(steadyState, "n4ss_05MAR2006_1432.dat", source, kCreated,
                                          progress));
        EXPECT_FALSE(writeTransientFile(transient, "n4ts_05MAR2006_1432.dat", source,
                                        kCreated.addSecs(60), progress));
        // The dialog's progress still runs to its end.
        EXPECT_EQ(percents.size(), 61);
        EXPECT_EQ(percents.last(), 100);
    }
}

TEST_F(EngineDataFiles, AnEngineIndexOutsideTheRecordWritesNothing) {
    const DownloadedData data = builder.data();
    for (const int engineIndex : {-1, 2}) {
        const WrittenFiles files = writeBoth(data, aircraft, partNumbers, engineIndex);
        EXPECT_FALSE(files.steadyStateWritten);
        EXPECT_FALSE(files.transientWritten);
        EXPECT_TRUE(files.steadyState.isEmpty());
        EXPECT_TRUE(files.transient.isEmpty());
        EXPECT_EQ(files.percents, QList<int>{100});
    }
}

} // namespace
