#include "RawFlightDataFile.h"

#include "AircraftRecord.h"
#include "FixedText.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

using Data = DownloadedData;
using Raw = RawFlightDataFile;

void putWord(char* at, qint32 value) {
    qToLittleEndian<qint32>(value, at);
}

template <std::size_t N>
void putText(char* at, const char (&field)[N]) {
    const QByteArray text = readFixedBytes(field);
    // The field keeps at least one NUL whatever the record held.
    std::memcpy(at, text.constData(), std::min<std::size_t>(text.size(), Raw::kTextFieldSize - 1));
}

// Both sides are little-endian, so values are moved as bytes.
void copyReal(char* record, int to, const char* block, int from) {
    std::memcpy(record + to, block + from, 4);
}

bool writeAll(QIODevice& out, const char* bytes, qint64 size, QCryptographicHash* hash) {
    if (out.write(bytes, size) != size)
        return false;
    if (hash)
        hash->addData(QByteArrayView(bytes, size));
    return true;
}

} // namespace

QByteArray RawFlightDataFile::header(const DownloadedData& data, const AircraftRecord& aircraft,
                                     int engineIndex, qint64 creationTime) {
    QByteArray bytes(kHeaderSize, '\0');
    char* at = bytes.data();
    qToLittleEndian<quint32>(kMagic, at + kMagicOffset);
    putText(at + kAircraftIdOffset, aircraft.aircraftId);
    if (engineIndex >= 0 && engineIndex < AircraftRecord::kEngineCount)
        putText(at + kEngineTypeOffset, aircraft.engines[engineIndex].engineType);
    putWord(at + kEngineNumberOffset, engineIndex + 1);
    putWord(at + kHoursOffset, data.totalEngineHours());
    putWord(at + kMinutesOffset, data.totalEngineMinutes());
    putWord(at + kUnitValueOffset, data.unitHeaderValue());
    putWord(at + kCreationTimeOffset, qint32(quint32(quint64(creationTime))));
    putWord(at + kSlotCountOffset, kSlotCount);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        putWord(at + kFlightNumbersOffset + 4 * slot, data.flightNumber(slot));
        putWord(at + kSlotValuesOffset + 4 * slot, data.slotValue(slot));
        putWord(at + kMemoriesOffset + 4 * slot, data.memory(slot));
    }
    return bytes;
}

void RawFlightDataFile::buildFlightRecord(const DownloadedData& data, int slot, char* record) {
    const QByteArrayView view = data.flightBlock(slot);
    if (view.isEmpty()) {
        std::memset(record, 0, kRecordSize);
        return;
    }
    const char* block = view.data();
    for (int bin = 0; bin < kBinCount; ++bin) {
        const int binOffset = Data::kBinsOffset + Data::kBinSize * bin;
        for (int parameter = 0; parameter < kBinValueCount; ++parameter)
            copyReal(record, kBinValuesOffset + 4 * (parameter * kBinCount + bin), block,
                     binOffset + Data::kBinValuesOffset + 4 * parameter);
        std::memcpy(record + kBinTimeOffset + kTimeRecordBytes * bin,
                    block + binOffset + Data::kBinSamplesOffset, kTimeRecordBytes);
    }
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        for (int sample = 0; sample < kTransientSampleCount; ++sample) {
            const int sampleOffset = Data::transientOffset(phase, sample);
            for (int parameter = 0; parameter < kTransientValueCount; ++parameter)
                copyReal(
                    record,
                    kTransientValuesOffset +
                        4 * ((parameter * kPhaseCount + phase) * kTransientSampleCount + sample),
                    block, sampleOffset + Data::kTransientValuesOffset + 4 * parameter);
            std::memcpy(record + kTransientTimeOffset +
                            kTimeRecordBytes * (phase * kTransientSampleCount + sample),
                        block + sampleOffset + Data::kTransientTimeOffset, kTimeRecordBytes);
        }
        for (int average = 0; average < kPhaseAverageCount; ++average)
            copyReal(record, kPhaseAveragesOffset + 4 * (average * kPhaseCount + phase), block,
                     Data::phaseOffset(phase) + Data::kPhaseAveragesOffset + 4 * average);
    }
}

QByteArray RawFlightDataFile::trailer(const DownloadedData& data) {
    QByteArray bytes(kTrailerSize, '\0');
    putWord(bytes.data(), data.currentAlarmLevel());
    putWord(bytes.data() + 4, data.historicAlarmLevel());
    return bytes;
}

bool RawFlightDataFile::write(QIODevice& out, const DownloadedData& data,
                              const AircraftRecord& aircraft, int engineIndex, qint64 creationTime,
                              const std::function<void()>& afterRecord, QCryptographicHash* hash) {
    const QByteArray head = header(data, aircraft, engineIndex, creationTime);
    if (!writeAll(out, head.constData(), head.size(), hash))
        return false;
    // One buffer for every record keeps the conversion's memory at one record beside the
    // response.
    const auto record = std::make_unique<char[]>(kRecordSize);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        buildFlightRecord(data, slot, record.get());
        if (!writeAll(out, record.get(), kRecordSize, hash))
            return false;
        if (afterRecord)
            afterRecord();
    }
    const QByteArray tail = trailer(data);
    return writeAll(out, tail.constData(), tail.size(), hash);
}
