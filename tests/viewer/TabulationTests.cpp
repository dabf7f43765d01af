// The numbers behind the chart as text: tabulation rows and their range, the saved layout,
// the waterfall export, file names and safe saving, and brix-cli tabulate and waterfall-csv
// run in-process on a raw file that a download of the simulated unit writes.
#include "FlightDataElement.h"
#include "PlotSeries.h"
#include "RecordingNotifier.h"
#include "SimulatorRawFile.h"
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

// One series at the spectrum's X values, Y = 1.23456 + point.
PlotView spectrumView() {
    PlotView view;
    view.footer = QStringLiteral("Bin Number 3");
    view.headerLine1 = QStringLiteral("Steady State Data: AC001: Engine 1");
    view.headerLine2 = QStringLiteral("Pre-Defect");
    view.yAxisTitle = QStringLiteral("Magnitude (G)");
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

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

struct CliRun {
    int exitCode;
    QStringList lines;
    QList<RecordingNotifier::Message> messages;
};

template <typename Command>
CliRun run(Command command, const QStringList& arguments) {
    RecordingNotifier notifier;
    QString output;
    QTextStream out(&output);
    const int code = command(arguments, notifier, out);
    return {code, output.isEmpty() ? QStringList() : output.split(QLatin1Char('\n')),
            notifier.messages};
}

} // namespace

// Over the full range row i is point i; zoomed to 100..200 Hz only points 11 (104.9 Hz) to
// 20 (190.7 Hz) are rows, so the read-out looks its row up, and nothing of the wider range
// is left over.
TEST(TabulationTest, RowsAreExactlyThePointsInRange) {
    const PlotView view = spectrumView();
    const PlotSelection selection = selectionOf(PlotType::SteadyState, ParameterType::Fft);
    const Tabulation full = buildTabulation(view, selection, 0, 0, 511 * kSpacing);
    ASSERT_EQ(full.rows.size(), 512);
    for (int point : {0, 255, 511})
        EXPECT_EQ(full.rowOfPoint(point), point);
    EXPECT_EQ(full.rows[10].text, QStringLiteral("   10     95.37 (Hz)    11.235 (G)"));
    EXPECT_EQ(tabulationFileText(full).section(QLatin1Char('\n'), 0, 5),
              QStringLiteral("Selected Flight: Flight 77\n"
                             "Steady State Data: AC001: Engine 1  Pre-Defect\n"
                             "Bin Number 3  \nParameter: Magnitude (G)\n\n") +
                  full.rows[0].text);
    EXPECT_TRUE(tabulationFileText(full).endsWith(full.rows[511].text + QLatin1Char('\n')));
    // Notes follow the rows after a blank line.
    Tabulation noted = full;
    noted.notes = {QStringLiteral("1xN1 note"), QStringLiteral("2xN1 note")};
    EXPECT_TRUE(tabulationFileText(noted).endsWith(full.rows[511].text +
                                                   QStringLiteral("\n\n1xN1 note\n2xN1 note\n")));

    const Tabulation zoomed = buildTabulation(view, selection, 0, 100, 200);
    ASSERT_EQ(zoomed.rows.size(), 10);
    EXPECT_EQ(zoomed.rows.first().text, full.rows[11].text);
    EXPECT_EQ(zoomed.rowOfPoint(11), 0);
    EXPECT_EQ(zoomed.rowOfPoint(20), 9);
    for (int outside : {-1, 10, 21})
        EXPECT_EQ(zoomed.rowOfPoint(outside), -1) << outside;
    // The limits are included; a series the view does not have lists nothing.
    EXPECT_EQ(buildTabulation(view, selection, 0, kSpacing, 2 * kSpacing).rows.size(), 2);
    EXPECT_TRUE(buildTabulation(view, selection, 1, 0, 1000).rows.isEmpty());
}

TEST(TabulationTest, OtherViewsNameTheXAxisInEveryRow) {
    const PlotSelection n1 = selectionOf(PlotType::SteadyState, ParameterType::N1);
    PlotView view = buildPlotView(n1, {craftedFlight(QStringLiteral("AC001"))});
    view.series[0].y[0] = 1234.5678;
    view.series[0].y[25] = -0.000123456;
    const Tabulation bins = buildTabulation(view, n1, 0, 1, 26);
    ASSERT_EQ(bins.rows.size(), 26);
    EXPECT_EQ(bins.rows[0].text, QStringLiteral("Bin Number         1    1234.6"));
    EXPECT_EQ(bins.rows[25].text, QStringLiteral("Bin Number        26  -0.00012346"));
}

// The aircraft ID is the register's text: "%1" and "%2" in it are letters, in the
// tabulation and in the export alike.
TEST(TabulationTest, AircraftIdWithPercentSignsIsShownAsTyped) {
    const QList<FlightDataElement> flights{craftedFlight(QStringLiteral("A%1B%2"))};
    const PlotSelection binPlot = selectionOf(PlotType::SteadyState, ParameterType::A4R);
    EXPECT_EQ(buildTabulation(buildPlotView(binPlot, flights), binPlot, 0, 1, 26).header1,
              QStringLiteral("Steady State Data: A%1B%2: Engine 1  Pre-Defect"));
    PlotSelection waterfall = selectionOf(PlotType::Transient, ParameterType::Waterfall);
    waterfall.flightNumber = 42;
    EXPECT_EQ(waterfallCsvText(buildPlotView(waterfall, flights), 42, 0, 0)
                  .section(QLatin1Char('\n'), 1, 1),
              QStringLiteral("Transient Frequency Spectra: A%1B%2: Engine 1"));
}

TEST(WaterfallCsvTest, WritesAmplitudesWithoutOffsetsAndOnlyNonEmptyTextLines) {
    PlotView view;
    view.headerLine1 = QStringLiteral("Header");
    view.footer = QStringLiteral("Footer");
    for (int trace = 0; trace < 2; ++trace) {
        PlotSeries series;
        series.x = {0, 10, 20, 30};
        series.y = {trace + 1.0, trace + 1.5, trace + 1.000012345, trace + 1.0};
        series.visible = trace == 0; // hidden traces are written too
        view.series.append(series);
    }
    EXPECT_EQ(waterfallCsvText(view, -5, 10, 20),
              QStringLiteral("Flight Number: -5\nHeader\nFooter\n10,0.5,0.5\n"
                             "20,1.2345e-05,1.2345e-05\n"));
}

TEST(SaveTextTest, FileNamesGetTheirExtensionUnlessTheyEndInIt) {
    const QList<std::pair<QString, QString>> cases = {{"data", "data.txt"},
                                                      {"data.txt", "data.txt"},
                                                      {"DATA.TXT", "DATA.TXT.txt"},
                                                      {"fft.csv", "fft.csv"},
                                                      {"FFT.CSV", "FFT.CSV.csv"}};
    for (const auto& [name, expected] : cases) {
        const QString extension = expected.right(4);
        EXPECT_EQ(withExtension(name, extension), expected);
    }
}

// Saving goes through a temporary name: a target that cannot be written, or a write that
// fails half-way (the file-size limit stands in for a full disk), leaves what was there as
// it was and nothing beside it.
TEST(SaveTextTest, FailuresLeaveEverythingAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tab.txt"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(saveTextFile(path, QStringLiteral("first")));
    ASSERT_TRUE(saveTextFile(path, QStringLiteral("old rows\n")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    EXPECT_FALSE(saveTextFile(path + QStringLiteral("/below-a-file.txt"), QStringLiteral("x")));
    EXPECT_FALSE(saveTextFile(folder, QStringLiteral("x")));
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64 * 1024, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = saveTextFile(path, QString(1024 * 1024, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);

    EXPECT_EQ(readAll(path), QStringLiteral("old rows\n"));
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("folder"), QStringLiteral("tab.txt")}));
}

// The save of the tabulation window and of the waterfall export: the extension, the
// overwrite question with No as its default, and the failure told.
TEST(SaveTextTest, AChosenFileIsWrittenAskedAboutOrReported) {
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("rows"));
    const QString path = chosen + kTabulationExtension;
    RecordingNotifier notifier;

    saveChosenTextFile(chosen, kTabulationExtension, QStringLiteral("first\n"), notifier);
    EXPECT_EQ(readAll(path), QStringLiteral("first\n"));
    EXPECT_TRUE(notifier.messages.isEmpty()) << "a new file needs no question";

    notifier.answers = {false};
    saveChosenTextFile(path, kTabulationExtension, QStringLiteral("second\n"), notifier);
    EXPECT_EQ(readAll(path), QStringLiteral("first\n"));
    notifier.answers = {true};
    saveChosenTextFile(path, kTabulationExtension, QStringLiteral("third\n"), notifier);
    EXPECT_EQ(readAll(path), QStringLiteral("third\n"));
    EXPECT_EQ(notifier.questionDefaults,
              QList<Notifier::DefaultAnswer>(2, Notifier::DefaultAnswer::No));
    ASSERT_EQ(notifier.messages.size(), 2);
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Save To File"));
    EXPECT_EQ(notifier.messages[0].text,
              QStringLiteral("File already exists. Do you want to overwrite it?"));

    notifier.messages.clear();
    saveChosenTextFile(path + QStringLiteral("/below"), kWaterfallCsvExtension, QStringLiteral("x"),
                       notifier);
    EXPECT_EQ(notifier.messages, (QList<RecordingNotifier::Message>{
                                     {QStringLiteral("critical"), QStringLiteral("Save To File"),
                                      QStringLiteral("Couldn't save tabulation data")}}));
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
// whole range; then a transient one zoomed to 100..200 Hz.
TEST_F(TabulateCommandTest, WaterfallCsvOfAStoredFlight) {
    const CliRun csv = run(runWaterfallCsvCommand,
                           {"--view", "steady", "--flight", "1234", raw + ":1", raw + ":0"});
    ASSERT_EQ(csv.exitCode, 0) << csv.messages.value(0).text.toStdString();
    ASSERT_EQ(csv.lines.size(), 4 + 512 + 1);
    EXPECT_EQ(csv.lines.mid(0, 4),
              (QStringList{"Flight Number: 1234", "Steady State Frequency Spectra: AC001: Engine 1",
                           "Pre-Defect", "Flight # 1234"}));
    EXPECT_EQ(csv.lines[4], QStringLiteral("0") + QStringLiteral(",0").repeated(26));
    EXPECT_TRUE(csv.lines[515].startsWith(QStringLiteral("4873.3,")));

    const CliRun zoomed = run(runWaterfallCsvCommand, {"--view", "transient", "--flight", "1235",
                                                       "--range", "100", "200", raw + ":1"});
    ASSERT_EQ(zoomed.exitCode, 0);
    ASSERT_EQ(zoomed.lines.size(), 4 + 10 + 1);
    EXPECT_EQ(zoomed.lines[3], QStringLiteral("TOC (Top Of Climb)"));
    EXPECT_TRUE(zoomed.lines[4].startsWith(QStringLiteral("104.9,")));
    EXPECT_EQ(zoomed.lines[4].count(QLatin1Char(',')), 10);
}

TEST_F(TabulateCommandTest, TabulatesTheChosenSeriesOverTheChosenRange) {
    const CliRun spectrum =
        run(runTabulateCommand, {"--view", "steady", "--param", "14", "--sample", "2", "--series",
                                 "1", "--range", "100", "200", raw + ":0", raw + ":1"});
    ASSERT_EQ(spectrum.exitCode, 0) << spectrum.messages.value(0).text.toStdString();
    ASSERT_EQ(spectrum.lines.size(), 5 + 10 + 1);
    EXPECT_EQ(spectrum.lines[0], QStringLiteral("Selected Flight: Flight 1235"));
    EXPECT_TRUE(spectrum.lines[5].startsWith(QStringLiteral("   11    104.90 (Hz)  ")));

    // Without a range every point is listed; the memory named is the slot's.
    const CliRun bins = run(runTabulateCommand, {"--view", "steady", "--param", "6", raw + ":15"});
    ASSERT_EQ(bins.lines.size(), 5 + 26 + 1);
    EXPECT_EQ(bins.lines[1], QStringLiteral("Steady State Data: AC001: Engine 1  Post-Defect"));
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
        {{"--view", "steady", "--param", "6", "--series", "1", slot},
         2,
         "--series takes 0 to 0, not \"1\""},
        {{"--view", "steady", "--param", "6", "--range", "200", "100", slot},
         2,
         "--range takes two numbers MIN <= MAX, not \"200 100\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliRun result = run(runTabulateCommand, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.messages.value(0).text.section(QLatin1Char('\n'), 0, 0), c.message);
        EXPECT_TRUE(result.lines.isEmpty());
    }
    const CliRun noFlight = run(runWaterfallCsvCommand, {"--view", "steady", slot});
    EXPECT_EQ(noFlight.exitCode, 2);
    EXPECT_TRUE(noFlight.messages.value(0).text.startsWith("--view and --flight are required"));
}
