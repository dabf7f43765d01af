#include "ChartView.h"

#include "ChartFonts.h"

#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {

// Room between the chart's contents and the widget's edges.
const QMargins kChartMargins(4, 4, 12, 4);

// Two lines as one text element; an absent second line takes no room.
QString twoLines(const QString& line1, const QString& line2) {
    return line2.isEmpty() ? line1 : line1 + QLatin1Char('\n') + line2;
}

// A text element that takes no room while it has nothing to say, so that a chart without a
// footer gives the plot the space.
void showText(QCPTextElement* element, const QString& text) {
    element->setText(text);
    element->setVisible(!text.isEmpty());
}

QString lineOf(const QString (&lines)[2], int line) {
    return line == 1 || line == 2 ? lines[line - 1] : QString();
}

} // namespace

ChartView::ChartView(QWidget* parent)
    : QWidget(parent), chart_(new QCustomPlot(this)), plotRow_(new QCPLayoutGrid),
      header_(new QCPTextElement(chart_, QString(), chartTextFont())),
      footer_(new QCPTextElement(chart_, QString(), chartTextFont())) {
    chart_->setObjectName(QStringLiteral("Chart"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_);

    // Header, then the axis rect (with room for a legend beside it), then the footer.
    QCPLayoutGrid* rows = chart_->plotLayout();
    QCPLayoutElement* axisRect = rows->takeAt(0);
    rows->simplify();
    rows->addElement(0, 0, header_);
    rows->addElement(1, 0, plotRow_);
    rows->addElement(2, 0, footer_);
    rows->setRowSpacing(0);
    rows->setMargins(kChartMargins);
    plotRow_->addElement(0, 0, axisRect);
    showText(header_, QString());
    showText(footer_, QString());
}

ChartView::~ChartView() = default;

void ChartView::setHeader(const QString& line1, const QString& line2) {
    headerLines_[0] = line1;
    headerLines_[1] = line2;
    showText(header_, twoLines(line1, line2));
}

void ChartView::setFooter(const QString& line1, const QString& line2) {
    footerLines_[0] = line1;
    footerLines_[1] = line2;
    showText(footer_, twoLines(line1, line2));
}

QString ChartView::headerLine(int line) const {
    return lineOf(headerLines_, line);
}

QString ChartView::footerLine(int line) const {
    return lineOf(footerLines_, line);
}

QCustomPlot* ChartView::chart() const {
    return chart_;
}

QCPLayoutGrid* ChartView::plotRow() const {
    return plotRow_;
}
