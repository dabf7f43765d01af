// The state of an engine from its flights and its type's limits, the verdict that names it,
// flights to alarm, and limits suggested from a fleet's own flights.
#include "EngineHealth.h"
#include "FlightIndex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

IndexedFlight flight(qint32 number, std::optional<double> kurtosis, quint32 created = 1000,
                     MemoryType memory = MemoryType::PreDefect, std::optional<double> rms = {},
                     DataStatus status = DataStatus::Ok) {
    IndexedFlight f;
    f.flightNumber = number;
    f.memoryType = memory;
    f.creationTime = created;
    f.status = status;
    f.indicators[Indicator::Kurtosis] = kurtosis;
    f.indicators[Indicator::Rms] = rms;
    return f;
}

const IndicatorLimits kKurtosis{.warning = 4, .alarm = 6, .change = 0.5};

struct StateCase {
    const char* name;
    QList<IndexedFlight> flights;
    EngineTypeLimits limits;
    HealthState state;
    QString verdict;
};

TEST(EngineHealth, StateRulesAtEachBoundary) {
    const EngineTypeLimits kurtosisOnly{{Indicator::Kurtosis, kKurtosis}};
    const EngineTypeLimits both{{Indicator::Kurtosis, kKurtosis},
                                {Indicator::Rms, {.warning = 1, .alarm = 2, .change = {}}}};
    const QList<StateCase> cases = {
        {"below warning",
         {flight(1, 3.5), flight(2, 3.9)},
         kurtosisOnly,
         HealthState::Normal,
         "Engine 2 health: Normal"},
        {"equal to warning",
         {flight(1, 3.9), flight(2, 4)},
         kurtosisOnly,
         HealthState::Warning,
         "Engine 2 health: Warning - kurtosis 4 above 4 in flight 2"},
        {"equal to alarm",
         {flight(1, 5.9), flight(2, 6)},
         kurtosisOnly,
         HealthState::Alarm,
         "Engine 2 health: Alarm - kurtosis 6 above 6 in flight 2"},
        {"change just above the critical change",
         {flight(1, 1), flight(2, 1.51)},
         kurtosisOnly,
         HealthState::Warning,
         "Engine 2 health: Warning - kurtosis rose by 0.51 in flight 2"},
        {"change equal to the critical change",
         {flight(1, 1), flight(2, 1.5)},
         kurtosisOnly,
         HealthState::Normal,
         "Engine 2 health: Normal"},
        // The previous flight is the next lower number of the same memory.
        {"change against the same memory only",
         {flight(1, 3, 1000, MemoryType::PostDefect), flight(1, 1), flight(2, 1.2)},
         kurtosisOnly,
         HealthState::Normal,
         "Engine 2 health: Normal"},
        {"no limits", {flight(1, 9)}, {}, HealthState::NoLimits, "Engine 2 health: No limits"},
        {"nothing stored",
         {},
         kurtosisOnly,
         HealthState::NoReadings,
         "Engine 2 health: No readings"},
        {"latest value empty",
         {flight(1, 5), flight(2, std::nullopt)},
         kurtosisOnly,
         HealthState::NoReadings,
         "Engine 2 health: No readings"},
        {"the worst of several",
         {flight(1, 1, 1000, MemoryType::PreDefect, 0.5),
          flight(2, 4.5, 1000, MemoryType::PreDefect, 2.5)},
         both,
         HealthState::Alarm,
         "Engine 2 health: Alarm - rms 2.5 above 2 in flight 2"},
        // Both Warning: kurtosis 5/4 = 1.25 beats rms 1.2/1.
        {"equals: highest value over warning",
         {flight(2, 5, 1000, MemoryType::PreDefect, 1.2)},
         both,
         HealthState::Warning,
         "Engine 2 health: Warning - kurtosis 5 above 4 in flight 2"},
        // An indicator without a value does not hide the one that has one.
        {"one of several empty",
         {flight(2, std::nullopt, 1000, MemoryType::PreDefect, 1.5)},
         both,
         HealthState::Warning,
         "Engine 2 health: Warning - rms 1.5 above 1 in flight 2"},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const EngineHealth health = evaluateEngineHealth(c.flights, c.limits);
        EXPECT_EQ(health.state, c.state);
        EXPECT_EQ(engineHealthVerdict(2, health), c.verdict);
    }
}

TEST(EngineHealth, LatestFlightIsTheHighestNumberOfTheNewestDownload) {
    // Flight 9 comes from an older download than 5 and 6; 6 is in both memories.
    const QList<IndexedFlight> flights = {flight(5, 1, 2000), flight(6, 2, 2000),
                                          flight(6, 3, 2000, MemoryType::PostDefect),
                                          flight(9, 7, 1000)};
    const std::optional<qsizetype> latest = latestFlightPosition(flights);
    ASSERT_TRUE(latest);
    EXPECT_EQ(*latest, 1);
    EXPECT_EQ(previousFlightPosition(flights, *latest), 0);
    EXPECT_FALSE(latestFlightPosition({}));
    // Normal: the older flight 9 above the alarm is not the latest.
    const EngineHealth health = evaluateEngineHealth(
        flights, {{Indicator::Kurtosis, {.warning = 4, .alarm = 6, .change = {}}}});
    EXPECT_EQ(health.state, HealthState::Normal);
    EXPECT_EQ(health.latestFlight, 6);
    EXPECT_EQ(health.limit, 4);
    EXPECT_EQ(aircraftHealthStatus(QStringLiteral("AC001"), HealthState::Warning),
              QStringLiteral("AC001 health: Warning"));
}

TEST(EngineHealth, FlightsToAlarmFromTheLineThroughTheLastTwentyFlights) {
    const auto series = [](int count, double first, double step) {
        QList<std::pair<qint32, double>> points;
        for (int i = 0; i < count; ++i)
            points.append({i + 1, first + step * i});
        return points;
    };
    // Rising 0.25 a flight from 1: the fitted value at flight 10 is 3.25, the alarm 5 lies 7
    // flights on.
    EXPECT_EQ(flightsToAlarm(series(10, 1, 0.25), 3.25, 5), 7);
    EXPECT_EQ(flightsToAlarm(series(10, 1, 0), 1, 3), std::nullopt);
    EXPECT_EQ(flightsToAlarm(series(10, 2, -0.25), -0.25, 3), std::nullopt);
    EXPECT_EQ(flightsToAlarm(series(10, 1, 0.25), 5, 5), std::nullopt);
    EXPECT_EQ(flightsToAlarm(series(1, 1, 0.25), 1, 3), std::nullopt);
    // A line past the alarm while the latest value is below it: the next flight.
    QList<std::pair<qint32, double>> jump = series(9, 1, 1);
    jump.append({10, 2.5});
    EXPECT_EQ(flightsToAlarm(jump, 2.5, 3), 1);

    // Only the last 20 flights count: 30 flights that fall and then rise 0.25 a flight over
    // the last 20 (1 at flight 11 up to 5.75 at flight 30): 6 flights to an alarm of 7.25.
    QList<IndexedFlight> flights;
    for (int number = 1; number <= 30; ++number)
        flights.append(flight(number, number <= 10 ? 20.0 - number : 1 + 0.25 * (number - 11)));
    const EngineHealth health = evaluateEngineHealth(
        flights, {{Indicator::Kurtosis, {.warning = 7, .alarm = 7.25, .change = {}}}});
    EXPECT_EQ(health.state, HealthState::Normal);
    EXPECT_EQ(health.driving, Indicator::Kurtosis);
    EXPECT_EQ(health.flightsToAlarm, 6);
}

TEST(HealthLimits, SuggestionIsMeanPlusThreeAndSixPopulationSigma) {
    // Engine A 1, 2, 3 and a suspect 100; engine B 4 and an empty value; engine C nothing:
    // mean 2.5, population sigma sqrt(1.25).
    const QList<QList<IndexedFlight>> engines = {
        {flight(1, 1), flight(2, 2), flight(3, 3),
         flight(4, 100, 1000, MemoryType::PreDefect, {}, DataStatus::Suspect)},
        {flight(1, 4), flight(2, std::nullopt)},
        {}};
    const std::optional<LimitSuggestion> suggestion = suggestLimits(engines, Indicator::Kurtosis);
    ASSERT_TRUE(suggestion);
    EXPECT_DOUBLE_EQ(suggestion->mean, 2.5);
    EXPECT_DOUBLE_EQ(suggestion->sigma, std::sqrt(1.25));
    EXPECT_DOUBLE_EQ(suggestion->limits.warning, 2.5 + 3 * std::sqrt(1.25));
    EXPECT_DOUBLE_EQ(suggestion->limits.alarm, 2.5 + 6 * std::sqrt(1.25));
    EXPECT_EQ(suggestion->flights, 4);
    EXPECT_EQ(suggestion->engines, 2);
    EXPECT_EQ(limitSuggestionText(*suggestion),
              QStringLiteral("warning 5.8541 alarm 9.2082 from 4 flights of 2 engines"));
    // Nothing to draw from, or no spread to set a warning below the alarm.
    EXPECT_FALSE(suggestLimits(engines, Indicator::Rms));
    EXPECT_FALSE(suggestLimits({{flight(1, 2), flight(2, 2)}}, Indicator::Kurtosis));
}

} // namespace
