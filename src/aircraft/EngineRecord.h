#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// One engine's block of the aircraft record, 311 bytes. Every member is a byte or an array
// of bytes, so the struct is the stored layout itself; the asserts below pin it.
struct EngineRecord {
    char engineType[17] = {};
    char serialNumber[11] = {};
    char installDate[21] = {};
    // The four switches tell the automatic download what to do for this engine; non-zero is on.
    std::uint8_t downloadBearing4 = 0;
    std::uint8_t unused1[2] = {};
    std::uint8_t eraseBearing4 = 0;
    std::uint8_t eraseBearing4History = 0;
    std::uint8_t eraseAccelHistory = 0;
    std::uint8_t unused2[256] = {};
};

// The characters an engine type keeps.
inline constexpr int kEngineTypeCapacity = static_cast<int>(sizeof(EngineRecord::engineType)) - 1;

static_assert(std::is_standard_layout_v<EngineRecord>);
static_assert(std::is_trivially_copyable_v<EngineRecord>);
static_assert(sizeof(EngineRecord) == 311);
static_assert(offsetof(EngineRecord, engineType) == 0);
static_assert(offsetof(EngineRecord, serialNumber) == 17);
static_assert(offsetof(EngineRecord, installDate) == 28);
static_assert(offsetof(EngineRecord, downloadBearing4) == 49);
static_assert(offsetof(EngineRecord, unused1) == 50);
static_assert(offsetof(EngineRecord, eraseBearing4) == 52);
static_assert(offsetof(EngineRecord, eraseBearing4History) == 53);
static_assert(offsetof(EngineRecord, eraseAccelHistory) == 54);
static_assert(offsetof(EngineRecord, unused2) == 55);
