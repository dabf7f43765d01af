#include "Decibels.h"

#include <algorithm>
#include <cmath>
#include <limits>

double amplitudeToDecibels(double amplitudeG) {
    // NaN fails this comparison too.
    if (!(amplitudeG > 0) || !std::isfinite(amplitudeG))
        return kDecibelFloor;
    return std::max(20.0 * std::log10(amplitudeG), kDecibelFloor);
}

PlotView decibelView(const PlotView& view, const PlotSelection& selection) {
    const bool spectrum = isRecordSpectrum(selection.parameterType);
    if (view.decibels || (!spectrum && selection.parameterType != ParameterType::Waterfall))
        return view;
    PlotView converted = view;
    converted.decibels = true;
    double minimum = std::numeric_limits<double>::infinity();
    for (int index = 0; index < converted.series.size(); ++index) {
        PlotSeries& series = converted.series[index];
        const double from = view.waterfall ? waterfallTraceOffset(view, index) : 0.0;
        const double to = view.waterfall ? waterfallTraceOffset(converted, index) : 0.0;
        for (double& y : series.y) {
            y = amplitudeToDecibels(y - from) + to;
            minimum = std::min(minimum, y);
        }
    }
    if (spectrum)
        converted.yAxisTitle = selection.parameterType == ParameterType::EnvelopeFft
                                   ? kEnvelopeDecibelAxisTitle
                                   : kDecibelAxisTitle;
    converted.yAxisMinimum = std::isfinite(minimum) ? minimum : kDecibelFloor;
    return converted;
}
