// Feeds arbitrary bytes to the trend's file reader as a raw flight data file. The input is
// the start of the file; the rest reads as zeros up to as many flight records as its last
// byte asks, and when its second-last byte is odd the file claims its whole size whatever it
// serves, as a file cut short while it is read. Checks what the trend relies on: a file is only
// taken whole, its flights are its occupied slots of either memory in slot order, and every
// value it gives is finite.
#include "FlightSelection.h"
#include "RawFlightDataLayout.h"
#include "Trend.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using Raw = RawFlightDataLayout;

struct VirtualFile {
    QByteArrayView start;
    qint64 served = 0;  // bytes that a read gets, the input then zeros
    qint64 claimed = 0; // the size the file says it has

    qint64 read(qint64 offset, char* buffer, qint64 length) const {
        if (offset < 0 || length < 0)
            std::abort();
        const qint64 count = std::clamp<qint64>(served - offset, 0, length);
        const qint64 fromInput = std::clamp<qint64>(start.size() - offset, 0, count);
        if (fromInput > 0)
            std::memcpy(buffer, start.data() + offset, size_t(fromInput));
        std::memset(buffer + std::max<qint64>(fromInput, 0), 0,
                    size_t(count - std::max<qint64>(fromInput, 0)));
        return count;
    }
};

// A word of the file as it reads: the input, then zeros.
qint32 wordAt(QByteArrayView bytes, qint64 offset) {
    char word[4] = {};
    for (qint64 i = 0; i < 4; ++i) {
        if (offset + i < bytes.size())
            word[i] = bytes[offset + i];
    }
    return qFromLittleEndian<qint32>(word);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    VirtualFile file{bytes, bytes.size(), bytes.size()};
    ParameterType parameter = ParameterType::A4R;
    TrendStatistic statistic = TrendStatistic::Maximum;
    if (size >= 2) {
        const int records = data[size - 1] % (Raw::kSlotCount + 1);
        file.served =
            std::max<qint64>(file.served, Raw::kHeaderSize + qint64(records) * Raw::kRecordSize);
        file.claimed =
            data[size - 2] % 2 ? std::max<qint64>(file.served, Raw::kFileSize) : file.served;
        parameter = static_cast<ParameterType>(data[size - 2] / 2 % (kLastTrendParameter + 1));
        statistic = data[size - 2] >= 128 ? TrendStatistic::Mean : TrendStatistic::Maximum;
    }
    const TrendFile trend = readTrendFile(
        file.claimed,
        [&file](qint64 offset, char* buffer, qint64 length) {
            return file.read(offset, buffer, length);
        },
        parameter, statistic);

    if (trend.problem != TrendFileProblem::None) {
        if (!trend.flightSlots.isEmpty())
            std::abort();
        return 0;
    }
    const quint32 magic = quint32(wordAt(bytes, Raw::kMagicOffset));
    if (!Raw::isKnownMagic(magic) ||
        file.claimed < Raw::kHeaderSize + qint64(Raw::kSlotCount) * Raw::kRecordSize)
        std::abort();
    qsizetype next = 0;
    for (int slot = 0; slot < Raw::kSlotCount; ++slot) {
        const qint32 flight = wordAt(bytes, Raw::kFlightNumbersOffset + 4 * slot);
        const qint32 memory = wordAt(bytes, Raw::kMemoriesOffset + 4 * slot);
        if (flight == 0 || (memory != 0 && memory != 1))
            continue;
        if (next >= trend.flightSlots.size())
            std::abort();
        const TrendSlot& found = trend.flightSlots[next++];
        // Only what the file served can have been taken.
        const qint64 rowsEnd =
            Raw::kHeaderSize + qint64(slot) * Raw::kRecordSize + Raw::kBinTimeOffset;
        if (found.slot != slot || found.flightNumber != flight || rowsEnd > file.served ||
            valueOf(found.memoryType) != memory || (found.value && !std::isfinite(*found.value)))
            std::abort();
    }
    if (next != trend.flightSlots.size())
        std::abort();
    return 0;
}
