#include "PartNumberRecord.h"

#include <cstring>

QByteArray PartNumberRecord::field(Field field) const {
    const char* start = bytes_.data() + field;
    const void* end = std::memchr(start, '\0', kFieldLength);
    return QByteArray(start, end ? static_cast<const char*>(end) - start : kFieldLength);
}

QByteArray PartNumberRecord::paddedField(Field field) const {
    return this->field(field).leftJustified(kFieldLength, ' ');
}

QByteArray PartNumberRecord::rightAlignedField(Field field) const {
    return this->field(field).rightJustified(kFieldLength, ' ');
}

QStringList PartNumberRecord::headerLines() const {
    struct Line {
        const char* label;
        Field field;
    };
    static constexpr Line kLines[] = {
        {"Boot Main S/W PN:         ", BootMainSoftware},
        {"Main Software PN:         ", MainSoftware},
        {"Boot DSP Software PN:     ", BootDspSoftware},
        {"DSP Software PN:          ", DspSoftware},
        {"CMFI Table PN:            ", CmfiTable},
    };
    QStringList lines;
    for (const Line& line : kLines)
        lines.append(QString::fromLatin1(line.label) +
                     QString::fromLatin1(paddedField(line.field)));
    return lines;
}
