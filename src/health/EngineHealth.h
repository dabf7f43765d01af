#pragma once

#include "ConditionIndicators.h"
#include "HealthLimits.h"
#include "ViewerTypes.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

class FlightIndex;
struct IndexedFlight;

// The state of an engine, from the least to the most severe.
enum class HealthState { NoLimits, NoReadings, Normal, Warning, Alarm };

// The words and symbols of the states; the symbol lets a state be read without its colour,
// in grey-scale print too.
inline const QString kHealthNormalWord = QStringLiteral("Normal");
inline const QString kHealthWarningWord = QStringLiteral("Warning");
inline const QString kHealthAlarmWord = QStringLiteral("Alarm");
inline const QString kHealthNoReadingsWord = QStringLiteral("No readings");
inline const QString kHealthNoLimitsWord = QStringLiteral("No limits");
inline const QString kHealthNormalSymbol = QStringLiteral("\u2713");     // check mark
inline const QString kHealthWarningSymbol = QStringLiteral("\u25B2");    // triangle
inline const QString kHealthAlarmSymbol = QStringLiteral("\u2716");      // heavy cross
inline const QString kHealthNoReadingsSymbol = QStringLiteral("\u2013"); // dash
inline const QString kHealthNoLimitsSymbol = QStringLiteral("\u25CB");   // circle

QString healthStateWord(HealthState state);
QString healthStateSymbol(HealthState state);
// The state from its word; none for another text.
std::optional<HealthState> healthStateFromWord(const QString& word);
// The more severe of two states.
HealthState worseHealthState(HealthState a, HealthState b);

// The verdict of one engine: %1 the engine number, %2 the state's word; for Warning and Alarm
// one of the details follows: %3 the indicator, %4 its value (or rise), %5 the limit crossed,
// %6 the flight number; numbers as "%.6g".
inline const QString kEngineHealthVerdictText = QStringLiteral("Engine %1 health: %2");
inline const QString kHealthLevelDetailText = QStringLiteral(" - %3 %4 above %5 in flight %6");
inline const QString kHealthChangeDetailText = QStringLiteral(" - %3 rose by %4 in flight %6");
// The main window's status after a download: %1 the aircraft, %2 its worst state's word.
inline const QString kAircraftHealthStatusText = QStringLiteral("%1 health: %2");

// The flights taken for the flights to alarm: the last ones by flight number, latest included.
inline constexpr int kFlightsToAlarmWindow = 20;

// What made an indicator leave Normal: its level, or its rise since the previous flight.
enum class HealthCause { Level, Change };

// The state of one indicator that has limits.
struct IndicatorHealth {
    Indicator indicator = Indicator::Rms;
    IndicatorLimits limits;
    // Normal, Warning or Alarm; NoReadings when the latest flight has no value of it.
    HealthState state = HealthState::NoReadings;
    HealthCause cause = HealthCause::Level;
    std::optional<double> latest;
    std::optional<double> previous;
    // The limit crossed (the alarm, the warning, or the critical change for a change); the
    // warning when Normal.
    double limit = 0;
    // latest - previous when both are there.
    std::optional<double> rise;
};

// How far past its warning an indicator is, which chooses the driving indicator among equal
// states: value / warning; for a warning at or below 0, 1 + (value - warning) / (alarm -
// warning). 0 without a value.
double warningRatio(const IndicatorHealth& health);

// The health of one engine.
struct EngineHealth {
    HealthState state = HealthState::NoLimits;
    // The latest flight, when the engine has stored flights.
    std::optional<qint32> latestFlight;
    std::optional<MemoryType> latestMemory;
    // The indicator that gives the state (among equals, and when all are Normal, the one with
    // the highest value / warning), its latest value, the limit crossed (the warning when
    // Normal) and what crossed it; none for NoLimits and NoReadings.
    std::optional<Indicator> driving;
    std::optional<double> value;
    std::optional<double> limit;
    HealthCause cause = HealthCause::Level;
    std::optional<double> rise;
    // Flights until the driving indicator's fitted line reaches its alarm; none when the line
    // does not rise or the latest value is at the alarm already.
    std::optional<int> flightsToAlarm;
    // Every indicator with limits, in the order of Indicator.
    QList<IndicatorHealth> indicators;

    // The driving indicator's warningRatio; 0 without one.
    double drivingRatio() const;
};

// The latest flight of an engine's stored flights (each flight number and memory once, from its
// newest download, as FlightIndex::flights gives them): in the newest download, the highest
// flight number, the pre-defect copy when that number is in both memories. None when empty.
std::optional<qsizetype> latestFlightPosition(const QList<IndexedFlight>& flights);
// The previous flight: the next lower flight number of the same memory. None when there is none.
std::optional<qsizetype> previousFlightPosition(const QList<IndexedFlight>& flights,
                                                qsizetype latest);

// Flights to alarm: the least-squares line through the last kFlightsToAlarmWindow (flight
// number, value) points up to and including the latest, x the flight number. When it rises and
// the latest value is below the alarm, ceil((alarm - fitted value at the latest) / slope), and
// at least 1; none otherwise (also with fewer than two flight numbers).
std::optional<int> flightsToAlarm(const QList<std::pair<qint32, double>>& points, double latest,
                                  double alarm);

// The health of an engine from its stored flights and its type's limits (empty: NoLimits).
EngineHealth evaluateEngineHealth(const QList<IndexedFlight>& flights,
                                  const EngineTypeLimits& limits);
// The same from the index, with the stored limits of the type.
EngineHealth evaluateEngineHealth(const FlightIndex& index, const QString& aircraftId,
                                  int engineNumber, const QString& engineType);

// "Engine 2 health: Warning - kurtosis 4.2 above 4 in flight 17", or without detail for the
// other states.
QString engineHealthVerdict(int engineNumber, const EngineHealth& health);
// "ABC123 health: Alarm".
QString aircraftHealthStatus(const QString& aircraftId, HealthState worst);
