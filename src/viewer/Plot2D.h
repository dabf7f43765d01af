#pragma once

#include "Decibels.h"
#include "EventHandler.h"
#include "FlightDataElement.h"
#include "PlotSeries.h"
#include "ShaftOrders.h"
#include "Trend.h"
#include "ViewerSettings.h"

#include <QFont>
#include <QList>
#include <QMainWindow>

#include <array>

class Notifier;
class PlotWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QKeySequence;
class QLineEdit;
class QMenu;
class TabulateInfoWindow;
class UserPersist;

inline const QString kPlotForm = QStringLiteral("Plot2D");

inline const QString kNoDataText = QStringLiteral("No data exists for plotting");
// The sample selector's captions.
inline const QString kTimeHistorySamplesTitle = QStringLiteral("Time History: Sample Number");
inline const QString kFftSamplesTitle = QStringLiteral("FFT: Sample Number");
inline const QString kWaterfallFlightsTitle = QStringLiteral("Waterfall FFT: Flight Number");
inline const QString kUnusedSamplesTitle = QStringLiteral("Unused");
// The waterfall's export.
inline const QString kWaterfallExportTitle = QStringLiteral("Save Tabulated Data");
inline const QString kWaterfallExportFilter = QStringLiteral("Text Files (*.csv)");
// The chart export's size field: empty exports at the window's size.
inline const QString kChartSizeLabelText = QStringLiteral("Image size (WxH, empty: as shown):");

// The data viewer: the flights chosen in the flight selection, drawn in a chart, with the
// view (steady state, transient, or the trend of their engine over every stored flight), the
// parameter type, the transient bin and the sample
// or flight to choose, the data status, the setup, the tabulation and printing. It is a
// window of its own; every choice is remembered for the next opening.
class Plot2D : public QMainWindow, public EventHandler {
    Q_OBJECT

public:
    static constexpr int kSeriesFlagCount = 10;
    static constexpr int kSampleButtonCount = 26;
    // The trend button's value beside the plot types of the other two.
    static constexpr int kTrendButtonValue = 2;

    // Runs the flight selection. Without any stored flight it says so; without loaded
    // flights (none found, or the selection cancelled) it is to be discarded unshown.
    Plot2D(UserPersist& persist, const QFont& font, Notifier& notifier, QWidget* parent = nullptr);
    ~Plot2D() override;

    int handleEvent(int code) override;
    // An event that carries a value (the setup dialog's changes, the chart's legend clicks).
    void handleValueEvent(int code, quint32 value);

    bool hasFlights() const { return !flights_.isEmpty(); }
    const QList<FlightDataElement>& flights() const { return flights_; }
    const PlotSelection& selection() const { return selection_; }
    int currentSeries() const { return currentSeries_; }
    bool displayFlag(int series) const;
    bool xGrid() const { return xGrid_; }
    bool yGrid() const { return yGrid_; }
    PlotWindow* plotWindow() const { return plotWindow_; }
    // The open tabulation window, or nullptr.
    TabulateInfoWindow* tabulateWindow() const;
    // The save dialog of the waterfall's export, kept so it opens where it was left.
    QFileDialog* exportDialog() const { return exportDialog_; }
    // The save dialog of the chart export (File > Export Chart...), with its size field.
    QFileDialog* chartDialog() const { return chartDialog_; }
    bool trendShown() const { return trend_; }
    TrendStatistic trendStatistic() const { return trendRequest_.statistic; }
    bool ordersShown() const { return orders_; }
    bool decibels() const { return decibels_; }
    // The trend shown (or last shown).
    const TrendResult& trend() const { return trendResult_; }

private:
    void readSettings();
    void setUpToolBar();
    void addShortcut(QAbstractButton* button, const QKeySequence& key);
    void setUpMenus();
    void setUpSampleSelector();
    void showDataStatus();
    bool runFlightSelection();
    void updateSampleSelector();
    void selectSampleButton(QAbstractButton* button);
    void updateMenus();
    void replot();
    void setPlotType(int plotType);
    void computeEngineTrend();
    PlotView currentView() const;
    void updateOrderMarkers();
    QStringList tabulationNotes() const;
    void setAlertLevel(std::optional<double> level);
    void setParameterType(int parameterType);
    void stepParameterType(int step);
    void chooseSample(QAbstractButton* button);
    void showSeries(quint32 value);
    void runSetup();
    void tabulate(bool activate);
    void exportWaterfall();
    void setUpChartDialog();
    void exportChart();
    void closeTabulation();

    UserPersist& persist_;
    QFont font_;
    Notifier& notifier_;
    QList<FlightDataElement> flights_;
    PlotSelection selection_;
    std::array<bool, kSeriesFlagCount> displayFlags_;
    bool xGrid_ = false;
    bool yGrid_ = false;
    int currentSeries_ = 0;
    // The waterfall trace whose orders are marked: the one last under the cursor.
    int waterfallTrace_ = 0;
    quint32 eventValue_ = 0;

    PlotWindow* plotWindow_ = nullptr;
    QAbstractButton* steadyState_ = nullptr;
    QAbstractButton* transient_ = nullptr;
    QAbstractButton* trendButton_ = nullptr;
    bool trend_ = false;
    bool orders_ = kPlotOrdersDefault;
    bool decibels_ = kPlotDecibelsDefault;
    TrendRequest trendRequest_;
    TrendResult trendResult_;
    QGroupBox* sampleGroup_ = nullptr;
    QButtonGroup* sampleButtons_ = nullptr;
    QAbstractButton* indicator_ = nullptr;
    QList<QAction*> parameterItems_;
    QList<QAction*> transientBinItems_;
    QMenu* transientBinMenu_ = nullptr;
    QFileDialog* exportDialog_ = nullptr;
    QFileDialog* chartDialog_ = nullptr;
    QLineEdit* chartSize_ = nullptr;
};
