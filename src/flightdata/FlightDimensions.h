#pragma once

// The shape of one engine's recorded flights: the same counts in the unit's response and in
// the raw flight data file, so that both layouts are built from one set of numbers.
struct FlightDimensions {
    static constexpr int kSlotCount = 20;            // flight slots of one engine
    static constexpr int kBinCount = 26;             // steady-state bins of a flight
    static constexpr int kBinValueCount = 13;        // values of a steady-state bin
    static constexpr int kPhaseCount = 4;            // transient phases: TOC, TOD, AOD, AOA
    static constexpr int kTransientSampleCount = 10; // samples of a phase
    static constexpr int kTransientValueCount = 7;   // values of a transient sample
    static constexpr int kPhaseAverageCount = 6;     // averages of a phase
    static constexpr int kTimeRecordLength = 1024;   // 16-bit samples of a time history
};
