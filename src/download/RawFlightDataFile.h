#pragma once

#include "DownloadedData.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>

class QIODevice;
class QCryptographicHash;
struct AircraftRecord;

// The raw flight data file that the viewer lists and loads: a 304-byte header, one
// 137736-byte flight record per flight slot and an 8-byte trailer, little-endian. A flight
// record is the unit's flight block rearranged into tables, its block headers dropped.
class RawFlightDataFile {
public:
    static constexpr quint32 kMagic = 0xAEEAAEEB;
    static constexpr int kSlotCount = DownloadedData::kSlotCount;

    // Header.
    static constexpr int kHeaderSize = 304;
    static constexpr int kMagicOffset = 0;
    static constexpr int kAircraftIdOffset = 4;
    static constexpr int kEngineTypeOffset = 21;
    static constexpr int kTextFieldSize = 17;
    static constexpr int kEngineNumberOffset = 40;
    static constexpr int kHoursOffset = 44;
    static constexpr int kMinutesOffset = 48;
    static constexpr int kUnitValueOffset = 52;
    static constexpr int kCreationTimeOffset = 56;
    static constexpr int kSlotCountOffset = 60;
    static constexpr int kFlightNumbersOffset = 64;
    static constexpr int kSlotValuesOffset = 144;
    static constexpr int kMemoriesOffset = 224;

    // Flight record.
    static constexpr int kBinCount = DownloadedData::kBinCount;
    static constexpr int kBinValueCount = DownloadedData::kBinValueCount;
    static constexpr int kPhaseCount = DownloadedData::kPhaseCount;
    static constexpr int kTransientSampleCount = DownloadedData::kTransientSampleCount;
    static constexpr int kTransientValueCount = DownloadedData::kTransientValueCount;
    static constexpr int kPhaseAverageCount = DownloadedData::kPhaseAverageCount;
    static constexpr int kTimeRecordLength = DownloadedData::kTimeRecordLength;
    static constexpr int kTimeRecordBytes = 2 * kTimeRecordLength;

    static constexpr int kBinValuesOffset = 0; // reals [13][26]
    static constexpr int kBinTimeOffset = kBinValuesOffset + 4 * kBinValueCount * kBinCount;
    static constexpr int kTransientValuesOffset = kBinTimeOffset + kBinCount * kTimeRecordBytes;
    static constexpr int kPhaseAveragesOffset =
        kTransientValuesOffset + 4 * kTransientValueCount * kPhaseCount * kTransientSampleCount;
    static constexpr int kTransientTimeOffset =
        kPhaseAveragesOffset + 4 * kPhaseAverageCount * kPhaseCount;
    static constexpr int kRecordSize =
        kTransientTimeOffset + kPhaseCount * kTransientSampleCount * kTimeRecordBytes;

    static constexpr int kTrailerSize = 8;
    static constexpr qint64 kFileSize =
        kHeaderSize + qint64(kSlotCount) * kRecordSize + kTrailerSize;

    static_assert(kBinTimeOffset == 1352);
    static_assert(kTransientValuesOffset == 54600);
    static_assert(kPhaseAveragesOffset == 55720);
    static_assert(kTransientTimeOffset == 55816);
    static_assert(kRecordSize == 137736);
    static_assert(kMemoriesOffset + 4 * kSlotCount == kHeaderSize);
    static_assert(kFileSize == 2755032);

    // The 304-byte header. Engine index 0 or 1; the creation time in seconds since 1970 UTC
    // is kept to its low 32 bits, as the layout has no room for more.
    static QByteArray header(const DownloadedData& data, const AircraftRecord& aircraft,
                             int engineIndex, qint64 creationTime);
    // Fills `record` (kRecordSize bytes) with the slot's flight record; zeros for a slot
    // whose block did not arrive.
    static void buildFlightRecord(const DownloadedData& data, int slot, char* record);
    // The 8-byte trailer: current and historic alarm level.
    static QByteArray trailer(const DownloadedData& data);

    // Writes the whole file to `out`, each flight record with one write; `afterRecord` runs
    // after each record and `hash`, when given, takes every byte written. False at the first
    // write that fails.
    static bool write(QIODevice& out, const DownloadedData& data, const AircraftRecord& aircraft,
                      int engineIndex, qint64 creationTime,
                      const std::function<void()>& afterRecord = {},
                      QCryptographicHash* hash = nullptr);
};
