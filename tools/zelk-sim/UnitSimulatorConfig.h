#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>
#include <optional>

#include "BearingFrequencies.h"

// The five part numbers the unit reports, in the order they sit in its part-number record.
enum class PartNumberField { BootMain, MainSoftware, BootDsp, DspSoftware, Configuration };
inline constexpr int kPartNumberFieldCount = 5;
using PartNumbers = std::array<QByteArray, kPartNumberFieldCount>;

inline PartNumbers defaultPartNumbers() {
    // The main software number fills all 16 bytes on purpose: readers must not rely on a
    // terminator.
    return {QByteArrayLiteral("ZK4711-BT-0102"), QByteArrayLiteral("ZK4712-SW-0305-C"),
            QByteArrayLiteral("ZK4721-BT-0201"), QByteArrayLiteral("ZK4722-SW-0410"),
            QByteArrayLiteral("ZK4730-CF-0007")};
}

// The shaft speeds the unit records, in RPM: from ground idle to take-off.
inline constexpr double kN1MinRpm = 2500;
inline constexpr double kN1MaxRpm = 5600;
inline constexpr double kN2MinRpm = 8000;
inline constexpr double kN2MaxRpm = 15500;

// The bearing whose outer race wears when a bearing defect is simulated: its inner race turns
// with N2, diameters in millimetres.
inline constexpr BearingGeometry kSimulatedBearing{10, 14.0, 70.0, 15.0, BearingShaft::N2};

// An outer-race defect of kSimulatedBearing on one engine, present from a flight slot on and
// growing slot after slot.
struct BearingDefect {
    int engine = 2;    // 1 or 2
    int firstSlot = 0; // 0..19, as the flights are listed
};

// Everything that shapes what the simulated unit holds. Fixed for the life of a simulator;
// the part numbers are only its starting values.
struct UnitSimulatorConfig {
    // Drives every recorded value, so two simulators with one seed serve the same bytes.
    quint64 seed = 4242;
    // Texts longer than 16 bytes are cut to 16; shorter ones are NUL-padded.
    PartNumbers partNumbers = defaultPartNumbers();
    // Flight slots (0..19) that hold no flight, on both engines.
    QList<int> emptySlots = {17, 18, 19};
    // Flight slots recorded in the post-defect memory; the others are pre-defect.
    QList<int> postDefectSlots = {14, 15, 16};
    // Puts a few negative amplitudes into every recorded flight, as a faulty sensor would.
    bool negativeValues = false;
    // A wearing bearing; none by default.
    std::optional<BearingDefect> bearingDefect;
    // A packet whose announced length has not fully arrived within this time is answered
    // as malformed instead of being waited for forever.
    int packetCompletionTimeoutMs = 2000;
};
