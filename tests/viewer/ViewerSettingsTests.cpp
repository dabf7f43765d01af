// The viewer's settings read without a window: what a first start, a stored choice and a
// damaged store open with, and that each choice kept is read back.
#include "BrixAircraftSettings.h"
#include "Decibels.h"
#include "SettingsSandbox.h"
#include "ShaftOrders.h"
#include "ViewerSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewerSettingsTest, AFirstStartOpensWithTheDefaults) {
    resetSettingsAndHome();
    const ViewerSettings read = readViewerSettings();
    EXPECT_EQ(read.selection.plotType, PlotType::SteadyState);
    EXPECT_EQ(read.selection.parameterType, ParameterType::A4R);
    EXPECT_EQ(read.selection.transientBin, 0);
    EXPECT_EQ(read.selection.flightNumber, -1);
    EXPECT_EQ(read.selection.sample, -1);
    EXPECT_EQ(read.selection.windowType, 0);
    EXPECT_FALSE(read.xGrid || read.yGrid || read.trend);
    EXPECT_EQ(read.trendStatistic, TrendStatistic::Maximum);
    EXPECT_EQ(read.orders, kPlotOrdersDefault);
    EXPECT_EQ(read.bearing, kPlotBearingDefault);
    EXPECT_EQ(read.decibels, kPlotDecibelsDefault);
}

TEST(ViewerSettingsTest, EveryKeptChoiceIsReadBack) {
    resetSettingsAndHome();
    const std::pair<QString, QVariant> kept[] = {
        {kPlotTypeKey, 1},      {kParameterTypeKey, valueOf(ParameterType::Waterfall)},
        {kTransientBinKey, 3},  {kLastFlightKey, 204},
        {kLastSampleKey, 7},    {kXGridKey, true},
        {kYGridKey, true},      {kWindowTypeKey, 1},
        {kTrendShownKey, true}, {kTrendStatisticKey, 1},
        {kPlotOrdersKey, true}, {kPlotDecibelsKey, true},
        {kPlotBearingKey, true}};
    for (const auto& [key, value] : kept)
        storeViewerSetting(key, value);
    const ViewerSettings read = readViewerSettings();
    EXPECT_EQ(read.selection.plotType, PlotType::Transient);
    EXPECT_EQ(read.selection.parameterType, ParameterType::Waterfall);
    EXPECT_EQ(read.selection.transientBin, 3);
    EXPECT_EQ(read.selection.flightNumber, 204);
    EXPECT_EQ(read.selection.sample, 7);
    EXPECT_EQ(read.selection.windowType, 1);
    EXPECT_TRUE(read.xGrid && read.yGrid && read.trend && read.orders && read.decibels &&
                read.bearing);
    EXPECT_EQ(read.trendStatistic, TrendStatistic::Mean);
}

TEST(ViewerSettingsTest, NumbersThatNameNoTypeReadAsTheDefault) {
    resetSettingsAndHome();
    storeViewerSetting(kPlotTypeKey, 7);
    storeViewerSetting(kParameterTypeKey, -1);
    storeViewerSetting(kTrendStatisticKey, 5);
    const ViewerSettings read = readViewerSettings();
    EXPECT_EQ(read.selection.plotType, PlotType::SteadyState);
    EXPECT_EQ(read.selection.parameterType, ParameterType::A4R);
    EXPECT_EQ(read.trendStatistic, TrendStatistic::Maximum);
}

} // namespace
