#include "Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTolerance = 1e-5;

using Record = std::array<double, kRecordLength>;
using Spectrum = std::array<double, kSpectrumPoints>;

Spectrum spectrumOf(const Record& record, int windowType, SpectrumView view) {
    Spectrum amplitudes;
    amplitudes.fill(-1); // every point must be written
    recordSpectrum(record.data(), windowType, view, amplitudes.data());
    return amplitudes;
}

Record cosineAtPoint(int point, double amplitude) {
    Record record;
    for (int k = 0; k < kRecordLength; ++k) {
        record[k] = amplitude * std::cos(2 * kPi * point * k / kRecordLength);
    }
    return record;
}

// Samples as the unit records them: 16-bit counts converted to G.
Record randomRecord(std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> counts(-32768, 32767);
    Record record;
    for (double& value : record) {
        value = counts(generator) * 200.0 / 65535.0;
    }
    return record;
}

std::vector<std::complex<double>> directDft(const std::vector<std::complex<double>>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> roots(n);
    for (std::size_t i = 0; i < n; ++i) {
        roots[i] = std::polar(1.0, -2 * kPi * double(i) / double(n));
    }
    std::vector<std::complex<double>> result(n);
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t i = 0; i < n; ++i) {
            result[k] += x[i] * roots[(i * k) % n];
        }
    }
    return result;
}

// The spectrum written out the long way in double precision: Hann window normalised to unit
// mean, |X[k]| / 512, and the view's blanking of points 0 and 1.
Spectrum referenceSpectrum(const Record& record, int windowType, SpectrumView view) {
    std::vector<std::complex<double>> x(record.begin(), record.end());
    if (windowType == kHannWindow) {
        for (int k = 0; k < kRecordLength; ++k) {
            x[k] *= 1 - std::cos(2 * kPi * k / kRecordLength);
        }
    }
    const std::vector<std::complex<double>> transform = directDft(x);
    Spectrum amplitudes;
    for (int k = 0; k < kSpectrumPoints; ++k) {
        amplitudes[k] = std::abs(transform[k]) / kSpectrumPoints;
    }
    amplitudes[0] = 0;
    if (windowType == kHannWindow && view == SpectrumView::SteadyState) {
        amplitudes[1] = 0;
    }
    return amplitudes;
}

double largest(const Spectrum& spectrum) {
    return *std::max_element(spectrum.begin(), spectrum.end());
}

TEST(RecordSpectrum, CosineOnAPointShowsItsAmplitudeWithAndWithoutTheWindow) {
    const Record record = cosineAtPoint(10, 1.0);
    for (SpectrumView view : {SpectrumView::SteadyState, SpectrumView::Transient}) {
        const Spectrum plain = spectrumOf(record, 0, view);
        EXPECT_NEAR(plain[10], 1.0, kTolerance);
        for (int k = 0; k < kSpectrumPoints; ++k) {
            if (k != 10) {
                EXPECT_NEAR(plain[k], 0.0, kTolerance) << "point " << k;
            }
        }

        // The window spreads the line over its neighbours at half height; the gain keeps the
        // peak at the true amplitude.
        const Spectrum windowed = spectrumOf(record, kHannWindow, view);
        EXPECT_NEAR(windowed[10], 1.0, kTolerance);
        EXPECT_NEAR(windowed[9], 0.5, kTolerance);
        EXPECT_NEAR(windowed[11], 0.5, kTolerance);
        EXPECT_NEAR(windowed[12], 0.0, kTolerance);
        EXPECT_NEAR(windowed[8], 0.0, kTolerance);
    }
}

TEST(RecordSpectrum, ConstantRecordAndTheBlankingOfPointsZeroAndOne) {
    Record constant;
    constant.fill(3.25);

    for (SpectrumView view : {SpectrumView::SteadyState, SpectrumView::Transient}) {
        const Spectrum plain = spectrumOf(constant, 0, view);
        EXPECT_EQ(plain[0], 0.0); // the mean itself would be 3.25
        EXPECT_LT(largest(plain), kTolerance);
    }

    // The window turns the mean into a line at point 1 as well: the transient view shows it,
    // the steady-state view blanks both.
    const Spectrum transient = spectrumOf(constant, kHannWindow, SpectrumView::Transient);
    EXPECT_EQ(transient[0], 0.0);
    EXPECT_NEAR(transient[1], 3.25, 3.25 * kTolerance);
    EXPECT_LT(*std::max_element(transient.begin() + 2, transient.end()), kTolerance);

    const Spectrum steady = spectrumOf(constant, kHannWindow, SpectrumView::SteadyState);
    EXPECT_EQ(steady[0], 0.0);
    EXPECT_EQ(steady[1], 0.0);
    EXPECT_LT(largest(steady), kTolerance);

    // Without the window point 1 is real content in both views.
    Record lowTone = cosineAtPoint(1, 2.0);
    for (double& value : lowTone) {
        value += 5.0;
    }
    for (SpectrumView view : {SpectrumView::SteadyState, SpectrumView::Transient}) {
        const Spectrum plain = spectrumOf(lowTone, 0, view);
        EXPECT_EQ(plain[0], 0.0);
        EXPECT_NEAR(plain[1], 2.0, kTolerance);
    }
}

TEST(RecordSpectrum, EveryWindowTypeButHannMeansNoWindow) {
    const Record record = randomRecord(7);
    for (SpectrumView view : {SpectrumView::SteadyState, SpectrumView::Transient}) {
        const Spectrum none = spectrumOf(record, 0, view);
        for (int windowType : {2, -1, 7}) {
            EXPECT_EQ(spectrumOf(record, windowType, view), none) << "window type " << windowType;
        }
        EXPECT_NE(spectrumOf(record, kHannWindow, view), none);
    }
}

TEST(RecordSpectrum, RandomRecordsMatchADirectTransform) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        Record record = randomRecord(seed);
        if (seed == 4) {
            // A strong tone over weak noise: leakage and rounding must stay below the noise.
            const Record tone = cosineAtPoint(137, 40.0);
            for (int k = 0; k < kRecordLength; ++k) {
                record[k] = record[k] / 100 + tone[k];
            }
        }
        for (int windowType : {0, kHannWindow}) {
            for (SpectrumView view : {SpectrumView::SteadyState, SpectrumView::Transient}) {
                const Spectrum expected = referenceSpectrum(record, windowType, view);
                const Spectrum actual = spectrumOf(record, windowType, view);
                const double tolerance = kTolerance * largest(expected);
                for (int k = 0; k < kSpectrumPoints; ++k) {
                    ASSERT_NEAR(actual[k], expected[k], tolerance)
                        << "seed " << seed << ", window " << windowType << ", point " << k;
                }
            }
        }
    }
}

TEST(RecordSpectrum, PlottedValuesKeepTheirExactRounding) {
    // The tolerance tests above cannot see a changed rounding step (a fused multiply-add, a
    // double where a float belongs, a reordered sum), yet it moves the plotted and exported
    // values. These are the values of the float/double steps as they stand.
    Record record;
    for (int k = 0; k < kRecordLength; ++k) {
        record[k] = ((k * 7919) % 65536 - 32768) * (200.0 / 65535);
    }
    const Spectrum plain = spectrumOf(record, 0, SpectrumView::Transient);
    const Spectrum windowed = spectrumOf(record, kHannWindow, SpectrumView::Transient);
    const std::array<int, 6> points = {1, 2, 3, 97, 256, 511};
    const std::array<double, 6> plainValues = {0x1.fea31ap-2, 0x1.04d9c8p-1, 0x1.1bd0ap-1,
                                               0x1.da817ep-2, 0x1.b4cc22p-1, 0x1.32745ap-2};
    const std::array<double, 6> windowedValues = {0x1.487e3cp-2, 0x1.bc40d4p-7, 0x1.1aaca2p-2,
                                                  0x1.b8d26ep-2, 0x1.31fc78p+0, 0x1.bd64b8p-2};
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(plain[points[i]], plainValues[i]) << "point " << points[i];
        EXPECT_EQ(windowed[points[i]], windowedValues[i]) << "point " << points[i];
    }
}

TEST(Fft, ComplexAndRealTransformsMatchADirectDft) {
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> values(-1.0f, 1.0f);

    for (int m = 0; m <= 6; ++m) {
        const int n = 1 << m;
        std::vector<float> data(2 * n);
        std::vector<std::complex<double>> input(n);
        for (int i = 0; i < n; ++i) {
            data[2 * i] = values(generator);
            data[2 * i + 1] = values(generator);
            input[i] = {data[2 * i], data[2 * i + 1]};
        }
        const std::vector<std::complex<double>> expected = directDft(input);
        ComplexFft(data.data(), m);
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(data[2 * k], expected[k].real(), kTolerance * n) << "m " << m << " k " << k;
            EXPECT_NEAR(data[2 * k + 1], expected[k].imag(), kTolerance * n)
                << "m " << m << " k " << k;
        }
    }

    for (int M : {1, 2, 3, 5, 11}) {
        const int n = 1 << M;
        std::vector<float> samples(n);
        std::vector<std::complex<double>> input(n);
        for (int i = 0; i < n; ++i) {
            samples[i] = values(generator);
            input[i] = samples[i];
        }
        const std::vector<std::complex<double>> expected = directDft(input);
        std::vector<float> out(n, -99.0f);
        RealFft(samples.data(), out.data(), M);
        EXPECT_EQ(out[1], 0.0f);
        for (int k = 0; k < n / 2; ++k) {
            EXPECT_NEAR(out[2 * k], expected[k].real(), kTolerance * n) << "M " << M << " k " << k;
            EXPECT_NEAR(out[2 * k + 1], expected[k].imag(), kTolerance * n)
                << "M " << M << " k " << k;
        }
    }
}

TEST(Fft, TablesAreBuiltOncePerSizeChange) {
    const Record record = randomRecord(5);
    std::vector<float> samples(64, 1.0f);
    std::vector<float> out(64);
    RealFft(samples.data(), out.data(), 6); // a known starting size, whatever ran before

    const int twiddles = twiddleTableBuilds();
    const int recombinations = recombinationTableBuilds();
    Spectrum first;
    Spectrum again;
    recordSpectrum(record.data(), kHannWindow, SpectrumView::Transient, first.data());
    recordSpectrum(record.data(), kHannWindow, SpectrumView::Transient, again.data());
    recordSpectrum(record.data(), 0, SpectrumView::SteadyState, again.data());
    EXPECT_EQ(twiddleTableBuilds(), twiddles + 1);
    EXPECT_EQ(recombinationTableBuilds(), recombinations + 1);

    RealFft(samples.data(), out.data(), 6);
    EXPECT_EQ(twiddleTableBuilds(), twiddles + 2);
    EXPECT_EQ(recombinationTableBuilds(), recombinations + 2);

    // The rebuilt 1024 tables give the same values as the first ones.
    recordSpectrum(record.data(), kHannWindow, SpectrumView::Transient, again.data());
    EXPECT_EQ(twiddleTableBuilds(), twiddles + 3);
    EXPECT_EQ(recombinationTableBuilds(), recombinations + 3);
    EXPECT_EQ(again, first);
}

} // namespace
