#pragma once

#include "UnitSimulatorConfig.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The bytes the unit sends, built in wire order (big-endian elements inside typed blocks),
// and their host-order counterpart as the ground program's response file holds it.
namespace unit_responses {

inline constexpr int kResponseHeaderSize = 12;
inline constexpr int kBlockHeaderSize = 8;
inline constexpr quint32 kMaxByteCount = 0xFFFFFF;
inline constexpr int kMaxCommandLength = 16384;

inline constexpr int kPartNumberRecordSize = 284;
inline constexpr int kPartNumberLength = 16;
inline constexpr int kPartNumberResponseSize = kResponseHeaderSize + kPartNumberRecordSize;
// Record offsets of the five part numbers, in PartNumberField order.
inline constexpr std::array<int, kPartNumberFieldCount> kPartNumberOffsets = {44, 60, 100, 116,
                                                                              148};

inline constexpr int kFlightSlots = 20;
inline constexpr int kUnitDataHeaderSize = 36;
inline constexpr int kFlightBlockSize = 138872;
inline constexpr int kFlightHeaderSize = 36;
inline constexpr int kBinCount = 26;
inline constexpr int kBinSize = 2116;
inline constexpr int kBinFloatCount = 13;
inline constexpr int kBinSamplesHeaderOffset = 60;
inline constexpr int kPhaseCount = 4;
inline constexpr int kPhasesOffset = kFlightHeaderSize + kBinCount * kBinSize;
inline constexpr int kPhaseSize = 20952;
inline constexpr int kPhaseFloatCount = 6;
inline constexpr int kTransientSamplesOffset = 32;
inline constexpr int kTransientSampleCount = 10;
inline constexpr int kTransientSampleSize = 2092;
inline constexpr int kTransientFloatCount = 7;
inline constexpr int kTransientSamplesHeaderOffset = 36;
inline constexpr int kTimeRecordLength = 1024;
inline constexpr int kFlightTrailerOffset = kPhasesOffset + kPhaseCount * kPhaseSize;
inline constexpr int kFlightsOffset = kResponseHeaderSize + kUnitDataHeaderSize;
inline constexpr int kDownloadResponseSize = kFlightsOffset + kFlightSlots * kFlightBlockSize;
inline constexpr int kBlocksPerFlight =
    1 + 2 * kBinCount + kPhaseCount * (1 + 2 * kTransientSampleCount) + 1;
inline constexpr int kDownloadBlockCount = 1 + kFlightSlots * kBlocksPerFlight;

static_assert(kPhasesOffset == 55052);
static_assert(kPhaseSize == kTransientSamplesOffset + kTransientSampleCount * kTransientSampleSize);
static_assert(kBinSize == kBinSamplesHeaderOffset + kBlockHeaderSize + 2 * kTimeRecordLength);
static_assert(kTransientSampleSize ==
              kTransientSamplesHeaderOffset + kBlockHeaderSize + 2 * kTimeRecordLength);
static_assert(kFlightTrailerOffset == 138860);
static_assert(kFlightBlockSize == kFlightTrailerOffset + 12);
static_assert(kDownloadResponseSize == 2777488);

// A response of the 12-byte header alone.
QByteArray headerOnlyResponse(quint32 ack);

// The answer to command 1: the 284-byte record as one type-0 block of 276 data bytes.
QByteArray partNumberResponse(const PartNumbers& partNumbers);

// The answer to command 96 for engine 1 or 2. `erased` gives the layout of a memory that
// was erased: every slot empty, every value zero, the engine totals kept.
QByteArray downloadResponse(int engine, const UnitSimulatorConfig& config, bool erased = false);

// The response with every block's elements swapped to host (little-endian) order, as the
// ground program stores it. Empty when the response's blocks do not exactly fill its
// declared size.
std::optional<QByteArray> hostOrderResponse(const QByteArray& wireResponse);

} // namespace unit_responses
