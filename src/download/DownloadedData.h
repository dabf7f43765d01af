#pragma once

#include "FlightDimensions.h"
#include "ResponseLayout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>

// One engine's downloaded Bearing 4 data: the response file of command 96, in host order.
// Every value sits at a fixed offset; the block headers inside are not looked at.
// Reads are bounded by the bytes at hand: a flight slot whose block did not arrive whole
// reads as an empty slot (all zero), and so does the unit data header when it is short.
class DownloadedData {
public:
    static constexpr int kResponseHeaderSize = 12;
    static constexpr int kUnitHeaderOffset = 12;
    static constexpr int kUnitHeaderSize = 36;
    static constexpr int kFlightsOffset = kUnitHeaderOffset + kUnitHeaderSize;
    static constexpr int kSlotCount = FlightDimensions::kSlotCount;
    static constexpr int kFlightBlockSize = 138872;
    static constexpr qint64 kFullSize = kFlightsOffset + qint64(kSlotCount) * kFlightBlockSize;

    // Flight block layout.
    static constexpr int kFlightNumberOffset = 24;
    static constexpr int kSlotValueOffset = 28;
    static constexpr int kMemoryOffset = 32;
    static constexpr int kBinsOffset = 36;
    static constexpr int kBinCount = FlightDimensions::kBinCount;
    static constexpr int kBinSize = 2116;
    static constexpr int kBinValuesOffset = 8;
    static constexpr int kBinValueCount = FlightDimensions::kBinValueCount;
    static constexpr int kBinSamplesOffset = 68;
    static constexpr int kPhasesOffset = 55052;
    static constexpr int kPhaseCount = FlightDimensions::kPhaseCount;
    static constexpr int kPhaseSize = 20952;
    static constexpr int kPhaseAveragesOffset = 8;
    static constexpr int kPhaseAverageCount = FlightDimensions::kPhaseAverageCount;
    static constexpr int kTransientSamplesOffset = 32;
    static constexpr int kTransientSampleCount = FlightDimensions::kTransientSampleCount;
    static constexpr int kTransientSampleSize = 2092;
    static constexpr int kTransientValuesOffset = 8;
    static constexpr int kTransientValueCount = FlightDimensions::kTransientValueCount;
    static constexpr int kTransientTimeOffset = 44;
    static constexpr int kTimeRecordLength = FlightDimensions::kTimeRecordLength;

    static_assert(kBinsOffset + kBinCount * kBinSize == kPhasesOffset);
    static_assert(kPhasesOffset + kPhaseCount * kPhaseSize + 12 == kFlightBlockSize);
    static_assert(kTransientSamplesOffset + kTransientSampleCount * kTransientSampleSize ==
                  kPhaseSize);
    static_assert(kFullSize == 2777488);
    // The link checks every block of a download against the same layout.
    static_assert(ResponseLayout::kSlotCount == kSlotCount);
    static_assert(ResponseLayout::kBlocksPerSlot ==
                  1 + 2 * kBinCount + kPhaseCount * (1 + 2 * kTransientSampleCount) + 1);

    // Memory of a slot: pre-defect and post-defect.
    static constexpr int kPreDefectMemory = 0;
    static constexpr int kPostDefectMemory = 1;

    DownloadedData() = default;
    explicit DownloadedData(QByteArray response);

    const QByteArray& bytes() const { return bytes_; }
    bool hasUnitHeader() const { return bytes_.size() >= kFlightsOffset; }
    // Flight slots whose whole block arrived, counted from slot 0.
    int completeSlots() const { return completeSlots_; }

    // Unit data header.
    qint32 totalEngineFlights() const { return unitHeaderWord(12); }
    qint32 totalEngineHours() const { return unitHeaderWord(16); }
    qint32 totalEngineMinutes() const { return unitHeaderWord(20); }
    qint32 unitHeaderValue() const { return unitHeaderWord(24); }
    qint32 currentAlarmLevel() const { return unitHeaderWord(28); }
    qint32 historicAlarmLevel() const { return unitHeaderWord(32); }

    // Flight header of a slot.
    qint32 flightNumber(int slot) const { return flightWord(slot, kFlightNumberOffset); }
    qint32 slotValue(int slot) const { return flightWord(slot, kSlotValueOffset); }
    qint32 memory(int slot) const { return flightWord(slot, kMemoryOffset); }

    // Steady-state bin: value p in the order A4R_avg, TR4R_avg, TR4R_std, CN1_avg, CN2_avg,
    // CDN_avg, A4R, TR4R, N1, N2, CN1, CN2, CDN; and its time history.
    float binValue(int slot, int bin, int parameter) const {
        return flightFloat(slot, kBinsOffset + kBinSize * bin + kBinValuesOffset + 4 * parameter);
    }
    qint16 binSample(int slot, int bin, int index) const {
        return flightShort(slot, kBinsOffset + kBinSize * bin + kBinSamplesOffset + 2 * index);
    }

    // Transient phase g (TOC, TOD, AOD, AOA): average a in the order A4R_avg, TR4R_avg,
    // TR4R_std, CN1_avg, CN2_avg, CDN_avg; sample s's value q in the order A4R, TR4R, N1, N2,
    // CN1, CN2, CDN; and the sample's time history.
    float phaseAverage(int slot, int phase, int average) const {
        return flightFloat(slot, phaseOffset(phase) + kPhaseAveragesOffset + 4 * average);
    }
    float transientValue(int slot, int phase, int sample, int parameter) const {
        return flightFloat(slot,
                           transientOffset(phase, sample) + kTransientValuesOffset + 4 * parameter);
    }
    qint16 transientSample(int slot, int phase, int sample, int index) const {
        return flightShort(slot, transientOffset(phase, sample) + kTransientTimeOffset + 2 * index);
    }

    // The whole block of a complete slot, or an empty view.
    QByteArrayView flightBlock(int slot) const;

    static constexpr int phaseOffset(int phase) { return kPhasesOffset + kPhaseSize * phase; }
    static constexpr int transientOffset(int phase, int sample) {
        return phaseOffset(phase) + kTransientSamplesOffset + kTransientSampleSize * sample;
    }

private:
    qint32 unitHeaderWord(int offset) const {
        return hasUnitHeader()
                   ? qFromLittleEndian<qint32>(bytes_.constData() + kUnitHeaderOffset + offset)
                   : 0;
    }
    const char* flightData(int slot) const {
        return slot >= 0 && slot < completeSlots()
                   ? bytes_.constData() + kFlightsOffset + qint64(kFlightBlockSize) * slot
                   : nullptr;
    }
    qint32 flightWord(int slot, int offset) const {
        const char* block = flightData(slot);
        return block ? qFromLittleEndian<qint32>(block + offset) : 0;
    }
    float flightFloat(int slot, int offset) const {
        const char* block = flightData(slot);
        return block ? qFromLittleEndian<float>(block + offset) : 0.0f;
    }
    qint16 flightShort(int slot, int offset) const {
        const char* block = flightData(slot);
        return block ? qFromLittleEndian<qint16>(block + offset) : qint16(0);
    }

    QByteArray bytes_;
    int completeSlots_ = 0;
};
