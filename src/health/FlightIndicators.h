#pragma once

#include "BearingFrequencies.h"
#include "ConditionIndicators.h"

#include <QString>

#include <functional>
#include <optional>

class FlightRecord;

// The position of an indicator's name in kIndicatorNames; nothing for another name.
std::optional<int> indicatorIndex(const QString& name);
QString indicatorName(int index);

// A flight slot's indicators: each the largest finite value over its 26 steady-state bins,
// every bin from its time record in G and its own N1 and N2, the bearing values from the
// geometry of its engine's type when it has one.
IndicatorValues recordIndicators(const FlightRecord& record,
                                 const std::optional<BearingGeometry>& geometry);

// What the index computes per flight: recordIndicators, or what a test puts in its place.
using IndicatorFunction =
    std::function<IndicatorValues(const FlightRecord&, const std::optional<BearingGeometry>&)>;
