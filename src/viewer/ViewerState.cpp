#include "ViewerState.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ChartText.h"
#include "FlightIndicators.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "ViewerEvents.h"

#include <algorithm>
#include <utility>

namespace {

bool isSeriesSelector(ParameterType type) {
    return type == ParameterType::TimeHistory || isRecordSpectrum(type);
}

} // namespace

ViewerState::ViewerState(QList<FlightDataElement> flights, Notifier& notifier, BusyHook busy)
    : flights_(std::move(flights)), notifier_(notifier), busy_(std::move(busy)) {
    displayFlags_.fill(true);
    const ViewerSettings settings = readViewerSettings();
    selection_ = settings.selection;
    xGrid_ = settings.xGrid;
    yGrid_ = settings.yGrid;
    trend_ = settings.trend;
    trendRequest_.statistic = settings.trendStatistic;
    trendRequest_.indicator = settings.trendIndicator;
    orders_ = settings.orders;
    bearing_ = settings.bearing;
    decibels_ = settings.decibels;
    if (trend_) {
        // Opened on a record's parameter, the trend shows A4R without keeping it.
        if (!isTrendParameter(valueOf(selection_.parameterType)))
            selection_.parameterType = ParameterType::A4R;
        computeEngineTrend();
    }
    fitParameterToView();
    selection_.memoryType = BrixAircraftSettings().value(kPlotMemoryTypeKey, 0).toUInt() == 0
                                ? MemoryType::PreDefect
                                : MemoryType::PostDefect;
    fitSampleChoice();
}

ViewerUpdates ViewerState::handle(int code, quint32 value) {
    using U = ViewerUpdate;
    const bool on = value != 0;
    switch (code) {
    case kOpenViewerEvent:
        return U::Chart | U::Grids;
    case kPlotTypeEvent:
        return setPlotType(int(value));
    case kParameterEvent:
        return setParameterType(int(value));
    case kPreviousParameterEvent:
        return stepParameterType(-1);
    case kNextParameterEvent:
        return stepParameterType(1);
    case kTransientBinEvent:
        if (value >= quint32(FlightRecord::kTransientBinCount))
            return {};
        selection_.transientBin = int(value);
        storeViewerSetting(kTransientBinKey, selection_.transientBin);
        return U::Menus | U::Chart;
    case kSampleEvent:
        // A button clicked is checked already; one chosen otherwise is checked too.
        return chooseSample(int(std::min<quint32>(value, kSampleButtonCount)));
    case kSeriesClickedEvent:
        // The legend's entries are the chart's series: flights, or the trend's memory types.
        if (value < quint32(chartSeries_)) {
            currentSeries_ = int(value);
            return U::CurrentSeries | U::OrderMarkers | U::Tabulation;
        }
        return U::Tabulation;
    case kRangeChangedEvent:
        return U::Tabulation;
    case kTabulateEvent:
        return selection_.parameterType == ParameterType::Waterfall ? U::ExportWaterfall
                                                                    : U::OpenTabulation;
    case kShowSeriesEvent:
        return showSeries(value);
    case kSetupEvent:
        return U::Setup;
    case kXGridEvent:
        xGrid_ = on;
        storeViewerSetting(kXGridKey, xGrid_);
        return U::Grids;
    case kYGridEvent:
        yGrid_ = on;
        storeViewerSetting(kYGridKey, yGrid_);
        return U::Grids;
    case kWindowTypeEvent:
        selection_.windowType = int(value);
        storeViewerSetting(kWindowTypeKey, selection_.windowType);
        return U::Chart;
    case kPrintEvent:
        return U::Print;
    case kExportChartEvent:
        return U::ExportChart;
    case kResetZoomEvent:
        return U::ResetZoom;
    case kOrdersEvent:
        orders_ = on;
        storeViewerSetting(kPlotOrdersKey, orders_);
        return U::OrderMarkers | U::Tabulation;
    case kBearingEvent:
        bearing_ = on;
        storeViewerSetting(kPlotBearingKey, bearing_);
        return U::OrderMarkers | U::Tabulation;
    case kDecibelsEvent:
        decibels_ = on;
        storeViewerSetting(kPlotDecibelsKey, decibels_);
        return U::Chart;
    case kIndicatorEvent:
        return setIndicator(value);
    case kTrendStatisticEvent:
        trendRequest_.statistic = value == 1 ? TrendStatistic::Mean : TrendStatistic::Maximum;
        storeViewerSetting(kTrendStatisticKey, value == 1 ? 1 : 0);
        if (!trend_ || trendRequest_.indicator)
            return {};
        computeEngineTrend();
        return U::Chart;
    case kEscapeEvent:
        return U::Escape;
    case kCloseWindowEvent:
        return U::Close;
    default:
        return {};
    }
}

ViewerUpdates ViewerState::setPlotType(int plotType) {
    const bool trend = plotType == kTrendView;
    if (!trend && !plotTypeFromValue(plotType))
        return {};
    if (!viewOffered(plotType))
        return {};
    if (trend != trend_) {
        trend_ = trend;
        storeViewerSetting(kTrendShownKey, trend_);
    }
    if (trend) {
        // The records have no trend: the trend starts with A4R.
        if (!isTrendParameter(valueOf(selection_.parameterType))) {
            selection_.parameterType = ParameterType::A4R;
            storeViewerSetting(kParameterTypeKey, valueOf(selection_.parameterType));
        }
        computeEngineTrend();
    } else {
        selection_.plotType = static_cast<PlotType>(plotType);
        storeViewerSetting(kPlotTypeKey, plotType);
        if (fitParameterToView())
            storeViewerSetting(kParameterTypeKey, valueOf(selection_.parameterType));
    }
    fitSampleChoice();
    return ViewerUpdate::SampleSelector | ViewerUpdate::Menus | ViewerUpdate::Chart;
}

ViewerUpdates ViewerState::setParameterType(int parameterType) {
    const std::optional<ParameterType> type = parameterTypeFromValue(parameterType);
    // The envelope spectrum is only chosen where the view offers it.
    if (!type || (*type == ParameterType::EnvelopeFft && !parameterOffered(parameterType)))
        return {};
    selection_.parameterType = *type;
    storeViewerSetting(kParameterTypeKey, parameterType);
    if (trendRequest_.indicator) {
        trendRequest_.indicator.reset();
        storeViewerSetting(kTrendIndicatorKey, QString());
    }
    if (trend_)
        computeEngineTrend();
    fitSampleChoice();
    return ViewerUpdate::SampleSelector | ViewerUpdate::Menus | ViewerUpdate::Chart;
}

// An indicator is a value per flight: choosing one shows its trend.
ViewerUpdates ViewerState::setIndicator(quint32 indicator) {
    if (indicator >= quint32(kIndicatorCount))
        return {};
    trendRequest_.indicator = static_cast<Indicator>(indicator);
    storeViewerSetting(kTrendIndicatorKey, indicatorName(int(indicator)));
    if (!trend_) {
        trend_ = true;
        storeViewerSetting(kTrendShownKey, trend_);
    }
    computeEngineTrend();
    fitSampleChoice();
    return ViewerUpdate::SampleSelector | ViewerUpdate::Menus | ViewerUpdate::Chart;
}

// The keys' way through the parameter menu: the next type the view offers, if any.
ViewerUpdates ViewerState::stepParameterType(int step) {
    for (int type = valueOf(selection_.parameterType) + step;
         type >= 0 && type < kParameterTypeCount; type += step) {
        if (parameterOffered(type))
            return setParameterType(type);
    }
    return {};
}

bool ViewerState::parameterOffered(int parameterType) const {
    if (trend_)
        return isTrendParameter(parameterType);
    const std::optional<ParameterType> type = parameterTypeFromValue(parameterType);
    return type && offeredInView(selection_.plotType, *type);
}

// The transient view has no envelope spectrum: it shows the transient record's plain
// spectrum instead. True when the parameter type changed.
bool ViewerState::fitParameterToView() {
    if (trend_ || selection_.plotType != PlotType::Transient ||
        selection_.parameterType != ParameterType::EnvelopeFft)
        return false;
    selection_.parameterType = ParameterType::Fft;
    return true;
}

bool ViewerState::viewOffered(int plotType) const {
    return plotType == kTrendView || !trendIndicator();
}

bool ViewerState::statisticApplies() const {
    return !trendIndicator();
}

std::optional<Indicator> ViewerState::trendIndicator() const {
    return trend_ ? trendRequest_.indicator : std::nullopt;
}

bool ViewerState::transientBinsOffered() const {
    return !trend_ && selection_.plotType == PlotType::Transient &&
           valueOf(selection_.parameterType) >= valueOf(ParameterType::A4R);
}

// The trend has neither samples nor flights to choose.
bool ViewerState::choosesSamples() const {
    return !trend_ && isSeriesSelector(selection_.parameterType);
}

bool ViewerState::choosesFlights() const {
    return !trend_ && selection_.parameterType == ParameterType::Waterfall;
}

// What button `button` stands for: the waterfall's flight number, or the sample.
int ViewerState::sampleValue(int button) const {
    return choosesFlights() && button < flights_.size() ? flights_[button].flightNumber : button;
}

SampleChoice ViewerState::sampleChoice() const {
    const ParameterType type = selection_.parameterType;
    const bool flights = choosesFlights();
    SampleChoice choice;
    choice.title = type == ParameterType::TimeHistory   ? kTimeHistorySamplesTitle
                   : type == ParameterType::Fft         ? kFftSamplesTitle
                   : type == ParameterType::EnvelopeFft ? kEnvelopeSamplesTitle
                   : flights                            ? kWaterfallFlightsTitle
                                                        : kUnusedSamplesTitle;
    choice.enabled = choosesSamples() || flights;
    choice.shown = flights                                      ? int(flights_.size())
                   : selection_.plotType == PlotType::Transient ? kTransientSampleButtons
                                                                : kSampleButtonCount;
    for (int button = 0; button < kSampleButtonCount; ++button)
        choice.texts.append(QString::number(
            flights && button < flights_.size() ? flights_[button].flightNumber : button + 1));
    if (choice.shown > 0)
        choice.checked = 0;
    for (int button = 0; choice.enabled && button < choice.shown; ++button) {
        // Two files may hold the same flight number: the chosen file's button is checked.
        const bool same = flights
                              ? flights_[button].flightNumber == selection_.flightNumber &&
                                    selection_.flightCreationTime == flights_[button].creationTime()
                              : button == selection_.sample;
        if (same) {
            choice.checked = button;
            break;
        }
    }
    return choice;
}

// Keeps the remembered sample or waterfall flight when the selector shows it (the first of
// its number), else chooses the first button.
void ViewerState::fitSampleChoice() {
    const SampleChoice shown = sampleChoice();
    if (!shown.enabled)
        return;
    const int remembered = choosesFlights() ? selection_.flightNumber : selection_.sample;
    for (int button = 0; button < shown.shown; ++button) {
        if (sampleValue(button) == remembered) {
            if (choosesFlights())
                selection_.flightCreationTime = flights_[button].creationTime();
            return;
        }
    }
    if (shown.shown > 0)
        takeSample(0);
}

ViewerUpdates ViewerState::chooseSample(int button) {
    const SampleChoice shown = sampleChoice();
    if (!shown.enabled || button >= shown.shown)
        return {};
    takeSample(button);
    return ViewerUpdate::SampleSelector | ViewerUpdate::Chart;
}

// Takes the button's value as the remembered sample, or in the waterfall as the flight.
void ViewerState::takeSample(int button) {
    if (choosesFlights()) {
        selection_.flightNumber = sampleValue(button);
        selection_.flightCreationTime = flights_[button].creationTime();
        storeViewerSetting(kLastFlightKey, selection_.flightNumber);
    } else {
        selection_.sample = button;
        storeViewerSetting(kLastSampleKey, selection_.sample);
    }
}

ViewerUpdates ViewerState::showSeries(quint32 value) {
    const bool hide = (value & kHideSeriesFlag) != 0;
    const quint32 series = value & ~kHideSeriesFlag;
    if (series >= quint32(kSeriesFlagCount))
        return {};
    displayFlags_[series] = !hide;
    return selection_.parameterType == ParameterType::Waterfall ? ViewerUpdates()
                                                                : ViewerUpdate::SeriesVisibility;
}

bool ViewerState::displayFlag(int series) const {
    return series < 0 || series >= kSeriesFlagCount || displayFlags_[std::size_t(series)];
}

// The alert levels belong to the parameter types, not to the indicators.
std::optional<double> ViewerState::alertLevel() const {
    if (trendIndicator())
        return std::nullopt;
    return readTrendAlertLevel(selection_.parameterType);
}

ViewerUpdates ViewerState::setAlertLevel(std::optional<double> level) {
    if (!isTrendParameter(valueOf(selection_.parameterType)) || trendIndicator())
        return {};
    writeTrendAlertLevel(selection_.parameterType, level);
    return trend_ ? ViewerUpdates(ViewerUpdate::Chart) : ViewerUpdates();
}

ViewerUpdates ViewerState::setTraceUnderCursor(int trace) {
    waterfallTrace_ = trace;
    return ViewerUpdate::OrderMarkers;
}

void ViewerState::chartShows(int seriesCount) {
    chartSeries_ = std::max(0, seriesCount);
    // The trend's series are memory types, not the flights the setup's buttons stand for.
    if (trend_)
        currentSeries_ = std::max(0, std::min(currentSeries_, chartSeries_ - 1));
    waterfallTrace_ = std::min(waterfallTrace_, std::max(0, chartSeries_ - 1));
}

QString ViewerState::windowTitle() const {
    return trend_ ? kTrendViewerTitle : viewerWindowTitle(selection_.plotType);
}

// Every stored flight of the loaded flights' engine, over all its raw files.
void ViewerState::computeEngineTrend() {
    if (flights_.isEmpty())
        return;
    trendRequest_.aircraftId = flights_.constFirst().aircraftId;
    trendRequest_.engineNumber = flights_.constFirst().engineNumber;
    trendRequest_.parameterType = selection_.parameterType;
    if (busy_)
        busy_(true);
    trendResult_ = engineTrend(dataDirectory(), trendRequest_, notifier_);
    if (busy_)
        busy_(false);
}

PlotView ViewerState::view() const {
    if (trend_)
        return buildTrendView(trendResult_, trendRequest_, alertLevel());
    const PlotView view = buildPlotView(selection_, flights_);
    return decibels_ ? decibelView(view, selection_) : view;
}

QList<ShaftOrder> ViewerState::orderMarkers(const PlotView& shown) const {
    if (trend_)
        return {};
    const int series =
        selection_.parameterType == ParameterType::Waterfall ? waterfallTrace_ : currentSeries_;
    return viewShaftOrders(shown, selection_, flights_, series, markerChoice());
}

QStringList ViewerState::tabulationNotes(const PlotView& shown) const {
    QString text;
    const ParameterType type = selection_.parameterType;
    if (trend_) {
        if (const std::optional<double> level = alertLevel())
            text += alertListText(flightsAboveAlert(trendResult_, *level), type, *level);
        text += trendSkippedNote(trendResult_);
    } else {
        text += shaftOrderTableText(
            viewShaftOrders(shown, selection_, flights_, currentSeries_, markerChoice()),
            shown.decibels);
    }
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
