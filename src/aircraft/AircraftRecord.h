#pragma once

#include "EngineRecord.h"

#include <QByteArray>

#include <cstddef>
#include <type_traits>

// The register's record of one aircraft, 2699 bytes, kept byte for byte as the value of
// "AircraftInfo/<identifier>". A default-constructed record is all zeros.
struct AircraftRecord {
    static constexpr int kSize = 2699;
    static constexpr int kEngineCount = 2;

    char aircraftId[17] = {};
    char shopId[11] = {};
    EngineRecord engines[kEngineCount] = {};
    char comments[2049] = {};

    QByteArray toBytes() const;
    // Copies at most kSize bytes; whatever a short or missing value lacks stays zero.
    static AircraftRecord fromBytes(const QByteArray& bytes);
};

static_assert(std::is_standard_layout_v<AircraftRecord>);
static_assert(std::is_trivially_copyable_v<AircraftRecord>);
static_assert(sizeof(AircraftRecord) == AircraftRecord::kSize);
static_assert(offsetof(AircraftRecord, aircraftId) == 0);
static_assert(offsetof(AircraftRecord, shopId) == 17);
static_assert(offsetof(AircraftRecord, engines) == 28);
static_assert(offsetof(AircraftRecord, engines) + sizeof(EngineRecord) == 339);
static_assert(offsetof(AircraftRecord, comments) == 650);
