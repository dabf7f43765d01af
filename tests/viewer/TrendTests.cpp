// The engine trend over crafted raw files: the newest copy of a flight wins, both memories,
// maximum and mean, suspect flights, files left out and why, the alert level and its list,
// and the chart view the window shows.
#include "AircraftPaths.h"
#include "BrixAircraftSettings.h"
#include "ChartText.h"
#include "CraftedRawFile.h"
#include "SettingsSandbox.h"
#include "Trend.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace {

using Raw = RawFlightDataLayout;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr int kA4R = 6;
constexpr int kN1 = 8;

// Dates read the same on every machine.
const bool kUtc = [] {
    qputenv("TZ", "UTC");
    tzset();
    return true;
}();

class TrendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kUtc);
        resetSettingsAndHome();
        data = freshDataDirectory();
        directory = engineDirectory(data, QStringLiteral("AC001"), 1);
        ASSERT_TRUE(QDir().mkpath(directory));
    }

    void write(const QString& name, const CraftedRawFile& file) {
        ASSERT_TRUE(writeCraftedRawFile(directory + QLatin1Char('/') + name, file));
    }

    TrendResult trend(ParameterType type, TrendStatistic statistic = TrendStatistic::Maximum,
                      std::optional<MemoryType> memory = std::nullopt) {
        return computeTrend(data, {QStringLiteral("AC001"), 1, type, statistic, memory});
    }

    QString data;
    QString directory;
};

CraftedRawFile fileOf(quint32 created, QList<CraftedSlot> flights) {
    CraftedRawFile file;
    file.creationTime = created;
    file.flightSlots = std::move(flights);
    return file;
}

struct Expected {
    qint32 flight;
    MemoryType memory;
    double value;
    quint32 created;
    const char* file;
};

void expectPoints(const TrendResult& result, const QList<Expected>& expected) {
    ASSERT_EQ(result.points.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const TrendPoint& point = result.points[i];
        EXPECT_EQ(point.flightNumber, expected[i].flight);
        EXPECT_EQ(point.memoryType, expected[i].memory);
        EXPECT_EQ(point.value, expected[i].value);
        EXPECT_EQ(point.creationTime, expected[i].created);
        EXPECT_TRUE(point.filePath.endsWith(QLatin1String(expected[i].file)))
            << point.filePath.toStdString();
    }
}

// A flight in several downloads counts once, from the newest file: by creation time, and
// between files of the same time by the later name; pre- and post-defect copies of one flight
// number are two flights.
TEST_F(TrendTest, TheNewestDownloadOfEachFlightCounts) {
    using M = MemoryType;
    write(QStringLiteral("n4orig_a.raw"),
          fileOf(2000, {CraftedSlot::filled(0, 10, 0, 5), CraftedSlot::filled(1, 12, 1, 6)}));
    write(QStringLiteral("n4orig_b.raw"),
          fileOf(1000, {CraftedSlot::filled(0, 10, 0, 1), CraftedSlot::filled(3, 11, 0, 2),
                        CraftedSlot::filled(7, 10, 1, 3)}));
    write(QStringLiteral("n4orig_c.raw"), fileOf(2000, {CraftedSlot::filled(19, 12, 1, 7)}));
    // A memory the selection never lists is no flight of either series.
    write(QStringLiteral("n4orig_d.raw"), fileOf(3000, {CraftedSlot::filled(2, 11, 2, 9)}));

    const TrendResult both = trend(ParameterType::A4R);
    EXPECT_EQ(both.filesRead, 4);
    EXPECT_EQ(both.skipped.total(), 0);
    expectPoints(both, {{10, M::PreDefect, 5, 2000, "n4orig_a.raw"},
                        {10, M::PostDefect, 3, 1000, "n4orig_b.raw"},
                        {11, M::PreDefect, 2, 1000, "n4orig_b.raw"},
                        {12, M::PostDefect, 7, 2000, "n4orig_c.raw"}});
    EXPECT_EQ(both.points[3].slot, 19);

    expectPoints(trend(ParameterType::A4R, TrendStatistic::Maximum, M::PostDefect),
                 {{10, M::PostDefect, 3, 1000, "n4orig_b.raw"},
                  {12, M::PostDefect, 7, 2000, "n4orig_c.raw"}});
    EXPECT_EQ(trendSkippedNote(both), QString());
}

// The statistic is taken over the 26 bins of the parameter's own row; non-finite values are
// left out of it and make the flight suspect; a row without a finite value leaves the flight
// out and is counted.
TEST_F(TrendTest, MaximumAndMeanOverTheBins) {
    CraftedSlot ramp = CraftedSlot::filled(0, 1, 0, 1);
    for (int bin = 0; bin < 26; ++bin)
        ramp.rows[kN1][bin] = float(bin);
    CraftedSlot holed = CraftedSlot::filled(1, 2, 0, 1);
    holed.rows[kN1].fill(4);
    holed.rows[kN1][5] = kNaN;
    holed.rows[kN1][6] = std::numeric_limits<float>::infinity();
    holed.rows[kN1][7] = 30;
    CraftedSlot empty = CraftedSlot::filled(2, 3, 0, 1);
    empty.rows[kN1].fill(kNaN);
    write(QStringLiteral("n4orig_a.raw"), fileOf(1000, {ramp, holed, empty}));

    const TrendResult maximum = trend(ParameterType::N1, TrendStatistic::Maximum);
    ASSERT_EQ(maximum.points.size(), 2);
    EXPECT_EQ(maximum.points[0].value, 25.0);
    EXPECT_EQ(maximum.points[0].status, DataStatus::Ok);
    EXPECT_EQ(maximum.points[1].value, 30.0);
    EXPECT_EQ(maximum.points[1].status, DataStatus::Suspect);
    EXPECT_EQ(maximum.flightsWithoutValue, 1);
    EXPECT_EQ(trendSkippedNote(maximum), QStringLiteral("1 flights without a finite value"));

    const TrendResult mean = trend(ParameterType::N1, TrendStatistic::Mean);
    ASSERT_EQ(mean.points.size(), 2);
    EXPECT_EQ(mean.points[0].value, 12.5);
    EXPECT_EQ(mean.points[1].value, (23 * 4 + 30) / 24.0);
}

// The data status rule of the steady-state view: a negative or non-finite A4R value in any
// bin marks the flight suspect whatever parameter is trended; negative values elsewhere do
// not.
TEST_F(TrendTest, SuspectFlightsFollowTheSteadyStateStatus) {
    CraftedSlot negativeA4R = CraftedSlot::filled(0, 1, 0, 2);
    negativeA4R.rows[kA4R][25] = -0.5f;
    CraftedSlot nanA4R = CraftedSlot::filled(1, 2, 0, 2);
    nanA4R.rows[kA4R][0] = kNaN;
    CraftedSlot negativeElsewhere = CraftedSlot::filled(2, 3, 0, 2);
    negativeElsewhere.rows[kN1][3] = -7;
    write(QStringLiteral("n4orig_a.raw"), fileOf(1000, {negativeA4R, nanA4R, negativeElsewhere}));

    const TrendResult result = trend(ParameterType::N1);
    ASSERT_EQ(result.points.size(), 3);
    EXPECT_EQ(result.points[0].status, DataStatus::Suspect);
    EXPECT_EQ(result.points[1].status, DataStatus::Suspect);
    EXPECT_EQ(result.points[2].status, DataStatus::Ok);
    EXPECT_EQ(result.points[2].value, 2.0);
}

// Damaged, foreign and unreadable files are left out, counted by reason, and the good file
// beside them still counts.
TEST_F(TrendTest, FilesLeftOutAreCountedByReason) {
    write(QStringLiteral("n4orig_good.raw"), fileOf(1000, {CraftedSlot::filled(0, 1, 0, 1)}));
    CraftedRawFile truncated = fileOf(1000, {CraftedSlot::filled(0, 2, 0, 1)});
    truncated.size = Raw::kHeaderSize + 19 * qint64(Raw::kRecordSize) + 100;
    write(QStringLiteral("n4orig_cut.raw"), truncated);
    CraftedRawFile foreign = fileOf(1000, {CraftedSlot::filled(0, 3, 0, 1)});
    foreign.magic = 0x12345678;
    write(QStringLiteral("n4orig_foreign.raw"), foreign);
    CraftedRawFile tiny;
    tiny.size = 2;
    write(QStringLiteral("n4orig_tiny.raw"), tiny);
    CraftedRawFile otherEngine = fileOf(1000, {CraftedSlot::filled(0, 4, 0, 1)});
    otherEngine.engineNumber = 2;
    write(QStringLiteral("n4orig_engine2.raw"), otherEngine);
    CraftedRawFile otherAircraft = fileOf(1000, {CraftedSlot::filled(0, 5, 0, 1)});
    otherAircraft.aircraftId = QStringLiteral("AC002");
    write(QStringLiteral("n4orig_ac2.raw"), otherAircraft);
    // A pipe in place of a file must neither be read nor hang the trend.
    ASSERT_EQ(::mkfifo(QFile::encodeName(directory + QStringLiteral("/n4orig_pipe.raw")), 0600), 0);
    // The older variant of the layout counts like the current one.
    CraftedRawFile older = fileOf(1000, {CraftedSlot::filled(0, 6, 0, 1)});
    older.magic = 0xAEEAAEEA;
    write(QStringLiteral("n4orig_older.raw"), older);

    const TrendResult result = trend(ParameterType::A4R);
    EXPECT_EQ(result.filesRead, 2);
    ASSERT_EQ(result.points.size(), 2);
    EXPECT_EQ(result.points[0].flightNumber, 1);
    EXPECT_EQ(result.points[1].flightNumber, 6);
    EXPECT_EQ(result.skipped.truncated, 1);
    EXPECT_EQ(result.skipped.notRawFile, 2);
    EXPECT_EQ(result.skipped.otherEngine, 2);
    EXPECT_EQ(trendSkippedNote(result),
              QStringLiteral("5 files skipped: 1 truncated, 2 not a raw flight data file, 2 of "
                             "another aircraft or engine"));
}

// A file that is gone, a pipe in its place (which must not hang the trend) and a read error
// are unreadable.
TEST_F(TrendTest, UnreadableFiles) {
    const QString pipe = directory + QStringLiteral("/n4orig_pipe.raw");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& path : {pipe, directory + QStringLiteral("/n4orig_gone.raw")}) {
        EXPECT_EQ(readTrendFile(path, ParameterType::A4R, TrendStatistic::Maximum).problem,
                  TrendFileProblem::Unreadable);
    }
    const TrendFile failing = readTrendFile(
        Raw::kFileSize, [](qint64, char*, qint64) -> qint64 { return -1; }, ParameterType::A4R,
        TrendStatistic::Maximum);
    EXPECT_EQ(failing.problem, TrendFileProblem::Unreadable);

    TrendResult result;
    result.skipped.unreadable = 2;
    result.flightsWithoutValue = 3;
    EXPECT_EQ(trendSkippedNote(result),
              QStringLiteral("2 files skipped: 2 unreadable; 3 flights without a finite value"));
}

// A file that shrinks between the size taken and the reads is left out as changed, its
// slots with it; a single file left out reads in the singular.
TEST(TrendFile, AFileThatChangesWhileReadIsLeftOut) {
    CraftedRawFile crafted;
    crafted.flightSlots = {CraftedSlot::filled(0, 1, 0, 1), CraftedSlot::filled(5, 2, 0, 1)};
    const QString path = QDir::tempPath() + QStringLiteral("/trend_changed.raw");
    ASSERT_TRUE(writeCraftedRawFile(path, crafted));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.remove();

    const TrendFile whole = readTrendBytes(bytes, ParameterType::A4R, TrendStatistic::Maximum);
    EXPECT_EQ(whole.problem, TrendFileProblem::None);
    EXPECT_EQ(whole.flightSlots.size(), 2);
    // Cut after slot 0's rows while the size still says the whole file.
    const QByteArrayView cut(bytes.constData(), Raw::kHeaderSize + 5 * qint64(Raw::kRecordSize));
    const TrendFile shrunk = readTrendFile(
        bytes.size(),
        [cut](qint64 offset, char* buffer, qint64 length) -> qint64 {
            const qint64 available = std::clamp<qint64>(cut.size() - offset, 0, length);
            std::memcpy(buffer, cut.data() + offset, size_t(available));
            return available;
        },
        ParameterType::A4R, TrendStatistic::Maximum);
    EXPECT_EQ(shrunk.problem, TrendFileProblem::Changed);
    EXPECT_TRUE(shrunk.flightSlots.isEmpty());

    TrendResult result;
    result.skipped.changed = 1;
    EXPECT_EQ(trendSkippedNote(result), QStringLiteral("1 file skipped: 1 changed while reading"));
}

// Only the steady-state rows have a trend; the records (13 to 15) read nothing.
TEST_F(TrendTest, OnlyTheSteadyStateRowsHaveATrend) {
    write(QStringLiteral("n4orig_a.raw"), fileOf(1000, {CraftedSlot::filled(0, 1, 0, 1)}));
    for (int type = -1; type <= 16; ++type)
        EXPECT_EQ(isTrendParameter(type), type >= 0 && type <= 12) << type;
    EXPECT_TRUE(trend(ParameterType::TimeHistory).points.isEmpty());
    EXPECT_EQ(trend(ParameterType::CDN).points.size(), 1);
}

// The alert level is kept per parameter type; the flights above it are listed, strictly
// above, with their date, memory, value and status.
TEST_F(TrendTest, AlertLevelAndTheFlightsAboveIt) {
    EXPECT_EQ(readTrendAlertLevel(ParameterType::A4R), std::nullopt);
    writeTrendAlertLevel(ParameterType::A4R, 1.5);
    writeTrendAlertLevel(ParameterType::N1, 9000);
    EXPECT_EQ(readTrendAlertLevel(ParameterType::A4R), 1.5);
    EXPECT_EQ(readTrendAlertLevel(ParameterType::N1), 9000.0);
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("Plot2D_Alert_6")).toDouble(), 1.5);
    BrixAircraftSettings().setValue(QStringLiteral("Plot2D_Alert_7"), QStringLiteral("high"));
    EXPECT_EQ(readTrendAlertLevel(ParameterType::TR4R), std::nullopt);
    writeTrendAlertLevel(ParameterType::N1, std::nullopt);
    EXPECT_EQ(readTrendAlertLevel(ParameterType::N1), std::nullopt);

    CraftedSlot suspect = CraftedSlot::filled(1, 43, 1, 2.5f);
    suspect.rows[kA4R][0] = -1;
    write(QStringLiteral("n4orig_a.raw"),
          fileOf(1141568000, {CraftedSlot::filled(0, 42, 0, 1.75f), suspect,
                              CraftedSlot::filled(2, 44, 0, 1.5f)}));
    const TrendResult result = trend(ParameterType::A4R);
    const QList<TrendPoint> above = flightsAboveAlert(result, 1.5);
    ASSERT_EQ(above.size(), 2);
    EXPECT_EQ(alertListText(above, ParameterType::A4R, 1.5),
              QStringLiteral("Alert Level: 1.5 (A4R)\n"
                             "Flights above the alert level: 2\n"
                             "Flight 0042  2006-03-05 14:13  Pre-Defect  1.75  OK\n"
                             "Flight 0043  2006-03-05 14:13  Post-Defect  2.5  Suspect\n"));
    EXPECT_EQ(alertListText({}, ParameterType::N1, 9000),
              QStringLiteral("Alert Level: 9000 (N1)\nFlights above the alert level: 0\n"));
}

// The chart's view: one series per memory, X the flight numbers, suspect points hollow, each
// point's date for the read-out, the texts of the other views' layout.
TEST_F(TrendTest, TheTrendView) {
    CraftedSlot suspect = CraftedSlot::filled(1, 7, 0, -0.25f);
    write(QStringLiteral("n4orig_a.raw"),
          fileOf(1141568000,
                 {CraftedSlot::filled(0, 5, 0, 1), suspect, CraftedSlot::filled(2, 6, 1, 3)}));
    const TrendRequest request{QStringLiteral("A%1"), 1, ParameterType::A4R, TrendStatistic::Mean,
                               std::nullopt};
    const TrendResult result = trend(ParameterType::A4R, TrendStatistic::Mean);
    const PlotView view = buildTrendView(result, request, 0.5);
    EXPECT_TRUE(view.trend);
    EXPECT_TRUE(view.markers);
    EXPECT_EQ(view.alertLevel, 0.5);
    EXPECT_EQ(view.xAxisTitle, QStringLiteral("Flight Number"));
    EXPECT_EQ(view.yAxisTitle, QStringLiteral("A4R"));
    EXPECT_EQ(view.yAxisMinimum, -0.25);
    EXPECT_EQ(view.headerLine1, QStringLiteral("Trend: A%1: Engine 1"));
    EXPECT_EQ(view.headerLine2, QStringLiteral("Pre-Defect and Post-Defect"));
    EXPECT_EQ(view.footer, QStringLiteral("Mean over 26 bins"));
    ASSERT_EQ(view.series.size(), 2);
    EXPECT_EQ(view.series[0].name, QStringLiteral("Pre-Defect"));
    EXPECT_EQ(view.series[0].x, (QList<double>{5, 7}));
    EXPECT_EQ(view.series[0].y, (QList<double>{1, -0.25}));
    EXPECT_EQ(view.series[0].hollowPoints, (QList<int>{1}));
    EXPECT_EQ(view.series[1].name, QStringLiteral("Post-Defect"));
    EXPECT_EQ(view.series[1].x, (QList<double>{6}));
    EXPECT_TRUE(view.series[1].hollowPoints.isEmpty());

    PlotSelection selection;
    selection.parameterType = ParameterType::A4R;
    EXPECT_EQ(readoutText(view, selection, 0, 1),
              QStringLiteral("Pre-Defect: Flight 7 (2006-03-05 14:13)  Y =    -0.25"));
    EXPECT_EQ(deltaReadoutText(view, selection, 1, 0, 0, 0),
              QStringLiteral("Post-Defect: Flight 6 (2006-03-05 14:13)  Y =        3  dX = 1  "
                             "dY = 2"));

    const PlotView postOnly = buildTrendView(result,
                                             {QStringLiteral("AC001"), 1, ParameterType::N1,
                                              TrendStatistic::Maximum, MemoryType::PostDefect},
                                             std::nullopt);
    ASSERT_EQ(postOnly.series.size(), 1);
    EXPECT_EQ(postOnly.headerLine2, QStringLiteral("Post-Defect"));
    EXPECT_EQ(postOnly.footer, QStringLiteral("Maximum over 26 bins"));
    EXPECT_EQ(postOnly.yAxisTitle, QStringLiteral("N1 (RPM)"));
    EXPECT_EQ(postOnly.yAxisMinimum, 0.0);
    EXPECT_FALSE(postOnly.alertLevel);
}

} // namespace
