#include "CraftedRawFile.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

using Raw = RawFlightDataLayout;

void putWord(QByteArray& bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

} // namespace

CraftedSlot CraftedSlot::filled(int slot, qint32 flightNumber, qint32 memory, float value) {
    CraftedSlot crafted{slot, flightNumber, memory, {}};
    for (auto& row : crafted.rows)
        row.fill(value);
    return crafted;
}

bool writeCraftedRawFile(const QString& path, const CraftedRawFile& file) {
    QByteArray header(Raw::kHeaderSize, '\0');
    putWord(header, Raw::kMagicOffset, file.magic);
    const QByteArray id = file.aircraftId.toLatin1().left(Raw::kTextFieldSize - 1);
    std::memcpy(header.data() + Raw::kAircraftIdOffset, id.constData(), size_t(id.size()));
    putWord(header, Raw::kEngineNumberOffset, quint32(file.engineNumber));
    putWord(header, Raw::kCreationTimeOffset, file.creationTime);
    putWord(header, Raw::kSlotCountOffset, Raw::kSlotCount);
    for (const CraftedSlot& slot : file.flightSlots) {
        putWord(header, Raw::kFlightNumbersOffset + 4 * slot.slot, quint32(slot.flightNumber));
        putWord(header, Raw::kMemoriesOffset + 4 * slot.slot, quint32(slot.memory));
    }
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(header) != header.size())
        return false;
    for (const CraftedSlot& slot : file.flightSlots) {
        QByteArray rows(Raw::kBinTimeOffset, '\0');
        for (int p = 0; p < Raw::kBinValueCount; ++p) {
            for (int b = 0; b < Raw::kBinCount; ++b)
                qToLittleEndian(slot.rows[p][b], rows.data() + 4 * (Raw::kBinCount * p + b));
        }
        if (!out.seek(Raw::kHeaderSize + qint64(slot.slot) * Raw::kRecordSize) ||
            out.write(rows) != rows.size())
            return false;
    }
    return out.resize(file.size);
}
