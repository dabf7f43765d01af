#include "BearingFrequencies.h"

#include <cmath>
#include <numbers>

BearingGeometryFault bearingGeometryFault(const BearingGeometry& geometry) {
    if (geometry.elements < 1)
        return BearingGeometryFault::Elements;
    if (!std::isfinite(geometry.ballDiameter) || geometry.ballDiameter <= 0)
        return BearingGeometryFault::BallDiameter;
    if (!std::isfinite(geometry.pitchDiameter) || geometry.pitchDiameter <= geometry.ballDiameter)
        return BearingGeometryFault::PitchDiameter;
    if (!std::isfinite(geometry.contactAngleDegrees) ||
        std::abs(geometry.contactAngleDegrees) >= 90)
        return BearingGeometryFault::ContactAngle;
    return BearingGeometryFault::None;
}

BearingFrequencies bearingFrequencies(const BearingGeometry& geometry, double shaftHz) {
    const double ratio = geometry.ballDiameter / geometry.pitchDiameter *
                         std::cos(geometry.contactAngleDegrees * std::numbers::pi / 180.0);
    const double halfElements = geometry.elements / 2.0;
    BearingFrequencies frequencies;
    frequencies.outerRace = halfElements * shaftHz * (1 - ratio);
    frequencies.innerRace = halfElements * shaftHz * (1 + ratio);
    frequencies.rollingElement =
        geometry.pitchDiameter / (2 * geometry.ballDiameter) * shaftHz * (1 - ratio * ratio);
    frequencies.cage = shaftHz / 2 * (1 - ratio);
    return frequencies;
}
