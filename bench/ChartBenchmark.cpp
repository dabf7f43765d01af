// The viewer's chart against the chart widget alone, side by side on the offscreen platform
// at 1366x768:
//   - the steady-state waterfall with the Hann window (26 spectra of 512 points): the view
//     built, loaded into the viewer's chart, replotted and rendered into an image, against a
//     bare chart widget that holds the same 26 traces already and is only replotted and
//     rendered;
//   - the time history of 10 flights (10 x 1024 points), the same way;
//   - the read-out: one mouse move over the 10-flight time history that picks a new point,
//     with the repaint of the read-out box and the marker;
//   - switching the parameter type through every type of both views, as PgDn does.
//
//   bench_chart [RUNS]      RUNS defaults to 30; prints the medians and their ratios
#include "OwnHome.h"
#include "PlotSeries.h"
#include "PlotWindow.h"
#include "SimulatorFlights.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double elapsedMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A chart widget with the view's traces set once, in the pens the viewer gives them.
class BareChart {
public:
    BareChart(const PlotView& view, const PlotWindow& styledLike) {
        plot.resize(kWidth, kHeight);
        for (int i = 0; i < view.series.size(); ++i) {
            QCPGraph* graph = plot.addGraph();
            graph->setData(view.series.at(i).x, view.series.at(i).y, true);
            graph->setPen(styledLike.chart()->graph(i)->pen());
        }
        plot.xAxis->setRange(styledLike.chart()->xAxis->range());
        plot.yAxis->setRange(styledLike.chart()->yAxis->range());
        plot.show();
    }
    QCustomPlot plot;
};

struct Comparison {
    double chartMs;
    double bareMs;
};

// Builds, loads, replots and renders the view `runs` times, each run beside one replot and
// render of the bare chart.
Comparison compare(const PlotSelection& selection, const QList<FlightDataElement>& flights,
                   int runs) {
    PlotWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    const PlotView prepared = buildPlotView(selection, flights);
    window.loadView(prepared, selection);
    BareChart bare(prepared, window);
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QCoreApplication::processEvents();

    QList<double> chartTimes;
    QList<double> bareTimes;
    for (int run = 0; run < runs + 1; ++run) {
        const double chartMs = elapsedMs([&] {
            window.loadView(buildPlotView(selection, flights), selection);
            window.chart()->replot();
            window.chart()->render(&image);
        });
        const double bareMs = elapsedMs([&] {
            bare.plot.replot();
            bare.plot.render(&image);
        });
        QCoreApplication::processEvents();
        if (run > 0) { // the first run warms the caches of both
            chartTimes.append(chartMs);
            bareTimes.append(bareMs);
        }
    }
    return {median(chartTimes), median(bareTimes)};
}

// Each move goes to the pixel of another point, so that every move redraws the read-out.
double readoutMove(const QList<FlightDataElement>& flights, int runs) {
    PlotSelection selection;
    selection.parameterType = ParameterType::TimeHistory;
    PlotWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    window.loadView(buildPlotView(selection, flights), selection);
    QCoreApplication::processEvents();
    QCustomPlot* plot = window.chart();
    const QRect area = plot->axisRect()->rect();
    QList<double> times;
    for (int run = 0; run < runs + 1; ++run) {
        const QPoint at(area.left() + 10 + (run * 37) % (area.width() - 20), area.center().y());
        const double ms = elapsedMs([&] {
            QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(plot, &move);
            plot->repaint();
        });
        if (run > 0)
            times.append(ms);
    }
    return median(times);
}

// What the viewer does on each switch of the parameter type, PgDn after PgDn through both
// views: the view built, loaded, replotted and rendered. The longest switch is the longest
// the window leaves the keyboard waiting.
struct SwitchTimes {
    double medianMs;
    double longestMs;
};

SwitchTimes parameterSwitches(const QList<FlightDataElement>& flights, int cycles) {
    PlotWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QList<double> times;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        for (const PlotType plotType : {PlotType::SteadyState, PlotType::Transient}) {
            for (int type = 0; type < kParameterTypeCount; ++type) {
                PlotSelection selection;
                selection.plotType = plotType;
                selection.parameterType = static_cast<ParameterType>(type);
                selection.flightNumber = flights.first().flightNumber;
                selection.windowType = 1;
                times.append(elapsedMs([&] {
                    window.loadView(buildPlotView(selection, flights), selection);
                    window.chart()->replot();
                    window.chart()->render(&image);
                }));
                QCoreApplication::processEvents();
            }
        }
    }
    return {median(times), *std::max_element(times.cbegin(), times.cend())};
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 30;
    const QList<FlightDataElement> flights = simulatorFlights(10);

    PlotSelection waterfall;
    waterfall.parameterType = ParameterType::Waterfall;
    waterfall.flightNumber = flights.first().flightNumber;
    waterfall.windowType = 1;
    PlotSelection history;
    history.parameterType = ParameterType::TimeHistory;

    const Comparison waterfallTimes = compare(waterfall, {flights.first()}, runs);
    const Comparison historyTimes = compare(history, flights, runs);
    const double moveMs = readoutMove(flights, runs);
    const SwitchTimes switches = parameterSwitches(flights, std::max(1, runs / 10));

    std::printf("runs: %d each, %dx%d\n", runs, kWidth, kHeight);
    for (const auto& [name, times] : {std::pair{"Hann waterfall, 26 x 512", waterfallTimes},
                                      std::pair{"time history, 10 x 1024", historyTimes}}) {
        std::printf("%-26s built+loaded+painted median %7.2f ms, bare chart painted median "
                    "%7.2f ms, ratio %.2f (goal: at most 1.5)\n",
                    name, times.chartMs, times.bareMs, times.chartMs / times.bareMs);
    }
    std::printf("read-out, one mouse move with its repaint: median %.3f ms (goal: at most 2)\n",
                moveMs);
    std::printf("parameter switch, 10 flights, both views, Hann: median %.2f ms, longest %.2f "
                "ms (goal: the longest under 50)\n",
                switches.medianMs, switches.longestMs);
    return 0;
}
