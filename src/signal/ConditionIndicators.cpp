#include "ConditionIndicators.h"

#include "BearingFrequencies.h"
#include "Spectrum.h"

#include <algorithm>
#include <cmath>

namespace {

// Points 0 and 1 of the steady-state Hann spectrum are blanked, not measured.
constexpr int kFirstMeasuredLine = 2;
constexpr int kLastLine = kSpectrumPoints - 1;

using Amplitudes = std::array<double, kSpectrumPoints>;

std::optional<double> finiteOrEmpty(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool usableSpeed(double rpm) {
    return std::isfinite(rpm) && rpm > 0;
}

// The mean of the record, corrected by the mean of the deviations from a first estimate: the
// plain sum of a constant record rounds to a mean a few units in the last place away from the
// value, which would show a constant record as a tiny vibration with a crest factor of 1.
double meanOf(const double* samples, int count) {
    double sum = 0;
    for (int k = 0; k < count; ++k) {
        sum += samples[k];
    }
    const double estimate = sum / count;
    double deviations = 0;
    for (int k = 0; k < count; ++k) {
        deviations += samples[k] - estimate;
    }
    return estimate + deviations / count;
}

void addStatistics(const double* samples, int count, double mean, IndicatorValues& values) {
    double squares = 0;
    double fourthPowers = 0;
    double peak = 0;
    for (int k = 0; k < count; ++k) {
        const double deviation = samples[k] - mean;
        const double square = deviation * deviation;
        squares += square;
        fourthPowers += square * square;
        peak = std::max(peak, std::abs(deviation));
    }
    const double variance = squares / count;
    const double rms = std::sqrt(variance);
    values[Indicator::Rms] = finiteOrEmpty(rms);
    values[Indicator::Peak] = finiteOrEmpty(peak);
    if (rms > 0) {
        values[Indicator::Crest] = finiteOrEmpty(peak / rms);
        values[Indicator::Kurtosis] = finiteOrEmpty(fourthPowers / count / (variance * variance));
    }
}

std::optional<double> shaftLine(const Amplitudes& spectrum, double rpm) {
    if (!usableSpeed(rpm)) {
        return std::nullopt;
    }
    const double nearest = std::round(rpm / 60 / kSpectrumSpacingHz);
    if (!(nearest >= kFirstMeasuredLine && nearest <= kLastLine)) {
        return std::nullopt;
    }
    return finiteOrEmpty(spectrum[static_cast<std::size_t>(nearest)]);
}

std::optional<double> defectBand(const Amplitudes& spectrum, double frequencyHz) {
    const double centre = frequencyHz / kSpectrumSpacingHz;
    if (!(centre >= kFirstMeasuredLine && centre <= kLastLine)) {
        return std::nullopt;
    }
    const int first = std::max(kFirstMeasuredLine,
                               static_cast<int>(std::ceil(centre - kDefectBandHalfWidthLines)));
    const int last =
        std::min(kLastLine, static_cast<int>(std::floor(centre + kDefectBandHalfWidthLines)));
    double sum = 0;
    for (int k = first; k <= last; ++k) {
        sum += spectrum[k] * spectrum[k];
    }
    return finiteOrEmpty(std::sqrt(sum));
}

void addSpectralIndicators(const double* samples, double n1Rpm, double n2Rpm,
                           const BearingGeometry* geometry, IndicatorValues& values) {
    Amplitudes spectrum;
    recordSpectrum(samples, kHannWindow, SpectrumView::SteadyState, spectrum.data());
    values[Indicator::N1x1] = shaftLine(spectrum, n1Rpm);
    values[Indicator::N2x1] = shaftLine(spectrum, n2Rpm);

    if (geometry == nullptr || bearingGeometryFault(*geometry) != BearingGeometryFault::None) {
        return;
    }
    const double shaftRpm = geometry->shaft == BearingShaft::N1 ? n1Rpm : n2Rpm;
    if (!usableSpeed(shaftRpm)) {
        return;
    }
    const BearingFrequencies frequencies = bearingFrequencies(*geometry, shaftRpm / 60);
    values[Indicator::Bpfo] = defectBand(spectrum, frequencies.outerRace);
    values[Indicator::Bpfi] = defectBand(spectrum, frequencies.innerRace);
    values[Indicator::Bsf] = defectBand(spectrum, frequencies.rollingElement);
    values[Indicator::Ftf] = defectBand(spectrum, frequencies.cage);
}

} // namespace

IndicatorValues binIndicators(const double* samplesG, int count, double n1Rpm, double n2Rpm,
                              const BearingGeometry* geometry) {
    IndicatorValues values;
    if (samplesG == nullptr || count != kRecordLength) {
        return values;
    }
    // A sample that is not a finite number spoils every sum and every spectral line.
    const double mean = meanOf(samplesG, count);
    if (!std::isfinite(mean)) {
        return values;
    }
    addStatistics(samplesG, count, mean, values);
    addSpectralIndicators(samplesG, n1Rpm, n2Rpm, geometry, values);
    return values;
}

std::optional<double> flightValue(std::span<const IndicatorValues> bins, Indicator indicator) {
    std::optional<double> largest;
    for (const IndicatorValues& bin : bins) {
        const std::optional<double>& value = bin[indicator];
        if (value && std::isfinite(*value) && (!largest || *value > *largest)) {
            largest = value;
        }
    }
    return largest;
}

IndicatorValues flightValues(std::span<const IndicatorValues> bins) {
    IndicatorValues values;
    for (int i = 0; i < kIndicatorCount; ++i) {
        const auto indicator = static_cast<Indicator>(i);
        values[indicator] = flightValue(bins, indicator);
    }
    return values;
}
