// The viewer's plot data: record reads, the series of every view and parameter type, the
// waterfall, the Y-axis minimum, the data status and brix-cli series. Records are crafted
// byte by byte at offsets worked out here from the layout table, or taken from the
// simulator and compared with the download's own reader; spectra are compared with the
// spectrum routine, which has tests of its own.
#include "AircraftRecord.h"
#include "Decibels.h"
#include "DownloadedData.h"
#include "EnvelopeSpectrum.h"
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "PlotSeries.h"
#include "RawFlightDataFile.h"
#include "RecordingNotifier.h"
#include "SeriesCommand.h"
#include "Spectrum.h"
#include "Tabulation.h"
#include "UnitSimulator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <tuple>
#include <vector>

namespace {

constexpr int kRecordBytes = 137736;
constexpr double kG = 200.0 / 65535.0;

// A flight record written value by value.
class Record {
public:
    Record() : bytes(kRecordBytes, '\0') {}

    void steady(int type, int bin, float value) { putFloat(4 * (26 * type + bin), value); }
    void binSample(int bin, int k, qint16 value) { putShort(1352 + 2048 * bin + 2 * k, value); }
    void binSamples(int bin, qint16 value) {
        for (int k = 0; k < 1024; ++k)
            binSample(bin, k, value);
    }
    void transient(int type, int bin, int sample, float value) {
        putFloat(54600 + 4 * (((type - 6) * 4 + bin) * 10 + sample), value);
    }
    void average(int type, int bin, float value) { putFloat(55720 + 4 * (4 * type + bin), value); }
    void transientSamples(int bin, int sample, qint16 value) {
        for (int k = 0; k < 1024; ++k)
            putShort(55816 + 2048 * (10 * bin + sample) + 2 * k, value);
    }

    QByteArray bytes;

private:
    void putFloat(int offset, float value) { qToLittleEndian(value, bytes.data() + offset); }
    void putShort(int offset, qint16 value) { qToLittleEndian(value, bytes.data() + offset); }
};

FlightDataElement flight(qint32 number, const QByteArray& record, quint32 created = 1000) {
    FlightDataElement element;
    element.aircraftId = QStringLiteral("AC001");
    element.engineNumber = 1;
    element.flightNumber = number;
    element.fileHeader = QByteArray(304, '\0');
    qToLittleEndian(created, element.fileHeader.data() + 56);
    element.flightRecord = record;
    return element;
}

// Each flight's values differ per flight, type, bin and sample, so a wrong pick shows.
Record distinctRecord(int flightIndex) {
    Record r;
    for (int type = 0; type < 13; ++type)
        for (int bin = 0; bin < 26; ++bin)
            r.steady(type, bin, 1000 * flightIndex + 30 * type + bin + 0.5f);
    for (int type = 6; type < 13; ++type)
        for (int bin = 0; bin < 4; ++bin)
            for (int s = 0; s < 10; ++s)
                r.transient(type, bin, s, 1000 * flightIndex + 100 * type + 10 * bin + s);
    for (int type = 0; type < 6; ++type)
        for (int bin = 0; bin < 4; ++bin)
            r.average(type, bin, 1000 * flightIndex + 10 * type + bin + 0.25f);
    for (int bin = 0; bin < 26; ++bin)
        for (int k = 0; k < 1024; ++k)
            r.binSample(bin, k, qint16((k * (bin + 3) + 97 * flightIndex) % 2001 - 1000));
    for (int bin = 0; bin < 4; ++bin)
        for (int s = 0; s < 10; ++s)
            r.transientSamples(bin, s, qint16(100 * flightIndex + 10 * bin + s + 1));
    return r;
}

QList<FlightDataElement> twoFlights() {
    return {flight(1234, distinctRecord(1).bytes, 1000), flight(1235, distinctRecord(2).bytes)};
}

// Numbers as the settings store them, named or not.
PlotSelection selection(PlotType plotType, int parameterType) {
    PlotSelection s;
    s.plotType = plotType;
    s.parameterType = static_cast<ParameterType>(parameterType);
    return s;
}

PlotSelection selection(PlotType plotType, ParameterType parameterType) {
    return selection(plotType, valueOf(parameterType));
}

QList<double> spectrum(const QList<double>& record, int window, SpectrumView view) {
    QList<double> amplitudes(512);
    recordSpectrum(record.constData(), window, view, amplitudes.data());
    return amplitudes;
}

QList<double> binRecord(const FlightDataElement& element, int bin) {
    QList<double> values(1024);
    FlightRecord(element).steadyStateTimeRecord(bin, 1024, values.data());
    return values;
}

QList<double> constant(double value, int count = 1024) {
    return QList<double>(count, value);
}

// Series count, points per series, markers or lines, X-axis title and footer of a view.
void expectShape(const PlotView& view, int series, int points, bool markers, const char* xTitle,
                 const QString& footer) {
    ASSERT_EQ(view.series.size(), series);
    for (const PlotSeries& one : view.series) {
        ASSERT_EQ(one.x.size(), points);
        ASSERT_EQ(one.y.size(), points);
    }
    EXPECT_TRUE(view.seriesBuilt);
    EXPECT_EQ(view.markers, markers);
    EXPECT_EQ(view.xAxisTitle, QLatin1String(xTitle));
    EXPECT_EQ(view.footer, footer);
}

// ---- Record reads -------------------------------------------------------------------------

TEST(FlightRecordTest, ReadsEveryTableWhereTheDownloadWroteIt) {
    const auto response = UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
    ASSERT_TRUE(response);
    const DownloadedData data(*response);
    const int slot = 3;
    QByteArray bytes(kRecordBytes, '\0');
    RawFlightDataFile::buildFlightRecord(data, slot, bytes.data());
    const FlightRecord record{QByteArrayView(bytes)};

    double values[1024];
    for (int type = 0; type < 13; ++type) {
        record.steadyStateRow(type, 26, values);
        for (int bin = 0; bin < 26; ++bin)
            ASSERT_EQ(values[bin], double(data.binValue(slot, bin, type))) << type << bin;
    }
    for (int bin : {0, 13, 25}) {
        record.steadyStateTimeRecord(bin, 1024, values);
        for (int k = 0; k < 1024; ++k)
            ASSERT_EQ(values[k], data.binSample(slot, bin, k) * kG) << bin << k;
    }
    for (int type = 6; type < 13; ++type) {
        for (int phase = 0; phase < 4; ++phase) {
            record.transientValues(type, phase, 10, values);
            for (int s = 0; s < 10; ++s)
                ASSERT_EQ(values[s], double(data.transientValue(slot, phase, s, type - 6)));
        }
    }
    for (int type = 0; type < 6; ++type) {
        record.transientAverages(type, 4, values);
        for (int phase = 0; phase < 4; ++phase)
            ASSERT_EQ(values[phase], double(data.phaseAverage(slot, phase, type)));
    }
    for (int phase : {0, 3}) {
        for (int s : {0, 9}) {
            record.transientTimeRecord(phase, s, 1024, values);
            for (int k = 0; k < 1024; ++k)
                ASSERT_EQ(values[k], data.transientSample(slot, phase, s, k) * kG);
        }
    }
}

TEST(FlightRecordTest, ReadsNothingBeyondItsRowsOrBytes) {
    Record r;
    r.steady(0, 25, 7.0f);
    r.steady(1, 0, 9.0f); // the next row: must not leak into a long read of row 0
    r.binSamples(0, 1000);
    std::vector<double> values(40, -1.0);

    FlightRecord(QByteArrayView(r.bytes)).steadyStateRow(0, 40, values.data());
    EXPECT_EQ(values[25], 7.0);
    for (int i = 26; i < 40; ++i)
        EXPECT_EQ(values[i], 0.0) << i;

    // Cut inside bin 0's time record: 50 whole samples and one odd byte.
    const QByteArray cut = r.bytes.left(1352 + 101);
    std::vector<double> samples(1024, -1.0);
    FlightRecord(QByteArrayView(cut)).steadyStateTimeRecord(0, 1024, samples.data());
    EXPECT_EQ(samples[49], 1000 * kG);
    EXPECT_EQ(samples[50], 0.0);
    EXPECT_EQ(samples[1023], 0.0);

    const FlightRecord full{QByteArrayView(r.bytes)};
    // Every call asks for more than any row holds.
    const auto allZero = [](auto read) {
        std::vector<double> out(1024, -1.0);
        read(out.data());
        return std::all_of(out.begin(), out.end(), [](double v) { return v == 0.0; });
    };
    EXPECT_TRUE(allZero([&](double* v) { full.steadyStateRow(13, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.steadyStateRow(-1, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.steadyStateTimeRecord(26, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.transientValues(5, 0, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.transientValues(13, 0, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.transientValues(6, 4, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.transientAverages(6, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { full.transientTimeRecord(0, 10, 1024, v); }));
    EXPECT_TRUE(allZero([&](double* v) { FlightRecord().steadyStateRow(0, 1024, v); }));
}

TEST(FlightRecordTest, FindsFlightsByNumberAndCreationTimeFirstMatchFirst) {
    Record a, b, c;
    a.steady(0, 0, 1.0f);
    b.steady(0, 0, 2.0f);
    c.steady(0, 0, 3.0f);
    const QList<FlightDataElement> flights = {flight(7, a.bytes, 100), flight(7, b.bytes, 200),
                                              flight(7, c.bytes, 200)};
    const auto firstValue = [&](FlightKey key) {
        double value = -1;
        loadedFlightRecord(flights, key).steadyStateRow(0, 1, &value);
        return value;
    };
    EXPECT_EQ(firstValue({7, std::nullopt}), 1.0);
    EXPECT_EQ(firstValue({7, 200u}), 2.0);
    EXPECT_EQ(firstValue({7, 300u}), 0.0);
    EXPECT_EQ(firstValue({8, std::nullopt}), 0.0);
    EXPECT_EQ(findLoadedFlight(flights, {7, 200u}), &flights[1]);
    EXPECT_EQ(findLoadedFlight(flights, {8, std::nullopt}), nullptr);
}

// ---- Data status --------------------------------------------------------------------------

TEST(DataStatusTest, NegativeA4ROrTransientValueMakesAFlightSuspect) {
    const Record clean = distinctRecord(0);
    EXPECT_EQ(steadyStateStatus(flight(1, clean.bytes)), DataStatus::Ok);
    EXPECT_EQ(transientStatus(flight(1, clean.bytes)), DataStatus::Ok);

    Record otherRows = clean;
    for (int type : {0, 5, 7, 12})
        otherRows.steady(type, 25, -1.0f);
    EXPECT_EQ(steadyStateStatus(flight(1, otherRows.bytes)), DataStatus::Ok);

    Record a4r = clean;
    a4r.steady(6, 25, -0.001f);
    EXPECT_EQ(steadyStateStatus(flight(1, a4r.bytes)), DataStatus::Suspect);
    EXPECT_EQ(transientStatus(flight(1, a4r.bytes)), DataStatus::Ok);

    // The first and the last of the 280 values, each on its own.
    for (auto [type, bin, sample] : {std::tuple{6, 0, 0}, std::tuple{12, 3, 9}}) {
        Record r = clean;
        r.transient(type, bin, sample, -2.0f);
        EXPECT_EQ(transientStatus(flight(1, r.bytes)), DataStatus::Suspect) << type;
        EXPECT_EQ(steadyStateStatus(flight(1, r.bytes)), DataStatus::Ok);
    }
    // Negative averages are not transient parameter values.
    Record averages = clean;
    averages.average(0, 0, -1.0f);
    EXPECT_EQ(transientStatus(flight(1, averages.bytes)), DataStatus::Ok);

    EXPECT_EQ(dataStatusText(DataStatus::Ok), QStringLiteral("OK"));
    EXPECT_EQ(dataStatusText(DataStatus::Suspect), QStringLiteral("Suspect"));
    EXPECT_EQ(selectionIndicatorName({flight(1, clean.bytes), flight(2, clean.bytes)}),
              QStringLiteral("GoodData"));
    EXPECT_EQ(selectionIndicatorName({flight(1, clean.bytes), flight(2, a4r.bytes)}),
              QStringLiteral("BadData"));
    EXPECT_TRUE(selectionHasSuspectData({flight(1, averages.bytes), flight(2, a4r.bytes)}));
    EXPECT_EQ(selectionIndicatorName({}), QStringLiteral("GoodData"));
}

// A value that is not a number is as suspect as a negative one, by the same rules: A4R
// among the steady-state rows, any transient parameter value.
TEST(DataStatusTest, NaNAndInfiniteValuesAreSuspectLikeNegativeOnes) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const std::tuple<const char*, float, DataStatus> cases[] = {
        {"NaN", std::numeric_limits<float>::quiet_NaN(), DataStatus::Suspect},
        {"+inf", kInfinity, DataStatus::Suspect},
        {"-inf", -kInfinity, DataStatus::Suspect},
        {"negative", -0.5f, DataStatus::Suspect},
        {"normal", 3.25f, DataStatus::Ok},
    };
    for (const auto& [name, value, expected] : cases) {
        SCOPED_TRACE(name);
        Record steady = distinctRecord(0);
        steady.steady(6, 13, value);
        steady.steady(7, 13, std::numeric_limits<float>::quiet_NaN()); // not A4R: never counts
        EXPECT_EQ(steadyStateStatus(flight(1, steady.bytes)), expected);
        EXPECT_EQ(transientStatus(flight(1, steady.bytes)), DataStatus::Ok);
        Record transient = distinctRecord(0);
        transient.transient(9, 2, 4, value);
        EXPECT_EQ(transientStatus(flight(1, transient.bytes)), expected);
        EXPECT_EQ(steadyStateStatus(flight(1, transient.bytes)), DataStatus::Ok);
        EXPECT_EQ(selectionIndicatorName({flight(1, transient.bytes)}),
                  expected == DataStatus::Ok ? QStringLiteral("GoodData")
                                             : QStringLiteral("BadData"));
    }
}

// The indicator's tooltip names the suspect flights, each once, in list order.
TEST(DataStatusTest, TheIndicatorsToolTipSaysWhichFlightsAreSuspect) {
    const Record clean = distinctRecord(0);
    Record steady = clean;
    steady.steady(6, 3, std::numeric_limits<float>::quiet_NaN());
    Record transient = clean;
    transient.transient(8, 1, 2, -1.0f);
    EXPECT_EQ(selectionIndicatorToolTip({flight(7020, clean.bytes), flight(7021, steady.bytes),
                                         flight(7022, clean.bytes), flight(7023, transient.bytes),
                                         flight(7021, transient.bytes)}),
              QStringLiteral("Suspect: negative, NaN or infinite values in flights 7021, 7023"));
    EXPECT_EQ(selectionIndicatorToolTip({flight(7020, clean.bytes)}),
              QStringLiteral("OK: no negative, NaN or infinite values in the loaded flights"));
}

// ---- Steady-state view --------------------------------------------------------------------

TEST(PlotViewTest, MenuTextsAndYAxisTitlesOfEveryParameterType) {
    const char* texts[][2] = {{"A4R_avg", "A4R_avg"},
                              {"TR4R_avg", "TR4R_avg"},
                              {"TR4R_std", "TR4R_std"},
                              {"CN1_avg", "CN1_avg"},
                              {"CN2_avg", "CN2_avg"},
                              {"CDN_avg", "CDN_avg"},
                              {"A4R", "A4R"},
                              {"TR4R", "TR4R"},
                              {"N1", "N1 (RPM)"},
                              {"N2", "N2 (RPM)"},
                              {"CN1", "CN1"},
                              {"CN2", "CN2"},
                              {"CDN", "CDN"},
                              {"Time History", "Amplitude (G)"},
                              {"FFT", "Magnitude (G)"},
                              {"Waterfall FFT", "Bin"},
                              {"Envelope FFT", "Envelope Magnitude (G)"}};
    for (int type = 0; type < 17; ++type) {
        EXPECT_EQ(parameterMenuText(static_cast<ParameterType>(type)),
                  QLatin1String(texts[type][0]));
        EXPECT_EQ(buildPlotView(selection(PlotType::SteadyState, type), twoFlights()).yAxisTitle,
                  QLatin1String(texts[type][1]));
    }
    const char* bins[][2] = {{"TOC (Top Of Climb)", "TOC"},
                             {"TOD (Top Of Descent)", "TOD"},
                             {"AOD (All Other Decels)", "AOD"},
                             {"AOA (All Other Accels)", "AOA"}};
    for (int bin = 0; bin < 4; ++bin) {
        EXPECT_EQ(transientBinMenuText(bin), QLatin1String(bins[bin][0]));
        EXPECT_EQ(transientBinAxisLabel(bin), QLatin1String(bins[bin][1]));
    }
}

// Types come back from the settings as numbers: one that names no entry has no texts and
// no view, and never reads beside a table.
TEST(PlotViewTest, NumbersThatNameNoTypeHaveEmptyTexts) {
    for (int number : {-1, 17, 1 << 30}) {
        SCOPED_TRACE(number);
        const auto type = static_cast<ParameterType>(number);
        EXPECT_EQ(parameterMenuText(type), QString());
        EXPECT_EQ(parameterAxisTitle(type), QString());
        EXPECT_EQ(transientBinMenuText(number), QString());
        EXPECT_EQ(transientBinAxisLabel(number), QString());
        EXPECT_FALSE(parameterTypeFromValue(number));
        EXPECT_FALSE(plotTypeFromValue(number));
    }
    EXPECT_EQ(parameterTypeFromValue(16), ParameterType::EnvelopeFft);
    EXPECT_EQ(plotTypeFromValue(1), PlotType::Transient);
    EXPECT_EQ(memoryTypeHeader(MemoryType::PreDefect), QStringLiteral("Pre-Defect"));
    EXPECT_EQ(memoryTypeHeader(static_cast<MemoryType>(7)), QStringLiteral("Post-Defect"));
}

TEST(SteadyStateViewTest, ParameterRowsAreMarkersAtBinsOneToTwentySix) {
    for (int type = 0; type < 13; ++type) {
        const PlotView view = buildPlotView(selection(PlotType::SteadyState, type), twoFlights());
        expectShape(view, 2, 26, true, "Bin Number", QString());
        for (int f = 0; f < 2; ++f) {
            const PlotSeries& series = view.series[f];
            EXPECT_EQ(series.name, QStringLiteral("Flight %1").arg(1234 + f));
            EXPECT_EQ(series.x.first(), 1.0);
            EXPECT_EQ(series.x.last(), 26.0);
            EXPECT_EQ(series.y[0], 1000 * (f + 1) + 30 * type + 0.5);
            EXPECT_EQ(series.y[25], 1000 * (f + 1) + 30 * type + 25.5);
        }
    }
}

TEST(SteadyStateViewTest, TimeHistoryAndSpectrumOfTheSelectedBin) {
    const QList<FlightDataElement> flights = twoFlights();
    PlotSelection s = selection(PlotType::SteadyState, ParameterType::TimeHistory);
    s.sample = 4;
    const PlotView time = buildPlotView(s, flights);
    expectShape(time, 2, 1024, false, "Time History (ms)", QStringLiteral("Bin Number 5"));
    EXPECT_EQ(time.series[1].x[0], 0.0);
    EXPECT_EQ(time.series[1].x[1023], 1023 * 0.1024);
    EXPECT_EQ(time.series[1].y[10], ((10 * 7 + 97 * 2) % 2001 - 1000) * kG);

    for (int window : {0, 1}) {
        s.parameterType = ParameterType::Fft;
        s.windowType = window;
        const PlotView fft = buildPlotView(s, flights);
        expectShape(fft, 2, 512, false, "Frequency (Hz)", QStringLiteral("Bin Number 5"));
        EXPECT_EQ(fft.series[0].x[0], 0.0);
        EXPECT_EQ(fft.series[0].x[511], 511 * 9.5367431640625);
        for (int f = 0; f < 2; ++f)
            EXPECT_EQ(fft.series[f].y,
                      spectrum(binRecord(flights[f], 4), window, SpectrumView::SteadyState));

        // The envelope spectrum: the same lines, of the bin's envelope, in G or in dB.
        s.parameterType = ParameterType::EnvelopeFft;
        const PlotView envelope = buildPlotView(s, flights);
        expectShape(envelope, 2, 512, false, "Frequency (Hz)", QStringLiteral("Bin Number 5"));
        EXPECT_EQ(envelope.series[1].x, fft.series[1].x);
        EXPECT_EQ(envelope.headerLine1, fft.headerLine1);
        for (int f = 0; f < 2; ++f) {
            QList<double> expected(512);
            envelopeSpectrum(binRecord(flights[f], 4).constData(), window, expected.data());
            EXPECT_EQ(envelope.series[f].y, expected);
        }
        const PlotView decibels = decibelView(envelope, s);
        EXPECT_EQ(decibels.yAxisTitle, QStringLiteral("Envelope Magnitude (dB re 1 G)"));
        EXPECT_EQ(decibels.series[0].y[7], amplitudeToDecibels(envelope.series[0].y[7]));
    }
}

TEST(SteadyStateViewTest, WaterfallLiftsEachBinsSpectrumAndHidesSilentBins) {
    // Bin j carries a sine on spectrum point j + 2 over a constant, which the Hann window
    // would leak into point 1; bins 20 to 25 are silent.
    Record r;
    for (int bin = 0; bin < 20; ++bin)
        for (int k = 0; k < 1024; ++k)
            r.binSample(
                bin, k,
                qint16(std::lround(200 + 3000 * std::sin(2 * M_PI * (bin + 2) * k / 1024))));
    const QList<FlightDataElement> flights = {flight(1234, r.bytes)};
    PlotSelection s = selection(PlotType::SteadyState, ParameterType::Waterfall);
    s.flightNumber = 1234;
    for (int window : {0, 1}) {
        s.windowType = window;
        const PlotView view = buildPlotView(s, flights);
        expectShape(view, 26, 512, false, "Frequency (Hz)", QStringLiteral("Flight # 1234"));
        EXPECT_TRUE(view.waterfall);
        EXPECT_EQ(view.yAxisMinimum, 0.0);
        int shown = 0;
        for (int j = 0; j < 26; ++j) {
            const PlotSeries& trace = view.series[j];
            EXPECT_EQ(trace.name, QStringLiteral("Trace %1").arg(j + 1));
            EXPECT_EQ(trace.visible, j < 20) << j;
            shown += trace.visible;
            EXPECT_EQ(trace.x[511], 511 * 9.5367431640625);
            EXPECT_EQ(trace.y[0], j + 1.0);
            const QList<double> amplitudes =
                spectrum(binRecord(flights[0], j), window, SpectrumView::SteadyState);
            for (int k = 1; k < 512; ++k)
                ASSERT_EQ(trace.y[k], amplitudes[k] + (j + 1)) << j << k;
            if (window == 1) {
                EXPECT_EQ(trace.y[1], j + 1.0);
            }
            const QList<double> exported = withoutWaterfallOffset(view, trace.y, j);
            if (!trace.visible) {
                EXPECT_EQ(exported, constant(0.0, 512));
            }
        }
        EXPECT_EQ(shown, 20);
        EXPECT_NEAR(view.series[4].y[6] - 5, 3000 * kG, 1e-3); // trace 4 is bin 4's
    }
}

// ---- Transient view -----------------------------------------------------------------------

TEST(TransientViewTest, AveragesAreMarkersAtNamedBinsAndTR4RBuildsNothing) {
    const QList<FlightDataElement> flights = twoFlights();
    for (int type : {0, 3, 4, 5}) {
        const PlotView view = buildPlotView(selection(PlotType::Transient, type), flights);
        expectShape(view, 2, 4, true, "", parameterMenuText(static_cast<ParameterType>(type)));
        ASSERT_EQ(view.xAxisLabels.size(), 4);
        const char* labels[] = {"TOC", "TOD", "AOD", "AOA"};
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(view.xAxisLabels[b].x, b + 1.0);
            EXPECT_EQ(view.xAxisLabels[b].text, QLatin1String(labels[b]));
        }
        EXPECT_EQ(view.series[1].x, (QList<double>{1, 2, 3, 4}));
        EXPECT_EQ(view.series[1].y,
                  (QList<double>{2000 + 10 * type + 0.25, 2000 + 10 * type + 1.25,
                                 2000 + 10 * type + 2.25, 2000 + 10 * type + 3.25}));
    }
    // Nor has it an envelope spectrum.
    for (int type : {1, 2, 16}) {
        const PlotView view = buildPlotView(selection(PlotType::Transient, type), flights);
        EXPECT_FALSE(view.seriesBuilt);
        EXPECT_TRUE(view.series.isEmpty());
        EXPECT_EQ(view.footer, parameterMenuText(static_cast<ParameterType>(type)));
    }
}

TEST(TransientViewTest, ParameterValuesOfTheSelectedBinAtSamplesOneToTen) {
    const QList<FlightDataElement> flights = twoFlights();
    const char* footers[] = {"TOC (Top Of Climb)", "TOD (Top Of Descent)", "AOD (All Other Decels)",
                             "AOA (All Other Accels)"};
    for (int type = 6; type < 13; ++type) {
        for (int bin = 0; bin < 4; ++bin) {
            PlotSelection s = selection(PlotType::Transient, type);
            s.transientBin = bin;
            const PlotView view = buildPlotView(s, flights);
            expectShape(view, 2, 10, true, "", QLatin1String(footers[bin]));
            EXPECT_EQ(view.series[0].x.first(), 1.0);
            EXPECT_EQ(view.series[0].x.last(), 10.0);
            EXPECT_EQ(view.series[0].y[9], 1000 + 100 * type + 10 * bin + 9);
            EXPECT_EQ(view.series[1].y[0], 2000 + 100 * type + 10 * bin);
        }
    }
}

TEST(TransientViewTest, TimeHistoryAndSpectrumNameTheSampleAndBin) {
    const QList<FlightDataElement> flights = twoFlights();
    const char* footers[] = {"Sample Number 10: (TOC)", "Sample Number 10: (TOD)",
                             "Sample Number 10: (AOD)", "Sample Number 10: (AOA)"};
    for (int bin = 0; bin < 4; ++bin) {
        PlotSelection s = selection(PlotType::Transient, ParameterType::TimeHistory);
        s.transientBin = bin;
        s.sample = 9;
        const PlotView time = buildPlotView(s, flights);
        expectShape(time, 2, 1024, false, "Time History (ms)", QLatin1String(footers[bin]));
        EXPECT_EQ(time.series[1].x[1023], 1023 * 0.1024);
        EXPECT_EQ(time.series[1].y, constant((200 + 10 * bin + 10) * kG));

        s.parameterType = ParameterType::Fft;
        s.windowType = 1;
        const PlotView fft = buildPlotView(s, flights);
        expectShape(fft, 2, 512, false, "Frequency (Hz)", QLatin1String(footers[bin]));
        EXPECT_EQ(fft.series[1].y,
                  spectrum(constant((200 + 10 * bin + 10) * kG), 1, SpectrumView::Transient));
        EXPECT_GT(fft.series[1].y[1], 0.5); // the transient view keeps point 1 under Hann
    }
}

TEST(TransientViewTest, WaterfallOfTheSelectedBinKeepsPointOneUnderHann) {
    Record r;
    for (int s = 0; s < 8; ++s)
        r.transientSamples(1, s, qint16(1000 * (s + 1)));
    const QList<FlightDataElement> flights = {flight(55, r.bytes)};
    PlotSelection s = selection(PlotType::Transient, ParameterType::Waterfall);
    s.flightNumber = 55;
    s.transientBin = 1;
    s.windowType = 1;
    const PlotView view = buildPlotView(s, flights);
    expectShape(view, 10, 512, false, "Frequency (Hz)", QStringLiteral("TOD (Top Of Descent)"));
    for (int j = 0; j < 10; ++j) {
        const PlotSeries& trace = view.series[j];
        EXPECT_EQ(trace.visible, j < 8) << j;
        EXPECT_EQ(trace.y[0], j + 1.0);
        const QList<double> amplitudes =
            spectrum(constant(j < 8 ? 1000 * (j + 1) * kG : 0.0), 1, SpectrumView::Transient);
        EXPECT_EQ(trace.y[1], amplitudes[1] + (j + 1));
        EXPECT_EQ(withoutWaterfallOffset(view, trace.y, j)[1], amplitudes[1]);
    }
    EXPECT_NEAR(view.series[0].y[1] - 1, 1000 * kG, 1e-4); // a constant v shows v at point 1
}

// ---- Waterfall flight, Y axis, headers ----------------------------------------------------

TEST(WaterfallFlightTest, TheChosenOfTwoSameNumberedFlightsIsShown) {
    Record first, second;
    first.binSamples(0, 100);
    second.binSamples(0, 100);
    second.binSample(0, 7, -2000); // only the second file's flight has a spectrum line
    const QList<FlightDataElement> flights = {flight(42, first.bytes, 1000),
                                              flight(42, second.bytes, 2000)};
    PlotSelection s = selection(PlotType::SteadyState, ParameterType::Waterfall);
    s.flightNumber = 42;
    const PlotView byNumber = buildPlotView(s, flights);
    s.flightCreationTime = 2000;
    const PlotView byFile = buildPlotView(s, flights);
    const QList<double> firstSpectrum =
        spectrum(binRecord(flights[0], 0), 0, SpectrumView::SteadyState);
    const QList<double> secondSpectrum =
        spectrum(binRecord(flights[1], 0), 0, SpectrumView::SteadyState);
    ASSERT_NE(firstSpectrum, secondSpectrum);
    EXPECT_EQ(withoutWaterfallOffset(byNumber, byNumber.series[0].y, 0).mid(1),
              firstSpectrum.mid(1));
    EXPECT_EQ(withoutWaterfallOffset(byFile, byFile.series[0].y, 0).mid(1), secondSpectrum.mid(1));
    EXPECT_EQ(byFile.footer, QStringLiteral("Flight # 42"));

    // A flight that is not loaded draws every trace flat on its level, hidden.
    s.flightNumber = 99;
    s.flightCreationTime.reset();
    const PlotView missing = buildPlotView(s, flights);
    ASSERT_EQ(missing.series.size(), 26);
    EXPECT_EQ(missing.footer, QStringLiteral("Flight # 99"));
    for (int j = 0; j < 26; ++j) {
        EXPECT_FALSE(missing.series[j].visible);
        EXPECT_EQ(missing.series[j].y, constant(j + 1.0, 512));
    }
}

TEST(PlotViewTest, EachSeriesComesFromItsOwnFlightEvenWithOneKey) {
    // One file holding a flight number in two slots gives two flights with one key.
    const QList<FlightDataElement> flights = {flight(9, distinctRecord(1).bytes, 5),
                                              flight(9, distinctRecord(2).bytes, 5)};
    const PlotView view = buildPlotView(selection(PlotType::SteadyState, 0), flights);
    EXPECT_EQ(view.series[0].y[0], 1000.5);
    EXPECT_EQ(view.series[1].y[0], 2000.5);
}

// Two downloads of one flight may both be loaded: from the second series of a number on, the
// legend and the tabulation name the download.
TEST(PlotViewTest, ARepeatedFlightNumberIsNamedWithItsDownloadTime) {
    qputenv("TZ", "UTC");
    tzset();
    const QByteArray record = distinctRecord(1).bytes;
    const QList<FlightDataElement> flights = {
        flight(7021, record, 1796667000), flight(7022, record, 1796667000),
        flight(7021, record, 1796667669), flight(7021, record, 1775560506)};
    const PlotSelection steady = selection(PlotType::SteadyState, ParameterType::A4R);
    const PlotView view = buildPlotView(steady, flights);
    QStringList names;
    for (const PlotSeries& series : view.series)
        names.append(series.name);
    EXPECT_EQ(names,
              QStringList({"Flight 7021", "Flight 7022", "Flight 7021 (07-DEC-2026 18:21:09)",
                           "Flight 7021 (07-APR-2026 11:15:06)"}));
    EXPECT_EQ(buildTabulation(view, steady, 2, 0, 100).tag,
              QStringLiteral("Selected Flight: Flight 7021 (07-DEC-2026 18:21:09)"));
}

TEST(PlotViewTest, YAxisStartsAtZeroUnlessA4ROrTimeHistoryGoBelow) {
    Record low, high;
    low.binSamples(2, -32768);
    low.transientSamples(0, 0, -32768);
    low.steady(6, 3, -3.5f);
    low.steady(7, 3, -8.0f);
    low.transient(6, 0, 4, -1.25f);
    low.transient(8, 0, 4, -9.0f);
    high.binSamples(2, 10);
    const QList<FlightDataElement> flights = {flight(1, high.bytes), flight(2, low.bytes)};

    PlotSelection s = selection(PlotType::SteadyState, ParameterType::TimeHistory);
    s.sample = 2;
    const PlotView time = buildPlotView(s, flights);
    EXPECT_EQ(time.series[1].y[0], -32768 * (200.0 / 65535.0));
    EXPECT_NEAR(time.series[1].y[0], -100.0015, 1e-4);
    EXPECT_EQ(time.yAxisMinimum, time.series[1].y[0]);
    EXPECT_EQ(buildPlotView(selection(PlotType::SteadyState, 6), flights).yAxisMinimum, -3.5);
    EXPECT_EQ(buildPlotView(selection(PlotType::SteadyState, 7), flights).yAxisMinimum, 0.0);
    EXPECT_EQ(buildPlotView(selection(PlotType::Transient, 6), flights).yAxisMinimum, -1.25);
    EXPECT_EQ(buildPlotView(selection(PlotType::Transient, 8), flights).yAxisMinimum, 0.0);
    EXPECT_NEAR(buildPlotView(selection(PlotType::Transient, ParameterType::TimeHistory), flights)
                    .yAxisMinimum,
                -100.0015, 1e-4);
    s.parameterType = ParameterType::Fft;
    EXPECT_EQ(buildPlotView(s, flights).yAxisMinimum, 0.0);
    // Values above zero never lift the axis off zero.
    EXPECT_EQ(
        buildPlotView(selection(PlotType::SteadyState, 6), {flight(1, high.bytes)}).yAxisMinimum,
        0.0);
}

TEST(PlotViewTest, HeaderLinesNameAircraftEngineAndMemory) {
    QList<FlightDataElement> flights = twoFlights();
    flights[0].engineNumber = 2;
    PlotSelection s = selection(PlotType::SteadyState, ParameterType::Fft);
    EXPECT_EQ(buildPlotView(s, flights).headerLine1,
              QStringLiteral("Steady State Data: AC001: Engine 2"));
    EXPECT_EQ(buildPlotView(s, flights).headerLine2, QStringLiteral("Pre-Defect"));
    s.parameterType = ParameterType::Waterfall;
    s.memoryType = MemoryType::PostDefect;
    EXPECT_EQ(buildPlotView(s, flights).headerLine1,
              QStringLiteral("Steady State Frequency Spectra: AC001: Engine 2"));
    EXPECT_EQ(buildPlotView(s, flights).headerLine2, QStringLiteral("Post-Defect"));
    s.plotType = PlotType::Transient;
    EXPECT_EQ(buildPlotView(s, flights).headerLine1,
              QStringLiteral("Transient Frequency Spectra: AC001: Engine 2"));
    s.parameterType = ParameterType::TR4RAverage;
    EXPECT_EQ(buildPlotView(s, flights).headerLine1,
              QStringLiteral("Transient Data: AC001: Engine 2"));
}

// The identifier is the register's text: "%1" and "%2" in it are letters, not places.
TEST(PlotViewTest, HeaderKeepsAnIdentifierThatLooksLikeAPlaceholder) {
    for (const QString& id :
         {QStringLiteral("F-%1ZK"), QStringLiteral("%2-%1"), QStringLiteral("N%99%L1")}) {
        SCOPED_TRACE(id.toStdString());
        QList<FlightDataElement> flights = twoFlights();
        flights[0].aircraftId = id;
        flights[0].engineNumber = 2;
        EXPECT_EQ(buildPlotView(selection(PlotType::SteadyState, ParameterType::A4R), flights)
                      .headerLine1,
                  QStringLiteral("Steady State Data: ") + id + QStringLiteral(": Engine 2"));
        EXPECT_EQ(buildPlotView(selection(PlotType::Transient, ParameterType::Waterfall), flights)
                      .headerLine1,
                  QStringLiteral("Transient Frequency Spectra: ") + id +
                      QStringLiteral(": Engine 2"));
    }
}

TEST(PlotViewTest, UnknownViewsAndTypesBuildNothing) {
    const QList<FlightDataElement> flights = twoFlights();
    for (auto [plot, type] :
         {std::pair{2, 6}, std::pair{-1, 6}, std::pair{0, 17}, std::pair{1, -1}}) {
        const PlotView view = buildPlotView(selection(static_cast<PlotType>(plot), type), flights);
        EXPECT_FALSE(view.seriesBuilt);
        EXPECT_TRUE(view.series.isEmpty());
    }
    // A sample out of the view's range reads zeros rather than another record.
    PlotSelection s = selection(PlotType::Transient, ParameterType::TimeHistory);
    s.sample = 25;
    EXPECT_EQ(buildPlotView(s, flights).series[0].y, constant(0.0));
}

// ---- brix-cli series ----------------------------------------------------------------------

// A raw flight data file of crafted records; slots without a record hold no flight.
QString writeRawFile(const QString& path, const QList<QByteArray>& records,
                     quint32 magic = 0xAEEAAEEB, qint64 cutTo = -1) {
    QByteArray header(304, '\0');
    qToLittleEndian(magic, header.data());
    std::memcpy(header.data() + 4, "AC001", 5);
    qToLittleEndian(qint32(1), header.data() + 40);
    qToLittleEndian(qint32(20), header.data() + 60);
    for (int slot = 0; slot < records.size(); ++slot)
        qToLittleEndian(qint32(500 + slot), header.data() + 64 + 4 * slot);
    QByteArray file = header;
    for (int slot = 0; slot < 20; ++slot)
        file += slot < records.size() ? records[slot] : QByteArray(kRecordBytes, '\0');
    file += QByteArray(8, '\0');
    if (cutTo >= 0)
        file.truncate(cutTo);
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
    return path;
}

struct CliRun {
    int exitCode;
    QString output;
    QList<RecordingNotifier::Message> messages;
};

CliRun runSeries(const QStringList& arguments) {
    RecordingNotifier notifier;
    QString output;
    QTextStream out(&output);
    const int code = runSeriesCommand(arguments, notifier, out);
    return {code, output, notifier.messages};
}

class SeriesCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(SeriesCommandTest, PrintsSimulatorFlightsAsCsv) {
    const auto response = UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
    ASSERT_TRUE(response);
    const DownloadedData data(*response);
    QFile file(path(QStringLiteral("n4orig_05MAR2006_1432.raw")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(RawFlightDataFile::write(file, data, AircraftRecord{}, 0, 1141568000));
    file.close();
    const QString raw = file.fileName();

    const CliRun run = runSeries({"--view", "steady", "--param", "8", raw + ":0", raw + ":2"});
    ASSERT_EQ(run.exitCode, 0) << run.messages.value(0).text.toStdString();
    const QStringList lines = run.output.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4 + 1 + 26 + 1);
    EXPECT_EQ(lines[0], QStringLiteral("# x-title: Bin Number"));
    EXPECT_EQ(lines[1], QStringLiteral("# y-title: N1 (RPM)"));
    EXPECT_EQ(lines[2], QStringLiteral("# footer: "));
    EXPECT_EQ(lines[3], QStringLiteral("# y-min: 0"));
    EXPECT_EQ(lines[4], QStringLiteral("x,Flight %1,Flight %2")
                            .arg(QString::number(data.flightNumber(0)),
                                 QString::number(data.flightNumber(2))));
    EXPECT_EQ(lines[5], QString::asprintf("1,%.9g,%.9g", double(data.binValue(0, 0, 8)),
                                          double(data.binValue(2, 0, 8))));
    EXPECT_EQ(lines[30], QString::asprintf("26,%.9g,%.9g", double(data.binValue(0, 25, 8)),
                                           double(data.binValue(2, 25, 8))));
    EXPECT_TRUE(lines[31].isEmpty());
}

TEST_F(SeriesCommandTest, WaterfallListsHiddenTracesWithTheirOffsets) {
    Record r;
    for (int bin = 0; bin < 20; ++bin)
        r.binSamples(bin, 100);
    const QString raw = writeRawFile(path(QStringLiteral("a.raw")), {r.bytes, r.bytes});
    const CliRun run =
        runSeries({"--view", "steady", "--param", "15", "--flight", "501", raw + ":1"});
    ASSERT_EQ(run.exitCode, 0);
    const QStringList lines = run.output.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5 + 1 + 512 + 1);
    EXPECT_EQ(lines[0], QStringLiteral("# x-title: Frequency (Hz)"));
    EXPECT_EQ(lines[1], QStringLiteral("# y-title: Bin"));
    EXPECT_EQ(lines[2], QStringLiteral("# footer: Flight # 501"));
    EXPECT_EQ(lines[3], QStringLiteral("# y-min: 0"));
    EXPECT_EQ(lines[4], QStringLiteral("# hidden: Trace 21,Trace 22,Trace 23,Trace 24,Trace "
                                       "25,Trace 26"));
    QStringList header{QStringLiteral("x")};
    QStringList firstRow{"0"};
    for (int j = 1; j <= 26; ++j) {
        header << QStringLiteral("Trace %1").arg(j);
        firstRow << QString::number(j);
    }
    EXPECT_EQ(lines[5], header.join(QLatin1Char(',')));
    EXPECT_EQ(lines[6], firstRow.join(QLatin1Char(',')));
    EXPECT_TRUE(lines[517].startsWith(QStringLiteral("4873.27576,")));
}

TEST_F(SeriesCommandTest, TransientTR4RPrintsOnlyTheHeaderLines) {
    const QString raw = writeRawFile(path(QStringLiteral("a.raw")), {Record().bytes});
    const CliRun run = runSeries({"--view", "transient", "--param", "2", raw + ":0"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, QStringLiteral("# x-title: \n# y-title: TR4R_std\n# footer: TR4R_std\n"
                                         "# y-min: 0\n"));
}

TEST_F(SeriesCommandTest, RefusesUnreadableSlotsAndTooManyFlights) {
    QList<QByteArray> records(11, Record().bytes);
    const QString good = writeRawFile(path(QStringLiteral("good.raw")), records);
    const QString badMagic = writeRawFile(path(QStringLiteral("magic.raw")), records, 0xAEEAAEEC);
    const QString older = writeRawFile(path(QStringLiteral("older.raw")), records, 0xAEEAAEEA);
    // Slot 2 ends one byte short.
    const QString cut =
        writeRawFile(path(QStringLiteral("cut.raw")), records, 0xAEEAAEEB, 304 + 3 * 137736 - 1);
    const QStringList view = {"--view", "steady", "--param", "0"};

    EXPECT_EQ(runSeries(view + QStringList{older + ":10"}).exitCode, 0);
    EXPECT_EQ(runSeries(view + QStringList{cut + ":1"}).exitCode, 0);
    // A wrong first word, a slot cut short, a slot without a flight, no file at all.
    const QString none = path(QStringLiteral("none.raw"));
    for (const QString& slot : {badMagic + ":0", cut + ":2", good + ":11", none + ":0"}) {
        const CliRun run = runSeries(view + QStringList{good + ":0", slot});
        EXPECT_EQ(run.exitCode, 1) << slot.toStdString();
        EXPECT_TRUE(run.output.isEmpty());
        ASSERT_EQ(run.messages.size(), 1);
    }
    const CliRun cutShort = runSeries(view + QStringList{cut + ":2"});
    EXPECT_EQ(cutShort.messages.value(0),
              (RecordingNotifier::Message{
                  QStringLiteral("critical"), QStringLiteral("Error"),
                  QStringLiteral("Slot 2 of \"%1\" holds no flight that can be read").arg(cut)}));

    QStringList eleven = view;
    for (int slot = 0; slot < 11; ++slot)
        eleven << good + ":" + QString::number(slot);
    const CliRun tooMany = runSeries(eleven);
    EXPECT_EQ(tooMany.exitCode, 1);
    ASSERT_EQ(tooMany.messages.size(), 1);
    EXPECT_EQ(tooMany.messages[0].text,
              QStringLiteral("Too many flights selected. Maximum allowed is 10"));
    eleven.removeLast();
    EXPECT_EQ(runSeries(eleven).exitCode, 0);
}

TEST_F(SeriesCommandTest, UsageErrorsExitTwo) {
    const QString raw = writeRawFile(path(QStringLiteral("a.raw")), {Record().bytes});
    const QString slot = raw + ":0";
    const QList<QStringList> wrong = {
        {"--view", "steady", slot},
        {"--param", "6", slot},
        {"--view", "steady", "--param", "17", slot},
        {"--view", "transient", "--param", "16", slot},
        {"--view", "steady", "--param", "6", "--bin", "4", slot},
        {"--view", "steady", "--param", "13", "--sample", "26", slot},
        {"--view", "transient", "--param", "13", "--sample", "10", slot},
        {"--view", "steady", "--param", "6", "--colour", "1", slot},
        {"--view", "steady", "--param", "6"},
        {"--view", "steady", "--param", "6", raw + ":20"},
        {"--view", "steady", "--param", "6", slot, "--flight"},
    };
    for (const QStringList& arguments : wrong) {
        const CliRun run = runSeries(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        ASSERT_EQ(run.messages.size(), 1);
        EXPECT_TRUE(run.messages[0].text.contains(QStringLiteral("usage: brix-cli series")));
    }
    EXPECT_EQ(runSeries({"--view", "transient", "--param", "13", "--sample", "9", slot}).exitCode,
              0);
    EXPECT_TRUE(runSeries({"--view", "transient", "--param", "16", slot})
                    .messages.value(0)
                    .text.startsWith(
                        QStringLiteral("--param 16 (Envelope FFT) is for --view steady only\n")));
    EXPECT_EQ(runSeries({"--view", "steady", "--param", "16", slot}).exitCode, 0);
}

} // namespace
