// The chart's read-out texts and the viewer's window titles, on views built by hand so that
// every number is known.
#include "ChartText.h"

#include <gtest/gtest.h>

namespace {

PlotView viewOf(QList<double> x, QList<double> y, QList<PlotLabel> labels = {}) {
    PlotView view;
    view.seriesBuilt = true;
    view.series.append({QStringLiteral("Flight 1234"), {}, {}, true, {}, {}});
    view.series.append({QStringLiteral("Flight 1235"), std::move(x), std::move(y), true, {}, {}});
    view.xAxisLabels = std::move(labels);
    return view;
}

PlotSelection selection(PlotType plotType, ParameterType parameterType) {
    PlotSelection s;
    s.plotType = plotType;
    s.parameterType = parameterType;
    return s;
}

const QList<PlotLabel> kBinLabels = {{1, QStringLiteral("TOC")},
                                     {2, QStringLiteral("TOD")},
                                     {3, QStringLiteral("AOD")},
                                     {4, QStringLiteral("AOA")}};

struct FormatCase {
    const char* name;
    PlotType plotType;
    ParameterType parameterType;
    double x;
    double y;
    const char* expected;
};

class ReadoutFormat : public ::testing::TestWithParam<FormatCase> {};

} // namespace

TEST_P(ReadoutFormat, ShowsThePointAsItsPlotTypeReadsIt) {
    const FormatCase& c = GetParam();
    const PlotView view = viewOf({0, c.x}, {0, c.y}, kBinLabels);
    EXPECT_EQ(readoutText(view, selection(c.plotType, c.parameterType), 1, 1).toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReadoutFormat,
    ::testing::Values(
        FormatCase{"Spectrum", PlotType::SteadyState, ParameterType::Fft, 953.67431640625,
                   0.0123456, "Flight 1235:   953.67 (Hz)     0.012 (G)"},
        FormatCase{"Waterfall", PlotType::SteadyState, ParameterType::Waterfall, 4873.2757568359375,
                   26.5, "Frequency :  4873.28 (Hz)"},
        FormatCase{"TransientAverageTOD", PlotType::Transient, ParameterType::A4RAverage, 2,
                   1.234567, "Flight 1235: X = TOD  Y = 1.2346"},
        FormatCase{"TransientAverageAOA", PlotType::Transient, ParameterType::CDNAverage, 4,
                   -0.000012345678, "Flight 1235: X = AOA  Y = -1.2346e-05"},
        FormatCase{"TimeHistory", PlotType::SteadyState, ParameterType::TimeHistory, 104.7552,
                   -100.0015259, "Flight 1235: X =    104.8 (ms)  Y =     -100"},
        FormatCase{"SteadyStateBins", PlotType::SteadyState, ParameterType::N1, 26, 98765.4321,
                   "Flight 1235: X =       26  Y =    98765"},
        // The steady-state averages are bins like the other rows: no labels.
        FormatCase{"SteadyStateAverage", PlotType::SteadyState, ParameterType::A4RAverage, 2, 0.5,
                   "Flight 1235: X =        2  Y =      0.5"},
        FormatCase{"TransientSamples", PlotType::Transient, ParameterType::CDN, 10, 1234567.0,
                   "Flight 1235: X =       10  Y = 1.2346e+06"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadoutText, IsEmptyForAPointTheViewDoesNotHold) {
    const PlotView view = viewOf({1, 2}, {5, 6});
    const PlotSelection s = selection(PlotType::SteadyState, ParameterType::A4R);
    EXPECT_EQ(readoutText(view, s, 1, 1),
              QStringLiteral("Flight 1235: X =        2  Y =        6"));
    for (const auto& [series, point] :
         {std::pair{-1, 0}, std::pair{2, 0}, std::pair{0, 0}, std::pair{1, 2}, std::pair{1, -1}}) {
        SCOPED_TRACE(testing::Message() << series << ", " << point);
        EXPECT_EQ(readoutText(view, s, series, point), QString());
    }
}

// The series name is shown as it is, never read as a format.
TEST(ReadoutText, ShowsTheSeriesNameAsTyped) {
    PlotView view = viewOf({1}, {2});
    view.series[1].name = QStringLiteral("%s %1 %n Flug ü");
    EXPECT_EQ(readoutText(view, selection(PlotType::SteadyState, ParameterType::CN1), 1, 0),
              QStringLiteral("%s %1 %n Flug ü: X =        1  Y =        2"));
}

TEST(ViewerWindowTitle, NamesTheView) {
    EXPECT_EQ(viewerWindowTitle(PlotType::SteadyState),
              QStringLiteral("Steady State 2-D Data Viewer"));
    EXPECT_EQ(viewerWindowTitle(PlotType::Transient), QStringLiteral("Transient 2-D Data Viewer"));
}

struct DeltaCase {
    const char* name;
    ParameterType parameterType;
    bool decibels;
    const char* expected;
};

class DeltaReadout : public ::testing::TestWithParam<DeltaCase> {};

// Point (100, 3.5) measured from the reference (90.4632568359375, 1.25): a sideband's spacing
// reads as the frequency difference.
TEST_P(DeltaReadout, AddsTheDifferenceToTheReference) {
    const DeltaCase& c = GetParam();
    PlotView view = viewOf({90.4632568359375, 100}, {1.25, 3.5});
    view.decibels = c.decibels;
    EXPECT_EQ(deltaReadoutText(view, selection(PlotType::SteadyState, c.parameterType), 1, 1, 1, 0)
                  .toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, DeltaReadout,
    ::testing::Values(
        DeltaCase{"Spectrum", ParameterType::Fft, false,
                  "Flight 1235:   100.00 (Hz)     3.500 (G)  dF = 9.54 (Hz)  dY = 2.250 (G)"},
        DeltaCase{"SpectrumInDecibels", ParameterType::Fft, true,
                  "Flight 1235:   100.00 (Hz)     3.500 (dB)  dF = 9.54 (Hz)  dY = 2.250 (dB)"},
        DeltaCase{"Waterfall", ParameterType::Waterfall, false,
                  "Frequency :      100 (Hz)  dF = 9.54 (Hz)"},
        DeltaCase{"TimeHistory", ParameterType::TimeHistory, false,
                  "Flight 1235: X =      100 (ms)  Y =      3.5  dX = 9.537 (ms)  dY = 2.25"},
        DeltaCase{"Bins", ParameterType::TR4R, false,
                  "Flight 1235: X =      100  Y =      3.5  dX = 9.537  dY = 2.25"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a reference in the view the read-out stands alone; without the point, nothing. The
// reference may lie on another series, and a difference may be negative.
TEST(DeltaReadoutText, ReferenceOnAnotherSeriesOrMissing) {
    PlotView view = viewOf({1, 2}, {5, 6});
    view.series[0] = {QStringLiteral("Flight 1234"), {1, 2}, {7, 9}, true, {}, {}};
    const PlotSelection s = selection(PlotType::SteadyState, ParameterType::A4R);
    EXPECT_EQ(deltaReadoutText(view, s, 1, 0, 0, 1),
              QStringLiteral("Flight 1235: X =        1  Y =        5  dX = -1  dY = -4"));
    EXPECT_EQ(deltaReadoutText(view, s, 1, 0, 2, 0), readoutText(view, s, 1, 0));
    EXPECT_EQ(deltaReadoutText(view, s, 1, 0, 0, 5), readoutText(view, s, 1, 0));
    EXPECT_EQ(deltaReadoutText(view, s, 1, 2, 0, 0), QString());
}
