#include "ViewerSettings.h"

#include "BrixAircraftSettings.h"
#include "Decibels.h"
#include "FlightIndicators.h"
#include "ShaftOrders.h"

ViewerSettings readViewerSettings() {
    BrixAircraftSettings settings;
    ViewerSettings read;
    PlotSelection& selection = read.selection;
    selection.plotType =
        plotTypeFromValue(settings.value(kPlotTypeKey, 0).toInt()).value_or(PlotType::SteadyState);
    selection.parameterType =
        parameterTypeFromValue(
            settings.value(kParameterTypeKey, valueOf(ParameterType::A4R)).toInt())
            .value_or(ParameterType::A4R);
    selection.transientBin = settings.value(kTransientBinKey, 0).toInt();
    selection.flightNumber = settings.value(kLastFlightKey, -1).toInt();
    selection.sample = settings.value(kLastSampleKey, -1).toInt();
    selection.windowType = settings.value(kWindowTypeKey, 0).toInt();
    read.xGrid = settings.value(kXGridKey, false).toBool();
    read.yGrid = settings.value(kYGridKey, false).toBool();
    read.trend = settings.value(kTrendShownKey, false).toBool();
    read.trendStatistic = settings.value(kTrendStatisticKey, 0).toInt() == 1
                              ? TrendStatistic::Mean
                              : TrendStatistic::Maximum;
    if (const std::optional<int> indicator =
            indicatorIndex(settings.value(kTrendIndicatorKey).toString()))
        read.trendIndicator = static_cast<Indicator>(*indicator);
    read.orders = settings.value(kPlotOrdersKey, kPlotOrdersDefault).toBool();
    read.bearing = settings.value(kPlotBearingKey, kPlotBearingDefault).toBool();
    read.decibels = settings.value(kPlotDecibelsKey, kPlotDecibelsDefault).toBool();
    return read;
}

void storeViewerSetting(const QString& key, const QVariant& value) {
    BrixAircraftSettings settings;
    settings.setValue(key, value);
}
