#include "FlightIndicators.h"

#include "FlightRecord.h"
#include "ViewerTypes.h"

std::optional<int> indicatorIndex(const QString& name) {
    for (int index = 0; index < kIndicatorCount; ++index) {
        if (name == indicatorName(index))
            return index;
    }
    return std::nullopt;
}

QString indicatorName(int index) {
    const std::string_view name = kIndicatorNames[std::size_t(index)];
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

IndicatorValues recordIndicators(const FlightRecord& record,
                                 const std::optional<BearingGeometry>& geometry) {
    constexpr int kBins = FlightRecord::kBinCount;
    constexpr int kLength = FlightRecord::kTimeRecordLength;
    double n1[kBins];
    double n2[kBins];
    record.steadyStateRow(valueOf(ParameterType::N1), kBins, n1);
    record.steadyStateRow(valueOf(ParameterType::N2), kBins, n2);
    std::array<IndicatorValues, kBins> bins;
    double samples[kLength];
    for (int bin = 0; bin < kBins; ++bin) {
        record.steadyStateTimeRecord(bin, kLength, samples);
        bins[std::size_t(bin)] =
            binIndicators(samples, kLength, n1[bin], n2[bin], geometry ? &*geometry : nullptr);
    }
    return flightValues(bins);
}
