#include "FlightRecord.h"

#include "FlightDataElement.h"
#include "ViewerTypes.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

using Raw = RawFlightDataLayout;

bool inRange(int value, int count) {
    return value >= 0 && value < count;
}

// A value that no working sensor or channel gives: negative, or not a number at all (NaN or
// infinite, which a faulty channel can write as well).
bool isSuspectValue(float value) {
    return !std::isfinite(value) || value < 0.0f;
}

void fillZeros(int from, int count, double* values) {
    if (count > from)
        std::fill(values + std::max(from, 0), values + count, 0.0);
}

} // namespace

FlightRecord::FlightRecord(const FlightDataElement& flight)
    : bytes_(flight.flightRecord.constData(), flight.flightRecord.size()) {}

float FlightRecord::floatAt(qsizetype offset) const {
    if (offset < 0 || offset + 4 > bytes_.size())
        return 0.0f;
    return qFromLittleEndian<float>(bytes_.data() + offset);
}

// `available` is how many values the row or block holds; the rest of `count` reads as zeros,
// and so does whatever lies beyond the bytes at hand.
void FlightRecord::readFloats(qsizetype offset, int available, int count, double* values) const {
    const int inRow = std::clamp(count, 0, available);
    for (int i = 0; i < inRow; ++i)
        values[i] = floatAt(offset + 4 * qsizetype(i));
    fillZeros(inRow, count, values);
}

void FlightRecord::readSamples(qsizetype offset, int available, int count, double* values) const {
    const int inRow = std::clamp(count, 0, available);
    const qsizetype whole = std::clamp<qsizetype>((bytes_.size() - offset) / 2, 0, inRow);
    for (qsizetype i = 0; i < whole; ++i)
        values[i] = qFromLittleEndian<qint16>(bytes_.data() + offset + 2 * i) * kGPerCount;
    fillZeros(int(whole), count, values);
}

void FlightRecord::steadyStateRow(int parameterType, int count, double* values) const {
    if (!inRange(parameterType, kSteadyStateTypeCount))
        return fillZeros(0, count, values);
    readFloats(Raw::kBinValuesOffset + 4 * kBinCount * parameterType, kBinCount, count, values);
}

void FlightRecord::steadyStateTimeRecord(int bin, int count, double* values) const {
    if (!inRange(bin, kBinCount))
        return fillZeros(0, count, values);
    readSamples(Raw::kBinTimeOffset + qsizetype(Raw::kTimeRecordBytes) * bin, kTimeRecordLength,
                count, values);
}

void FlightRecord::transientValues(int parameterType, int transientBin, int count,
                                   double* values) const {
    const int block = parameterType - kFirstTransientType;
    if (!inRange(block, kTransientTypeCount) || !inRange(transientBin, kTransientBinCount))
        return fillZeros(0, count, values);
    const int first = (block * kTransientBinCount + transientBin) * kTransientSampleCount;
    readFloats(Raw::kTransientValuesOffset + 4 * first, kTransientSampleCount, count, values);
}

void FlightRecord::transientAverages(int parameterType, int count, double* values) const {
    if (!inRange(parameterType, kAverageTypeCount))
        return fillZeros(0, count, values);
    readFloats(Raw::kPhaseAveragesOffset + 4 * kTransientBinCount * parameterType,
               kTransientBinCount, count, values);
}

void FlightRecord::transientTimeRecord(int transientBin, int sample, int count,
                                       double* values) const {
    if (!inRange(transientBin, kTransientBinCount) || !inRange(sample, kTransientSampleCount))
        return fillZeros(0, count, values);
    const int record = transientBin * kTransientSampleCount + sample;
    readSamples(Raw::kTransientTimeOffset + qsizetype(Raw::kTimeRecordBytes) * record,
                kTimeRecordLength, count, values);
}

float FlightRecord::steadyStateValue(int parameterType, int bin) const {
    if (!inRange(parameterType, kSteadyStateTypeCount) || !inRange(bin, kBinCount))
        return 0.0f;
    return floatAt(Raw::kBinValuesOffset + 4 * (kBinCount * parameterType + bin));
}

float FlightRecord::transientValue(int parameterType, int transientBin, int sample) const {
    const int block = parameterType - kFirstTransientType;
    if (!inRange(block, kTransientTypeCount) || !inRange(transientBin, kTransientBinCount) ||
        !inRange(sample, kTransientSampleCount))
        return 0.0f;
    const int index = (block * kTransientBinCount + transientBin) * kTransientSampleCount + sample;
    return floatAt(Raw::kTransientValuesOffset + 4 * index);
}

const FlightDataElement* findLoadedFlight(const QList<FlightDataElement>& flights,
                                          const FlightKey& key) {
    for (const FlightDataElement& flight : flights) {
        if (flight.flightNumber == key.flightNumber &&
            (!key.creationTime || flight.creationTime() == *key.creationTime))
            return &flight;
    }
    return nullptr;
}

FlightRecord loadedFlightRecord(const QList<FlightDataElement>& flights, const FlightKey& key) {
    const FlightDataElement* flight = findLoadedFlight(flights, key);
    return flight ? FlightRecord(*flight) : FlightRecord();
}

QString dataStatusText(DataStatus status) {
    return status == DataStatus::Suspect ? kDataStatusSuspectText : kDataStatusOkText;
}

DataStatus steadyStateStatus(const FlightDataElement& flight) {
    return steadyStateStatus(FlightRecord(flight));
}

DataStatus steadyStateStatus(const FlightRecord& record) {
    constexpr int kA4R = valueOf(ParameterType::A4R);
    for (int bin = 0; bin < FlightRecord::kBinCount; ++bin) {
        if (isSuspectValue(record.steadyStateValue(kA4R, bin)))
            return DataStatus::Suspect;
    }
    return DataStatus::Ok;
}

DataStatus transientStatus(const FlightDataElement& flight) {
    const FlightRecord record(flight);
    for (int block = 0; block < FlightRecord::kTransientTypeCount; ++block) {
        for (int bin = 0; bin < FlightRecord::kTransientBinCount; ++bin) {
            for (int sample = 0; sample < FlightRecord::kTransientSampleCount; ++sample) {
                if (isSuspectValue(record.transientValue(FlightRecord::kFirstTransientType + block,
                                                         bin, sample)))
                    return DataStatus::Suspect;
            }
        }
    }
    return DataStatus::Ok;
}

namespace {

bool isSuspectFlight(const FlightDataElement& flight) {
    return steadyStateStatus(flight) == DataStatus::Suspect ||
           transientStatus(flight) == DataStatus::Suspect;
}

} // namespace

bool selectionHasSuspectData(const QList<FlightDataElement>& flights) {
    return std::any_of(flights.begin(), flights.end(), isSuspectFlight);
}

QString selectionIndicatorName(const QList<FlightDataElement>& flights) {
    return selectionHasSuspectData(flights) ? kBadDataIndicator : kGoodDataIndicator;
}

QString suspectReason(DataStatus steadyState, DataStatus transient) {
    const bool steadyStateSuspect = steadyState == DataStatus::Suspect;
    const bool transientSuspect = transient == DataStatus::Suspect;
    if (steadyStateSuspect && transientSuspect)
        return kSuspectBothReason;
    if (steadyStateSuspect)
        return kSuspectSteadyStateReason;
    return transientSuspect ? kSuspectTransientReason : QString();
}

QString selectionIndicatorToolTip(const QList<FlightDataElement>& flights) {
    QStringList numbers;
    for (const FlightDataElement& flight : flights) {
        const QString number = QString::number(flight.flightNumber);
        if (!numbers.contains(number) && isSuspectFlight(flight))
            numbers.append(number);
    }
    return numbers.isEmpty() ? kGoodDataToolTip
                             : kSuspectDataToolTip.arg(numbers.join(QStringLiteral(", ")));
}
