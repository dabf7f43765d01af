// The viewer's state without a window: what each event code does to it, what it keeps in the
// settings and what it asks the window to show or run; the sample selector it describes, the
// parameter types it offers, and the trend it computes over the stored flights.
#include "AircraftPaths.h"
#include "BrixAircraftSettings.h"
#include "CraftedRawFile.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"
#include "ViewerEvents.h"
#include "ViewerSettings.h"
#include "ViewerState.h"

#include <QDir>
#include <QVariantMap>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

namespace {

using U = ViewerUpdate;

// A loaded flight of AC001's engine 1 with an empty record.
FlightDataElement flight(qint32 number, quint32 creationTime = 1000) {
    FlightDataElement loaded;
    loaded.aircraftId = QStringLiteral("AC001");
    loaded.engineNumber = 1;
    loaded.flightNumber = number;
    loaded.fileHeader = QByteArray(304, '\0');
    qToLittleEndian(creationTime, loaded.fileHeader.data() + 56);
    loaded.flightRecord = QByteArray(137736, '\0');
    return loaded;
}

QVariantMap storedSettings() {
    BrixAircraftSettings settings;
    QVariantMap stored;
    for (const QString& key : settings.allKeys())
        stored.insert(key, settings.value(key));
    return stored;
}

struct EventRow {
    const char* name;
    QVariantMap before; // the settings the viewer opens with
    int code;
    quint32 value;
    ViewerUpdates updates;
    QVariantMap written; // the settings the event keeps
    std::function<void(const ViewerState&)> check = {};
};

const QVariantMap kFft = {{kParameterTypeKey, valueOf(ParameterType::Fft)}, {kLastSampleKey, 0}};
const QVariantMap kWaterfall = {{kParameterTypeKey, valueOf(ParameterType::Waterfall)},
                                {kLastFlightKey, 101}};
const QVariantMap kTransient = {{kPlotTypeKey, 1}, {kParameterTypeKey, 3}};
const QVariantMap kEnvelope = {{kParameterTypeKey, valueOf(ParameterType::EnvelopeFft)},
                               {kLastSampleKey, 4}};
const QVariantMap kTrend = {{kTrendShownKey, true}};

const auto kTransientTitle = [](const ViewerState& s) {
    EXPECT_EQ(s.selection().plotType, PlotType::Transient);
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Transient 2-D Data Viewer"));
};
const auto kTrendTitle = [](const ViewerState& s) {
    EXPECT_TRUE(s.trendShown());
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Engine Trend Viewer"));
};
const auto kSecondFlightFromItsFile = [](const ViewerState& s) {
    EXPECT_EQ(s.selection().flightCreationTime, 2000u);
    EXPECT_EQ(s.sampleChoice().checked, 1);
};
const auto kRecordView = U::SampleSelector | U::Menus | U::Chart;
const QVariantMap kKurtosis = {{kTrendShownKey, true}, {kTrendIndicatorKey, "kurtosis"}};
// The trend of kurtosis, with neither the record views nor a statistic or alert level of its own.
const auto kKurtosisTrend = [](const ViewerState& s) {
    EXPECT_EQ(s.trendIndicator(), Indicator::Kurtosis);
    EXPECT_TRUE(s.trendShown() && s.viewOffered(ViewerState::kTrendView));
    EXPECT_FALSE(s.viewOffered(0) || s.viewOffered(1) || s.statisticApplies());
    const PlotView view = s.view();
    EXPECT_EQ(view.yAxisTitle, QStringLiteral("kurtosis"));
    EXPECT_EQ(view.footer, QStringLiteral("Maximum over 26 bins"));
    EXPECT_FALSE(view.alertLevel);
};
constexpr int kFftValue = valueOf(ParameterType::Fft);
constexpr int kA4RValue = valueOf(ParameterType::A4R);
constexpr int kEnvelopeValue = valueOf(ParameterType::EnvelopeFft);

// clang-format off
const EventRow kEventRows[] = {
    {"OpenDrawsTheChartAndItsGrids", {}, kOpenViewerEvent, 0, U::Chart | U::Grids, {}},
    {"TransientButton", {}, kPlotTypeEvent, 1, kRecordView, {{kPlotTypeKey, 1}}, kTransientTitle},
    {"TrendButtonStartsWithA4R", kFft, kPlotTypeEvent, ViewerState::kTrendView, kRecordView,
     {{kTrendShownKey, true}, {kParameterTypeKey, kA4RValue}}, kTrendTitle},
    {"UnknownViewIsIgnored", {}, kPlotTypeEvent, 7, {}, {}},
    {"ParameterChoosesTheFirstSample", {}, kParameterEvent, kFftValue, kRecordView,
     {{kParameterTypeKey, kFftValue}, {kLastSampleKey, 0}}},
    {"UnknownParameterIsIgnored", {}, kParameterEvent, 17, {}, {}},
    {"EnvelopeChoosesABin", {}, kParameterEvent, kEnvelopeValue, kRecordView,
     {{kParameterTypeKey, kEnvelopeValue}, {kLastSampleKey, 0}},
     [](const ViewerState& s) {
         EXPECT_EQ(s.sampleChoice().title, QStringLiteral("Envelope FFT: Sample Number"));
         EXPECT_EQ(s.sampleChoice().shown, 26);
     }},
    {"NoEnvelopeInTheTransientView", kTransient, kParameterEvent, kEnvelopeValue, {}, {}},
    {"TransientViewShowsTheEnvelopesBinAsAnFft", kEnvelope, kPlotTypeEvent, 1, kRecordView,
     {{kPlotTypeKey, 1}, {kParameterTypeKey, kFftValue}},
     [](const ViewerState& s) { EXPECT_EQ(s.selection().parameterType, ParameterType::Fft); }},
    {"PageDownFromTheWaterfallToTheEnvelope", kWaterfall, kNextParameterEvent, 0, kRecordView,
     {{kParameterTypeKey, kEnvelopeValue}, {kLastSampleKey, 0}}},
    {"PageUpSkipsWhatTheTransientViewLacks", kTransient, kPreviousParameterEvent, 0, kRecordView,
     {{kParameterTypeKey, 0}}},
    {"PageDownStopsAtTheLastParameter", kEnvelope, kNextParameterEvent, 0, {}, {}},
    {"PageDownStopsAtTheTransientViewsLast",
     {{kPlotTypeKey, 1}, {kParameterTypeKey, valueOf(ParameterType::Waterfall)}},
     kNextParameterEvent, 0, {}, {}},
    {"TransientBin", kTransient, kTransientBinEvent, 3, U::Menus | U::Chart,
     {{kTransientBinKey, 3}}},
    {"UnknownTransientBinIsIgnored", kTransient, kTransientBinEvent, 4, {}, {}},
    {"PlotAreaClickLeavesTheState", {}, kPlotAreaClickedEvent, 0, {}, {}},
    {"LegendClickMakesTheSeriesCurrent", {}, kSeriesClickedEvent, 1,
     U::CurrentSeries | U::OrderMarkers | U::Tabulation, {},
     [](const ViewerState& s) { EXPECT_EQ(s.currentSeries(), 1); }},
    {"LegendClickBeyondTheChartsSeries", {}, kSeriesClickedEvent, 2, U::Tabulation, {},
     [](const ViewerState& s) { EXPECT_EQ(s.currentSeries(), 0); }},
    {"HideSeries", {}, kShowSeriesEvent, 1 | kHideSeriesFlag, U::SeriesVisibility, {},
     [](const ViewerState& s) { EXPECT_FALSE(s.displayFlag(1)); }},
    {"WaterfallTracesKeepTheirFlags", kWaterfall, kShowSeriesEvent, 1 | kHideSeriesFlag, {}, {}},
    {"SeriesBeyondTheFlagsIsIgnored", {}, kShowSeriesEvent, 10 | kHideSeriesFlag, {}, {}},
    {"Setup", {}, kSetupEvent, 0, U::Setup, {}},
    {"XGrid", {}, kXGridEvent, 1, U::Grids, {{kXGridKey, true}},
     [](const ViewerState& s) { EXPECT_TRUE(s.xGrid() && !s.yGrid()); }},
    {"YGrid", {{kYGridKey, true}}, kYGridEvent, 0, U::Grids, {{kYGridKey, false}}},
    {"Print", {}, kPrintEvent, 0, U::Print, {}},
    {"Tabulate", {}, kTabulateEvent, 0, U::OpenTabulation, {}},
    {"TabulateTheWaterfallExportsIt", kWaterfall, kTabulateEvent, 0, U::ExportWaterfall, {}},
    {"SaveTabulationBelongsToTheTabulation", {}, kSaveTabulationEvent, 0, {}, {}},
    {"ResetZoom", {}, kResetZoomEvent, 0, U::ResetZoom, {}},
    {"RangeChangeRefreshesTheTabulation", {}, kRangeChangedEvent, 0, U::Tabulation, {}},
    {"Sample", kFft, kSampleEvent, 5, U::SampleSelector | U::Chart, {{kLastSampleKey, 5}}},
    {"TransientSampleBeyondItsTen", {{kPlotTypeKey, 1}, {kParameterTypeKey, kFftValue}},
     kSampleEvent, 10, {}, {}},
    {"NoSampleToChooseForA4R", {}, kSampleEvent, 2, {}, {}},
    {"WaterfallFlight", kWaterfall, kSampleEvent, 1, U::SampleSelector | U::Chart,
     {{kLastFlightKey, 102}}, kSecondFlightFromItsFile},
    {"WindowType", {}, kWindowTypeEvent, 1, U::Chart, {{kWindowTypeKey, 1}}},
    {"CloseButton", {}, kCloseWindowEvent, 0, U::Close, {}},
    {"Orders", {}, kOrdersEvent, 1, U::OrderMarkers | U::Tabulation, {{kPlotOrdersKey, true}}},
    {"Decibels", {}, kDecibelsEvent, 1, U::Chart, {{kPlotDecibelsKey, true}}},
    {"StatisticOutsideTheTrendIsOnlyKept", {}, kTrendStatisticEvent, 1, {},
     {{kTrendStatisticKey, 1}}},
    {"StatisticOfTheTrend", kTrend, kTrendStatisticEvent, 1, U::Chart, {{kTrendStatisticKey, 1}},
     [](const ViewerState& s) { EXPECT_EQ(s.trendStatistic(), TrendStatistic::Mean); }},
    {"Escape", {}, kEscapeEvent, 0, U::Escape, {}},
    {"ExportChart", {}, kExportChartEvent, 0, U::ExportChart, {}},
    {"IndicatorShowsItsTrendOnly", {}, kIndicatorEvent, 3, kRecordView,
     {{kTrendShownKey, true}, {kTrendIndicatorKey, "kurtosis"}}, kKurtosisTrend},
    {"UnknownIndicatorIsIgnored", {}, kIndicatorEvent, 10, {}, {}},
    {"NoRecordViewOfAnIndicator", kKurtosis, kPlotTypeEvent, 0, {}, {}, kKurtosisTrend},
    {"StatisticLeavesTheIndicatorsTrend", kKurtosis, kTrendStatisticEvent, 1, {},
     {{kTrendStatisticKey, 1}}, kKurtosisTrend},
    {"ParameterTypeTakesTheIndicatorsPlace", kKurtosis, kParameterEvent, kA4RValue, kRecordView,
     {{kParameterTypeKey, kA4RValue}, {kTrendIndicatorKey, ""}},
     [](const ViewerState& s) {
         EXPECT_FALSE(s.trendIndicator());
         EXPECT_TRUE(s.viewOffered(0) && s.statisticApplies());
         EXPECT_EQ(s.view().yAxisTitle, QStringLiteral("A4R"));
     }},
};
// clang-format on

class ViewerEventTest : public ::testing::TestWithParam<EventRow> {
protected:
    RecordingNotifier notifier;
};

TEST_P(ViewerEventTest, ChangesTheStateKeepsItAndSaysWhatToShow) {
    const EventRow& row = GetParam();
    resetSettingsAndHome();
    freshDataDirectory();
    for (auto it = row.before.begin(); it != row.before.end(); ++it)
        storeViewerSetting(it.key(), it.value());
    ViewerState state({flight(101, 1000), flight(102, 2000)}, notifier);
    state.chartShows(2);
    const QVariantMap opened = storedSettings();

    EXPECT_EQ(state.handle(row.code, row.value).toInt(), row.updates.toInt());
    QVariantMap expected = opened;
    expected.insert(row.written);
    EXPECT_EQ(storedSettings(), expected);
    if (row.check)
        row.check(state);
}

INSTANTIATE_TEST_SUITE_P(EveryEvent, ViewerEventTest, ::testing::ValuesIn(kEventRows),
                         [](const auto& info) { return std::string(info.param.name); });

class ViewerStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        data = freshDataDirectory();
    }
    QString data;
    RecordingNotifier notifier;
};

TEST_F(ViewerStateTest, TheSampleSelectorShowsWhatEachViewChoosesFrom) {
    storeViewerSetting(kParameterTypeKey, valueOf(ParameterType::TimeHistory));
    storeViewerSetting(kLastSampleKey, 3);
    ViewerState state({flight(101, 1000), flight(101, 2000), flight(205)}, notifier);
    SampleChoice choice = state.sampleChoice();
    EXPECT_EQ(choice.title, kTimeHistorySamplesTitle);
    EXPECT_TRUE(choice.enabled);
    EXPECT_EQ(choice.shown, 26);
    EXPECT_EQ(choice.texts.value(25), QStringLiteral("26"));
    EXPECT_EQ(choice.checked, 3);

    // The transient view's ten samples: the remembered fourth is kept.
    state.handle(kPlotTypeEvent, 1);
    EXPECT_EQ(state.sampleChoice().shown, 10);
    EXPECT_EQ(state.sampleChoice().checked, 3);

    // The waterfall's flights, by number; the remembered flight's first file is chosen.
    storeViewerSetting(kLastFlightKey, 101);
    state.handle(kParameterEvent, valueOf(ParameterType::Waterfall));
    choice = state.sampleChoice();
    EXPECT_EQ(choice.title, kWaterfallFlightsTitle);
    EXPECT_EQ(choice.shown, 3);
    EXPECT_EQ(choice.texts.mid(0, 4), QStringList({"101", "101", "205", "4"}));
    EXPECT_EQ(state.selection().flightCreationTime, 1000u);
    state.handle(kSampleEvent, 1);
    EXPECT_EQ(state.selection().flightCreationTime, 2000u);
    EXPECT_EQ(state.sampleChoice().checked, 1);

    // Nothing to choose in the bin plots and the trend.
    state.handle(kParameterEvent, valueOf(ParameterType::N1));
    EXPECT_EQ(state.sampleChoice().title, kUnusedSamplesTitle);
    EXPECT_FALSE(state.sampleChoice().enabled);
}

TEST_F(ViewerStateTest, ARememberedSampleTheViewLacksGivesWayToTheFirst) {
    storeViewerSetting(kPlotTypeKey, 1);
    storeViewerSetting(kParameterTypeKey, valueOf(ParameterType::Fft));
    storeViewerSetting(kLastSampleKey, 20);
    const ViewerState state({flight(101)}, notifier);
    EXPECT_EQ(state.selection().sample, 0);
    EXPECT_EQ(BrixAircraftSettings().value(kLastSampleKey).toInt(), 0);
    EXPECT_EQ(state.sampleChoice().checked, 0);
}

TEST_F(ViewerStateTest, EachViewOffersItsParameterTypes) {
    ViewerState state({flight(101)}, notifier);
    EXPECT_TRUE(state.parameterOffered(valueOf(ParameterType::TR4RAverage)));
    EXPECT_FALSE(state.transientBinsOffered());
    EXPECT_TRUE(state.parameterOffered(valueOf(ParameterType::EnvelopeFft)));
    state.handle(kPlotTypeEvent, 1);
    EXPECT_FALSE(state.parameterOffered(valueOf(ParameterType::TR4RAverage)));
    EXPECT_FALSE(state.parameterOffered(valueOf(ParameterType::EnvelopeFft)));
    EXPECT_TRUE(state.transientBinsOffered());
    state.handle(kPlotTypeEvent, ViewerState::kTrendView);
    EXPECT_TRUE(state.parameterOffered(valueOf(ParameterType::CDN)));
    EXPECT_FALSE(state.parameterOffered(valueOf(ParameterType::TimeHistory)));
    EXPECT_FALSE(state.parameterOffered(valueOf(ParameterType::EnvelopeFft)));
    EXPECT_FALSE(state.transientBinsOffered());
    // The keys step over nothing beyond the trend's last type.
    state.handle(kParameterEvent, valueOf(ParameterType::CDN));
    EXPECT_EQ(state.handle(kNextParameterEvent).toInt(), 0);
}

// Opened on a record's parameter, the trend shows A4R without forgetting the record's.
TEST_F(ViewerStateTest, TheTrendIsComputedOverEveryStoredFlightOfTheEngine) {
    storeViewerSetting(kTrendShownKey, true);
    storeViewerSetting(kParameterTypeKey, valueOf(ParameterType::Fft));
    const QString directory = engineDirectory(data, QStringLiteral("AC001"), 1);
    ASSERT_TRUE(QDir().mkpath(directory));
    CraftedRawFile file;
    file.flightSlots = {CraftedSlot::filled(0, 301, 0, 1.5f), CraftedSlot::filled(1, 302, 0, 2.5f)};
    ASSERT_TRUE(writeCraftedRawFile(directory + QStringLiteral("/a.raw"), file));
    QList<bool> busy;
    ViewerState state({flight(301)}, notifier, [&busy](bool on) { busy.append(on); });
    EXPECT_EQ(state.selection().parameterType, ParameterType::A4R);
    EXPECT_EQ(BrixAircraftSettings().value(kParameterTypeKey).toInt(), valueOf(ParameterType::Fft));
    EXPECT_EQ(busy, QList<bool>({true, false}));
    ASSERT_EQ(state.trend().points.size(), 2);
    EXPECT_EQ(state.trend().points[1].value, 2.5);
    EXPECT_TRUE(state.view().trend);

    // The chart's series are memory types: the current series stays among them.
    state.chartShows(2);
    state.handle(kSeriesClickedEvent, 1);
    EXPECT_EQ(state.currentSeries(), 1);
    state.chartShows(1);
    EXPECT_EQ(state.currentSeries(), 0);
    EXPECT_EQ(state.handle(kSeriesClickedEvent, 1).toInt(), int(U::Tabulation));

    // The alert level is the trend's parameter's, and is drawn at once.
    EXPECT_EQ(state.setAlertLevel(2.0).toInt(), int(U::Chart));
    EXPECT_EQ(state.alertLevel(), 2.0);
    EXPECT_EQ(state.view().alertLevel, 2.0);
    EXPECT_EQ(state.tabulationNotes(state.view()).value(0), QStringLiteral("Alert Level: 2 (A4R)"));
}

} // namespace
