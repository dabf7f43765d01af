#pragma once

#include "PlotSeries.h"

#include <QWidget>

class PlotWindow;

// A window of its own showing one trend view in the viewer's chart, with its read-out, zoom
// and pan; Esc closes it. The Fleet Health window opens one per engine it is asked about.
class IndicatorTrendWindow : public QWidget {
    Q_OBJECT

public:
    explicit IndicatorTrendWindow(const PlotView& view, QWidget* parent = nullptr);

    PlotWindow* plotWindow() const { return plot_; }

private:
    PlotWindow* plot_ = nullptr;
};

// The window's size when it opens: room for the chart on a 1024x600 screen.
inline constexpr int kIndicatorTrendWindowWidth = 900;
inline constexpr int kIndicatorTrendWindowHeight = 520;
