#pragma once

#include <QString>
#include <QtGlobal>

class Notifier;
class PlotWindow;
class QFileDialog;
class QFont;
class QLineEdit;
class QWidget;

// The waterfall's export.
inline const QString kWaterfallExportTitle = QStringLiteral("Save Tabulated Data");
inline const QString kWaterfallExportFilter = QStringLiteral("Text Files (*.csv)");
// The chart export's size field: empty exports at the window's size.
inline const QString kChartSizeLabelText = QStringLiteral("Image size (WxH, empty: as shown):");

// The viewer's two save dialogs, the waterfall's CSV export and the chart export (with its
// size field), kept for the window's life so that each opens where it was left.
class ViewerSaveDialogs {
public:
    ViewerSaveDialogs(QWidget* viewer, const QFont& font, Notifier& notifier);

    QFileDialog* waterfallDialog() const { return waterfall_; }
    QFileDialog* chartDialog() const { return chart_; }

    // Saves the waterfall's traces in the chart's visible range as CSV.
    void exportWaterfall(const PlotWindow& chart, qint32 flightNumber);
    // Saves the chart as shown in the format of the chosen name's extension (the chosen file
    // type's when it has none of them): at the size typed in the dialog, or at the chart's
    // size on screen, a PNG then in the screen's pixels.
    void exportChart(PlotWindow& chart);

private:
    Notifier& notifier_;
    QFileDialog* waterfall_ = nullptr;
    QFileDialog* chart_ = nullptr;
    QLineEdit* chartSize_ = nullptr;
};
