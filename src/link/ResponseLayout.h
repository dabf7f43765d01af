#pragma once

#include <QtGlobal>

// What the answer to a command must look like. A unit that sends a response twice, or bytes
// nobody asked for, leaves an answer in the stream that would be taken for the next
// command's; its shape gives it away.
class ResponseLayout {
public:
    // The part-number record, block headers included.
    static constexpr quint32 kPartNumberRecordSize = 284;
    // Blocks of the download: the unit data header, then per flight slot its header, two
    // blocks per steady-state bin, and per transient phase its averages and two blocks per
    // sample, then the slot's unused tail.
    static constexpr int kSlotCount = 20;
    static constexpr int kBlocksPerSlot = 1 + 2 * 26 + 4 * (1 + 2 * 10) + 1;
    static constexpr int kDownloadBlockCount = 1 + kSlotCount * kBlocksPerSlot;

    // Anything that parses as a response.
    static ResponseLayout any() { return ResponseLayout(Kind::Any); }
    static ResponseLayout forCommand(quint32 code);

    // False when a response of `declaredSize` bytes cannot answer the command. Checked after
    // the ack, so that the unit's own error answer is reported as such.
    bool acceptsSize(quint32 declaredSize) const;
    // False when block `index` (0 first) cannot have this type and byte count. Blocks past
    // the known download layout are not judged here: the conversion keeps such a response
    // whole.
    bool acceptsBlock(int index, quint32 type, quint32 byteCount) const;

private:
    enum class Kind { Any, HeaderOnly, PartNumbers, Download };
    explicit ResponseLayout(Kind kind) : kind_(kind) {}

    Kind kind_;
};
