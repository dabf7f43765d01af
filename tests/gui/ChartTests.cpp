// The viewer's chart through its model: the graphs, their data and styles, the axes' ranges
// and texts, the read-out under the mouse, clicks, zoom and printing. One test looks at the
// rendered image.
#include "ChartText.h"
#include "PlotWindow.h"
#include "SimulatorFlights.h"
#include "Trend.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <cmath>
#include <limits>

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;
// The pens of the reference cursor and of the trend's alert line.
const QColor kReferenceColour(176, 58, 46);
const QColor kAlertColour(200, 40, 40);

// Offsets in the flight record: steady-state row r, bin b.
int steadyStateOffset(int row, int bin) {
    return 4 * (26 * row + bin);
}

void putFloat(FlightDataElement& flight, int offset, float value) {
    qToLittleEndian(value, flight.flightRecord.data() + offset);
}

PlotSelection selection(PlotType plotType, ParameterType parameterType, int windowType = 0) {
    PlotSelection s;
    s.plotType = plotType;
    s.parameterType = parameterType;
    s.windowType = windowType;
    return s;
}

// A shown chart of the screen's size, loaded with a view of the given flights.
class Chart {
public:
    explicit Chart(const QList<FlightDataElement>& flights) : flights_(flights) {
        window.resize(kWidth, kHeight);
        window.show();
    }

    const PlotView& load(const PlotSelection& s) {
        selection_ = s;
        if (s.parameterType == ParameterType::Waterfall)
            selection_.flightNumber = flights_.first().flightNumber;
        window.loadView(buildPlotView(selection_, flights_), selection_);
        // The chart replots when the event loop runs, as it does before the next mouse move.
        QCoreApplication::processEvents();
        return window.view();
    }

    QCustomPlot* plot() const { return window.chart(); }
    QCPGraph* graph(int i) const { return window.chart()->graph(i); }
    const PlotSelection& shownSelection() const { return selection_; }

    // The pixel of point `point` of series `series` in X, halfway down the plot area.
    QPoint pixelOf(int series, int point) const {
        const double x = window.view().series.at(series).x.at(point);
        return QPoint(int(std::lround(plot()->xAxis->coordToPixel(x))),
                      plot()->axisRect()->center().y());
    }

    void move(const QPoint& position) {
        QMouseEvent event(QEvent::MouseMove, position, plot()->mapToGlobal(position), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(plot(), &event);
    }

    void click(const QPoint& position) {
        QTest::mouseClick(plot(), Qt::LeftButton, Qt::NoModifier, position);
    }

    PlotWindow window;

private:
    QList<FlightDataElement> flights_;
    PlotSelection selection_;
};

const QList<FlightDataElement>& tenFlights() {
    static const QList<FlightDataElement> flights = simulatorFlights(10);
    return flights;
}

} // namespace

// With a negative A4R value in flight 1's bin 5 and a negative N1 value in its bin 6.
QList<FlightDataElement> flightsWithNegativeValues() {
    QList<FlightDataElement> flights = tenFlights();
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::A4R), 4), -0.3f);
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::N1), 5), -50.0f);
    return flights;
}

struct StyleCase {
    const char* name;
    PlotType plotType;
    ParameterType parameterType;
    bool markers;
};

class SeriesStyle : public ::testing::TestWithParam<StyleCase> {};

// Ten flights: the bin plots show markers only; the lines of series 8 and 9 are dashed.
TEST_P(SeriesStyle, BinPlotsShowMarkersAndTheLastTwoLinesAreDashed) {
    const StyleCase& c = GetParam();
    Chart chart(tenFlights());
    const PlotView& view = chart.load(selection(c.plotType, c.parameterType));
    ASSERT_EQ(chart.plot()->graphCount(), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        QCPGraph* graph = chart.graph(i);
        EXPECT_EQ(graph->name(), view.series.at(i).name);
        EXPECT_EQ(graph->lineStyle(), c.markers ? QCPGraph::lsNone : QCPGraph::lsLine);
        EXPECT_EQ(graph->scatterStyle().isNone(), !c.markers);
        if (!c.markers) {
            EXPECT_EQ(graph->pen().style(), i >= 8 ? Qt::DashLine : Qt::SolidLine);
        }
        // The series' own points, every one of them.
        ASSERT_EQ(graph->data()->size(), view.series.at(i).x.size());
        const int last = int(view.series.at(i).x.size()) - 1;
        EXPECT_EQ(graph->data()->at(last)->key, view.series.at(i).x.at(last));
        EXPECT_EQ(graph->data()->at(last)->value, view.series.at(i).y.at(last));
        if (i > 0) {
            EXPECT_NE(graph->pen().color(), chart.graph(i - 1)->pen().color());
        }
    }
    EXPECT_TRUE(chart.plot()->legend->visible());
}

INSTANTIATE_TEST_SUITE_P(
    Views, SeriesStyle,
    ::testing::Values(
        StyleCase{"SteadyStateTimeHistory", PlotType::SteadyState, ParameterType::TimeHistory,
                  false},
        StyleCase{"SteadyStateSpectra", PlotType::SteadyState, ParameterType::Fft, false},
        StyleCase{"TransientTimeHistory", PlotType::Transient, ParameterType::TimeHistory, false},
        StyleCase{"TransientSpectra", PlotType::Transient, ParameterType::Fft, false},
        StyleCase{"SteadyStateA4R", PlotType::SteadyState, ParameterType::A4R, true},
        StyleCase{"TransientN1", PlotType::Transient, ParameterType::N1, true},
        StyleCase{"TransientAverages", PlotType::Transient, ParameterType::A4RAverage, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Chart, TheWaterfallDrawsItsTracesInOneSolidColourWithoutALegend) {
    QList<FlightDataElement> flights = tenFlights();
    // Bin 26's time record all zeros: its trace is hidden.
    std::fill(flights[0].flightRecord.begin() + 1352 + 25 * 2048,
              flights[0].flightRecord.begin() + 1352 + 26 * 2048, '\0');
    Chart chart(flights);
    chart.load(selection(PlotType::SteadyState, ParameterType::Waterfall, 1));
    ASSERT_EQ(chart.plot()->graphCount(), 26);
    for (int i = 0; i < 26; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(chart.graph(i)->pen().style(), Qt::SolidLine);
        EXPECT_EQ(chart.graph(i)->pen().color(), chart.graph(0)->pen().color());
        EXPECT_TRUE(chart.graph(i)->scatterStyle().isNone());
        EXPECT_EQ(chart.window.seriesVisible(i), i != 25);
    }
    EXPECT_FALSE(chart.plot()->legend->visible());
    // Back to flights: ten graphs again, with their legend.
    chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    EXPECT_EQ(chart.plot()->graphCount(), 10);
    EXPECT_TRUE(chart.plot()->legend->visible());
    EXPECT_EQ(chart.plot()->legend->itemCount(), 10);
}

// The Y axis starts at the view's minimum: A4R goes below 0, N1 stays at 0; the top leaves
// a little room above the highest value. X shows every point.
TEST(Chart, AxesShowTheWholeViewFromItsYAxisMinimum) {
    Chart chart(flightsWithNegativeValues());
    const PlotView& a4r = chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    EXPECT_DOUBLE_EQ(chart.plot()->yAxis->range().lower, double(-0.3f));
    double highest = 0;
    for (const PlotSeries& series : a4r.series)
        highest = std::max(highest, *std::max_element(series.y.cbegin(), series.y.cend()));
    EXPECT_GT(chart.plot()->yAxis->range().upper, highest);
    EXPECT_LT(chart.plot()->yAxis->range().upper, highest * 1.2);
    EXPECT_LE(chart.window.xMinimum(), 1.0);
    EXPECT_GE(chart.window.xMaximum(), 26.0);

    chart.load(selection(PlotType::SteadyState, ParameterType::N1));
    EXPECT_EQ(chart.plot()->yAxis->range().lower, 0.0);

    const PlotView& history =
        chart.load(selection(PlotType::SteadyState, ParameterType::TimeHistory));
    EXPECT_EQ(chart.plot()->yAxis->range().lower, history.yAxisMinimum);
    EXPECT_LT(history.yAxisMinimum, 0.0);
    EXPECT_DOUBLE_EQ(chart.window.xMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(chart.window.xMaximum(), 1023 * kSampleIntervalMs);
}

// Values read from a damaged file may be infinite or no numbers: the axes span the others.
TEST(Chart, AxesIgnoreValuesThatAreNoFiniteNumbers) {
    QList<FlightDataElement> flights = tenFlights();
    const float infinity = std::numeric_limits<float>::infinity();
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::A4R), 1), infinity);
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::A4R), 2), -infinity);
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::A4R), 3), -0.5f);
    putFloat(flights[0], steadyStateOffset(valueOf(ParameterType::N1), 1),
             std::numeric_limits<float>::quiet_NaN());
    Chart chart(flights);
    const PlotView& a4r = chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    ASSERT_TRUE(std::isinf(a4r.yAxisMinimum));
    const QCPRange a4rRange = chart.plot()->yAxis->range();
    EXPECT_EQ(a4rRange.lower, -0.5);
    EXPECT_TRUE(std::isfinite(a4rRange.upper));
    EXPECT_GT(a4rRange.upper, 1.0);
    chart.load(selection(PlotType::SteadyState, ParameterType::N1));
    EXPECT_EQ(chart.plot()->yAxis->range().lower, 0.0);
    EXPECT_TRUE(std::isfinite(chart.plot()->yAxis->range().upper));
    EXPECT_GT(chart.plot()->yAxis->range().upper, 50.0);
}

TEST(Chart, ShowsTheViewsTextsAndLabelsTheTransientBins) {
    Chart chart(tenFlights());
    const PlotView& averages =
        chart.load(selection(PlotType::Transient, ParameterType::CN1Average));
    EXPECT_EQ(chart.window.headerLine(1), averages.headerLine1);
    EXPECT_EQ(chart.window.headerLine(2), QStringLiteral("Pre-Defect"));
    EXPECT_EQ(chart.window.footerLine(1), QStringLiteral("CN1_avg"));
    EXPECT_EQ(chart.window.footerLine(2), QString());
    EXPECT_EQ(chart.window.yAxisTitle(), QStringLiteral("CN1_avg"));
    auto labels = chart.plot()->xAxis->ticker().dynamicCast<QCPAxisTickerText>();
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->ticks().value(2.0), QStringLiteral("TOD"));
    EXPECT_EQ(labels->ticks().size(), 4);

    chart.load(selection(PlotType::Transient, ParameterType::TimeHistory));
    EXPECT_FALSE(chart.plot()->xAxis->ticker().dynamicCast<QCPAxisTickerText>());
    EXPECT_EQ(chart.window.xAxisTitle(), QStringLiteral("Time History (ms)"));
    EXPECT_EQ(chart.window.footerLine(1), QStringLiteral("Sample Number 1: (TOC)"));
    EXPECT_EQ(chart.plot()->xAxis->labelFont().family(), QStringLiteral("Times"));
    EXPECT_EQ(chart.plot()->xAxis->labelFont().pointSize(), 10);
    EXPECT_EQ(chart.plot()->legend->font().pointSize(), 9);
}

// TR4R_avg in the transient view builds no series: the chart keeps the ones it showed, and
// their read-out, and names the parameter in the footer.
TEST(Chart, AViewWithoutSeriesChangesOnlyTheTexts) {
    Chart chart(tenFlights());
    const PlotView shown = chart.load(selection(PlotType::Transient, ParameterType::TimeHistory));
    chart.load(selection(PlotType::Transient, ParameterType::TR4RAverage));
    EXPECT_EQ(chart.plot()->graphCount(), 10);
    EXPECT_EQ(chart.window.view().series.first().y, shown.series.first().y);
    EXPECT_EQ(chart.window.footerLine(1), QStringLiteral("TR4R_avg"));
    EXPECT_EQ(chart.window.xAxisTitle(), QStringLiteral("Time History (ms)"));
    chart.move(chart.pixelOf(0, 3));
    EXPECT_EQ(chart.window.readoutText(),
              readoutText(shown, selection(PlotType::Transient, ParameterType::TimeHistory), 0, 3));
}

struct ReadoutCase {
    const char* name;
    PlotType plotType;
    ParameterType parameterType;
    int series;
    int point;
    const char* shows; // a part of the read-out that tells its format
};

class Readout : public ::testing::TestWithParam<ReadoutCase> {};

// The mouse over a point shows its read-out, coloured by the sign of Y, and the X marker.
TEST_P(Readout, FollowsThePointNearestTheMouse) {
    const ReadoutCase& c = GetParam();
    Chart chart(flightsWithNegativeValues());
    const PlotView& view = chart.load(selection(c.plotType, c.parameterType, 1));
    chart.window.setCurrentSeries(c.series);
    QSignalSpy picked(&chart.window, &PlotWindow::pointPicked);
    chart.move(chart.pixelOf(c.series, c.point));
    ASSERT_TRUE(chart.window.readoutShown());
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.value(0).value(0).toInt(), c.point);
    const QString text = chart.window.readoutText();
    EXPECT_EQ(text, readoutText(view, chart.shownSelection(), c.series, c.point));
    EXPECT_TRUE(text.contains(QLatin1String(c.shows))) << qPrintable(text);
    const bool negative = view.series.at(c.series).y.at(c.point) < 0;
    EXPECT_EQ(chart.window.readoutBackground(),
              negative ? QColor(255, 255, 0) : QColor(204, 204, 255));
    EXPECT_EQ(chart.window.markerX(), view.series.at(c.series).x.at(c.point));
}

INSTANTIATE_TEST_SUITE_P(
    Views, Readout,
    ::testing::Values(ReadoutCase{"TransientAverages", PlotType::Transient,
                                  ParameterType::A4RAverage, 1, 1, ": X = TOD  Y = "},
                      ReadoutCase{"TimeHistory", PlotType::SteadyState, ParameterType::TimeHistory,
                                  1, 10, "X =    1.024 (ms)"},
                      ReadoutCase{"Waterfall", PlotType::SteadyState, ParameterType::Waterfall, 0,
                                  100, "Frequency :  953.674 (Hz)"},
                      ReadoutCase{"NegativeA4R", PlotType::SteadyState, ParameterType::A4R, 0, 4,
                                  ": X =        5  Y =     -0.3"}),
    [](const auto& info) { return std::string(info.param.name); });

// The read-out box never covers the point it reads out, wherever that point lies.
TEST(Chart, TheReadoutBoxKeepsClearOfThePointItReadsOut) {
    Chart chart(tenFlights());
    PlotView view;
    view.series.append(PlotSeries());
    view.series[0].name = QStringLiteral("Flight 1");
    view.seriesBuilt = true;
    view.markers = true;
    // Highest first (the top left corner), lowest last (the bottom right one).
    for (int i = 0; i < 9; ++i) {
        view.series[0].x.append(i + 1);
        view.series[0].y.append(i == 4 ? 4.5 : 8.5 - i);
    }
    chart.window.loadView(view, PlotSelection());
    // The highest point just below the top edge.
    chart.plot()->yAxis->setRange(0, 8.6);
    chart.plot()->replot();
    for (int point : {0, 4, 8}) {
        const QPointF pixel(chart.plot()->xAxis->coordToPixel(view.series[0].x[point]),
                            chart.plot()->yAxis->coordToPixel(view.series[0].y[point]));
        chart.move(pixel.toPoint());
        QCoreApplication::processEvents();
        ASSERT_TRUE(chart.window.readoutShown()) << "point " << point;
        const QRectF marker(pixel - QPointF(4, 4), QSizeF(8, 8));
        EXPECT_FALSE(chart.window.readoutRect().intersects(marker)) << "point " << point;
        EXPECT_TRUE(QRectF(chart.plot()->axisRect()->rect()).contains(chart.window.readoutRect()));
    }
}

// The legend marks the series the read-out follows in bold, and only that one.
TEST(Chart, TheCurrentSeriesIsBoldInTheLegend) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    const auto bold = [&](int series) {
        return chart.plot()->legend->itemWithPlottable(chart.graph(series))->font().bold();
    };
    EXPECT_TRUE(bold(0));
    EXPECT_FALSE(bold(1));
    chart.window.setCurrentSeries(3);
    for (int series = 0; series < 10; ++series)
        EXPECT_EQ(bold(series), series == 3) << "series " << series;
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    EXPECT_TRUE(bold(3));
}

TEST(Chart, AnUnchangedPickIsNotRedrawnAndLeavingThePlotAreaRemovesTheReadout) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    QSignalSpy picked(&chart.window, &PlotWindow::pointPicked);
    const QPoint onBin3 = chart.pixelOf(0, 2);
    chart.move(onBin3);
    chart.move(onBin3 + QPoint(3, 20)); // still nearest bin 3
    EXPECT_EQ(picked.count(), 1);
    chart.move(chart.pixelOf(0, 3));
    ASSERT_EQ(picked.count(), 2);
    EXPECT_EQ(picked.value(1).value(0).toInt(), 3);

    // Below the plot area, over the axis: no read-out and no marker.
    chart.move(QPoint(onBin3.x(), chart.plot()->axisRect()->bottom() + 10));
    EXPECT_FALSE(chart.window.readoutShown());
    EXPECT_TRUE(std::isnan(chart.window.markerX()));
    // Back in, then out of the widget.
    chart.move(onBin3);
    EXPECT_EQ(picked.count(), 3);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart.plot(), &leave);
    EXPECT_FALSE(chart.window.readoutShown());
    EXPECT_EQ(chart.window.readoutText(), QString());
}

TEST(Chart, ReportsClicksOnTheLegendAndInThePlotArea) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    QSignalSpy series(&chart.window, &PlotWindow::seriesClicked);
    QSignalSpy plotArea(&chart.window, &PlotWindow::plotAreaClicked);
    QCPLegend* legend = chart.plot()->legend;
    chart.click(legend->item(3)->outerRect().center());
    ASSERT_EQ(series.count(), 1);
    EXPECT_EQ(series.value(0).value(0).toInt(), 3);
    // Inside the legend's frame, below the last entry.
    const QRect frame = legend->outerRect();
    chart.click(QPoint(frame.center().x(), frame.bottom() - 1));
    ASSERT_EQ(series.count(), 2);
    EXPECT_EQ(series.value(1).value(0).toInt(), -1);
    EXPECT_EQ(plotArea.count(), 0);
    chart.click(chart.plot()->axisRect()->center());
    EXPECT_EQ(plotArea.count(), 1);
    EXPECT_EQ(series.count(), 2);
}

// A hidden series leaves the plot but stays in the legend, greyed.
TEST(Chart, HiddenSeriesStayInTheLegendGreyed) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    chart.window.setSeriesVisible(2, false);
    EXPECT_FALSE(chart.window.seriesVisible(2));
    EXPECT_FALSE(chart.graph(2)->visible());
    EXPECT_TRUE(chart.window.seriesVisible(1));
    QCPPlottableLegendItem* item = chart.plot()->legend->itemWithPlottable(chart.graph(2));
    ASSERT_NE(item, nullptr);
    const QColor greyed = item->textColor();
    EXPECT_NE(greyed, chart.plot()->legend->itemWithPlottable(chart.graph(1))->textColor());
    chart.window.setSeriesVisible(2, true);
    EXPECT_TRUE(chart.graph(2)->visible());
    EXPECT_NE(item->textColor(), greyed);
    // Out of range: nothing changes, nothing breaks.
    chart.window.setSeriesVisible(10, false);
    EXPECT_FALSE(chart.window.seriesVisible(10));
}

TEST(Chart, GridsAreOffUntilSwitchedOn) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    EXPECT_FALSE(chart.plot()->xAxis->grid()->visible());
    EXPECT_FALSE(chart.plot()->yAxis->grid()->visible());
    chart.window.setXGrid(true);
    EXPECT_TRUE(chart.plot()->xAxis->grid()->visible());
    EXPECT_FALSE(chart.plot()->yAxis->grid()->visible());
    chart.window.setYGrid(true);
    chart.window.setXGrid(false);
    EXPECT_FALSE(chart.plot()->xAxis->grid()->visible());
    EXPECT_TRUE(chart.plot()->yAxis->grid()->visible());
}

// The wheel narrows X about the cursor and says so once; a reset shows the whole view again.
// Loading a view is no change of the user's.
TEST(Chart, WheelZoomNarrowsXAndResetZoomRestoresTheView) {
    Chart chart(tenFlights());
    QSignalSpy changed(&chart.window, &PlotWindow::rangeChanged);
    chart.load(selection(PlotType::SteadyState, ParameterType::TimeHistory));
    EXPECT_EQ(changed.count(), 0);
    const double fullMinimum = chart.window.xMinimum();
    const double fullMaximum = chart.window.xMaximum();
    const QCPRange fullY = chart.plot()->yAxis->range();

    const QPointF at = chart.plot()->axisRect()->center();
    QWheelEvent wheel(at, chart.plot()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart.plot(), &wheel);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_GT(chart.window.xMinimum(), fullMinimum);
    EXPECT_LT(chart.window.xMaximum(), fullMaximum);
    EXPECT_EQ(chart.plot()->yAxis->range(), fullY);

    chart.window.resetZoom();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(chart.window.xMinimum(), fullMinimum);
    EXPECT_EQ(chart.window.xMaximum(), fullMaximum);
}

// A left drag pans; a drag with the right button zooms into the box.
TEST(Chart, DragPansAndTheRightButtonZoomsIntoABox) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    const double width = chart.window.xMaximum() - chart.window.xMinimum();
    QSignalSpy changed(&chart.window, &PlotWindow::rangeChanged);
    const QPoint from = chart.plot()->axisRect()->center();
    const QPoint to = from + QPoint(100, 0);
    QTest::mousePress(chart.plot(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent drag(QEvent::MouseMove, to, chart.plot()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(chart.plot(), &drag);
    QTest::mouseRelease(chart.plot(), Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_LT(chart.window.xMinimum(), 0.0);
    EXPECT_NEAR(chart.window.xMaximum() - chart.window.xMinimum(), width, width * 1e-9);

    chart.window.resetZoom();
    const double left = chart.plot()->xAxis->pixelToCoord(from.x());
    const QPoint corner = from + QPoint(200, 50);
    QTest::mousePress(chart.plot(), Qt::RightButton, Qt::NoModifier, from);
    QMouseEvent band(QEvent::MouseMove, corner, chart.plot()->mapToGlobal(corner), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(chart.plot(), &band);
    QTest::mouseRelease(chart.plot(), Qt::RightButton, Qt::NoModifier, corner);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_NEAR(chart.window.xMinimum(), left, width / 100);
    EXPECT_LT(chart.window.xMaximum() - chart.window.xMinimum(), width / 2);
}

TEST(Chart, PrintsToAOnePageLandscapePdf) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("chart.pdf"));
    ASSERT_TRUE(chart.window.printToPdf(path));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << qPrintable(text);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(text);
    ASSERT_TRUE(size.hasMatch()) << qPrintable(text);
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());
    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(chart.window.printToPdf(folder.filePath(QStringLiteral("none/chart.pdf"))));
}

// The one look at pixels: the painted chart shows the first series' colour and the read-out.
TEST(Chart, RendersTheSeriesAndTheReadout) {
    Chart chart(tenFlights());
    chart.load(selection(PlotType::SteadyState, ParameterType::TimeHistory));
    const QImage before = chart.plot()->toPixmap(kWidth, kHeight).toImage();
    chart.move(chart.pixelOf(0, 500));
    const QImage after = chart.plot()->toPixmap(kWidth, kHeight).toImage();
    const QColor first = chart.graph(0)->pen().color();
    int firstColour = 0;
    int readoutColour = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            firstColour += before.pixelColor(x, y) == first;
            readoutColour += after.pixelColor(x, y) == QColor(204, 204, 255) ||
                             after.pixelColor(x, y) == QColor(255, 255, 0);
        }
    }
    EXPECT_GT(firstColour, 20);
    EXPECT_GT(readoutColour, 1000);
}

namespace {

// A trend of eight flights, the third suspect, with its alert level between the values.
PlotView trendView(std::optional<double> alertLevel) {
    TrendResult result;
    for (int i = 0; i < 8; ++i) {
        TrendPoint point;
        point.flightNumber = 11 + i;
        point.creationTime = 1710235800 + 86400 * quint32(i);
        point.value = 1.0 + 0.25 * i;
        point.status = i == 2 ? DataStatus::Suspect : DataStatus::Ok;
        result.points.append(point);
    }
    TrendRequest request;
    request.aircraftId = QStringLiteral("F-GZLK");
    request.memoryType = MemoryType::PreDefect;
    return buildTrendView(result, request, alertLevel);
}

// Pixels of `area` that show `pen` drawn over the chart's white: an antialiased line of 1.5
// pixels fills no pixel wholly when it falls between two rows, which depends on where the
// axis rectangle starts and so on the faces of the axes' texts. A pixel shows the pen when
// every channel has moved from white towards it by the same part, at least a third.
int pixelsShowing(const QImage& image, const QRect& area, const QColor& pen) {
    const QRect inside = area.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const auto part = [](int shown, int full) { return (255.0 - shown) / (255.0 - full); };
            const double red = part(pixel.red(), pen.red());
            const double green = part(pixel.green(), pen.green());
            const double blue = part(pixel.blue(), pen.blue());
            count +=
                green >= 1.0 / 3 && std::abs(red - green) < 0.15 && std::abs(blue - green) < 0.15;
        }
    }
    return count;
}

// The band of three pixel rows (or columns) around a horizontal (vertical) line at `pixel`,
// across the axis rectangle.
QRect rowBand(const QCustomPlot* plot, double pixel) {
    const QRect axes = plot->axisRect()->rect();
    return QRect(axes.left(), int(std::lround(pixel)) - 1, axes.width(), 3);
}

QRect columnBand(const QCustomPlot* plot, double pixel) {
    const QRect axes = plot->axisRect()->rect();
    return QRect(int(std::lround(pixel)) - 1, axes.top(), 3, axes.height());
}

} // namespace

TEST(Chart, TheTrendDrawsSuspectPointsHollowAndItsAlertLevelAsALine) {
    Chart chart(tenFlights());
    chart.window.loadView(trendView(4.0), PlotSelection());
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.graph(0)->dataCount(), 7);
    EXPECT_EQ(chart.window.hollowPointCount(0), 1);
    // The companion of the hollow point: white inside, its hollow symbol in the legend below
    // the series, as "Suspect flight".
    ASSERT_EQ(chart.plot()->graphCount(), 2);
    EXPECT_EQ(chart.graph(1)->scatterStyle().brush().color(), QColor(Qt::white));
    EXPECT_DOUBLE_EQ(chart.graph(1)->data()->begin()->key, 13);
    ASSERT_EQ(chart.plot()->legend->itemCount(), 2);
    auto* suspect = qobject_cast<QCPPlottableLegendItem*>(chart.plot()->legend->item(1));
    ASSERT_NE(suspect, nullptr);
    EXPECT_EQ(suspect->plottable(), chart.graph(1));
    EXPECT_EQ(chart.graph(1)->name(), QStringLiteral("Suspect flight"));
    // The line lies above every value: the axis reaches it.
    EXPECT_DOUBLE_EQ(chart.window.alertLineY(), 4.0);
    EXPECT_GE(chart.plot()->yAxis->range().upper, 4.0);
    auto* line = qobject_cast<QCPItemStraightLine*>(chart.plot()->item(3));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->visible());
    EXPECT_DOUBLE_EQ(line->point2->coords().y(), 4.0);
    EXPECT_EQ(line->pen(), QPen(kAlertColour, 1.5, Qt::DashDotLine));
    auto* label = qobject_cast<QCPItemText*>(chart.plot()->item(4));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->visible());
    EXPECT_EQ(label->text(), QStringLiteral("Alert level 4"));
    // Drawn inside the axis rectangle, dashed along its width.
    const QImage image = chart.plot()->toPixmap(kWidth, kHeight).toImage();
    const double lineY = chart.plot()->yAxis->coordToPixel(4.0);
    const QRect axes = chart.plot()->axisRect()->rect();
    EXPECT_GT(lineY, axes.top() + 1);
    EXPECT_LT(lineY, axes.bottom() - 1);
    EXPECT_GT(pixelsShowing(image, rowBand(chart.plot(), lineY), kAlertColour), axes.width() / 3);
    // The suspect point is white inside, the others filled with the series' colour.
    const auto centre = [&](double x, double y) {
        return image.pixelColor(int(std::lround(chart.plot()->xAxis->coordToPixel(x))),
                                int(std::lround(chart.plot()->yAxis->coordToPixel(y))));
    };
    EXPECT_EQ(centre(13, 1.5), QColor(Qt::white));
    EXPECT_EQ(centre(12, 1.25), chart.graph(0)->pen().color());
    // The read-out names the flight and its download date.
    chart.move(chart.pixelOf(0, 2));
    EXPECT_TRUE(chart.window.readoutText().startsWith(QStringLiteral("Pre-Defect: Flight 13 (")))
        << chart.window.readoutText().toStdString();

    // Hidden and shown again, the hollow point goes with its series; another view drops it
    // and the line.
    chart.window.setSeriesVisible(0, false);
    EXPECT_FALSE(chart.graph(1)->visible());
    chart.window.setSeriesVisible(0, true);
    EXPECT_TRUE(chart.graph(1)->visible());
    chart.load(selection(PlotType::SteadyState, ParameterType::A4R));
    EXPECT_EQ(chart.plot()->graphCount(), 10);
    EXPECT_EQ(chart.window.hollowPointCount(0), 0);
    EXPECT_TRUE(std::isnan(chart.window.alertLineY()));
}

// N1 5052 RPM: 84.2 Hz and 168.4 Hz; N2 0 RPM: none. Shift+click sets the reference cursor.
TEST(Chart, ASpectrumShowsOrderMarkersAndMeasuresFromTheReferenceCursor) {
    Chart chart(tenFlights());
    const PlotView& view = chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    chart.window.setOrderMarkers(shaftOrders({5052, 0}, view.series[0].y));
    ASSERT_EQ(chart.window.orderMarkers().size(), 2);
    EXPECT_EQ(chart.window.orderMarkers()[1].label, QStringLiteral("2xN1 168.4 Hz"));
    // Besides the read-out, its marker, the reference cursor, and the alert line and the two
    // limit lines with their labels.
    EXPECT_EQ(chart.plot()->itemCount(), 9 + 4);

    QSignalSpy clicks(&chart.window, &PlotWindow::plotAreaClicked);
    QTest::mouseClick(chart.plot(), Qt::LeftButton, Qt::ShiftModifier, chart.pixelOf(0, 9));
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_DOUBLE_EQ(chart.window.referenceX(), view.series[0].x[9]);
    chart.move(chart.pixelOf(0, 20));
    EXPECT_TRUE(chart.window.readoutText().contains(QStringLiteral("  dF = 104.90 (Hz)  dY = ")))
        << chart.window.readoutText().toStdString();
    auto* cursor = qobject_cast<QCPItemStraightLine*>(chart.plot()->item(2));
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->visible());
    EXPECT_DOUBLE_EQ(cursor->point2->coords().x(), view.series[0].x[9]);
    EXPECT_EQ(cursor->pen(), QPen(kReferenceColour, 1.5));
    // Drawn inside the axis rectangle, over most of its height.
    const QImage image = chart.plot()->toPixmap(kWidth, kHeight).toImage();
    const double cursorX = chart.plot()->xAxis->coordToPixel(view.series[0].x[9]);
    const QRect axes = chart.plot()->axisRect()->rect();
    EXPECT_GT(cursorX, axes.left() + 1);
    EXPECT_LT(cursorX, axes.right() - 1);
    EXPECT_GT(pixelsShowing(image, columnBand(chart.plot(), cursorX), kReferenceColour),
              axes.height() / 2);

    // A new view starts without the cursor and the markers.
    chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    EXPECT_FALSE(chart.window.hasReference());
    EXPECT_TRUE(chart.window.orderMarkers().isEmpty());
    EXPECT_EQ(chart.plot()->itemCount(), 9);
}

// Close orders: labels apart from each other, inside the plot area. Zoomed so that 2xN1 lies
// just right of the X range, its marker and label are not drawn at the axis.
TEST(Chart, OrderMarkersOutsideTheXRangeAreNotDrawnAndTheirLabelsKeepApart) {
    Chart chart(tenFlights());
    const PlotView& view = chart.load(selection(PlotType::SteadyState, ParameterType::Fft));
    chart.window.setOrderMarkers(shaftOrders({5052, 5100}, view.series[0].y));
    chart.plot()->replot();
    QList<PlotWindow::Marker> markers = chart.window.orderMarkers();
    ASSERT_EQ(markers.size(), 4);
    const QRectF axes = chart.plot()->axisRect()->rect();
    for (int i = 0; i < markers.size(); ++i) {
        EXPECT_TRUE(markers[i].shown) << i;
        EXPECT_TRUE(axes.contains(markers[i].labelRect)) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(markers[i].labelRect.intersects(markers[j].labelRect)) << i << j;
    }

    chart.plot()->xAxis->setRange(0, 168.3);
    chart.plot()->replot();
    markers = chart.window.orderMarkers();
    EXPECT_TRUE(markers[0].shown);
    EXPECT_FALSE(markers[1].shown);
    EXPECT_TRUE(markers[1].labelRect.isEmpty());
    // Nothing in the 2xN1 colour at the right edge of the plot area, where its label went
    // (the series lie lower there).
    const QImage image = chart.plot()->toPixmap(kWidth, kHeight).toImage();
    const QRect edge(int(axes.right()) - 120, int(axes.top()), 125, 120);
    EXPECT_EQ(pixelsShowing(image, edge, QColor(20, 110, 90)), 0);
}
