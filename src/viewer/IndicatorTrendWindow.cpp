#include "IndicatorTrendWindow.h"

#include "ChartText.h"
#include "PlotWindow.h"

#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

IndicatorTrendWindow::IndicatorTrendWindow(const PlotView& view, QWidget* parent)
    : QWidget(parent, Qt::Window), plot_(new PlotWindow(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTrendViewerTitle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->loadView(view, PlotSelection{});
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    resize(kIndicatorTrendWindowWidth, kIndicatorTrendWindowHeight);
}
