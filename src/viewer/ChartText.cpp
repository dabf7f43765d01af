#include "ChartText.h"

#include <optional>
#include <utility>

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

// The point's X and Y, or nothing when the view does not hold it.
std::optional<std::pair<double, double>> pointAt(const PlotView& view, int seriesIndex, int point) {
    if (seriesIndex < 0 || seriesIndex >= view.series.size())
        return std::nullopt;
    const PlotSeries& series = view.series.at(seriesIndex);
    if (point < 0 || point >= series.x.size() || point >= series.y.size())
        return std::nullopt;
    return std::pair(series.x.at(point), series.y.at(point));
}

const char* yUnit(const PlotView& view) {
    return view.decibels ? "dB" : "G";
}

} // namespace

QString readoutText(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                    int point) {
    const auto xy = pointAt(view, seriesIndex, point);
    if (!xy)
        return QString();
    const auto [x, y] = *xy;
    const PlotSeries& series = view.series.at(seriesIndex);
    // The name is passed as an argument, never as part of the format.
    const QByteArray name = series.name.toUtf8();
    const int type = valueOf(selection.parameterType);
    if (view.trend) {
        const QByteArray note = series.pointNotes.value(point).toUtf8();
        return QString::asprintf("%s: Flight %.0f (%s)  Y = %8.5g", name.constData(), x,
                                 note.constData(), y);
    }
    if (isRecordSpectrum(selection.parameterType))
        return QString::asprintf("%s: %8.2f (Hz)  %8.3f (%s)", name.constData(), x, y, yUnit(view));
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

QString deltaReadoutText(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                         int point, int referenceSeries, int referencePoint) {
    const QString readout = readoutText(view, selection, seriesIndex, point);
    const auto xy = pointAt(view, seriesIndex, point);
    const auto reference = pointAt(view, referenceSeries, referencePoint);
    if (!xy || !reference)
        return readout;
    const double dx = xy->first - reference->first;
    const double dy = xy->second - reference->second;
    if (selection.parameterType == ParameterType::Waterfall)
        return readout + QString::asprintf("  dF = %.2f (Hz)", dx);
    if (isRecordSpectrum(selection.parameterType))
        return readout + QString::asprintf("  dF = %.2f (Hz)  dY = %.3f (%s)", dx, dy, yUnit(view));
    if (selection.parameterType == ParameterType::TimeHistory)
        return readout + QString::asprintf("  dX = %.4g (ms)  dY = %.5g", dx, dy);
    return readout + QString::asprintf("  dX = %.4g  dY = %.5g", dx, dy);
}

QString viewerWindowTitle(PlotType plotType) {
    return plotType == PlotType::Transient ? kTransientViewerTitle : kSteadyStateViewerTitle;
}
