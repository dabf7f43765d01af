#include "PlotWindow.h"

#include "ChartFonts.h"
#include "ChartLayout.h"
#include "ChartText.h"

#include <QPrintDialog>
#include <QPrinter>
#include <qcustomplot.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Calm colours that stay apart from each other on white, one per flight.
constexpr std::array<QRgb, 10> kSeriesColours = {
    0x1f5fa8, // blue
    0xd9822b, // orange
    0x2e8b57, // green
    0xc0392b, // red
    0x7b5ea7, // purple
    0x8c6d46, // brown
    0xc2569a, // pink
    0x5f6b73, // slate
    0x8f8f1c, // olive
    0x1a9bb0, // teal
};
// Series 8 and 9 repeat hues of the first eight closely enough to need a dashed line.
constexpr int kFirstDashedSeries = 8;
constexpr std::array<QCPScatterStyle::ScatterShape, 10> kMarkerShapes = {
    QCPScatterStyle::ssDisc,
    QCPScatterStyle::ssSquare,
    QCPScatterStyle::ssDiamond,
    QCPScatterStyle::ssTriangle,
    QCPScatterStyle::ssTriangleInverted,
    QCPScatterStyle::ssCircle,
    QCPScatterStyle::ssCross,
    QCPScatterStyle::ssPlus,
    QCPScatterStyle::ssStar,
    QCPScatterStyle::ssCrossCircle,
};
constexpr double kMarkerSize = 7;
// One colour for all waterfall traces: they are told apart by their level.
constexpr QRgb kWaterfallColour = 0x1f3a68;
const QColor kHiddenSeriesText(170, 170, 170);

const QColor kReadoutNegative(255, 255, 0);
// The read-out box keeps this far (pixels) from the plot area's edges.
constexpr double kReadoutMargin = 5;
const QColor kReadoutPositive(204, 204, 255);
const QColor kMarkerColour(90, 90, 90);
// The reference cursor: solid, in a colour no series uses.
const QColor kReferenceColour(176, 58, 46);
constexpr double kReferenceWidth = 1.5;
// The trend's alert line and its label.
const QColor kAlertColour(200, 40, 40);
constexpr double kAlertWidth = 1.5;
// An indicator's limits: the warning dashed in amber, the alarm solid in a dark red.
const QColor kWarningColour(190, 120, 0);
const QColor kAlarmColour(160, 20, 20);
constexpr double kLimitWidth = 1.5;
// Suspect trend points: hollow, a little larger than the filled ones, with a firmer outline.
constexpr double kHollowMarkerSize = 9;
constexpr double kHollowMarkerWidth = 1.5;
// Shaft-order markers: one colour per shaft; labels in rows below the read-out's row, this far
// (pixels) from their lines and from each other.
const QColor kN1OrderColour(20, 110, 90);
const QColor kN2OrderColour(110, 70, 160);
const QColor kBearingMarkerColour(190, 90, 20);
constexpr double kOrderLabelGap = 4;
const QColor kLabelBackground(255, 255, 255, 220);

// Room above the highest value, as a share of the values' span, and around the first and
// last markers of a plot with markers, so that no marker is cut in half by the frame: half a
// bin, or a share of the X span where that is wider (a trend over hundreds of flights).
constexpr double kHeadroom = 0.05;
constexpr double kMarkerMargin = 0.5;
constexpr double kMarkerMarginShare = 0.02;

// A press and release this close together (pixels) are a click, not a drag.
constexpr int kClickSlack = 3;

// The chart is laid out at this width for printing and then scaled onto the page, so that
// text and lines keep the proportions they have on screen.
constexpr int kPrintLayoutWidth = 1200;

// Layout: a stretch factor that leaves the spare room to the others, and the room around the
// legend's column.
constexpr double kNoStretch = 0.001;
const QMargins kLegendMargins(12, 0, 12, 0);

const QString kOverlayLayer = QStringLiteral("overlay");

// The index of the value in the ascending `x` nearest to `key`.
int nearestPoint(const QList<double>& x, double key) {
    const auto after = std::lower_bound(x.cbegin(), x.cend(), key);
    if (after == x.cbegin())
        return 0;
    if (after == x.cend())
        return int(x.size()) - 1;
    const auto before = after - 1;
    return int((key - *before <= *after - key ? before : after) - x.cbegin());
}

// The size of the box a text item draws: its text and padding.
QSizeF textBoxSize(const QCPItemText& item) {
    return QFontMetricsF(item.font())
        .boundingRect(QRectF(), Qt::TextDontClip | item.textAlignment(), item.text())
        .size()
        .grownBy(QMarginsF(item.padding()));
}

} // namespace

PlotWindow::PlotWindow(QWidget* parent)
    : ChartView(parent), readout_(new QCPItemText(chart())),
      marker_(new QCPItemStraightLine(chart())), reference_(new QCPItemStraightLine(chart())),
      legendColumn_(new QCPLayoutGrid), numberTicker_(new QCPAxisTicker),
      labelTicker_(new QCPAxisTickerText) {
    QCustomPlot* plot = chart();
    plot->setMouseTracking(true);
    plot->installEventFilter(this);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    QCPAxisRect* rect = plot->axisRect();
    rect->setRangeDrag(Qt::Horizontal);
    rect->setRangeZoom(Qt::Horizontal);
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis}) {
        axis->setLabelFont(chartTextFont());
        axis->setTickLabelFont(chartTextFont());
        axis->grid()->setVisible(false);
    }

    // The legend sits right of the plot, where it never covers a series, at the top of a
    // column that takes no more width than the legend needs.
    rect->insetLayout()->take(plot->legend);
    legendColumn_->setMargins(kLegendMargins);
    legendColumn_->addElement(0, 0, plot->legend);
    legendColumn_->addElement(1, 0, new QCPLayoutElement(plot));
    legendColumn_->setRowStretchFactor(0, kNoStretch);
    showLegend(true);
    plot->legend->setFont(chartLegendFont());

    // The read-out and the marker live on the buffered top layer, so that following the
    // mouse repaints that layer alone.
    readout_->setLayer(kOverlayLayer);
    readout_->position->setType(QCPItemPosition::ptAxisRectRatio);
    readout_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    readout_->setFont(readoutFont());
    readout_->setColor(Qt::black);
    readout_->setPen(QPen(kMarkerColour));
    readout_->setPadding(QMargins(4, 2, 4, 2));
    readout_->setVisible(false);
    marker_->setLayer(kOverlayLayer);
    marker_->setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    marker_->setVisible(false);
    reference_->setLayer(kOverlayLayer);
    reference_->setPen(QPen(kReferenceColour, kReferenceWidth));
    reference_->setVisible(false);
    alertLine_ = makeLevelLine(kAlertColour, kAlertWidth, Qt::DashDotLine);
    warningLine_ = makeLevelLine(kWarningColour, kLimitWidth, Qt::DashLine);
    alarmLine_ = makeLevelLine(kAlarmColour, kLimitWidth, Qt::SolidLine);

    connect(plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (!loading_)
            emit rangeChanged();
    });
    connect(plot, &QCustomPlot::afterLayout, this, &PlotWindow::layOutOrderMarkers);
    connect(plot, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { followMouse(event->position()); });
    connect(plot, &QCustomPlot::mousePress, this, &PlotWindow::mousePressed);
    connect(plot, &QCustomPlot::mouseRelease, this, &PlotWindow::mouseReleased);
    connect(plot, &QCustomPlot::legendClick, this,
            [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent* event) {
                if (event->button() == Qt::LeftButton)
                    legendClicked(item);
            });
}

PlotWindow::~PlotWindow() {
    // Out of the layout, the legend's column is ours to delete.
    if (legendColumn_->layout() == nullptr)
        delete legendColumn_;
}

void PlotWindow::loadView(const PlotView& view, const PlotSelection& selection) {
    setHeader(view.headerLine1, view.headerLine2);
    setFooter(view.footer, QString());
    if (!view.seriesBuilt) {
        view_.headerLine1 = view.headerLine1;
        view_.headerLine2 = view.headerLine2;
        view_.footer = view.footer;
        chart()->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    view_ = view;
    seriesSelection_ = selection;
    pickedTrace_ = -1;
    // The whole chart is replotted below, the read-out's layer with it.
    clearReadout();
    referenceSeries_ = referencePoint_ = -1;
    reference_->setVisible(false);
    setOrderMarkers({});
    loadSeries();

    QCustomPlot* plot = chart();
    plot->xAxis->setLabel(view.xAxisTitle);
    plot->yAxis->setLabel(view.yAxisTitle);
    if (view.xAxisLabels.isEmpty()) {
        plot->xAxis->setTicker(numberTicker_);
    } else {
        labelTicker_->clear();
        for (const PlotLabel& label : view.xAxisLabels)
            labelTicker_->addTick(label.x, label.text);
        plot->xAxis->setTicker(labelTicker_);
    }
    showLegend(!view.waterfall);

    // X: every point; Y: from the view's minimum to just above the highest value. A record
    // may hold values that are no numbers or infinite: the axes span the finite ones.
    double xLower = std::numeric_limits<double>::infinity();
    double xUpper = -xLower;
    double yLower = std::isfinite(view.yAxisMinimum) ? view.yAxisMinimum : 0;
    const bool lowerFromData = !std::isfinite(view.yAxisMinimum);
    double yUpper = yLower;
    for (const PlotSeries& series : view.series) {
        if (!series.x.isEmpty()) {
            xLower = std::min(xLower, series.x.first());
            xUpper = std::max(xUpper, series.x.last());
        }
        for (double y : series.y) {
            if (std::isfinite(y)) {
                yUpper = std::max(yUpper, y);
                if (lowerFromData)
                    yLower = std::min(yLower, y);
            }
        }
    }
    showLevelLine(alertLine_, view.alertLevel, kAlertLineText, yLower, yUpper);
    showLevelLine(warningLine_, view.warningLimit, kWarningLineText, yLower, yUpper);
    showLevelLine(alarmLine_, view.alarmLimit, kAlarmLineText, yLower, yUpper);
    if (!(xLower < xUpper)) {
        xLower = std::isfinite(xLower) ? xLower - kMarkerMargin : 0;
        xUpper = xLower + 2 * kMarkerMargin;
    } else if (view.markers) {
        const double margin = std::max(kMarkerMargin, kMarkerMarginShare * (xUpper - xLower));
        xLower -= margin;
        xUpper += margin;
    }
    const double span = yUpper - yLower;
    fullXLower_ = xLower;
    fullXUpper_ = xUpper;
    fullYLower_ = yLower;
    fullYUpper_ = span > 0 ? yUpper + kHeadroom * span : yLower + 1;
    loading_ = true;
    plot->xAxis->setRange(fullXLower_, fullXUpper_);
    plot->yAxis->setRange(fullYLower_, fullYUpper_);
    loading_ = false;
    plot->replot(QCustomPlot::rpQueuedReplot);
}

// Graphs are kept from one load to the next: only their data and styles change.
void PlotWindow::loadSeries() {
    QCustomPlot* plot = chart();
    const int count = int(view_.series.size());
    while (graphs_.size() > count) {
        if (QCPGraph* hollow = hollowGraphs_.takeLast())
            plot->removeGraph(hollow);
        plot->removeGraph(graphs_.takeLast());
    }
    while (graphs_.size() < count) {
        graphs_.append(plot->addGraph());
        hollowGraphs_.append(nullptr);
    }
    for (int i = 0; i < count; ++i) {
        const PlotSeries& series = view_.series.at(i);
        graphs_[i]->setData(series.x, series.y, true);
        graphs_[i]->setName(series.name);
        styleSeries(i);
        graphs_[i]->setVisible(series.visible);
        loadHollowPoints(i);
        showSeriesInLegend(i);
    }
    // One entry below the series explains the hollow points: the first series' hollow symbol.
    const auto first = std::find_if(hollowGraphs_.cbegin(), hollowGraphs_.cend(),
                                    [](const QCPGraph* hollow) { return hollow != nullptr; });
    if (first != hollowGraphs_.cend()) {
        (*first)->setName(kSuspectFlightLegendText);
        (*first)->addToLegend();
    }
}

// The hollow points leave the series' graph for a companion graph of their own, drawn in the
// series' colour and shape with a white fill; the companion has no legend entry of its own.
void PlotWindow::loadHollowPoints(int series) {
    const PlotSeries& data = view_.series.at(series);
    QCPGraph*& hollow = hollowGraphs_[series];
    if (data.hollowPoints.isEmpty()) {
        if (hollow != nullptr)
            chart()->removeGraph(hollow);
        hollow = nullptr;
        return;
    }
    QList<double> x, y, hollowX, hollowY;
    for (int i = 0; i < data.x.size(); ++i) {
        const bool suspect = data.hollowPoints.contains(i);
        (suspect ? hollowX : x).append(data.x.at(i));
        (suspect ? hollowY : y).append(data.y.at(i));
    }
    QCPGraph* graph = graphs_.at(series);
    graph->setData(x, y, true);
    if (hollow == nullptr)
        hollow = chart()->addGraph();
    hollow->removeFromLegend();
    hollow->setData(hollowX, hollowY, true);
    QCPScatterStyle style = graph->scatterStyle();
    // A disc is filled with its pen whatever the brush: its hollow form is the circle.
    if (style.shape() == QCPScatterStyle::ssDisc)
        style.setShape(QCPScatterStyle::ssCircle);
    style.setBrush(Qt::white);
    style.setSize(kHollowMarkerSize);
    style.setPen(QPen(graph->pen().color(), kHollowMarkerWidth));
    hollow->setLineStyle(QCPGraph::lsNone);
    hollow->setScatterStyle(style);
    hollow->setVisible(graph->visible());
}

void PlotWindow::styleSeries(int series) {
    QCPGraph* graph = graphs_.at(series);
    if (view_.waterfall) {
        graph->setPen(QPen(QColor(kWaterfallColour)));
        graph->setLineStyle(QCPGraph::lsLine);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        return;
    }
    const std::size_t slot = std::size_t(series) % kSeriesColours.size();
    const QColor colour(kSeriesColours.at(slot));
    QPen pen(colour);
    if (series >= kFirstDashedSeries)
        pen.setStyle(Qt::DashLine);
    graph->setPen(pen);
    if (view_.trend) {
        // Filled, so that the hollow suspect points stand apart.
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(
            QCPScatterStyle(kMarkerShapes.at(slot), colour, colour, kMarkerSize));
    } else if (view_.markers) {
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(QCPScatterStyle(kMarkerShapes.at(slot), colour, kMarkerSize));
    } else {
        graph->setLineStyle(QCPGraph::lsLine);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    }
}

// A hidden legend would still hold its room in the layout: the column leaves the layout.
void PlotWindow::showLegend(bool shown) {
    if (shown == (legendColumn_->layout() != nullptr))
        return;
    if (shown) {
        plotRow()->addElement(0, 1, legendColumn_);
        plotRow()->setColumnStretchFactor(1, kNoStretch);
    } else {
        plotRow()->take(legendColumn_);
        plotRow()->simplify();
    }
    chart()->legend->setVisible(shown);
}

void PlotWindow::showSeriesInLegend(int series) {
    QCPGraph* graph = graphs_.at(series);
    if (QCPPlottableLegendItem* item = chart()->legend->itemWithPlottable(graph)) {
        item->setTextColor(graph->visible() ? QColor(Qt::black) : kHiddenSeriesText);
        QFont font = chart()->legend->font();
        font.setBold(series == currentSeries_);
        item->setFont(font);
    }
}

void PlotWindow::setSeriesVisible(int series, bool visible) {
    if (series < 0 || series >= graphs_.size())
        return;
    graphs_[series]->setVisible(visible);
    if (QCPGraph* hollow = hollowGraphs_.at(series))
        hollow->setVisible(visible);
    view_.series[series].visible = visible;
    showSeriesInLegend(series);
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

bool PlotWindow::seriesVisible(int series) const {
    return series >= 0 && series < graphs_.size() && graphs_.at(series)->visible();
}

void PlotWindow::setXGrid(bool on) {
    chart()->xAxis->grid()->setVisible(on);
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

void PlotWindow::setYGrid(bool on) {
    chart()->yAxis->grid()->setVisible(on);
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

void PlotWindow::setCurrentSeries(int series) {
    if (series == currentSeries_)
        return;
    const int previous = currentSeries_;
    currentSeries_ = series;
    for (int shown : {previous, series}) {
        if (shown >= 0 && shown < graphs_.size())
            showSeriesInLegend(shown);
    }
    hideReadout();
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

void PlotWindow::resetZoom() {
    chart()->xAxis->setRange(fullXLower_, fullXUpper_);
    chart()->yAxis->setRange(fullYLower_, fullYUpper_);
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

double PlotWindow::xMinimum() const {
    return chart()->xAxis->range().lower;
}

double PlotWindow::xMaximum() const {
    return chart()->xAxis->range().upper;
}

QString PlotWindow::xAxisTitle() const {
    return chart()->xAxis->label();
}

QString PlotWindow::yAxisTitle() const {
    return chart()->yAxis->label();
}

const PlotView& PlotWindow::view() const {
    return view_;
}

void PlotWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        renderTo(printer);
}

bool PlotWindow::printToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageOrientation(QPageLayout::Landscape);
    return renderTo(printer);
}

bool PlotWindow::renderTo(QPrinter& printer) {
    QCPPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const int height = kPrintLayoutWidth * page.height() / std::max(1, page.width());
    painter.scale(double(page.width()) / kPrintLayoutWidth, double(page.height()) / height);
    chart()->toPainter(&painter, kPrintLayoutWidth, height);
    const bool written = painter.end();
    // The chart was laid out for the page; lay it out for the screen again.
    chart()->replot(QCustomPlot::rpQueuedReplot);
    return written;
}

void PlotWindow::drawWithoutReadout(const std::function<void(QCustomPlot&)>& draw) {
    QCPAbstractItem* const cursors[] = {readout_, marker_, reference_};
    bool shown[std::size(cursors)];
    for (std::size_t i = 0; i < std::size(cursors); ++i) {
        shown[i] = cursors[i]->visible();
        cursors[i]->setVisible(false);
    }
    draw(*chart());
    for (std::size_t i = 0; i < std::size(cursors); ++i)
        cursors[i]->setVisible(shown[i]);
    chart()->replot(QCustomPlot::rpQueuedReplot);
}

QString PlotWindow::readoutText() const {
    return readout_->visible() ? readout_->text() : QString();
}

QColor PlotWindow::readoutBackground() const {
    return readout_->brush().color();
}

bool PlotWindow::readoutShown() const {
    return readout_->visible();
}

double PlotWindow::markerX() const {
    return marker_->visible() ? marker_->point1->coords().x()
                              : std::numeric_limits<double>::quiet_NaN();
}

void PlotWindow::setReference(int series, int point) {
    if (series < 0 || series >= view_.series.size() || point < 0 ||
        point >= view_.series.at(series).x.size())
        return;
    referenceSeries_ = series;
    referencePoint_ = point;
    const double x = view_.series.at(series).x.at(point);
    reference_->point1->setCoords(x, 0);
    reference_->point2->setCoords(x, 1);
    reference_->setVisible(true);
    if (pickedPoint_ >= 0)
        showReadoutAt(pickedPoint_);
    chart()->layer(kOverlayLayer)->replot();
}

void PlotWindow::clearReference() {
    if (!hasReference())
        return;
    referenceSeries_ = referencePoint_ = -1;
    reference_->setVisible(false);
    if (pickedPoint_ >= 0)
        showReadoutAt(pickedPoint_);
    chart()->layer(kOverlayLayer)->replot();
}

double PlotWindow::referenceX() const {
    return hasReference() ? reference_->point1->coords().x()
                          : std::numeric_limits<double>::quiet_NaN();
}

void PlotWindow::setOrderMarkers(const QList<ShaftOrder>& orders) {
    QCustomPlot* plot = chart();
    for (const auto& [line, label] : std::as_const(orderItems_)) {
        plot->removeItem(line);
        plot->removeItem(label);
    }
    orderItems_.clear();
    orderMarkers_.clear();
    for (const ShaftOrder& order : orders) {
        if (order.state != ShaftOrderState::Marked)
            continue;
        const QColor colour = order.bearing                        ? kBearingMarkerColour
                              : order.shaft == QLatin1String("N1") ? kN1OrderColour
                                                                   : kN2OrderColour;
        auto* line = new QCPItemStraightLine(plot);
        line->setPen(QPen(colour, 1, Qt::DotLine));
        line->point1->setCoords(order.frequencyHz, 0);
        line->point2->setCoords(order.frequencyHz, 1);
        auto* label = new QCPItemText(plot);
        // Above every line, so that no marker crosses another's label.
        label->setLayer(kOverlayLayer);
        label->position->setType(QCPItemPosition::ptAbsolute);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(order.markerLabel());
        label->setFont(readoutFont());
        label->setColor(colour);
        label->setBrush(kLabelBackground);
        label->setPadding(QMargins(3, 1, 3, 1));
        orderItems_.append({line, label});
        orderMarkers_.append({order.frequencyHz, label->text(), false, QRectF()});
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}

// Runs whenever the chart has been laid out, before it draws: a zoom, a pan or a new size
// moves the markers' columns. A marker outside the X range is not drawn, and the labels are
// placed so that they cover neither each other nor an axis.
void PlotWindow::layOutOrderMarkers() {
    if (orderItems_.isEmpty())
        return;
    QCustomPlot* plot = chart();
    const QRectF area = plot->axisRect()->rect();
    QList<MarkerLabel> labels;
    for (int i = 0; i < orderItems_.size(); ++i)
        labels.append({plot->xAxis->coordToPixel(orderMarkers_.at(i).x),
                       textBoxSize(*orderItems_.at(i).second)});
    // Below the row a read-out box takes in a top corner.
    const double top = textBoxSize(*readout_).height() + 2 * kReadoutMargin;
    const QList<PlacedMarker> placed = placeMarkerLabels(labels, area, top, kOrderLabelGap);
    for (int i = 0; i < orderItems_.size(); ++i) {
        const auto& [line, label] = orderItems_.at(i);
        Marker& marker = orderMarkers_[i];
        marker.shown = placed.at(i).shown;
        marker.labelRect = placed.at(i).label;
        line->setVisible(marker.shown);
        label->setVisible(!marker.labelRect.isEmpty());
        label->position->setCoords(marker.labelRect.topLeft());
    }
}

QList<PlotWindow::Marker> PlotWindow::orderMarkers() const {
    return orderMarkers_;
}

PlotWindow::LevelLine PlotWindow::makeLevelLine(const QColor& colour, double width,
                                                Qt::PenStyle style) {
    LevelLine level{new QCPItemStraightLine(chart()), new QCPItemText(chart())};
    level.line->setPen(QPen(colour, width, style));
    level.line->setVisible(false);
    // The level's label sits on the line at the right end of the axis.
    level.label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    level.label->position->setTypeY(QCPItemPosition::ptPlotCoords);
    level.label->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    level.label->setFont(readoutFont());
    level.label->setColor(colour);
    level.label->setPadding(QMargins(3, 1, 3, 2));
    level.label->setVisible(false);
    return level;
}

void PlotWindow::showLevelLine(const LevelLine& line, std::optional<double> level,
                               const QString& text, double& yLower, double& yUpper) {
    const bool shown = level && std::isfinite(*level);
    if (shown) {
        yUpper = std::max(yUpper, *level);
        yLower = std::min(yLower, *level);
        line.line->point1->setCoords(0, *level);
        line.line->point2->setCoords(1, *level);
        line.label->position->setCoords(0.995, *level);
        line.label->setText(text.arg(QString::asprintf("%g", *level)));
    }
    line.line->setVisible(shown);
    line.label->setVisible(shown);
}

double PlotWindow::levelLineY(const LevelLine& line) {
    return line.line->visible() ? line.line->point1->coords().y()
                                : std::numeric_limits<double>::quiet_NaN();
}

double PlotWindow::alertLineY() const {
    return levelLineY(alertLine_);
}

double PlotWindow::warningLineY() const {
    return levelLineY(warningLine_);
}

double PlotWindow::alarmLineY() const {
    return levelLineY(alarmLine_);
}

int PlotWindow::hollowPointCount(int series) const {
    const QCPGraph* hollow = hollowGraphs_.value(series);
    return hollow == nullptr ? 0 : hollow->dataCount();
}

bool PlotWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chart() && event->type() == QEvent::Leave)
        hideReadout();
    return ChartView::eventFilter(watched, event);
}

void PlotWindow::followMouse(const QPointF& position) {
    QCustomPlot* plot = chart();
    if (currentSeries_ < 0 || currentSeries_ >= view_.series.size() ||
        view_.series.at(currentSeries_).x.isEmpty() ||
        !plot->axisRect()->rect().contains(position.toPoint())) {
        hideReadout();
        return;
    }
    if (view_.waterfall)
        followTrace(plot->yAxis->pixelToCoord(position.y()));
    const int point = pointNearPixel(position.x());
    if (point == pickedPoint_)
        return;
    showReadoutAt(point);
    plot->layer(kOverlayLayer)->replot();
    emit pointPicked(point);
}

// The waterfall's trace whose resting level lies nearest to the cursor's height.
void PlotWindow::followTrace(double y) {
    int nearest = 0;
    for (int trace = 1; trace < view_.series.size(); ++trace) {
        if (std::abs(waterfallTraceOffset(view_, trace) - y) <
            std::abs(waterfallTraceOffset(view_, nearest) - y))
            nearest = trace;
    }
    if (nearest == pickedTrace_)
        return;
    pickedTrace_ = nearest;
    emit traceUnderCursor(nearest);
}

// The current series' point nearest to the pixel column; -1 when the series has none.
int PlotWindow::pointNearPixel(double pixelX) const {
    if (currentSeries_ < 0 || currentSeries_ >= view_.series.size() ||
        view_.series.at(currentSeries_).x.isEmpty())
        return -1;
    return nearestPoint(view_.series.at(currentSeries_).x, chart()->xAxis->pixelToCoord(pixelX));
}

void PlotWindow::showReadoutAt(int point) {
    const PlotSeries& series = view_.series.at(currentSeries_);
    pickedPoint_ = point;
    const double x = series.x.at(point);
    readout_->setText(hasReference()
                          ? deltaReadoutText(view_, seriesSelection_, currentSeries_, point,
                                             referenceSeries_, referencePoint_)
                          : ::readoutText(view_, seriesSelection_, currentSeries_, point));
    readout_->setBrush(series.y.at(point) < 0 ? kReadoutNegative : kReadoutPositive);
    placeReadout(x, series.y.at(point));
    readout_->setVisible(true);
    marker_->point1->setCoords(x, 0);
    marker_->point2->setCoords(x, 1);
    marker_->setVisible(true);
}

// The box goes to the corner of the plot area away from the point, so that it never hides it.
// A value that is no finite number has no height: the box only keeps clear of its column.
void PlotWindow::placeReadout(double x, double y) {
    QCustomPlot* plot = chart();
    const QRectF area = plot->axisRect()->rect();
    const QPointF point(plot->xAxis->coordToPixel(x),
                        std::isfinite(y) ? plot->yAxis->coordToPixel(y) : area.center().y());
    const QMargins padding = readout_->padding();
    const QSizeF box =
        QFontMetricsF(readout_->font())
            .boundingRect(QRectF(), Qt::TextDontClip | readout_->textAlignment(), readout_->text())
            .size()
            .grownBy(QMarginsF(padding));
    const QRectF placed =
        readoutBoxRect(area, box, readoutCorner(area, box, point, kReadoutMargin), kReadoutMargin);
    readout_->position->setCoords((placed.left() - area.left()) / std::max(1.0, area.width()),
                                  (placed.top() - area.top()) / std::max(1.0, area.height()));
}

QRectF PlotWindow::readoutRect() const {
    return QRectF(readout_->topLeft->pixelPosition(), readout_->bottomRight->pixelPosition());
}

void PlotWindow::hideReadout() {
    const bool shown = readout_->visible() || marker_->visible();
    clearReadout();
    if (shown)
        chart()->layer(kOverlayLayer)->replot();
}

void PlotWindow::clearReadout() {
    pickedPoint_ = -1;
    readout_->setVisible(false);
    marker_->setVisible(false);
}

void PlotWindow::mousePressed(QMouseEvent* event) {
    pressPosition_ = event->position().toPoint();
    const bool rubberBand =
        event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier));
    chart()->setSelectionRectMode(rubberBand ? QCP::srmZoom : QCP::srmNone);
}

void PlotWindow::mouseReleased(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (event->button() != Qt::LeftButton ||
        (position - pressPosition_).manhattanLength() > kClickSlack ||
        !chart()->axisRect()->rect().contains(position))
        return;
    if (!event->modifiers().testFlag(Qt::ShiftModifier)) {
        emit plotAreaClicked();
        return;
    }
    const int point = pointNearPixel(position.x());
    if (point < 0)
        return;
    if (referenceSeries_ == currentSeries_ && referencePoint_ == point) {
        clearReference();
    } else {
        setReference(currentSeries_, point);
        // The read-out shows the clicked point measured from itself until the mouse moves.
        showReadoutAt(point);
        chart()->layer(kOverlayLayer)->replot();
    }
}

void PlotWindow::legendClicked(QCPAbstractLegendItem* item) {
    auto* entry = qobject_cast<QCPPlottableLegendItem*>(item);
    const int series =
        entry ? int(graphs_.indexOf(qobject_cast<QCPGraph*>(entry->plottable()))) : -1;
    emit seriesClicked(series);
}
