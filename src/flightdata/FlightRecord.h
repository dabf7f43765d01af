#pragma once

#include "RawFlightDataLayout.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

struct FlightDataElement;

// Reads one flight record (the 137736-byte block of a raw flight data file) the way the
// viewer plots it. Every read is bounded: an index out of range, or a record shorter than the
// layout, reads as zeros, so a damaged file can never make the viewer read past its copy.
// The view does not own the bytes; keep the element or array alive while it is used.
class FlightRecord {
public:
    static constexpr int kSize = RawFlightDataLayout::kRecordSize;
    static constexpr int kBinCount = RawFlightDataLayout::kBinCount;                  // 26
    static constexpr int kSteadyStateTypeCount = RawFlightDataLayout::kBinValueCount; // 13
    static constexpr int kTransientBinCount = RawFlightDataLayout::kPhaseCount;       // 4
    static constexpr int kTransientSampleCount = RawFlightDataLayout::kTransientSampleCount;
    static constexpr int kFirstTransientType = 6; // A4R: the transient blocks start here
    static constexpr int kTransientTypeCount = RawFlightDataLayout::kTransientValueCount; // 7
    static constexpr int kAverageTypeCount = RawFlightDataLayout::kPhaseAverageCount;     // 6
    static constexpr int kTimeRecordLength = RawFlightDataLayout::kTimeRecordLength;      // 1024

    // A 16-bit sample in G: the unit's ±100 G range over the full 16 bits.
    static constexpr double kGPerCount = 200.0 / 65535.0;

    FlightRecord() = default;
    explicit FlightRecord(QByteArrayView bytes) : bytes_(bytes) {}
    explicit FlightRecord(const FlightDataElement& flight);

    // Each fills values[0 .. count-1]; positions beyond the row, block or record are 0.
    // Steady-state row of parameter type 0..12, one value per bin.
    void steadyStateRow(int parameterType, int count, double* values) const;
    // Time record of steady-state bin 0..25, in G.
    void steadyStateTimeRecord(int bin, int count, double* values) const;
    // Transient values of parameter type 6..12 in transient bin 0..3, one per sample.
    void transientValues(int parameterType, int transientBin, int count, double* values) const;
    // Transient averages of parameter type 0..5, one per transient bin.
    void transientAverages(int parameterType, int count, double* values) const;
    // Time record of transient bin 0..3, sample 0..9, in G.
    void transientTimeRecord(int transientBin, int sample, int count, double* values) const;

    // Single values, for the status rules; 0 outside the record.
    float steadyStateValue(int parameterType, int bin) const;
    float transientValue(int parameterType, int transientBin, int sample) const;

private:
    float floatAt(qsizetype offset) const;
    void readFloats(qsizetype offset, int available, int count, double* values) const;
    void readSamples(qsizetype offset, int available, int count, double* values) const;

    QByteArrayView bytes_;
};

// A loaded flight's key: its flight number and, where known, its raw file's creation time
// (two files may hold the same flight number).
struct FlightKey {
    qint32 flightNumber = 0;
    std::optional<quint32> creationTime;
};

// The first loaded flight that matches the key, or null.
const FlightDataElement* findLoadedFlight(const QList<FlightDataElement>& flights,
                                          const FlightKey& key);
// The record of the first loaded flight that matches; an empty record (all zeros) when none
// does, which is what the viewer plots for a flight it cannot find.
FlightRecord loadedFlightRecord(const QList<FlightDataElement>& flights, const FlightKey& key);

// Data status of a loaded flight.
enum class DataStatus { Ok, Suspect };

inline const QString kDataStatusOkText = QStringLiteral("OK");
inline const QString kDataStatusSuspectText = QStringLiteral("Suspect");
// Names of the selection's indicator images.
inline const QString kBadDataIndicator = QStringLiteral("BadData");
inline const QString kGoodDataIndicator = QStringLiteral("GoodData");

QString dataStatusText(DataStatus status);
// The data status lines of a flight (%1 the flight number, %2 its status text), as the
// viewer's data menu and brix-cli flights show them.
inline const QString kSteadyStateStatusText = QStringLiteral("Flight %1 - Steady State Status %2");
inline const QString kTransientStatusText = QStringLiteral("Flight %1 - Transient Data Status %2");
// Suspect when any of the 26 steady-state A4R values is negative, NaN or infinite: such an
// amplitude can only come from a faulty sensor or channel.
DataStatus steadyStateStatus(const FlightDataElement& flight);
DataStatus steadyStateStatus(const FlightRecord& record);
// Suspect when any of the 280 transient parameter values is negative, NaN or infinite.
DataStatus transientStatus(const FlightDataElement& flight);
// True when any loaded flight has a suspect status of either kind.
bool selectionHasSuspectData(const QList<FlightDataElement>& flights);
// kBadDataIndicator or kGoodDataIndicator.
QString selectionIndicatorName(const QList<FlightDataElement>& flights);
// What makes data suspect, as the indicator's tooltip and the maintenance report say it.
inline const QString kSuspectValuesText = QStringLiteral("negative, NaN or infinite values");
// The indicator's tooltip, which says why: %1 the suspect flights' numbers, in list order,
// each once, separated by ", ".
inline const QString kSuspectDataToolTip =
    QStringLiteral("Suspect: ") + kSuspectValuesText + QStringLiteral(" in flights %1");
// Why one flight is suspect, by the part of its record that holds the values.
inline const QString kSuspectSteadyStateReason =
    kSuspectValuesText + QStringLiteral(" in the steady-state data");
inline const QString kSuspectTransientReason =
    kSuspectValuesText + QStringLiteral(" in the transient data");
inline const QString kSuspectBothReason =
    kSuspectValuesText + QStringLiteral(" in the steady-state and transient data");
// One of the reasons above, or empty when both statuses are OK.
QString suspectReason(DataStatus steadyState, DataStatus transient);
inline const QString kGoodDataToolTip =
    QStringLiteral("OK: no negative, NaN or infinite values in the loaded flights");
QString selectionIndicatorToolTip(const QList<FlightDataElement>& flights);
