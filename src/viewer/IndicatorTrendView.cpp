#include "IndicatorTrendView.h"

#include "Trend.h"

PlotView buildIndicatorTrendView(const QList<IndexedFlight>& flights, const QString& aircraftId,
                                 int engineNumber, Indicator indicator,
                                 const std::optional<IndicatorLimits>& limits) {
    TrendRequest request;
    request.aircraftId = aircraftId;
    request.engineNumber = engineNumber;
    request.indicator = indicator;
    PlotView view = buildTrendView(indicatorTrend(flights, indicator), request, std::nullopt);
    // Every indicator is 0 or above.
    view.yAxisMinimum = 0;
    if (limits) {
        view.warningLimit = limits->warning;
        view.alarmLimit = limits->alarm;
    }
    return view;
}
