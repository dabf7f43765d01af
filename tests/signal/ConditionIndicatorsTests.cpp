#include "BearingFrequencies.h"
#include "ConditionIndicators.h"
#include "Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

using Record = std::vector<double>;

// The speed in RPM whose shaft frequency lies at `line` spectrum lines.
double rpmAtLine(double line) {
    return line * kSpectrumSpacingHz * 60;
}

// Cosines on whole spectrum lines (line, amplitude in G) over an offset that the mean removes.
Record tones(std::initializer_list<std::pair<int, double>> lines, double offset = 0.75) {
    Record record(kRecordLength, offset);
    for (const auto& [line, amplitude] : lines) {
        for (int k = 0; k < kRecordLength; ++k) {
            record[k] += amplitude * std::cos(2 * kPi * line * k / kRecordLength);
        }
    }
    return record;
}

IndicatorValues indicatorsOf(const Record& record, double n1Rpm = rpmAtLine(19.6),
                             double n2Rpm = rpmAtLine(33.3),
                             const BearingGeometry* geometry = nullptr) {
    return binIndicators(record.data(), static_cast<int>(record.size()), n1Rpm, n2Rpm, geometry);
}

TEST(ConditionIndicators, StatisticsOfKnownShapes) {
    // A cosine of 2 G on a whole line: rms 2/sqrt(2), crest sqrt(2), kurtosis 3/8 / (1/2)^2.
    const IndicatorValues sine = indicatorsOf(tones({{16, 2.0}}));
    EXPECT_NEAR(*sine[Indicator::Rms], std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(*sine[Indicator::Peak], 2.0, 1e-12);
    EXPECT_NEAR(*sine[Indicator::Crest], std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(*sine[Indicator::Kurtosis], 1.5, 1e-12);

    std::mt19937 generator(23);
    std::normal_distribution<double> gaussian(0.3, 0.5);
    Record noise(kRecordLength);
    for (double& value : noise) {
        value = gaussian(generator);
    }
    EXPECT_NEAR(*indicatorsOf(noise)[Indicator::Kurtosis], 3.0, 0.4);

    // One sample in 128 struck: kurtosis about 126, far beyond the 3 of a sound bearing.
    Record impulses(kRecordLength, 0.2);
    for (int k = 5; k < kRecordLength; k += 128) {
        impulses[k] = 4.2;
    }
    const IndicatorValues struck = indicatorsOf(impulses);
    EXPECT_NEAR(*struck[Indicator::Kurtosis], 126.0, 0.1);
    EXPECT_NEAR(*struck[Indicator::Peak], 4.0 - 4.0 / 128, 1e-12);
}

TEST(ConditionIndicators, ShaftLinesAndDefectBandsOfAKnownSpectrum) {
    // The Hann window shows a tone of amplitude a on line k as a at k and a/2 at k +- 1.
    // Geometry n 8, d 1, D 4, 0 degrees: BPFO 3 f, BPFI 5 f, BSF 1.875 f, FTF 0.375 f. With
    // the N2 shaft at line 33.3 the bands are BPFO 98..101, BPFI 165..168, BSF 61..64, FTF
    // 11..14, so only one side line of the tones on 169, 60 and 10 falls inside its band.
    const Record record =
        tones({{20, 0.5}, {33, 0.25}, {100, 0.4}, {169, 0.2}, {60, 0.6}, {10, 0.8}});
    BearingGeometry geometry{8, 1.0, 4.0, 0.0, BearingShaft::N2};
    const IndicatorValues values =
        indicatorsOf(record, rpmAtLine(19.6), rpmAtLine(33.3), &geometry);
    const struct {
        Indicator indicator;
        double expected;
    } rows[] = {
        {Indicator::N1x1, 0.5},  // nearest to 19.6
        {Indicator::N2x1, 0.25}, // nearest to 33.3
        {Indicator::Bpfo, 0.4 * std::sqrt(1.5)},
        {Indicator::Bpfi, 0.1},
        {Indicator::Bsf, 0.3},
        {Indicator::Ftf, 0.4},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(values[row.indicator]) << kIndicatorNames[static_cast<int>(row.indicator)];
        EXPECT_NEAR(*values[row.indicator], row.expected, 1e-5)
            << kIndicatorNames[static_cast<int>(row.indicator)];
    }

    // The bands follow the geometry's shaft: on N1 (line 19.6) BPFO is 58.8, lines 57..60.
    geometry.shaft = BearingShaft::N1;
    const IndicatorValues onN1 = indicatorsOf(record, rpmAtLine(19.6), rpmAtLine(33.3), &geometry);
    EXPECT_NEAR(*onN1[Indicator::Bpfo], std::sqrt(0.6 * 0.6 + 0.3 * 0.3), 1e-5);

    // A band without any tone is a measured 0, not an empty value.
    const IndicatorValues quiet = indicatorsOf(tones({{300, 1.0}}), 1000, 9000, &geometry);
    ASSERT_TRUE(quiet[Indicator::Bpfo]);
    EXPECT_LT(*quiet[Indicator::Bpfo], 1e-5);
}

TEST(ConditionIndicators, EmptyWhenNotComputable) {
    const BearingGeometry geometry{8, 1.0, 4.0, 0.0, BearingShaft::N2};
    const BearingGeometry impossible{0, 1.0, 4.0, 0.0, BearingShaft::N2};
    const Record record = tones({{40, 0.5}});
    Record flat(kRecordLength, 37.67452506294347); // a mean that a plain sum rounds off
    Record notANumber = record;
    notANumber[700] = kNan;
    const Record shortRecord(kRecordLength - 1, 0.5);
    const double fine = rpmAtLine(40);

    const std::vector<Indicator> bearing = {Indicator::Bpfo, Indicator::Bpfi, Indicator::Bsf,
                                            Indicator::Ftf};
    std::vector<Indicator> all;
    for (int i = 0; i < kIndicatorCount; ++i) {
        all.push_back(static_cast<Indicator>(i));
    }
    const struct {
        const char* name;
        const Record& record;
        double n1;
        double n2;
        const BearingGeometry* geometry;
        std::vector<Indicator> empty; // every indicator when it holds all of them
    } rows[] = {
        {"sound", record, fine, fine, &geometry, {}},
        {"flat record", flat, fine, fine, &geometry, {Indicator::Crest, Indicator::Kurtosis}},
        {"no geometry", record, fine, fine, nullptr, bearing},
        {"impossible geometry", record, fine, fine, &impossible, bearing},
        {"N1 zero", record, 0, fine, &geometry, {Indicator::N1x1}},
        {"N1 not a number", record, kNan, fine, &geometry, {Indicator::N1x1}},
        {"N2 infinite",
         record,
         fine,
         kInfinity,
         &geometry,
         {Indicator::N2x1, Indicator::Bpfo, Indicator::Bpfi, Indicator::Bsf, Indicator::Ftf}},
        // Lines 0 and 1 are blanked: 1.4 rounds to line 1, 1.6 to line 2.
        {"N1 nearest to line 1", record, rpmAtLine(1.4), fine, &geometry, {Indicator::N1x1}},
        {"N1 nearest to line 2", record, rpmAtLine(1.6), fine, &geometry, {}},
        {"N1 above the spectrum", record, rpmAtLine(511.6), fine, &geometry, {Indicator::N1x1}},
        {"N1 on the last line", record, rpmAtLine(511.4), fine, &geometry, {}},
        // FTF 0.375 f below line 2, BPFI 5 f above line 511, the others inside.
        {"slow shaft", record, fine, rpmAtLine(5), &geometry, {Indicator::Ftf}},
        {"fast shaft", record, fine, rpmAtLine(103), &geometry, {Indicator::Bpfi}},
        {"sample not a number", notANumber, fine, fine, &geometry, all},
        {"short record", shortRecord, fine, fine, &geometry, all},
    };
    for (const auto& row : rows) {
        const IndicatorValues values = indicatorsOf(row.record, row.n1, row.n2, row.geometry);
        for (int i = 0; i < kIndicatorCount; ++i) {
            const auto indicator = static_cast<Indicator>(i);
            const bool empty =
                std::find(row.empty.begin(), row.empty.end(), indicator) != row.empty.end();
            EXPECT_EQ(values[indicator].has_value(), !empty)
                << row.name << ": " << kIndicatorNames[i];
            if (values[indicator]) {
                EXPECT_TRUE(std::isfinite(*values[indicator])) << row.name;
            }
        }
    }
    const IndicatorValues flatValues = indicatorsOf(flat);
    EXPECT_EQ(*flatValues[Indicator::Rms], 0.0);
    EXPECT_EQ(*flatValues[Indicator::Peak], 0.0);
}

TEST(ConditionIndicators, FlightValueIsTheLargestOverTheBins) {
    std::vector<IndicatorValues> bins(3);
    bins[0][Indicator::Kurtosis] = 3.1;
    bins[1][Indicator::Kurtosis] = 7.5;
    bins[2][Indicator::Kurtosis] = 4.0;
    bins[0][Indicator::Crest] = 1.2;
    bins[2][Indicator::Crest] = kNan; // never taken, whoever stored it
    bins[1][Indicator::Rms] = kInfinity;

    const IndicatorValues flight = flightValues(bins);
    EXPECT_EQ(flight[Indicator::Kurtosis], 7.5);
    EXPECT_EQ(flight[Indicator::Crest], 1.2);
    EXPECT_FALSE(flight[Indicator::Rms]);
    EXPECT_FALSE(flight[Indicator::Bpfo]);
    EXPECT_FALSE(flightValue({}, Indicator::Kurtosis));
    EXPECT_EQ(flightValue(std::span(bins).first(1), Indicator::Kurtosis), 3.1);
}

} // namespace
