#include "ChartText.h"

namespace {

constexpr int kLastAverageType = valueOf(ParameterType::CDNAverage);

// The label the transient averages show at `x` on their X axis, or the number itself where
// none is set.
QString axisLabelAt(const PlotView& view, double x) {
    for (const PlotLabel& label : view.xAxisLabels) {
        if (label.x == x)
            return label.text;
    }
    return QString::number(x);
}

} // namespace

QString readoutText(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                    int point) {
    if (seriesIndex < 0 || seriesIndex >= view.series.size())
        return QString();
    const PlotSeries& series = view.series.at(seriesIndex);
    if (point < 0 || point >= series.x.size() || point >= series.y.size())
        return QString();
    const double x = series.x.at(point);
    const double y = series.y.at(point);
    // The name is passed as an argument, never as part of the format.
    const QByteArray name = series.name.toUtf8();
    const int type = valueOf(selection.parameterType);
    if (selection.parameterType == ParameterType::Fft)
        return QString::asprintf("%s: %8.2f (Hz)  %8.3f (G)", name.constData(), x, y);
    if (selection.parameterType == ParameterType::Waterfall)
        return QString::asprintf("Frequency : %8.6g (Hz)", x);
    if (selection.plotType == PlotType::Transient && type >= 0 && type <= kLastAverageType) {
        const QByteArray label = axisLabelAt(view, x).toUtf8();
        return QString::asprintf("%s: X = %s  Y = %.5g", name.constData(), label.constData(), y);
    }
    if (selection.parameterType == ParameterType::TimeHistory)
        return QString::asprintf("%s: X = %8.4g (ms)  Y = %8.5g", name.constData(), x, y);
    return QString::asprintf("%s: X = %8.4g  Y = %8.5g", name.constData(), x, y);
}

QString viewerWindowTitle(PlotType plotType) {
    return plotType == PlotType::Transient ? kTransientViewerTitle : kSteadyStateViewerTitle;
}
