// The condition indicators of one flight slot (26 steady-state bins: the statistics and one
// Hann spectrum each, then the flight's values) against a plain loop doing the same arithmetic
// on the same samples into bare arrays. Goal: at most 1.5 times the plain loop.
//
//   build/bin/bench_indicators [--benchmark_repetitions=5 ...]

#include "BearingFrequencies.h"
#include "ConditionIndicators.h"
#include "Spectrum.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int kBins = 26;
constexpr double kPi = 3.141592653589793;
constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();
const BearingGeometry kGeometry{12, 7.9, 39.0, 0.0, BearingShaft::N2};

struct Bin {
    std::array<double, kRecordLength> samplesG;
    double n1Rpm;
    double n2Rpm;
};

// Records as the unit stores them: 16-bit counts of shaft tones, noise and impacts, in G.
std::vector<Bin> makeSlot() {
    std::mt19937 generator(26);
    std::normal_distribution<double> noise(0.0, 0.08);
    std::uniform_real_distribution<double> spread(0.0, 1.0);
    std::vector<Bin> bins(kBins);
    for (Bin& bin : bins) {
        bin.n1Rpm = 2500 + 3100 * spread(generator);
        bin.n2Rpm = 8000 + 7500 * spread(generator);
        for (int k = 0; k < kRecordLength; ++k) {
            const double t = k / 9765.625;
            double g = 0.3 * std::sin(2 * kPi * bin.n1Rpm / 60 * t) +
                       0.2 * std::sin(2 * kPi * bin.n2Rpm / 60 * t) + noise(generator);
            if (k % 97 < 6) {
                g += 1.5 * std::exp(-(k % 97) / 2.0) * std::sin(2 * kPi * 3000 * t);
            }
            const long counts = std::clamp(std::lround(g * 65535 / 200), -32768L, 32767L);
            bin.samplesG[k] = static_cast<double>(counts) * 200 / 65535;
        }
    }
    return bins;
}

const std::vector<Bin>& theSlot() {
    static const std::vector<Bin> slot = makeSlot();
    return slot;
}

IndicatorValues ourFlight(const std::vector<Bin>& slot) {
    std::array<IndicatorValues, kBins> bins;
    for (int b = 0; b < kBins; ++b) {
        bins[b] = binIndicators(slot[b].samplesG.data(), kRecordLength, slot[b].n1Rpm,
                                slot[b].n2Rpm, &kGeometry);
    }
    return flightValues(bins);
}

// The same arithmetic written out flat, NaN standing for an empty value.
double plainLine(const double* spectrum, double rpm) {
    const double nearest = std::round(rpm / 60 / kSpectrumSpacingHz);
    return nearest >= 2 && nearest <= 511 ? spectrum[static_cast<int>(nearest)] : kEmpty;
}

double plainBand(const double* spectrum, double hz) {
    const double centre = hz / kSpectrumSpacingHz;
    if (!(centre >= 2 && centre <= 511)) {
        return kEmpty;
    }
    double sum = 0;
    for (int k = std::max(2, int(std::ceil(centre - 2))); k <= std::min(511, int(centre + 2));
         ++k) {
        sum += spectrum[k] * spectrum[k];
    }
    return std::sqrt(sum);
}

std::array<double, kIndicatorCount> plainFlight(const std::vector<Bin>& slot) {
    std::array<double, kIndicatorCount> flight;
    flight.fill(kEmpty);
    double spectrum[kSpectrumPoints];
    for (const Bin& bin : slot) {
        const double* x = bin.samplesG.data();
        double sum = 0;
        for (int k = 0; k < kRecordLength; ++k) {
            sum += x[k];
        }
        const double estimate = sum / kRecordLength;
        double deviations = 0;
        for (int k = 0; k < kRecordLength; ++k) {
            deviations += x[k] - estimate;
        }
        const double mean = estimate + deviations / kRecordLength;
        double squares = 0;
        double fourth = 0;
        double peak = 0;
        for (int k = 0; k < kRecordLength; ++k) {
            const double d = x[k] - mean;
            squares += d * d;
            fourth += d * d * (d * d);
            peak = std::max(peak, std::abs(d));
        }
        const double variance = squares / kRecordLength;
        const double rms = std::sqrt(variance);
        recordSpectrum(x, kHannWindow, SpectrumView::SteadyState, spectrum);
        const BearingFrequencies f = bearingFrequencies(kGeometry, bin.n2Rpm / 60);
        const double values[kIndicatorCount] = {
            rms,
            peak,
            rms > 0 ? peak / rms : kEmpty,
            rms > 0 ? fourth / kRecordLength / (variance * variance) : kEmpty,
            plainLine(spectrum, bin.n1Rpm),
            plainLine(spectrum, bin.n2Rpm),
            plainBand(spectrum, f.outerRace),
            plainBand(spectrum, f.innerRace),
            plainBand(spectrum, f.rollingElement),
            plainBand(spectrum, f.cage)};
        for (int i = 0; i < kIndicatorCount; ++i) {
            if (values[i] == values[i] && !(values[i] <= flight[i])) {
                flight[i] = values[i];
            }
        }
    }
    return flight;
}

void BM_OurIndicators(benchmark::State& state) {
    for (auto _ : state) {
        IndicatorValues flight = ourFlight(theSlot());
        benchmark::DoNotOptimize(flight);
    }
}
BENCHMARK(BM_OurIndicators)->Unit(benchmark::kMicrosecond);

void BM_PlainLoop(benchmark::State& state) {
    for (auto _ : state) {
        std::array<double, kIndicatorCount> flight = plainFlight(theSlot());
        benchmark::DoNotOptimize(flight);
    }
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMicrosecond);

// Both must give the same ten values, or the comparison means nothing.
bool flightsAgree() {
    const IndicatorValues ours = ourFlight(theSlot());
    const std::array<double, kIndicatorCount> plain = plainFlight(theSlot());
    bool agree = true;
    for (int i = 0; i < kIndicatorCount; ++i) {
        const std::optional<double>& value = ours.values[i];
        const double mine = value ? *value : kEmpty;
        std::printf("%-8s %.9g\n", kIndicatorNames[i].data(), mine);
        if (!value || mine != plain[i]) {
            std::fprintf(stderr, "%s: %.9g here, %.9g from the plain loop\n",
                         kIndicatorNames[i].data(), mine, plain[i]);
            agree = false;
        }
    }
    return agree;
}

// Alternating runs, medians: the same cache state and machine load for both.
void sideBySide() {
    constexpr int kRounds = 201;
    using Clock = std::chrono::steady_clock;
    std::vector<double> plainTimes;
    std::vector<double> ourTimes;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(plainFlight(theSlot()));
        plainTimes.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        start = Clock::now();
        benchmark::DoNotOptimize(ourFlight(theSlot()));
        ourTimes.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(plainTimes.begin(), plainTimes.end());
    std::sort(ourTimes.begin(), ourTimes.end());
    const double plainMedian = plainTimes[kRounds / 2];
    const double ourMedian = ourTimes[kRounds / 2];
    std::printf("side by side, median of %d alternating runs over one slot of %d bins:\n"
                "  plain loop %.1f us, ours %.1f us, ratio %.2f (goal <= 1.5)\n",
                kRounds, kBins, plainMedian, ourMedian, ourMedian / plainMedian);
}

} // namespace

int main(int argc, char** argv) {
    if (!flightsAgree()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sideBySide();
    return 0;
}
