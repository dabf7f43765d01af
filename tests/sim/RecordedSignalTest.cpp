// What the simulated unit records, read as the viewer reads it: shaft speeds in RPM, time
// histories whose spectra agree with the speeds of their bin, and a bearing that wears.
#include "BearingFrequencies.h"
#include "FlightRecord.h"
#include "SimulatorFlights.h"
#include "Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

constexpr int kRecordedSlots = 17; // slots 17 to 19 hold no flight by default
constexpr int kN1Type = 8;
constexpr int kN2Type = 9;

using Record = std::array<double, FlightRecord::kTimeRecordLength>;
using Amplitudes = std::array<double, kSpectrumPoints>;

Record steadyStateRecord(const FlightRecord& flight, int bin) {
    Record record{};
    flight.steadyStateTimeRecord(bin, int(record.size()), record.data());
    return record;
}

Amplitudes hannSpectrum(const Record& record) {
    Amplitudes amplitudes{};
    recordSpectrum(record.data(), kHannWindow, SpectrumView::SteadyState, amplitudes.data());
    return amplitudes;
}

std::array<double, FlightRecord::kBinCount> steadyStateRow(const FlightRecord& flight, int type) {
    std::array<double, FlightRecord::kBinCount> row{};
    flight.steadyStateRow(type, int(row.size()), row.data());
    return row;
}

double lineOf(double rpm) {
    return rpm / 60 / kSpectrumSpacingHz;
}

double kurtosis(const Record& x) {
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / double(x.size());
    double second = 0;
    double fourth = 0;
    for (double value : x) {
        const double d = (value - mean) * (value - mean);
        second += d;
        fourth += d * d;
    }
    second /= double(x.size());
    fourth /= double(x.size());
    return fourth / (second * second);
}

// Sum of the squared amplitudes of the lines within two lines of frequency `hz`.
double bandEnergy(const Amplitudes& amplitudes, double hz) {
    const double centre = hz / kSpectrumSpacingHz;
    double energy = 0;
    for (int k = 0; k < kSpectrumPoints; ++k)
        if (std::abs(k - centre) <= 2)
            energy += amplitudes[size_t(k)] * amplitudes[size_t(k)];
    return energy;
}

TEST(RecordedSignal, SpeedsAreInRpmWithinTheirRangesAndVary) {
    for (int engine : {1, 2}) {
        const QList<FlightDataElement> flights = simulatorFlights(kRecordedSlots, engine);
        std::vector<double> binFiveN1;
        for (const FlightDataElement& element : flights) {
            const FlightRecord flight(element);
            const auto n1 = steadyStateRow(flight, kN1Type);
            const auto n2 = steadyStateRow(flight, kN2Type);
            for (int bin = 0; bin < FlightRecord::kBinCount; ++bin) {
                SCOPED_TRACE(testing::Message() << "engine " << engine << " flight "
                                                << element.flightNumber << " bin " << bin);
                EXPECT_GE(n1[size_t(bin)], 2500);
                EXPECT_LE(n1[size_t(bin)], 5600);
                EXPECT_GE(n2[size_t(bin)], 8000);
                EXPECT_LE(n2[size_t(bin)], 15500);
            }
            // From ground idle to take-off over the bins.
            EXPECT_LT(n1.front() + 2000, n1.back());
            EXPECT_LT(n2.front() + 5000, n2.back());
            for (int phase = 0; phase < FlightRecord::kTransientBinCount; ++phase) {
                std::array<double, FlightRecord::kTransientSampleCount> values{};
                flight.transientValues(kN1Type, phase, int(values.size()), values.data());
                for (double value : values)
                    EXPECT_TRUE(value >= 2500 && value <= 5600) << value;
                flight.transientValues(kN2Type, phase, int(values.size()), values.data());
                for (double value : values)
                    EXPECT_TRUE(value >= 8000 && value <= 15500) << value;
            }
            binFiveN1.push_back(n1[5]);
        }
        std::sort(binFiveN1.begin(), binFiveN1.end());
        EXPECT_EQ(std::unique(binFiveN1.begin(), binFiveN1.end()), binFiveN1.end())
            << "the same bin repeats its speed from flight to flight";
        EXPECT_GT(binFiveN1.back() - binFiveN1.front(), 50.0);
    }
}

// The three strongest peaks of every steady-state spectrum sit on the lines of 1x and 2x N1
// and 1x N2 of the bin's own speeds, and nothing shows near either end of the spectrum.
TEST(RecordedSignal, SpectraPeakAtTheShaftLinesOfTheirBinAndAreEmptyAtTheEdges) {
    for (int engine : {1, 2}) {
        const QList<FlightDataElement> flights = simulatorFlights(3, engine);
        for (const FlightDataElement& element : flights) {
            const FlightRecord flight(element);
            const auto n1 = steadyStateRow(flight, kN1Type);
            const auto n2 = steadyStateRow(flight, kN2Type);
            for (int bin = 0; bin < FlightRecord::kBinCount; ++bin) {
                SCOPED_TRACE(testing::Message() << "engine " << engine << " flight "
                                                << element.flightNumber << " bin " << bin);
                const Amplitudes a = hannSpectrum(steadyStateRecord(flight, bin));
                std::vector<int> peaks;
                for (int k = 1; k + 1 < kSpectrumPoints; ++k)
                    if (a[size_t(k)] > a[size_t(k - 1)] && a[size_t(k)] >= a[size_t(k + 1)])
                        peaks.push_back(k);
                ASSERT_GE(peaks.size(), 3u);
                std::partial_sort(peaks.begin(), peaks.begin() + 3, peaks.end(),
                                  [&](int l, int r) { return a[size_t(l)] > a[size_t(r)]; });
                std::vector<double> expected = {
                    lineOf(n1[size_t(bin)]), lineOf(2 * n1[size_t(bin)]), lineOf(n2[size_t(bin)])};
                for (int p = 0; p < 3; ++p) {
                    const auto near = std::find_if(expected.begin(), expected.end(), [&](double l) {
                        return std::abs(peaks[size_t(p)] - l) <= 1.0;
                    });
                    ASSERT_NE(near, expected.end()) << "peak at line " << peaks[size_t(p)];
                    expected.erase(near);
                }
                // The noise floor in the middle; towards half the sample rate only the
                // rounding to counts is left.
                Amplitudes sorted = a;
                std::nth_element(sorted.begin() + 100, sorted.begin() + 250, sorted.begin() + 400);
                const double floor = sorted[250];
                ASSERT_GT(floor, 0);
                EXPECT_LT(*std::max_element(a.begin() + 450, a.end()), 0.1 * floor);
            }
        }
    }
}

struct FlightLevels {
    double kurtosis = 0;
    double outerRaceBand = 0;
};

// The means over the 26 steady-state bins of a flight.
FlightLevels flightLevels(const FlightDataElement& element) {
    const FlightRecord flight(element);
    const auto n2 = steadyStateRow(flight, kN2Type);
    FlightLevels levels;
    for (int bin = 0; bin < FlightRecord::kBinCount; ++bin) {
        const Record record = steadyStateRecord(flight, bin);
        const double bpfo = bearingFrequencies(kSimulatedBearing, n2[size_t(bin)] / 60).outerRace;
        levels.kurtosis += kurtosis(record) / FlightRecord::kBinCount;
        levels.outerRaceBand += bandEnergy(hannSpectrum(record), bpfo) / FlightRecord::kBinCount;
    }
    return levels;
}

TEST(RecordedSignal, AWearingOuterRaceRaisesKurtosisAndItsBandOnItsEngineOnly) {
    UnitSimulatorConfig wearing;
    wearing.bearingDefect = BearingDefect{2, 8};
    const int last = kRecordedSlots - 1;
    for (int engine : {1, 2}) {
        SCOPED_TRACE(engine);
        const QList<FlightDataElement> flights = simulatorFlights(kRecordedSlots, engine, wearing);
        const FlightLevels first = flightLevels(flights[8]);
        const FlightLevels end = flightLevels(flights[last]);
        if (engine == 2) {
            EXPECT_GE(end.kurtosis, 1.5 * first.kurtosis);
            EXPECT_GE(end.outerRaceBand, 1.5 * first.outerRaceBand);
            for (int slot = 9; slot <= last; ++slot)
                EXPECT_GT(flightLevels(flights[slot]).outerRaceBand,
                          flightLevels(flights[slot - 1]).outerRaceBand)
                    << "slot " << slot;
        } else {
            // The noise floor in five lines varies a little from flight to flight.
            EXPECT_NEAR(end.kurtosis / first.kurtosis, 1.0, 0.05);
            EXPECT_NEAR(end.outerRaceBand / first.outerRaceBand, 1.0, 0.1);
        }
        // Before the defect's first slot, and on the other engine, nothing else changes.
        const QList<FlightDataElement> healthy = simulatorFlights(kRecordedSlots, engine);
        for (int slot = 0; slot < kRecordedSlots; ++slot)
            EXPECT_EQ(flights[slot].flightRecord == healthy[slot].flightRecord,
                      engine == 1 || slot < 8)
                << "slot " << slot;
    }
}

} // namespace
