#pragma once

#include "FlightDimensions.h"

#include <QtGlobal>

// The raw flight data file that the viewer lists and loads: a 304-byte header, one
// 137736-byte flight record per flight slot and an 8-byte trailer, little-endian. A flight
// record is the unit's flight block rearranged into tables, its block headers dropped.
struct RawFlightDataLayout {
    // The first word. The download writes kMagic; kMagicWithoutAlarms marks a variant of the
    // same layout whose trailer carries no alarm levels, and readers take both alike.
    static constexpr quint32 kMagic = 0xAEEAAEEB;
    static constexpr quint32 kMagicWithoutAlarms = 0xAEEAAEEA;
    static constexpr int kSlotCount = FlightDimensions::kSlotCount;

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
    static constexpr int kBinCount = FlightDimensions::kBinCount;
    static constexpr int kBinValueCount = FlightDimensions::kBinValueCount;
    static constexpr int kPhaseCount = FlightDimensions::kPhaseCount;
    static constexpr int kTransientSampleCount = FlightDimensions::kTransientSampleCount;
    static constexpr int kTransientValueCount = FlightDimensions::kTransientValueCount;
    static constexpr int kPhaseAverageCount = FlightDimensions::kPhaseAverageCount;
    static constexpr int kTimeRecordLength = FlightDimensions::kTimeRecordLength;
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

    static constexpr bool isKnownMagic(quint32 magic) {
        return magic == kMagic || magic == kMagicWithoutAlarms;
    }
};
