#include "EngineHealth.h"

#include "FlightIndex.h"
#include "FlightIndicators.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

IndicatorHealth judge(Indicator indicator, const IndicatorLimits& limits,
                      const std::optional<double>& latest, const std::optional<double>& previous) {
    IndicatorHealth health{.indicator = indicator,
                           .limits = limits,
                           .state = HealthState::NoReadings,
                           .cause = HealthCause::Level,
                           .latest = latest,
                           .previous = previous,
                           .limit = limits.warning,
                           .rise = std::nullopt};
    if (!latest)
        return health;
    if (previous)
        health.rise = *latest - *previous;
    if (*latest >= limits.alarm) {
        health.state = HealthState::Alarm;
        health.limit = limits.alarm;
    } else if (*latest >= limits.warning) {
        health.state = HealthState::Warning;
    } else if (limits.change && health.rise && *health.rise > *limits.change) {
        health.state = HealthState::Warning;
        health.cause = HealthCause::Change;
        health.limit = *limits.change;
    } else {
        health.state = HealthState::Normal;
    }
    return health;
}

} // namespace

// A warning at or below 0 gives no meaningful value / warning; the position between warning
// and alarm, counted from 1 at the warning, stands in for it.
double warningRatio(const IndicatorHealth& health) {
    if (!health.latest)
        return 0;
    if (health.limits.warning > 0)
        return *health.latest / health.limits.warning;
    return 1 +
           (*health.latest - health.limits.warning) / (health.limits.alarm - health.limits.warning);
}

double EngineHealth::drivingRatio() const {
    for (const IndicatorHealth& health : indicators)
        if (driving && health.indicator == *driving)
            return warningRatio(health);
    return 0;
}

QString healthStateWord(HealthState state) {
    switch (state) {
    case HealthState::NoLimits:
        return kHealthNoLimitsWord;
    case HealthState::NoReadings:
        return kHealthNoReadingsWord;
    case HealthState::Normal:
        return kHealthNormalWord;
    case HealthState::Warning:
        return kHealthWarningWord;
    case HealthState::Alarm:
        return kHealthAlarmWord;
    }
    return {};
}

QString healthStateSymbol(HealthState state) {
    switch (state) {
    case HealthState::NoLimits:
        return kHealthNoLimitsSymbol;
    case HealthState::NoReadings:
        return kHealthNoReadingsSymbol;
    case HealthState::Normal:
        return kHealthNormalSymbol;
    case HealthState::Warning:
        return kHealthWarningSymbol;
    case HealthState::Alarm:
        return kHealthAlarmSymbol;
    }
    return {};
}

std::optional<HealthState> healthStateFromWord(const QString& word) {
    for (const HealthState state : {HealthState::NoLimits, HealthState::NoReadings,
                                    HealthState::Normal, HealthState::Warning, HealthState::Alarm})
        if (healthStateWord(state) == word)
            return state;
    return std::nullopt;
}

HealthState worseHealthState(HealthState a, HealthState b) {
    return valueOf(a) >= valueOf(b) ? a : b;
}

std::optional<qsizetype> latestFlightPosition(const QList<IndexedFlight>& flights) {
    std::optional<qsizetype> latest;
    for (qsizetype i = 0; i < flights.size(); ++i) {
        const IndexedFlight& flight = flights[i];
        if (!latest) {
            latest = i;
            continue;
        }
        const IndexedFlight& best = flights[*latest];
        // The newest download first, then the highest flight number, then pre-defect.
        const auto key = [](const IndexedFlight& f) {
            return std::make_tuple(f.creationTime, f.flightNumber, -valueOf(f.memoryType));
        };
        if (key(flight) > key(best))
            latest = i;
    }
    return latest;
}

std::optional<qsizetype> previousFlightPosition(const QList<IndexedFlight>& flights,
                                                qsizetype latest) {
    std::optional<qsizetype> previous;
    const IndexedFlight& last = flights[latest];
    for (qsizetype i = 0; i < flights.size(); ++i) {
        const IndexedFlight& flight = flights[i];
        if (flight.memoryType == last.memoryType && flight.flightNumber < last.flightNumber &&
            (!previous || flight.flightNumber > flights[*previous].flightNumber))
            previous = i;
    }
    return previous;
}

std::optional<int> flightsToAlarm(const QList<std::pair<qint32, double>>& points, double latest,
                                  double alarm) {
    if (points.size() < 2 || latest >= alarm)
        return std::nullopt;
    double meanX = 0;
    double meanY = 0;
    qint32 lastX = points.constFirst().first;
    for (const auto& [x, y] : points) {
        meanX += x;
        meanY += y;
        lastX = std::max(lastX, x);
    }
    meanX /= double(points.size());
    meanY /= double(points.size());
    double sxx = 0;
    double sxy = 0;
    for (const auto& [x, y] : points) {
        sxx += (x - meanX) * (x - meanX);
        sxy += (x - meanX) * (y - meanY);
    }
    if (sxx <= 0)
        return std::nullopt;
    const double slope = sxy / sxx;
    if (!(slope > 0))
        return std::nullopt;
    const double fitted = meanY + slope * (lastX - meanX);
    // A line already past the alarm at the latest flight, while the value itself is below it,
    // expects the alarm at the next flight rather than in the past.
    const double flights = std::max(1.0, std::ceil((alarm - fitted) / slope));
    if (!std::isfinite(flights) || flights > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(flights);
}

EngineHealth evaluateEngineHealth(const QList<IndexedFlight>& flights,
                                  const EngineTypeLimits& limits) {
    EngineHealth health;
    if (limits.empty())
        return health;
    health.state = HealthState::NoReadings;
    const std::optional<qsizetype> latest = latestFlightPosition(flights);
    std::optional<qsizetype> previous;
    if (latest) {
        health.latestFlight = flights[*latest].flightNumber;
        health.latestMemory = flights[*latest].memoryType;
        previous = previousFlightPosition(flights, *latest);
    }
    const IndicatorHealth* driving = nullptr;
    for (const auto& [indicator, indicatorLimits] : limits) {
        const std::optional<double> latestValue =
            latest ? flights[*latest].indicators[indicator] : std::nullopt;
        const std::optional<double> previousValue =
            previous ? flights[*previous].indicators[indicator] : std::nullopt;
        health.indicators.append(judge(indicator, indicatorLimits, latestValue, previousValue));
    }
    for (const IndicatorHealth& candidate : health.indicators) {
        if (candidate.state == HealthState::NoReadings)
            continue;
        if (!driving || valueOf(candidate.state) > valueOf(driving->state) ||
            (candidate.state == driving->state && warningRatio(candidate) > warningRatio(*driving)))
            driving = &candidate;
    }
    if (!driving)
        return health;
    health.state = driving->state;
    health.driving = driving->indicator;
    health.value = driving->latest;
    health.limit = driving->limit;
    health.cause = driving->cause;
    health.rise = driving->rise;

    // The driving indicator's last flights of the latest flight's memory, up to the latest.
    QList<std::pair<qint32, double>> points;
    for (const IndexedFlight& flight : flights) {
        const std::optional<double>& value = flight.indicators[driving->indicator];
        if (flight.memoryType == *health.latestMemory &&
            flight.flightNumber <= *health.latestFlight && value)
            points.append({flight.flightNumber, *value});
    }
    std::sort(points.begin(), points.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (points.size() > kFlightsToAlarmWindow)
        points.remove(0, points.size() - kFlightsToAlarmWindow);
    health.flightsToAlarm = flightsToAlarm(points, *driving->latest, driving->limits.alarm);
    return health;
}

EngineHealth evaluateEngineHealth(const FlightIndex& index, const QString& aircraftId,
                                  int engineNumber, const QString& engineType) {
    const EngineTypeLimits limits = readEngineTypeLimits(engineType);
    if (limits.empty())
        return {};
    return evaluateEngineHealth(index.flights(aircraftId, engineNumber, std::nullopt), limits);
}

QString engineHealthVerdict(int engineNumber, const EngineHealth& health) {
    QString verdict = kEngineHealthVerdictText.arg(engineNumber).arg(healthStateWord(health.state));
    if ((health.state != HealthState::Warning && health.state != HealthState::Alarm) ||
        !health.driving || !health.latestFlight)
        return verdict;
    const QString name = indicatorName(valueOf(*health.driving));
    if (health.cause == HealthCause::Change)
        return verdict + kHealthChangeDetailText.arg(name,
                                                     healthNumberText(health.rise.value_or(0)),
                                                     QString::number(*health.latestFlight));
    return verdict + kHealthLevelDetailText.arg(name, healthNumberText(health.value.value_or(0)),
                                                healthNumberText(health.limit.value_or(0)),
                                                QString::number(*health.latestFlight));
}

QString aircraftHealthStatus(const QString& aircraftId, HealthState worst) {
    return kAircraftHealthStatusText.arg(aircraftId, healthStateWord(worst));
}
