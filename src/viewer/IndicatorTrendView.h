#pragma once

#include "ConditionIndicators.h"
#include "HealthLimits.h"
#include "PlotSeries.h"

#include <QList>
#include <QString>

#include <optional>

struct IndexedFlight;

// The trend of one condition indicator of one engine, as the trend's chart draws a parameter:
// one series per memory, X = flight numbers, suspect flights hollow, each point's note its
// download date; Y-axis title the indicator's (indicatorAxisTitle), footer "Maximum over 26 bins"
// (a flight's value is the largest over its bins). Flights without a value of the indicator are
// left out. The type's limits, when given, are drawn as the warning and alarm lines.
PlotView buildIndicatorTrendView(const QList<IndexedFlight>& flights, const QString& aircraftId,
                                 int engineNumber, Indicator indicator,
                                 const std::optional<IndicatorLimits>& limits);
