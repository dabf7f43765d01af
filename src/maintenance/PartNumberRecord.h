#pragma once

#include "ResponseLayout.h"

#include <QByteArray>
#include <QStringList>
#include <array>

// The unit's part-number record as read by command 1: the 284 bytes behind the response
// header, whatever blocks they are made of. Five 16-character fields are used; they are
// not always terminated.
class PartNumberRecord {
public:
    static constexpr int kSize = int(ResponseLayout::kPartNumberRecordSize);
    static constexpr int kFieldLength = 16;
    enum Field : int {
        BootMainSoftware = 44,
        MainSoftware = 60,
        BootDspSoftware = 100,
        DspSoftware = 116,
        CmfiTable = 148,
    };

    PartNumberRecord() { clear(); }
    void clear() { bytes_.fill(0); }

    // The field up to its terminator, at most 16 bytes.
    QByteArray field(Field field) const;
    // The field as printed with "%-16.16s": always exactly 16 characters.
    QByteArray paddedField(Field field) const;
    // The field as printed with "%16.16s", as the "Firmware" page shows it: 16 characters,
    // blanks before.
    QByteArray rightAlignedField(Field field) const;

    // The five part-number lines as the engine data file headers print them
    // ("Boot Main S/W PN:         " and the padded field, and so on).
    QStringList headerLines() const;

    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }

private:
    std::array<char, kSize> bytes_;
};
