#pragma once

// Condition indicators: the few numbers that sum up one steady-state vibration record, so that
// every flight of an engine can be set beside the flights before it. Four come from the record's
// statistics, six from its Hann-windowed steady-state spectrum (the one the viewer plots).

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

struct BearingGeometry;

// In the order in which they are listed, stored and printed.
enum class Indicator { Rms, Peak, Crest, Kurtosis, N1x1, N2x1, Bpfo, Bpfi, Bsf, Ftf };
inline constexpr int kIndicatorCount = 10;

// The names that the user types and reads; position i names Indicator(i).
inline constexpr std::array<std::string_view, kIndicatorCount> kIndicatorNames = {
    "rms", "peak", "crest", "kurtosis", "n1x1", "n2x1", "bpfo", "bpfi", "bsf", "ftf"};

// Half the width, in spectrum lines, of the band summed around a bearing defect frequency F:
// the lines k with |k - F / line spacing| <= this.
inline constexpr double kDefectBandHalfWidthLines = 2;

// The ten values of one bin or of one flight, in G (crest and kurtosis have no unit). A value
// that cannot be computed is empty, never 0 in its place; every value present is finite.
struct IndicatorValues {
    std::array<std::optional<double>, kIndicatorCount> values;

    std::optional<double>& operator[](Indicator indicator) {
        return values[static_cast<std::size_t>(indicator)];
    }
    const std::optional<double>& operator[](Indicator indicator) const {
        return values[static_cast<std::size_t>(indicator)];
    }
};

// The indicators of one steady-state bin from its record of `count` samples in G (the stored
// counts x 200/65535) and its own N1 and N2 in RPM. With m the mean of the record:
//   rms = sqrt(mean((x - m)^2)), peak = max |x - m|, crest = peak / rms,
//   kurtosis = mean((x - m)^4) / rms^4 (3 for Gaussian noise);
// from recordSpectrum(record, kHannWindow, SpectrumView::SteadyState), computed once:
//   n1x1, n2x1 = the amplitude at the line nearest N1/60 and N2/60 Hz;
//   bpfo, bpfi, bsf, ftf = sqrt of the sum of the squared amplitudes of the lines within
//   kDefectBandHalfWidthLines of the defect frequency at the speed of the geometry's shaft.
// Empty values:
//   - all ten when count is not kRecordLength (the indicators are defined on a whole record);
//   - crest and kurtosis when rms is 0: a record without any vibration has rms 0 and peak 0,
//     which are measured values, but no shape (a constant record gives exactly 0, the mean is
//     taken so that it carries no rounding into the deviations);
//   - a shaft line or a defect band whose speed is not a finite number above 0, or whose line
//     (the nearest one, or the band's centre) lies outside lines 2..511, where the steady-state
//     spectrum has no measured value;
//   - the four bearing values without a geometry, or with one that bearingGeometryFault() refuses;
//   - all ten when a sample is not a finite number, and any value that does not come out finite.
IndicatorValues binIndicators(const double* samplesG, int count, double n1Rpm, double n2Rpm,
                              const BearingGeometry* geometry);

// The flight's value of one indicator: the largest finite value over its bins (26 in a flight
// slot); empty when no bin has one.
std::optional<double> flightValue(std::span<const IndicatorValues> bins, Indicator indicator);

// flightValue() of all ten indicators.
IndicatorValues flightValues(std::span<const IndicatorValues> bins);
