#include "EnvelopeSpectrum.h"
#include "Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace {

constexpr double kPi = 3.141592653589793;

using Record = std::array<double, kRecordLength>;
using Spectrum = std::array<double, kSpectrumPoints>;

double cosineOnLine(double line, int sample) {
    return std::cos(2 * kPi * line * sample / kRecordLength);
}

int largestMeasuredLine(const Spectrum& spectrum) {
    return static_cast<int>(std::max_element(spectrum.begin() + 2, spectrum.end()) -
                            spectrum.begin());
}

TEST(EnvelopeSpectrum, AModulatedCarrierShowsItsModulationAndNothingOutsideTheBand) {
    // 1 G at line 314 (2995 Hz), modulated by half at line 21, beside 2 G at line 10 (95 Hz)
    // that the band leaves out: the envelope is 1 + 0.5 cos(line 21) exactly. The carrier on
    // an even line and its side lines on odd ones take both halves of the inverse transform.
    Record record;
    for (int n = 0; n < kRecordLength; ++n) {
        record[n] = 2.0 * cosineOnLine(10, n) + 0.3 +
                    (1 + 0.5 * cosineOnLine(21, n)) * cosineOnLine(314, n);
    }
    const struct {
        int windowType;
        double line20, line21, line22;
    } rows[] = {{kHannWindow, 0.25, 0.5, 0.25}, {0, 0, 0.5, 0}};
    for (const auto& row : rows) {
        Spectrum envelope;
        envelope.fill(-1);
        envelopeSpectrum(record.data(), row.windowType, envelope.data());
        EXPECT_EQ(envelope[0], 0.0);
        EXPECT_NEAR(envelope[20], row.line20, 1e-4) << "window " << row.windowType;
        EXPECT_NEAR(envelope[21], row.line21, 1e-4) << "window " << row.windowType;
        EXPECT_NEAR(envelope[22], row.line22, 1e-4) << "window " << row.windowType;
        for (int k = 2; k < kSpectrumPoints; ++k) {
            if (k < 20 || k > 22) {
                ASSERT_NEAR(envelope[k], 0.0, 1e-4) << "window " << row.windowType << " line " << k;
            }
        }
    }
}

TEST(EnvelopeSpectrum, ImpactsRingingAtAFewKilohertzShowTheirRate) {
    // Impacts 30 lines apart in rate (286 Hz), each ringing at 3 kHz and dying away in about
    // half a millisecond, under a 1 G shaft tone and noise.
    constexpr double kRateLines = 30;
    constexpr double kSampleRateHz = kRecordLength * kSpectrumSpacingHz;
    constexpr double kPeriodSamples = kRecordLength / kRateLines;
    std::mt19937 generator(5);
    std::normal_distribution<double> noise(0.0, 0.05);
    Record record;
    for (int n = 0; n < kRecordLength; ++n) {
        record[n] = cosineOnLine(10, n) + noise(generator);
        for (int impact = -1; impact < kRateLines; ++impact) {
            const double since = (n - impact * kPeriodSamples) / kSampleRateHz;
            if (since >= 0) {
                record[n] += std::exp(-since / 0.0005) * std::sin(2 * kPi * 3000 * since);
            }
        }
    }
    Spectrum plain;
    recordSpectrum(record.data(), kHannWindow, SpectrumView::SteadyState, plain.data());
    EXPECT_NE(largestMeasuredLine(plain), kRateLines);

    // The envelope uses the transform tables of the spectrum as they are.
    const int twiddleBuilds = twiddleTableBuilds();
    const int recombinationBuilds = recombinationTableBuilds();
    Spectrum envelope;
    envelopeSpectrum(record.data(), kHannWindow, envelope.data());
    EXPECT_EQ(largestMeasuredLine(envelope), kRateLines);
    EXPECT_EQ(twiddleTableBuilds(), twiddleBuilds);
    EXPECT_EQ(recombinationTableBuilds(), recombinationBuilds);
}

} // namespace
