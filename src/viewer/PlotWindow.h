#pragma once

#include "ChartView.h"
#include "PlotSeries.h"
#include "ShaftOrders.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRectF>
#include <QSharedPointer>

#include <functional>

class QCPAbstractLegendItem;
class QCPAxisTicker;
class QCPAxisTickerText;
class QCPGraph;
class QCPItemStraightLine;
class QCPItemText;
class QCPLegend;
class QCPRange;
class QCustomPlot;
class QMouseEvent;
class QPrinter;

// The trend's legend entry for its hollow points.
inline const QString kSuspectFlightLegendText = QStringLiteral("Suspect flight");
// The label of the trend's alert line, %1 the level.
inline const QString kAlertLineText = QStringLiteral("Alert level %1");
// The labels of an indicator trend's limit lines, %1 the limit.
inline const QString kWarningLineText = QStringLiteral("Warning %1");
inline const QString kAlarmLineText = QStringLiteral("Alarm %1");

// The viewer's chart: the series of a PlotView with their styles, axis titles, value labels
// and Y-axis minimum, and the read-out of the current series' point nearest the mouse.
//
// Mouse: the wheel zooms X about the cursor; a left drag pans X; a drag with the right button,
// or with the left button while Ctrl is held, draws a rubber band that zooms into the box
// (X and Y). Every change of the shown X range by the user, and a zoom reset, emits
// rangeChanged once; loading a view does not. A left click emits seriesClicked on the legend
// and plotAreaClicked in the plot area. Shift+click in the plot area sets the reference cursor
// at the current series' nearest point (the read-out then measures from it); Shift+click on
// that point again removes it.
//
// A trend view draws its suspect points hollow, with a legend entry "Suspect flight" below the
// series, its alert level as a horizontal line, and an indicator's warning and alarm limits as
// two more, each with its own colour and dash pattern and labelled, so that they are told apart
// in grey-scale print too;
// shaft-order markers are vertical lines with their labels.
//
// Hidden series stay in the legend, greyed, so that they can be found and shown again.
class PlotWindow : public ChartView {
    Q_OBJECT
public:
    explicit PlotWindow(QWidget* parent = nullptr);
    ~PlotWindow() override;

    // Loads the series, axis titles, labels, Y-axis minimum, styles, fonts and the header
    // and footer lines of `view` (PlotView from buildPlotView). A view with
    // seriesBuilt == false keeps the series shown before and changes only the header and
    // footer lines. The full X range is shown after a load.
    void loadView(const PlotView& view, const PlotSelection& selection);
    void setSeriesVisible(int series, bool visible);
    bool seriesVisible(int series) const;
    void setXGrid(bool on);
    void setYGrid(bool on);
    // The series that the read-out follows (the viewer's current series); its legend entry
    // is bold.
    void setCurrentSeries(int series);
    void resetZoom();
    double xMinimum() const; // the visible X range
    double xMaximum() const;
    QString xAxisTitle() const;
    QString yAxisTitle() const;
    const PlotView& view() const; // what is loaded
    // Printing: the system's print dialog, and straight to a PDF file. One landscape page
    // with the header, the plot and the footer.
    void print();
    bool printToPdf(const QString& path);
    // Runs `draw` on the chart with the read-out and its cursors hidden (an exported chart
    // shows neither), then shows them again and lays the chart out for the screen.
    void drawWithoutReadout(const std::function<void(QCustomPlot&)>& draw);
    // The read-out, for tests: its text, background colour and whether it shows; the X
    // marker's position (NaN when hidden).
    QString readoutText() const;
    QColor readoutBackground() const;
    bool readoutShown() const;
    // Where the read-out box is drawn, in the chart's pixels.
    QRectF readoutRect() const;
    double markerX() const;

    // The reference cursor: a point of a series that the read-out measures from (its
    // deltaReadoutText) until it is removed or another view is loaded.
    void setReference(int series, int point);
    void clearReference();
    bool hasReference() const { return referenceSeries_ >= 0; }
    double referenceX() const; // NaN without a reference

    // Vertical markers at the marked orders, each labelled; an empty list removes them. A
    // marker outside the shown X range is not drawn.
    void setOrderMarkers(const QList<ShaftOrder>& orders);
    struct Marker {
        double x = 0;
        QString label;
        bool shown = false; // inside the X range, as last laid out
        QRectF labelRect;   // its label in the chart's pixels; empty when not drawn
    };
    QList<Marker> orderMarkers() const;
    // The trend's alert line (NaN when none) and the points drawn hollow per series.
    double alertLineY() const;
    double warningLineY() const;
    double alarmLineY() const;
    int hollowPointCount(int series) const;

signals:
    void seriesClicked(int series); // a legend entry was clicked (-1: no entry)
    void plotAreaClicked();
    void rangeChanged();         // zoom (wheel, rubber band) or pan (drag) changed X
    void pointPicked(int point); // the read-out moved to this point of the current series
    // In the waterfall: the cursor moved nearer to another trace (counted from 0).
    void traceUnderCursor(int trace);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadSeries();
    void styleSeries(int series);
    void showLegend(bool shown);
    void showSeriesInLegend(int series);
    void setRanges(const QCPRange& x, const QCPRange& y);
    void followMouse(const QPointF& position);
    void followTrace(double y);
    void hideReadout();
    void placeReadout(double x, double y);
    void layOutOrderMarkers();
    void clearReadout();
    void mousePressed(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);
    void legendClicked(QCPAbstractLegendItem* item);
    void loadHollowPoints(int series);
    void showReadoutAt(int point);
    int pointNearPixel(double pixelX) const;
    bool renderTo(QPrinter& printer);

    PlotView view_;
    // The selection the shown series were built from: a view that builds none keeps them,
    // and the read-out must go on describing them.
    PlotSelection seriesSelection_;
    QList<QCPGraph*> graphs_;
    int currentSeries_ = 0;
    int pickedPoint_ = -1;
    int pickedTrace_ = -1;
    double fullXLower_ = 0;
    double fullXUpper_ = 1;
    double fullYLower_ = 0;
    double fullYUpper_ = 1;
    bool loading_ = false;
    QPoint pressPosition_;
    QCPItemText* readout_;
    QCPItemStraightLine* marker_;
    QCPItemStraightLine* reference_;
    // A horizontal line across the plot with its label at the right end.
    struct LevelLine {
        QCPItemStraightLine* line = nullptr;
        QCPItemText* label = nullptr;
    };
    LevelLine makeLevelLine(const QColor& colour, double width, Qt::PenStyle style);
    // Shows the line at `level` with its label `text` (%1 the level), or hides it when there
    // is no finite level; the Y range then takes the level in.
    static void showLevelLine(const LevelLine& line, std::optional<double> level,
                              const QString& text, double& yLower, double& yUpper);
    static double levelLineY(const LevelLine& line);

    LevelLine alertLine_;
    LevelLine warningLine_;
    LevelLine alarmLine_;
    int referenceSeries_ = -1;
    int referencePoint_ = -1;
    // Per series the companion graph of its hollow points (null where it has none).
    QList<QCPGraph*> hollowGraphs_;
    QList<std::pair<QCPItemStraightLine*, QCPItemText*>> orderItems_;
    QList<Marker> orderMarkers_;
    QCPLayoutGrid* legendColumn_;
    QSharedPointer<QCPAxisTicker> numberTicker_;
    QSharedPointer<QCPAxisTickerText> labelTicker_;
};
