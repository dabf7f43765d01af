#include "ResponseLayout.h"

#include "Protocol.h"

namespace {

// Element types of the blocks.
constexpr quint32 kWord16Type = 1;
constexpr quint32 kWord32Type = 2;
constexpr quint32 kRealType = 3;

constexpr quint32 kTimeRecordBytes = 2 * 1024;
constexpr quint32 kUnitHeaderBytes = 7 * 4;
constexpr quint32 kSlotHeaderBytes = 7 * 4;
constexpr quint32 kBinValueBytes = 13 * 4;
constexpr quint32 kPhaseAverageBytes = 6 * 4;
constexpr quint32 kTransientValueBytes = 7 * 4;
constexpr quint32 kSlotTailBytes = 4;

constexpr int kBinBlocks = 2 * 26;
constexpr int kPhaseBlocks = 1 + 2 * 10;

// Integers and reals both travel as 32-bit words; which of the two a block carries is the
// reader's business, so either word type is taken.
bool isWords(quint32 type, quint32 byteCount, quint32 expected) {
    return (type == kWord32Type || type == kRealType) && byteCount == expected;
}

bool isTimeRecord(quint32 type, quint32 byteCount) {
    return type == kWord16Type && byteCount == kTimeRecordBytes;
}

bool fitsDownload(int index, quint32 type, quint32 byteCount) {
    if (index == 0)
        return isWords(type, byteCount, kUnitHeaderBytes);
    const int position = (index - 1) % ResponseLayout::kBlocksPerSlot;
    if (position == 0)
        return isWords(type, byteCount, kSlotHeaderBytes);
    if (position <= kBinBlocks)
        return position % 2 == 1 ? isWords(type, byteCount, kBinValueBytes)
                                 : isTimeRecord(type, byteCount);
    const int inPhases = position - kBinBlocks - 1;
    if (inPhases < 4 * kPhaseBlocks) {
        const int inPhase = inPhases % kPhaseBlocks;
        if (inPhase == 0)
            return isWords(type, byteCount, kPhaseAverageBytes);
        return inPhase % 2 == 1 ? isWords(type, byteCount, kTransientValueBytes)
                                : isTimeRecord(type, byteCount);
    }
    // The slot's unused tail: its type does not matter, its size does.
    return byteCount == kSlotTailBytes;
}

} // namespace

static_assert(ResponseLayout::kBlocksPerSlot == 138);

ResponseLayout ResponseLayout::forCommand(quint32 code) {
    switch (code) {
    case ReadPartNumbersCommand:
        return ResponseLayout(Kind::PartNumbers);
    case DownloadBearing4Command:
        return ResponseLayout(Kind::Download);
    case EraseBearing4Command:
    case EraseBearing4HistoryCommand:
    case EraseAccelHistoryCommand:
    case UploadMainSoftwareCommand:
    case UploadDspSoftwareCommand:
    case UploadDspConfigurationCommand:
        return ResponseLayout(Kind::HeaderOnly);
    default:
        return ResponseLayout(Kind::Any);
    }
}

bool ResponseLayout::acceptsSize(quint32 declaredSize) const {
    switch (kind_) {
    case Kind::HeaderOnly:
        return declaredSize == quint32(kResponseHeaderSize);
    case Kind::PartNumbers:
        return declaredSize == kResponseHeaderSize + kPartNumberRecordSize;
    case Kind::Download:
        // Anything beyond the bare header is judged block by block.
        return declaredSize > quint32(kResponseHeaderSize);
    case Kind::Any:
        break;
    }
    return true;
}

bool ResponseLayout::acceptsBlock(int index, quint32 type, quint32 byteCount) const {
    if (kind_ != Kind::Download || index < 0 || index >= kDownloadBlockCount)
        return true;
    return fitsDownload(index, type, byteCount);
}
