#pragma once

#include "ConditionIndicators.h"

#include <QList>
#include <QString>

#include <map>
#include <optional>

class FlightIndex;
class Notifier;
struct IndexedFlight;

// The limits of one condition indicator for one engine type: a warning level, an alarm level
// above it and, when set, the critical change (the largest rise allowed from one flight to the
// next). They are kept in the register's store beside the engine types, one group per type,
// and go with the type when it is removed.
struct IndicatorLimits {
    double warning = 0;
    double alarm = 0;
    std::optional<double> change;

    bool operator==(const IndicatorLimits&) const = default;
};

// The limits of every indicator of one engine type that has some.
using EngineTypeLimits = std::map<Indicator, IndicatorLimits>;

// What a refused limit says.
inline const QString kLimitsNotNumbersText =
    QStringLiteral("The warning and alarm levels must be finite numbers");
inline const QString kLimitsWarningNotBelowAlarmText =
    QStringLiteral("The warning level must be below the alarm level");
inline const QString kLimitsChangeFaultText =
    QStringLiteral("The critical change must be a finite number above 0");
// %1 the indicator as typed.
inline const QString kUnknownIndicatorText = QStringLiteral(
    "\"%1\" is no indicator; the indicators are rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, "
    "bpfi, bsf and ftf");
// %1 the engine type, %2 the indicator.
inline const QString kNoFlightsToSuggestFromText =
    QStringLiteral("No stored flight of an engine of type \"%1\" has a value of %2");

// A suggestion and its basis. %1 warning, %2 alarm ("%.6g"), %3 flights, %4 engines.
inline const QString kLimitsSuggestionText =
    QStringLiteral("warning %1 alarm %2 from %3 flights of %4 engines");
// The basis alone, as the Limits dialog shows it: %1 flights, %2 engines.
inline const QString kLimitsSuggestionBasisText = QStringLiteral("from %1 flights of %2 engines");

// A limit's number as the store, the commands and the health texts write it: "%.6g".
QString healthNumberText(double value);

// The refusal of the limits' first impossible value (a level that is not a finite number, a
// warning at or above the alarm, a change that is not a finite number above 0); empty when
// they are sound.
QString healthLimitsFaultText(const IndicatorLimits& limits);

// The limits stored for a type's indicator. None when nothing is stored, and also when a
// stored value is missing or impossible (a store edited by hand): no state is then judged on it.
std::optional<IndicatorLimits> readIndicatorLimits(const QString& engineType, Indicator indicator);
// Every indicator of the type with sound stored limits; empty for a type without any.
EngineTypeLimits readEngineTypeLimits(const QString& engineType);

// Stores the limits of a registered type's indicator, replacing what it had. Refuses
// (critical, "Error", false, nothing stored) a type the register does not list and limits
// that healthLimitsFaultText refuses.
bool writeIndicatorLimits(const QString& engineType, Indicator indicator,
                          const IndicatorLimits& limits, Notifier& notifier);

// Removes one indicator's limits of the type; nothing happens when it has none.
void clearIndicatorLimits(const QString& engineType, Indicator indicator);
// Removes every limit of the type (the register does this when it removes the type).
void clearEngineTypeLimits(const QString& engineType);

// Limits drawn from a fleet's own flights: warning = mean + 3 sigma, alarm = mean + 6 sigma of
// the indicator's flight values (population sigma), with what they were drawn from.
struct LimitSuggestion {
    IndicatorLimits limits;
    double mean = 0;
    double sigma = 0;
    int flights = 0;
    int engines = 0; // the engines that gave at least one value
};

// The suggestion from the flights of each engine (one list per engine), suspect flights and
// empty values left out. None when no flight has a value, and when every value is the same
// (a sigma of 0 gives no warning below the alarm).
std::optional<LimitSuggestion> suggestLimits(const QList<QList<IndexedFlight>>& engines,
                                             Indicator indicator);
// The same over every engine of every registered aircraft whose engine type is `engineType`,
// from the index.
std::optional<LimitSuggestion> suggestLimits(const FlightIndex& index, const QString& engineType,
                                             Indicator indicator);

// kLimitsSuggestionText filled in.
QString limitSuggestionText(const LimitSuggestion& suggestion);
