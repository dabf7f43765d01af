#include "HealthLimits.h"

#include "AircraftMessages.h"
#include "AircraftRecord.h"
#include "BrixAircraftSettings.h"
#include "FixedText.h"
#include "FlightIndex.h"
#include "FlightIndicators.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterKeys.h"

#include <QLocale>

#include <cmath>

namespace {

const QString kWarningKey = QStringLiteral("Warning");
const QString kAlarmKey = QStringLiteral("Alarm");
const QString kChangeKey = QStringLiteral("Change");

QString indicatorGroup(const QString& engineType, Indicator indicator) {
    return engineLimitsGroup(engineType) + QLatin1Char('/') + indicatorName(valueOf(indicator));
}

std::optional<double> storedNumber(const QSettings& settings, const QString& key) {
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

QString healthNumberText(double value) {
    return QString::asprintf("%.6g", value);
}

QString healthLimitsFaultText(const IndicatorLimits& limits) {
    if (!std::isfinite(limits.warning) || !std::isfinite(limits.alarm))
        return kLimitsNotNumbersText;
    if (limits.warning >= limits.alarm)
        return kLimitsWarningNotBelowAlarmText;
    if (limits.change && (!std::isfinite(*limits.change) || *limits.change <= 0))
        return kLimitsChangeFaultText;
    return {};
}

std::optional<IndicatorLimits> readIndicatorLimits(const QString& engineType, Indicator indicator) {
    if (engineType.isEmpty())
        return std::nullopt;
    BrixAircraftSettings settings;
    settings.beginGroup(indicatorGroup(engineType, indicator));
    const std::optional<double> warning = storedNumber(settings, kWarningKey);
    const std::optional<double> alarm = storedNumber(settings, kAlarmKey);
    if (!warning || !alarm)
        return std::nullopt;
    IndicatorLimits limits{.warning = *warning, .alarm = *alarm, .change = std::nullopt};
    if (settings.contains(kChangeKey)) {
        // A change that cannot be read makes the whole set doubtful rather than quietly absent.
        limits.change = storedNumber(settings, kChangeKey);
        if (!limits.change)
            return std::nullopt;
    }
    if (!healthLimitsFaultText(limits).isEmpty())
        return std::nullopt;
    return limits;
}

EngineTypeLimits readEngineTypeLimits(const QString& engineType) {
    EngineTypeLimits all;
    for (int i = 0; i < kIndicatorCount; ++i) {
        const auto indicator = static_cast<Indicator>(i);
        if (const std::optional<IndicatorLimits> limits =
                readIndicatorLimits(engineType, indicator))
            all.emplace(indicator, *limits);
    }
    return all;
}

bool writeIndicatorLimits(const QString& engineType, Indicator indicator,
                          const IndicatorLimits& limits, Notifier& notifier) {
    // Limits of a type the register does not list would never be removed with it.
    if (!KORALibListEngineTypes().contains(engineType)) {
        notifier.critical(kErrorTitle, kEngineTypeNotFoundText.arg(engineType));
        return false;
    }
    if (const QString fault = healthLimitsFaultText(limits); !fault.isEmpty()) {
        notifier.critical(kErrorTitle, fault);
        return false;
    }
    BrixAircraftSettings settings;
    settings.beginGroup(indicatorGroup(engineType, indicator));
    // Stored as the shortest text that reads back as the same number.
    const auto text = [](double value) {
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    };
    settings.setValue(kWarningKey, text(limits.warning));
    settings.setValue(kAlarmKey, text(limits.alarm));
    if (limits.change)
        settings.setValue(kChangeKey, text(*limits.change));
    else
        settings.remove(kChangeKey);
    return true;
}

void clearIndicatorLimits(const QString& engineType, Indicator indicator) {
    BrixAircraftSettings settings;
    settings.remove(indicatorGroup(engineType, indicator));
}

void clearEngineTypeLimits(const QString& engineType) {
    BrixAircraftSettings settings;
    settings.remove(engineLimitsGroup(engineType));
}

std::optional<LimitSuggestion> suggestLimits(const QList<QList<IndexedFlight>>& engines,
                                             Indicator indicator) {
    // Two passes over the values: the mean first, then the squared deviations from it, which
    // keeps sigma exact where the values sit far from 0.
    LimitSuggestion suggestion;
    double sum = 0;
    for (const QList<IndexedFlight>& flights : engines) {
        int counted = 0;
        for (const IndexedFlight& flight : flights) {
            const std::optional<double>& value = flight.indicators[indicator];
            if (flight.status == DataStatus::Suspect || !value)
                continue;
            sum += *value;
            ++counted;
        }
        suggestion.flights += counted;
        suggestion.engines += counted > 0 ? 1 : 0;
    }
    if (suggestion.flights == 0)
        return std::nullopt;
    suggestion.mean = sum / suggestion.flights;
    double squares = 0;
    for (const QList<IndexedFlight>& flights : engines)
        for (const IndexedFlight& flight : flights)
            if (const std::optional<double>& value = flight.indicators[indicator];
                flight.status != DataStatus::Suspect && value)
                squares += (*value - suggestion.mean) * (*value - suggestion.mean);
    suggestion.sigma = std::sqrt(squares / suggestion.flights);
    suggestion.limits = {.warning = suggestion.mean + 3 * suggestion.sigma,
                         .alarm = suggestion.mean + 6 * suggestion.sigma,
                         .change = std::nullopt};
    if (!healthLimitsFaultText(suggestion.limits).isEmpty())
        return std::nullopt;
    return suggestion;
}

std::optional<LimitSuggestion> suggestLimits(const FlightIndex& index, const QString& engineType,
                                             Indicator indicator) {
    QList<QList<IndexedFlight>> engines;
    for (const QString& aircraftId : KORALibListAircraft().items) {
        const AircraftRecord record = KORALibReadAircraft(aircraftId);
        for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine)
            if (readFixedText(record.engines[engine - 1].engineType) == engineType)
                engines.append(index.indicatorTrend(aircraftId, engine, std::nullopt, indicator));
    }
    return suggestLimits(engines, indicator);
}

QString limitSuggestionText(const LimitSuggestion& suggestion) {
    return kLimitsSuggestionText
        .arg(healthNumberText(suggestion.limits.warning), healthNumberText(suggestion.limits.alarm))
        .arg(suggestion.flights)
        .arg(suggestion.engines);
}
