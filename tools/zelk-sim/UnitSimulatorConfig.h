#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

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
    // A packet whose announced length has not fully arrived within this time is answered
    // as malformed instead of being waited for forever.
    int packetCompletionTimeoutMs = 2000;
};
