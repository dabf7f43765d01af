#pragma once

// The defect frequencies of a rolling-element bearing: where a damaged outer race, inner race,
// rolling element or cage shows in the spectrum of the engine's vibration.

// The shaft that turns the bearing's inner race.
enum class BearingShaft { N1, N2 };

// The bearing's geometry: the two diameters in any one length unit, the contact angle in
// degrees.
struct BearingGeometry {
    int elements = 0;
    double ballDiameter = 0;
    double pitchDiameter = 0;
    double contactAngleDegrees = 0;
    BearingShaft shaft = BearingShaft::N2;
};

// The first value of a geometry that no bearing can have, checked in the order of the
// fields: fewer than one rolling element, a ball diameter that is not above 0, a pitch
// diameter not above the ball diameter, a contact angle not within ±90 degrees, or a value
// that is not a finite number.
enum class BearingGeometryFault { None, Elements, BallDiameter, PitchDiameter, ContactAngle };
BearingGeometryFault bearingGeometryFault(const BearingGeometry& geometry);

// In Hz, for a shaft turning at shaftHz (its speed in RPM / 60).
struct BearingFrequencies {
    double outerRace = 0;      // BPFO
    double innerRace = 0;      // BPFI
    double rollingElement = 0; // BSF
    double cage = 0;           // FTF
};

// The four frequencies of a geometry without fault.
BearingFrequencies bearingFrequencies(const BearingGeometry& geometry, double shaftHz);
