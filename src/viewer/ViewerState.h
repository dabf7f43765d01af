#pragma once

#include "Decibels.h"
#include "FlightDataElement.h"
#include "PlotSeries.h"
#include "ShaftOrders.h"
#include "Trend.h"
#include "ViewerSettings.h"

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class Notifier;

// What the viewer's window does after its state changed: what it shows again, then what it
// runs or opens. The window takes them in this order.
enum class ViewerUpdate : unsigned {
    SampleSelector = 1u << 0, // the sample buttons, their caption and the chosen one
    Menus = 1u << 1,          // the view buttons and the parameter and bin menus
    Chart = 1u << 2,          // the view, the title, the order markers and an open tabulation
    Grids = 1u << 3,
    SeriesVisibility = 1u << 4, // the display flags on the flights' series
    CurrentSeries = 1u << 5,    // the highlighted series
    OrderMarkers = 1u << 6,
    Tabulation = 1u << 7, // the open tabulation, if any, follows the chart
    OpenTabulation = 1u << 8,
    ExportWaterfall = 1u << 9,
    ExportChart = 1u << 10,
    Print = 1u << 11,
    ResetZoom = 1u << 12,
    Setup = 1u << 13,
    Escape = 1u << 14, // removes the chart's reference cursor if one is set, else closes
    Close = 1u << 15,
};
Q_DECLARE_FLAGS(ViewerUpdates, ViewerUpdate)
Q_DECLARE_OPERATORS_FOR_FLAGS(ViewerUpdates)

// What the sample selector shows: a caption and kSampleButtonCount buttons, of which the
// first `shown` are visible.
struct SampleChoice {
    QString title;
    bool enabled = false; // the samples or the waterfall's flights can be chosen
    int shown = 0;
    QStringList texts; // every button's text
    int checked = -1;  // the chosen button, or -1
};

// The sample selector's captions.
inline const QString kTimeHistorySamplesTitle = QStringLiteral("Time History: Sample Number");
inline const QString kFftSamplesTitle = QStringLiteral("FFT: Sample Number");
inline const QString kEnvelopeSamplesTitle = QStringLiteral("Envelope FFT: Sample Number");
inline const QString kWaterfallFlightsTitle = QStringLiteral("Waterfall FFT: Flight Number");
inline const QString kUnusedSamplesTitle = QStringLiteral("Unused");

// The data viewer without its window: the loaded flights, the view chosen on them (steady
// state, transient, or the trend of their engine over every stored flight), the parameter
// type or, in the trend, the condition indicator, the transient bin, the sample or waterfall
// flight, the grids, the series shown, the spectrum options and the trend's statistic and alert
// level. It opens with what was chosen last and keeps every choice for the next opening. Each event
// code of the viewer's windows (ViewerEvents.h) changes it here, and says what the window must then
// show or run.
class ViewerState {
public:
    static constexpr int kSeriesFlagCount = 10;
    static constexpr int kSampleButtonCount = 26;
    static constexpr int kTransientSampleButtons = 10;
    // The plot type event's value of the trend, beside the plot types of the other two views.
    static constexpr int kTrendView = 2;

    // Called with true before the trend is computed over every stored flight, with false after.
    using BusyHook = std::function<void(bool busy)>;

    // The index that an indicator's trend reads reports through `notifier`.
    ViewerState(QList<FlightDataElement> flights, Notifier& notifier, BusyHook busy = {});

    // Event `code` with its value (a button's, a menu item's, the setup's; see ViewerEvents.h;
    // the sample event's value is the index of the sample button).
    ViewerUpdates handle(int code, quint32 value = 0);
    // The setup's alert level of the trend's parameter type; nothing clears it.
    ViewerUpdates setAlertLevel(std::optional<double> level);
    // The waterfall's trace under the cursor, whose orders are marked.
    ViewerUpdates setTraceUnderCursor(int trace);
    // The chart loaded the view and shows `seriesCount` series (a view that builds nothing
    // leaves the last ones).
    void chartShows(int seriesCount);

    const QList<FlightDataElement>& flights() const { return flights_; }
    const PlotSelection& selection() const { return selection_; }
    bool trendShown() const { return trend_; }
    TrendStatistic trendStatistic() const { return trendRequest_.statistic; }
    // The indicator whose trend is shown; nothing when the trend is a parameter type's or
    // another view is shown.
    std::optional<Indicator> trendIndicator() const;
    const TrendResult& trend() const { return trendResult_; }
    bool xGrid() const { return xGrid_; }
    bool yGrid() const { return yGrid_; }
    bool orders() const { return orders_; }
    bool bearing() const { return bearing_; }
    // Which markers the spectra and waterfalls carry.
    MarkerChoice markerChoice() const { return {orders_, bearing_}; }
    bool decibels() const { return decibels_; }
    int currentSeries() const { return currentSeries_; }
    bool displayFlag(int series) const;
    std::optional<double> alertLevel() const;

    QString windowTitle() const;
    // Whether the parameter menu offers `parameterType` in this view.
    bool parameterOffered(int parameterType) const;
    // Whether the view buttons offer `plotType` (kTrendView for the trend): an indicator has
    // its trend only.
    bool viewOffered(int plotType) const;
    // Whether the setup's statistic applies to what is shown.
    bool statisticApplies() const;
    bool transientBinsOffered() const;
    SampleChoice sampleChoice() const;
    // The view the chart is to show: the trend, or the loaded flights' records, spectra in dB
    // when chosen.
    PlotView view() const;
    // The orders marked on the chart showing `shown`: of the current flight's spectrum, or of
    // the waterfall's trace under the cursor.
    QList<ShaftOrder> orderMarkers(const PlotView& shown) const;
    // What the tabulation of `shown` lists below its rows: the trend's alert list and
    // skipped-files note, or the order table of the tabulated spectrum.
    QStringList tabulationNotes(const PlotView& shown) const;

private:
    ViewerUpdates setPlotType(int plotType);
    ViewerUpdates setParameterType(int parameterType);
    ViewerUpdates setIndicator(quint32 indicator);
    ViewerUpdates stepParameterType(int step);
    ViewerUpdates chooseSample(int button);
    ViewerUpdates showSeries(quint32 value);
    bool fitParameterToView();
    void fitSampleChoice();
    void takeSample(int button);
    int sampleValue(int button) const;
    bool choosesSamples() const;
    bool choosesFlights() const;
    void computeEngineTrend();

    QList<FlightDataElement> flights_;
    Notifier& notifier_;
    BusyHook busy_;
    PlotSelection selection_;
    std::array<bool, kSeriesFlagCount> displayFlags_;
    bool xGrid_ = false;
    bool yGrid_ = false;
    bool trend_ = false;
    bool orders_ = kPlotOrdersDefault;
    bool bearing_ = kPlotBearingDefault;
    bool decibels_ = kPlotDecibelsDefault;
    int currentSeries_ = 0;
    int chartSeries_ = 0;
    // The waterfall trace whose orders are marked: the one last under the cursor.
    int waterfallTrace_ = 0;
    TrendRequest trendRequest_;
    TrendResult trendResult_;
};
