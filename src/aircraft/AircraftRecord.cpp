#include "AircraftRecord.h"

#include <algorithm>
#include <cstring>

QByteArray AircraftRecord::toBytes() const {
    // No multi-byte numbers in the record, so the struct's bytes are the stored bytes.
    return QByteArray(reinterpret_cast<const char*>(this), kSize);
}

AircraftRecord AircraftRecord::fromBytes(const QByteArray& bytes) {
    AircraftRecord record;
    const qsizetype length = std::min<qsizetype>(bytes.size(), kSize);
    if (length > 0)
        std::memcpy(reinterpret_cast<char*>(&record), bytes.constData(),
                    static_cast<std::size_t>(length));
    return record;
}
