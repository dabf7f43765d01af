// The numbers behind the chart as text: tabulation rows and their range, the saved layout,
// the waterfall export, file names and safe saving, and brix-cli tabulate and waterfall-csv
// run in-process on raw files that a download of the simulated unit writes.
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "PlotSeries.h"
#include "RecordingNotifier.h"
#include "SimulatorRawFile.h"
#include "Spectrum.h"
#include "TabulateCommand.h"
#include "Tabulation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr double kSpacing = 9.5367431640625;

PlotSelection selectionOf(PlotType plotType, ParameterType parameterType) {
    PlotSelection selection;
    selection.plotType = plotType;
    selection.parameterType = parameterType;
    return selection;
}

// A view of one series at the spectrum's X values, its Y values 1.23456 + k.
PlotView spectrumView() {
    PlotView view;
    view.seriesBuilt = true;
    view.xAxisTitle = QStringLiteral("Frequency (Hz)");
    view.yAxisTitle = QStringLiteral("Magnitude (G)");
    view.footer = QStringLiteral("Bin Number 3");
    view.headerLine1 = QStringLiteral("Steady State Data: AC001: Engine 1");
    view.headerLine2 = QStringLiteral("Pre-Defect");
    PlotSeries series;
    series.name = QStringLiteral("Flight 77");
    for (int k = 0; k < 512; ++k) {
        series.x.append(k * kSpacing);
        series.y.append(1.23456 + k);
    }
    view.series = {series};
    return view;
}

FlightDataElement craftedFlight(const QString& aircraftId) {
    FlightDataElement flight;
    flight.aircraftId = aircraftId;
    flight.engineNumber = 1;
    flight.flightNumber = 42;
    flight.fileHeader = QByteArray(304, '\0');
    flight.flightRecord = QByteArray(137736, '\0');
    return flight;
}

struct CliRun {
    int exitCode;
    QString output;
    QList<RecordingNotifier::Message> messages;
};

template <typename Command>
CliRun run(Command command, const QStringList& arguments) {
    RecordingNotifier notifier;
    QString output;
    QTextStream out(&output);
    const int code = command(arguments, notifier, out);
    return {code, output, notifier.messages};
}

} // namespace

TEST(TabulationTest, FullRangeListsEveryPointAsItsOwnRow) {
    const PlotView view = spectrumView();
    const Tabulation tabulation = buildTabulation(
        view, selectionOf(PlotType::SteadyState, ParameterType::Fft), 0, 0, 511 * kSpacing);
    ASSERT_EQ(tabulation.rows.size(), 512);
    for (int point : {0, 1, 255, 511}) {
        EXPECT_EQ(tabulation.rows[point].point, point);
        EXPECT_EQ(tabulation.rowOfPoint(point), point);
    }
    EXPECT_EQ(tabulation.rows[0].text, QStringLiteral("    0      0.00 (Hz)     1.235 (G)"));
    EXPECT_EQ(tabulation.rows[10].text, QStringLiteral("   10     95.37 (Hz)    11.235 (G)"));
    EXPECT_EQ(tabulation.tag, QStringLiteral("Selected Flight: Flight 77"));
    EXPECT_EQ(tabulation.header1, QStringLiteral("Steady State Data: AC001: Engine 1  Pre-Defect"));
    EXPECT_EQ(tabulation.header2, QStringLiteral("Bin Number 3  "));
    EXPECT_EQ(tabulation.header3, QStringLiteral("Parameter: Magnitude (G)"));
}

// Zoomed to 100..200 Hz only points 11 (104.9 Hz) to 20 (190.7 Hz) are listed, so row and
// point index differ and the read-out must look its row up; a refreshed tabulation holds no
// row of the wider range it showed before.
TEST(TabulationTest, ZoomedRangeListsOnlyItsPointsAndLooksRowsUp) {
    const PlotView view = spectrumView();
    const PlotSelection selection = selectionOf(PlotType::SteadyState, ParameterType::Fft);
    const Tabulation full = buildTabulation(view, selection, 0, 0, 511 * kSpacing);
    const Tabulation zoomed = buildTabulation(view, selection, 0, 100, 200);
    ASSERT_EQ(zoomed.rows.size(), 10);
    EXPECT_EQ(zoomed.rows.first().point, 11);
    EXPECT_EQ(zoomed.rows.last().point, 20);
    EXPECT_EQ(zoomed.rows.first().text, full.rows[11].text);
    EXPECT_EQ(zoomed.rowOfPoint(11), 0);
    EXPECT_EQ(zoomed.rowOfPoint(20), 9);
    for (int outside : {-1, 0, 10, 21, 511})
        EXPECT_EQ(zoomed.rowOfPoint(outside), -1) << outside;
    // Range limits are inclusive.
    EXPECT_EQ(buildTabulation(view, selection, 0, kSpacing, 2 * kSpacing).rows.size(), 2);
    EXPECT_TRUE(buildTabulation(view, selection, 0, 1, 2).rows.isEmpty());
}

TEST(TabulationTest, OtherViewsNameTheXAxisInEveryRow) {
    QList<FlightDataElement> flights{craftedFlight(QStringLiteral("AC001"))};
    PlotView view = buildPlotView(selectionOf(PlotType::SteadyState, ParameterType::N1), flights);
    view.series[0].y[0] = 1234.5678;
    view.series[0].y[25] = -0.000123456;
    const Tabulation bins =
        buildTabulation(view, selectionOf(PlotType::SteadyState, ParameterType::N1), 0, 1, 26);
    ASSERT_EQ(bins.rows.size(), 26);
    EXPECT_EQ(bins.rows[0].text, QStringLiteral("Bin Number         1    1234.6"));
    EXPECT_EQ(bins.rows[25].text, QStringLiteral("Bin Number        26  -0.00012346"));
    EXPECT_EQ(bins.header3, QStringLiteral("Parameter: N1 (RPM)"));

    // The transient values have no X-axis title: the row starts with the blanks.
    const PlotSelection transient = selectionOf(PlotType::Transient, ParameterType::CN2);
    const Tabulation values =
        buildTabulation(buildPlotView(transient, flights), transient, 0, 1, 10);
    ASSERT_EQ(values.rows.size(), 10);
    EXPECT_EQ(values.rows[9].text, QStringLiteral("        10         0"));
    EXPECT_EQ(values.header2, QStringLiteral("TOC (Top Of Climb)  "));

    // A series the view does not have lists nothing.
    const Tabulation missing =
        buildTabulation(view, selectionOf(PlotType::SteadyState, ParameterType::N1), 1, 1, 26);
    EXPECT_EQ(missing.tag, QStringLiteral("Selected Flight: "));
    EXPECT_TRUE(missing.rows.isEmpty());
}

TEST(TabulationTest, SavedTextIsTagHeadersBlankLineAndRows) {
    Tabulation tabulation;
    tabulation.tag = QStringLiteral("Selected Flight: Flight 7");
    tabulation.header1 = QStringLiteral("H1  H2");
    tabulation.header2 = QStringLiteral("F1  ");
    tabulation.header3 = QStringLiteral("Parameter: N1 (RPM)");
    tabulation.rows = {{3, QStringLiteral("row three")}, {4, QStringLiteral("row four")}};
    EXPECT_EQ(tabulationFileText(tabulation),
              QStringLiteral("Selected Flight: Flight 7\nH1  H2\nF1  \nParameter: N1 (RPM)\n\n"
                             "row three\nrow four\n"));
    tabulation.rows.clear();
    EXPECT_TRUE(tabulationFileText(tabulation).endsWith(QStringLiteral("(RPM)\n\n")));
}

// The aircraft ID is the register's text: "%1" and "%2" in it are letters, in the tabulation
// headers and in the export alike.
TEST(TabulationTest, AircraftIdWithPercentSignsIsShownAsTyped) {
    const QString id = QStringLiteral("A%1B%2");
    const QList<FlightDataElement> flights{craftedFlight(id)};
    const PlotSelection binPlot = selectionOf(PlotType::SteadyState, ParameterType::A4R);
    const Tabulation tabulation =
        buildTabulation(buildPlotView(binPlot, flights), binPlot, 0, 1, 26);
    EXPECT_EQ(tabulation.header1,
              QStringLiteral("Steady State Data: A%1B%2: Engine 1  Pre-Defect"));
    EXPECT_EQ(tabulation.tag, QStringLiteral("Selected Flight: Flight 42"));

    PlotSelection waterfall = selectionOf(PlotType::Transient, ParameterType::Waterfall);
    waterfall.flightNumber = 42;
    const QStringList lines =
        waterfallCsvText(buildPlotView(waterfall, flights), 42, 0, 0).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("Transient Frequency Spectra: A%1B%2: Engine 1"));
}

TEST(WaterfallCsvTest, WritesAmplitudesWithoutOffsetsAndOnlyNonEmptyTextLines) {
    PlotView view;
    view.headerLine1 = QStringLiteral("Header");
    view.footer = QStringLiteral("Footer");
    for (int trace = 0; trace < 2; ++trace) {
        PlotSeries series;
        series.x = {0, 10, 20, 30};
        series.y = {trace + 1.0, trace + 1.5, trace + 1.000012345, trace + 1.0};
        series.visible = trace == 0;
        view.series.append(series);
    }
    EXPECT_EQ(waterfallCsvText(view, -5, 10, 20),
              QStringLiteral("Flight Number: -5\nHeader\nFooter\n10,0.5,0.5\n20,1.2345e-05,"
                             "1.2345e-05\n"));
    view.series.clear();
    EXPECT_EQ(waterfallCsvText(view, 9, 0, 100),
              QStringLiteral("Flight Number: 9\nHeader\nFooter\n"));
}

TEST(SaveTextTest, FileNamesGetTheirExtensionUnlessTheyEndInIt) {
    const struct {
        const char* name;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"data", ".txt", "data.txt"},         {"data.txt", ".txt", "data.txt"},
        {"DATA.TXT", ".txt", "DATA.TXT.txt"}, {"data.Txt", ".txt", "data.Txt.txt"},
        {"fft.csv", ".csv", "fft.csv"},       {"FFT.CSV", ".csv", "FFT.CSV.csv"},
        {"fft.txt", ".csv", "fft.txt.csv"},   {"/a.txt/b", ".txt", "/a.txt/b.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withExtension(QString::fromLatin1(c.name), QString::fromLatin1(c.extension)),
                  QString::fromLatin1(c.expected));
}

TEST(SaveTextTest, WritesAndReplacesThroughATemporaryName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tab.txt"));
    ASSERT_TRUE(saveTextFile(path, QStringLiteral("first\nµ\n")));
    ASSERT_TRUE(saveTextFile(path, QStringLiteral("second\n")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tab.txt")});
}

// A target that cannot be written fails without writing anything or harming what is there.
TEST(SaveTextTest, UnwritableTargetsFailAndLeaveEverythingAsItWas) {
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    {
        QFile plain(notAFolder);
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.write("kept");
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    EXPECT_FALSE(saveTextFile(notAFolder + QStringLiteral("/tab.txt"), QStringLiteral("x")));
    EXPECT_FALSE(saveTextFile(folder, QStringLiteral("x")));

    QFile plain(notAFolder);
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), QByteArray("kept"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("folder"), QStringLiteral("plain")}));
}

// A write that fails half-way (the file-size limit stands in for a full disk) leaves the
// file that was there as it was, and no partial file beside it.
TEST(SaveTextTest, WriteFailingHalfWayKeepsTheExistingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tab.txt"));
    ASSERT_TRUE(saveTextFile(path, QStringLiteral("old rows\n")));
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64 * 1024, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = saveTextFile(path, QString(1024 * 1024, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old rows\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("tab.txt")});
}

class TabulateCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeSimulatorRawFile(raw, QStringLiteral("AC001"), 1, {{0, 1234}, {1, 1235}}));
    }

    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("n4orig_engine1.raw"));
};

// A steady-state waterfall of flight 1234 of aircraft AC001, engine 1, pre-defect, over the
// whole range.
TEST_F(TabulateCommandTest, WaterfallCsvOfAStoredFlight) {
    const CliRun csv = run(runWaterfallCsvCommand,
                           {"--view", "steady", "--flight", "1234", raw + ":1", raw + ":0"});
    ASSERT_EQ(csv.exitCode, 0) << csv.messages.value(0).text.toStdString();
    const QStringList lines = csv.output.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4 + 512 + 1);
    EXPECT_EQ(lines[0], QStringLiteral("Flight Number: 1234"));
    EXPECT_EQ(lines[1], QStringLiteral("Steady State Frequency Spectra: AC001: Engine 1"));
    EXPECT_EQ(lines[2], QStringLiteral("Pre-Defect"));
    EXPECT_EQ(lines[3], QStringLiteral("Flight # 1234"));
    EXPECT_EQ(lines[4], QStringLiteral("0") + QStringLiteral(",0").repeated(26));
    EXPECT_TRUE(lines[515].startsWith(QStringLiteral("4873.3,")));
    EXPECT_TRUE(lines[516].isEmpty());

    // Each column is the spectrum of its bin, the offset taken off again.
    QFile file(raw);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && file.seek(304)); // slot 1 follows slot 0
    FlightDataElement flight;
    flight.flightRecord = file.read(137736);
    const FlightRecord record(flight);
    QList<double> samples(1024);
    QList<double> spectrum(512);
    const QStringList row = lines[4 + 37].split(QLatin1Char(','));
    ASSERT_EQ(row.size(), 27);
    EXPECT_EQ(row[0], QStringLiteral("352.86"));
    for (int bin : {0, 12, 25}) {
        record.steadyStateTimeRecord(bin, 1024, samples.data());
        recordSpectrum(samples.constData(), 0, SpectrumView::SteadyState, spectrum.data());
        EXPECT_EQ(row[bin + 1], QString::asprintf("%.5g", spectrum[37])) << bin;
    }

    const CliRun zoomed = run(runWaterfallCsvCommand, {"--view", "transient", "--flight", "1235",
                                                       "--range", "100", "200", raw + ":1"});
    ASSERT_EQ(zoomed.exitCode, 0);
    const QStringList zoomedLines = zoomed.output.split(QLatin1Char('\n'));
    ASSERT_EQ(zoomedLines.size(), 4 + 10 + 1);
    EXPECT_EQ(zoomedLines[3], QStringLiteral("TOC (Top Of Climb)"));
    EXPECT_TRUE(zoomedLines[4].startsWith(QStringLiteral("104.9,")));
    EXPECT_EQ(zoomedLines[4].count(QLatin1Char(',')), 10);
}

TEST_F(TabulateCommandTest, TabulatesTheChosenSeriesOverTheChosenRange) {
    const CliRun spectrum =
        run(runTabulateCommand, {"--view", "steady", "--param", "14", "--sample", "2", "--series",
                                 "1", "--range", "100", "200", raw + ":0", raw + ":1"});
    ASSERT_EQ(spectrum.exitCode, 0) << spectrum.messages.value(0).text.toStdString();
    const QStringList lines = spectrum.output.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5 + 10 + 1);
    EXPECT_EQ(lines.mid(0, 5), (QStringList{"Selected Flight: Flight 1235",
                                            "Steady State Data: AC001: Engine 1  Pre-Defect",
                                            "Bin Number 3  ", "Parameter: Magnitude (G)", ""}));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("   11    104.90 (Hz)  ")));
    EXPECT_TRUE(lines[14].startsWith(QStringLiteral("   20    190.73 (Hz)  ")));

    // Without a range every point is listed; the memory named is the slot's.
    const CliRun bins = run(runTabulateCommand, {"--view", "steady", "--param", "6", raw + ":15"});
    ASSERT_EQ(bins.exitCode, 0) << bins.messages.value(0).text.toStdString();
    const QStringList binLines = bins.output.split(QLatin1Char('\n'));
    ASSERT_EQ(binLines.size(), 5 + 26 + 1);
    EXPECT_EQ(binLines[1], QStringLiteral("Steady State Data: AC001: Engine 1  Post-Defect"));
    EXPECT_TRUE(binLines[5].startsWith(QStringLiteral("Bin Number         1  ")));
}

TEST_F(TabulateCommandTest, RefusesWhatItCannotTabulate) {
    const QString slot = raw + QStringLiteral(":0");
    const struct {
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {{"--view", "steady", "--param", "15", slot},
         1,
         "The waterfall has no tabulation: use waterfall-csv"},
        {{"--view", "transient", "--param", "1", slot}, 1, "The view plots nothing for TR4R_avg"},
        {{"--view", "steady", "--param", "6", raw + ":18"},
         1,
         "Slot 18 of \"" + raw + "\" holds no flight that can be read"},
        {{"--view", "steady", "--param", "6", "--series", "1", slot},
         2,
         "--series takes 0 to 0, not \"1\""},
        {{"--view", "steady", "--param", "6", "--range", "200", "100", slot},
         2,
         "--range takes two numbers MIN <= MAX, not \"200 100\""},
        {{"--view", "steady", "--param", "6", "--range", "1", "inf", slot},
         2,
         "--range takes two numbers MIN <= MAX, not \"1 inf\""},
        {{"--view", "steady", "--param", "6", slot, "--range", "1"}, 2, "--range needs a value"},
        {{"--view", "steady", slot}, 2, "--view and --param are required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliRun result = run(runTabulateCommand, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        ASSERT_EQ(result.messages.size(), 1);
        EXPECT_EQ(result.messages[0].text.section(QLatin1Char('\n'), 0, 0), c.message);
        EXPECT_TRUE(result.output.isEmpty());
    }
    const CliRun noFlight = run(runWaterfallCsvCommand, {"--view", "steady", slot});
    EXPECT_EQ(noFlight.exitCode, 2);
    EXPECT_TRUE(noFlight.messages.value(0).text.startsWith("--view and --flight are required"));
    const CliRun sample =
        run(runWaterfallCsvCommand, {"--view", "steady", "--flight", "1", "--sample", "1", slot});
    EXPECT_EQ(sample.exitCode, 2);
    EXPECT_TRUE(sample.messages.value(0).text.startsWith("Unknown option \"--sample\""));
}
