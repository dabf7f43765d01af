// Shaft-order markers and the dB axis of the spectra: orders from known N1 and N2 values on
// their frequencies and nearest lines, no marker without a speed, the table's lines; dB of
// known amplitudes, the floor, and the converted views that tabulation and export take.
#include "BearingGeometryStore.h"
#include "Decibels.h"
#include "FlightDataElement.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "SettingsSandbox.h"
#include "ShaftOrders.h"
#include "SimulatorFlights.h"
#include "Spectrum.h"
#include "Tabulation.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kSpacing = 9.5367431640625;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kN1 = 8;
constexpr int kN2 = 9;

// Amplitude k / 1000 at line k, so the amplitude read shows which line was taken.
QList<double> lineNumbers() {
    QList<double> amplitudes(512);
    for (int k = 0; k < 512; ++k)
        amplitudes[k] = k / 1000.0;
    return amplitudes;
}

struct OrderCase {
    double n1;
    double n2;
    // For 1xN1, 2xN1, 1xN2, 2xN2: the frequency and the nearest line.
    std::array<double, 4> frequency;
    std::array<int, 4> line;
};

// 5000 RPM = 83.33 Hz lies at 8.74 spacings (line 9); 2x at 17.48 (line 17); 12000 RPM = 200 Hz
// at 20.97 (line 21), 2x at 41.94 (line 42). 4768.37 Hz is line 500 exactly.
TEST(ShaftOrders, FrequenciesAndNearestLines) {
    const OrderCase cases[] = {
        {5000, 12000, {5000 / 60.0, 10000 / 60.0, 200, 400}, {9, 17, 21, 42}},
        {60 * kSpacing * 250,
         60 * kSpacing * 10.5,
         {kSpacing * 250, kSpacing * 500, kSpacing * 10.5, kSpacing * 21},
         {250, 500, 11, 21}},
    };
    const QStringList names = {"1xN1", "2xN1", "1xN2", "2xN2"};
    for (const OrderCase& c : cases) {
        const QList<ShaftOrder> orders = shaftOrders({c.n1, c.n2}, lineNumbers());
        ASSERT_EQ(orders.size(), 4);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(orders[i].name, names[i]);
            EXPECT_EQ(orders[i].state, ShaftOrderState::Marked);
            EXPECT_DOUBLE_EQ(orders[i].frequencyHz, c.frequency[i]);
            EXPECT_EQ(orders[i].line, c.line[i]);
            EXPECT_EQ(orders[i].lineFrequencyHz, c.line[i] * kSpacing);
            EXPECT_EQ(orders[i].amplitude, c.line[i] / 1000.0);
        }
    }
}

// No speed, no marker: 0, negative and NaN; a frequency past the last line has no line.
TEST(ShaftOrders, NoMarkerWithoutASpeedOrAboveTheSpectrum) {
    for (const double speed : {0.0, -3000.0, kNaN}) {
        const QList<ShaftOrder> orders = shaftOrders({speed, 1.0e7}, lineNumbers());
        EXPECT_EQ(orders[0].state, ShaftOrderState::NoSpeed) << speed;
        EXPECT_EQ(orders[1].state, ShaftOrderState::NoSpeed) << speed;
        EXPECT_EQ(orders[2].state, ShaftOrderState::AboveSpectrum);
        EXPECT_EQ(orders[2].line, -1);
    }
    // 511.4 spacings still rounds to the last line; 2x of it does not.
    const QList<ShaftOrder> edge = shaftOrders({60 * kSpacing * 511.4, 0}, lineNumbers());
    EXPECT_EQ(edge[0].line, 511);
    EXPECT_EQ(edge[1].state, ShaftOrderState::AboveSpectrum);
}

TEST(ShaftOrders, TableLinesAndMarkerLabels) {
    const QList<ShaftOrder> orders = shaftOrders({5052, kNaN}, lineNumbers());
    EXPECT_EQ(orders[0].markerLabel(), QStringLiteral("1xN1 84.2 Hz"));
    EXPECT_EQ(shaftOrderTableText(orders, false),
              QStringLiteral("1xN1     84.20 Hz  line   9     85.83 Hz     0.0090 G\n"
                             "2xN1    168.40 Hz  line  18    171.66 Hz     0.0180 G\n"
                             "1xN2 no marker: N2 = nan RPM\n"
                             "2xN2 no marker: N2 = nan RPM\n"));
    const QList<ShaftOrder> fast = shaftOrders({-1, 600000}, lineNumbers());
    EXPECT_EQ(shaftOrderLine(fast[0], true), QStringLiteral("1xN1 no marker: N1 = -1 RPM"));
    EXPECT_EQ(shaftOrderLine(fast[2], true),
              QStringLiteral("1xN2  10000.00 Hz  no marker: above the spectrum"));
    const QList<ShaftOrder> decibels = shaftOrders({5052, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, -6.5});
    EXPECT_EQ(shaftOrderLine(decibels[0], true),
              QStringLiteral("1xN1     84.20 Hz  line   9     85.83 Hz    -6.5000 dB"));
    // A line beyond the values given reads as 0.
    EXPECT_EQ(decibels[1].amplitude, 0.0);
}

// A record with N1 and N2 in one steady-state bin and one transient sample, and a cosine of
// 1 G on line 21 in the same bin's and sample's time records.
FlightDataElement orderFlight(qint32 number) {
    FlightDataElement flight;
    flight.aircraftId = QStringLiteral("AC001");
    flight.engineNumber = 1;
    flight.flightNumber = number;
    flight.fileHeader = QByteArray(304, '\0');
    flight.flightRecord = QByteArray(137736, '\0');
    char* record = flight.flightRecord.data();
    const auto cosine = [record](qsizetype offset) {
        for (int k = 0; k < 1024; ++k) {
            const double g = std::cos(2 * M_PI * 21 * k / 1024.0);
            qToLittleEndian(qint16(std::lround(g * 65535.0 / 200.0)), record + offset + 2 * k);
        }
    };
    qToLittleEndian(5000.0f, record + 4 * (26 * kN1 + 4));
    qToLittleEndian(12000.0f, record + 4 * (26 * kN2 + 4));
    cosine(1352 + 2048 * 4);
    // Transient bin 2, sample 3.
    qToLittleEndian(6000.0f, record + 54600 + 4 * (((kN1 - 6) * 4 + 2) * 10 + 3));
    qToLittleEndian(12000.0f, record + 54600 + 4 * (((kN2 - 6) * 4 + 2) * 10 + 3));
    cosine(55816 + 2048 * (10 * 2 + 3));
    return flight;
}

// The orders of a view come from the record of the series asked for: the FFT's flight at the
// selected bin or sample, the waterfall's trace without its offset, in G or in dB.
TEST(ShaftOrders, OrdersOfTheViews) {
    const QList<FlightDataElement> flights = {orderFlight(7), orderFlight(8)};
    PlotSelection steady;
    steady.parameterType = ParameterType::Fft;
    steady.sample = 4;
    const PlotView fft = buildPlotView(steady, flights);
    const QList<ShaftOrder> orders = viewShaftOrders(fft, steady, flights, 1);
    ASSERT_EQ(orders.size(), 4);
    EXPECT_EQ(orders[0].line, 9);
    EXPECT_EQ(orders[2].line, 21);
    EXPECT_NEAR(orders[2].amplitude, 1.0, 0.002);
    EXPECT_NEAR(orders[0].amplitude, 0.0, 0.002);
    const QList<ShaftOrder> inDecibels =
        viewShaftOrders(decibelView(fft, steady), steady, flights, 1);
    EXPECT_NEAR(inDecibels[2].amplitude, 0.0, 0.02);
    EXPECT_EQ(inDecibels[0].amplitude, amplitudeToDecibels(orders[0].amplitude));

    PlotSelection waterfall = steady;
    waterfall.parameterType = ParameterType::Waterfall;
    waterfall.flightNumber = 8;
    const PlotView traces = buildPlotView(waterfall, flights);
    const QList<ShaftOrder> trace4 = viewShaftOrders(traces, waterfall, flights, 4);
    EXPECT_NEAR(trace4[2].amplitude, 1.0, 0.002);
    EXPECT_EQ(viewShaftOrders(traces, waterfall, flights, 3)[0].state, ShaftOrderState::NoSpeed);
    EXPECT_NEAR(viewShaftOrders(decibelView(traces, waterfall), waterfall, flights, 4)[2].amplitude,
                0.0, 0.02);

    PlotSelection transient = steady;
    transient.plotType = PlotType::Transient;
    transient.transientBin = 2;
    transient.sample = 3;
    const QList<ShaftOrder> sample =
        viewShaftOrders(buildPlotView(transient, flights), transient, flights, 0);
    EXPECT_DOUBLE_EQ(sample[0].frequencyHz, 100.0);
    EXPECT_NEAR(sample[2].amplitude, 1.0, 0.002);

    // Only spectra have orders, and only of the series they hold.
    EXPECT_TRUE(viewShaftOrders(fft, steady, flights, 2).isEmpty());
    PlotSelection history = steady;
    history.parameterType = ParameterType::TimeHistory;
    EXPECT_TRUE(viewShaftOrders(buildPlotView(history, flights), history, flights, 0).isEmpty());
}

// n = 10, d = 10, D = 50: d/D = 0.2. At 12000 RPM on N2 (200 Hz) with no contact angle,
// BPFO = 5 x 200 x 0.8 = 800 Hz, BPFI = 5 x 200 x 1.2 = 1200 Hz, BSF = 2.5 x 200 x 0.96 = 480 Hz,
// FTF = 100 x 0.8 = 80 Hz. At 60 degrees d/D cos = 0.1: on N1 at 6000 RPM (100 Hz) 450, 550,
// 247.5 and 45 Hz.
TEST(BearingMarkers, FrequenciesLinesLabelsAndTableOfAKnownGeometry) {
    const BearingGeometry radial{.elements = 10, .ballDiameter = 10, .pitchDiameter = 50};
    const QList<ShaftOrder> markers = bearingMarkers(radial, {6000, 12000}, lineNumbers());
    ASSERT_EQ(markers.size(), 4);
    const QStringList labels = {"BPFO 800.0 Hz", "BPFI 1200.0 Hz", "BSF 480.0 Hz", "FTF 80.0 Hz"};
    const std::array<int, 4> lines = {84, 126, 50, 8};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(markers[i].bearing);
        EXPECT_EQ(markers[i].shaft, QStringLiteral("N2"));
        EXPECT_EQ(markers[i].state, ShaftOrderState::Marked);
        EXPECT_EQ(markers[i].markerLabel(), labels[i]);
        EXPECT_EQ(markers[i].line, lines[i]);
    }
    EXPECT_EQ(shaftOrderTableText(markers, false),
              QStringLiteral("BPFO    800.00 Hz  line  84    801.09 Hz     0.0840 G\n"
                             "BPFI   1200.00 Hz  line 126   1201.63 Hz     0.1260 G\n"
                             "BSF     480.00 Hz  line  50    476.84 Hz     0.0500 G\n"
                             "FTF      80.00 Hz  line   8     76.29 Hz     0.0080 G\n"));

    BearingGeometry angled = radial;
    angled.contactAngleDegrees = 60;
    angled.shaft = BearingShaft::N1;
    const QList<ShaftOrder> onN1 = bearingMarkers(angled, {6000, 12000}, lineNumbers());
    const std::array<double, 4> frequencies = {450, 550, 247.5, 45};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(onN1[i].frequencyHz, frequencies[i], 1e-9) << i;
    EXPECT_EQ(shaftOrderLine(bearingMarkers(angled, {kNaN, 12000}, {})[0], false),
              QStringLiteral("BPFO no marker: N1 = nan RPM"));
    EXPECT_EQ(shaftOrderLine(bearingMarkers(radial, {0, 200000}, {})[1], false),
              QStringLiteral("BPFI  20000.00 Hz  no marker: above the spectrum"));
}

// A view's bearing markers follow its flight's engine type, after the shaft orders and only
// when asked for: the spectrum's own flight, the waterfall's trace.
TEST(BearingMarkers, MarkersOfTheViewsFollowTheFlightsEngineType) {
    resetSettingsAndHome();
    RecordingNotifier notifier;
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"),
                                     {.elements = 10, .ballDiameter = 10, .pitchDiameter = 50},
                                     notifier));
    QList<FlightDataElement> flights = {orderFlight(7), orderFlight(8)};
    flights[1].fileHeader.replace(21, 7, "CFM56-7");
    PlotSelection selection;
    selection.parameterType = ParameterType::Fft;
    selection.sample = 4;
    const auto labels = [&](int series, MarkerChoice choice) {
        QStringList listed;
        for (const ShaftOrder& marker :
             viewShaftOrders(buildPlotView(selection, flights), selection, flights, series, choice))
            listed.append(marker.markerLabel());
        return listed;
    };
    EXPECT_EQ(labels(1, {true, true}).mid(3),
              (QStringList{"2xN2 400.0 Hz", "BPFO 800.0 Hz", "BPFI 1200.0 Hz", "BSF 480.0 Hz",
                           "FTF 80.0 Hz"}));
    EXPECT_EQ(labels(1, {false, true}).size(), 4);
    EXPECT_EQ(labels(1, {}).size(), 4);
    // The first flight's type has no geometry.
    EXPECT_EQ(labels(0, {true, true}).size(), 4);

    selection.parameterType = ParameterType::Waterfall;
    selection.flightNumber = 8;
    EXPECT_EQ(labels(4, {false, true}).value(1), QStringLiteral("BPFI 1200.0 Hz"));
}

// Engine 2 of a unit whose bearing wears from slot 8 on: the impacts ring at 2 kHz, and the
// envelope spectrum of the worn flights' steady-state bins shows their repetition rate, its
// highest line at the BPFO marker; engine 1's envelope holds nothing like it there. Bins 1
// to 16 (N2 below about 12,800 RPM, BPFO below 860 Hz): above, the impacts come about every
// millisecond and their ringing overlaps, so that the random strength of each impact puts
// lines near 0 Hz that rival the BPFO line.
TEST(EnvelopeView, AnOuterRaceDefectPeaksAtTheBpfoMarker) {
    constexpr int kLastSlowBin = 15;
    resetSettingsAndHome();
    RecordingNotifier notifier;
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kSimulatedBearing, notifier));
    UnitSimulatorConfig config;
    config.bearingDefect = BearingDefect{2, 8};
    const auto lateFlights = [&config](int engine) {
        // Slots 17 to 19 of the simulated unit are empty.
        QList<FlightDataElement> flights = simulatorFlights(17, engine, config).mid(10);
        for (FlightDataElement& flight : flights)
            flight.fileHeader.replace(21, 7, "CFM56-7");
        return flights;
    };
    const QList<FlightDataElement> worn = lateFlights(2);
    const QList<FlightDataElement> healthy = lateFlights(1);
    PlotSelection selection;
    selection.parameterType = ParameterType::EnvelopeFft;
    selection.windowType = kHannWindow;
    const MarkerChoice bearingOnly{false, true};
    for (int bin = 0; bin <= kLastSlowBin; bin += 3) {
        selection.sample = bin;
        const PlotView view = buildPlotView(selection, worn);
        const PlotView healthyView = buildPlotView(selection, healthy);
        ASSERT_EQ(view.series.size(), worn.size());
        for (int series = 0; series < view.series.size(); ++series) {
            SCOPED_TRACE(testing::Message() << "bin " << bin << " flight " << series);
            const QList<ShaftOrder> markers =
                viewShaftOrders(view, selection, worn, series, bearingOnly);
            ASSERT_EQ(markers.size(), 4);
            ASSERT_EQ(markers[0].name, QStringLiteral("BPFO"));
            ASSERT_EQ(markers[0].state, ShaftOrderState::Marked);
            const QList<double>& y = view.series[series].y;
            const int highest = int(std::max_element(y.cbegin(), y.cend()) - y.cbegin());
            EXPECT_LE(std::abs(highest - markers[0].line), 1);
            const QList<ShaftOrder> healthyMarkers =
                viewShaftOrders(healthyView, selection, healthy, series, bearingOnly);
            ASSERT_EQ(healthyMarkers.size(), 4);
            EXPECT_GT(markers[0].amplitude, 3 * healthyMarkers[0].amplitude);
        }
    }
}

TEST(Decibels, KnownAmplitudesAndTheFloor) {
    const std::pair<double, double> cases[] = {
        {1.0, 0.0},     {10.0, 20.0},
        {0.001, -60.0}, {0.5, -6.0205999132796},
        {1e-6, -120.0}, {1e-9, -120.0},
        {0.0, -120.0},  {-2.0, -120.0},
        {kNaN, -120.0}, {std::numeric_limits<double>::infinity(), -120.0},
    };
    for (const auto& [amplitude, decibels] : cases)
        EXPECT_NEAR(amplitudeToDecibels(amplitude), decibels, 1e-9) << amplitude;
}

// The converted spectrum: values, title and minimum in dB; tabulation rows follow it. Views
// of anything but spectra stay as they are, and a view is converted once.
TEST(Decibels, TheConvertedSpectrum) {
    PlotSelection selection;
    selection.parameterType = ParameterType::Fft;
    PlotView view;
    view.seriesBuilt = true;
    view.yAxisTitle = QStringLiteral("Magnitude (G)");
    view.series.append(
        {QStringLiteral("Flight 1"), {0, kSpacing, 2 * kSpacing}, {0, 0.1, 2}, true, {}, {}});
    const PlotView converted = decibelView(view, selection);
    EXPECT_TRUE(converted.decibels);
    EXPECT_EQ(converted.yAxisTitle, QStringLiteral("Magnitude (dB re 1 G)"));
    EXPECT_EQ(converted.series[0].y[0], -120.0);
    EXPECT_NEAR(converted.series[0].y[1], -20.0, 1e-12);
    EXPECT_NEAR(converted.series[0].y[2], 6.0205999132796, 1e-12);
    EXPECT_EQ(converted.yAxisMinimum, -120.0);
    EXPECT_EQ(decibelView(converted, selection).series[0].y, converted.series[0].y);

    const Tabulation rows = buildTabulation(converted, selection, 0, 0, 100);
    ASSERT_EQ(rows.rows.size(), 3);
    EXPECT_EQ(rows.rows[1].text, QStringLiteral("    1      9.54 (Hz)   -20.000 (dB)"));
    EXPECT_EQ(rows.header3, QStringLiteral("Parameter: Magnitude (dB re 1 G)"));

    PlotSelection history = selection;
    history.parameterType = ParameterType::TimeHistory;
    EXPECT_FALSE(decibelView(view, history).decibels);
    EXPECT_EQ(decibelView(view, history).series[0].y, view.series[0].y);
}

// The waterfall in dB: trace j lifted by j x 20 dB instead of resting on j + 1 G; the CSV
// takes the lift off and shows the dB values.
TEST(Decibels, TheConvertedWaterfall) {
    PlotSelection selection;
    selection.parameterType = ParameterType::Waterfall;
    PlotView view;
    view.seriesBuilt = true;
    view.waterfall = true;
    view.yAxisTitle = QStringLiteral("Bin");
    for (int j = 0; j < 3; ++j)
        view.series.append({QStringLiteral("Trace %1").arg(j + 1),
                            {0, kSpacing},
                            {j + 1.0, j + 1.0 + 0.01 * (j + 1)},
                            true,
                            {},
                            {}});
    const PlotView converted = decibelView(view, selection);
    EXPECT_EQ(converted.yAxisTitle, QStringLiteral("Bin"));
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(waterfallTraceOffset(converted, j), 20.0 * j);
        EXPECT_EQ(converted.series[j].y[0], -120.0 + 20 * j);
        EXPECT_NEAR(converted.series[j].y[1], 20 * std::log10(0.01 * (j + 1)) + 20 * j, 1e-9);
        EXPECT_NEAR(withoutWaterfallOffset(converted, converted.series[j].y, j)[1],
                    20 * std::log10(0.01 * (j + 1)), 1e-9);
    }
    EXPECT_EQ(converted.yAxisMinimum, -120.0);
    EXPECT_EQ(waterfallCsvText(converted, 5, 0, 100),
              QStringLiteral("Flight Number: 5\n0,-120,-120,-120\n9.5367,-40,-33.979,-30.458\n"));
}

} // namespace
