#include "BearingFrequencies.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Hand-computed: n = 8, d = 1, D = 4, so d/D cos(phi) is 0.25 at 0 degrees and 0.125 at 60.
struct FrequencyCase {
    double contactAngle;
    BearingFrequencies expected;
};

class BearingFrequencyTable : public testing::TestWithParam<FrequencyCase> {};

TEST_P(BearingFrequencyTable, FollowTheGeometryAndTheShaftSpeed) {
    const BearingGeometry geometry{8, 1.0, 4.0, GetParam().contactAngle, BearingShaft::N2};
    ASSERT_EQ(bearingGeometryFault(geometry), BearingGeometryFault::None);
    const BearingFrequencies frequencies = bearingFrequencies(geometry, 100.0);
    EXPECT_NEAR(frequencies.outerRace, GetParam().expected.outerRace, 1e-9);
    EXPECT_NEAR(frequencies.innerRace, GetParam().expected.innerRace, 1e-9);
    EXPECT_NEAR(frequencies.rollingElement, GetParam().expected.rollingElement, 1e-9);
    EXPECT_NEAR(frequencies.cage, GetParam().expected.cage, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Bearing, BearingFrequencyTable,
                         testing::Values(FrequencyCase{0, {300, 500, 187.5, 37.5}},
                                         FrequencyCase{60, {350, 450, 196.875, 43.75}}));

TEST(BearingGeometry, TheFirstImpossibleValueIsNamed) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const struct {
        BearingGeometry geometry;
        BearingGeometryFault fault;
    } cases[] = {
        {{1, 1, 1.001, 89.9, BearingShaft::N1}, BearingGeometryFault::None},
        {{0, 1, 4, 0, BearingShaft::N1}, BearingGeometryFault::Elements},
        {{-3, 0, 0, 90, BearingShaft::N1}, BearingGeometryFault::Elements},
        {{8, 0, 4, 0, BearingShaft::N1}, BearingGeometryFault::BallDiameter},
        {{8, nan, 4, 0, BearingShaft::N1}, BearingGeometryFault::BallDiameter},
        {{8, 1, 1, 0, BearingShaft::N1}, BearingGeometryFault::PitchDiameter},
        {{8, 1, infinity, 0, BearingShaft::N1}, BearingGeometryFault::PitchDiameter},
        {{8, 1, 4, 90, BearingShaft::N1}, BearingGeometryFault::ContactAngle},
        {{8, 1, 4, -90, BearingShaft::N1}, BearingGeometryFault::ContactAngle},
        {{8, 1, 4, nan, BearingShaft::N1}, BearingGeometryFault::ContactAngle},
    };
    for (const auto& row : cases)
        EXPECT_EQ(bearingGeometryFault(row.geometry), row.fault)
            << row.geometry.elements << " " << row.geometry.ballDiameter << " "
            << row.geometry.pitchDiameter << " " << row.geometry.contactAngleDegrees;
}

} // namespace
