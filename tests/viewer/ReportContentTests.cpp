// What the maintenance report gathers, read without a window: the downloads and flights of
// the period, the part numbers of the newest steady-state engine data file whose header
// is what the conversion writes, and the indicator trends from the flight index.
#include "AircraftPaths.h"
#include "BearingGeometryStore.h"
#include "CraftedRawFile.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "PartNumberLines.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "ReportContent.h"
#include "SettingsSandbox.h"
#include "SimulatorRawFile.h"
#include "UnitSimulatorConfig.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

constexpr quint32 kMarch = 1709251200; // 2024-03-01 00:00 UTC
constexpr quint32 kApril = 1711929600; // 2024-04-01 00:00 UTC

class ReportContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TZ", "UTC");
        resetSettingsAndHome();
        data = freshDataDirectory();
        for (int engine = 1; engine <= 2; ++engine)
            ASSERT_TRUE(QDir().mkpath(directory(engine)));
    }

    QString directory(int engine) const {
        return engineDirectory(data, QStringLiteral("AC001"), engine);
    }

    // An engine data file with the given header, modified `age` hours before now.
    void writeEngineData(int engine, const QString& name, const QByteArray& header, int age) {
        QFile file(directory(engine) + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(header), header.size());
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * age),
                                     QFileDevice::FileModificationTime));
    }

    // AC001 with engine type CFM56-7 of the simulator's bearing, one simulated download each.
    void registerSimulatedDownloads() {
        ASSERT_TRUE(addAircraft(QStringLiteral("AC001"), notifier));
        ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
        registerEngines(QStringLiteral("AC001"), kDownloadOnly, kDownloadOnly);
        ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kSimulatedBearing, notifier));
        for (int engine = 1; engine <= 2; ++engine)
            ASSERT_TRUE(writeSimulatorRawFile(directory(engine) + QStringLiteral("/n4orig_e.raw"),
                                              QStringLiteral("AC001"), engine));
    }

    QString data;
    RecordingNotifier notifier;
};

const QByteArray kHeader("File name: n4ss\nMain Software PN:   MAIN-1 \nDSP Software PN: DSP-2\n");

struct PartNumberCase {
    const char* name;
    QByteArray newest; // engine 2's file, an hour old; empty: none
    QStringList lines;
    int skipped;
};

class PartNumberLinesTest : public ReportContentTest,
                            public ::testing::WithParamInterface<PartNumberCase> {};

TEST_P(PartNumberLinesTest, NewestReadableHeaderWins) {
    const PartNumberCase& row = GetParam();
    writeEngineData(1, QStringLiteral("n4ss_01MAR2024_0000.dat"), kHeader, 5);
    // Only steady-state files hold the part numbers.
    writeEngineData(1, QStringLiteral("n4ts_01MAY2024_0000.dat"), "Main Software PN: TS\n", 0);
    if (!row.newest.isEmpty())
        writeEngineData(2, QStringLiteral("n4ss_01APR2024_0000.dat"), row.newest, 1);
    const PartNumberLines read = latestPartNumberLines(data, QStringLiteral("AC001"));
    EXPECT_EQ(read.lines, row.lines);
    EXPECT_EQ(read.skippedFiles.size(), row.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, PartNumberLinesTest,
    ::testing::Values(
        PartNumberCase{"OnlyFile", {}, {"Main Software PN: MAIN-1", "DSP Software PN: DSP-2"}, 0},
        PartNumberCase{"NewerFile", "x\nCMFI Table PN: CF-3\n", {"CMFI Table PN: CF-3"}, 0},
        PartNumberCase{"NewerWithoutPartNumbers", "File name: n4ss\n", {}, 0},
        PartNumberCase{"NewerWithLongLine",
                       QByteArray(kPartNumberLineLimit + 10, 'x') + "\nMain Software PN: WRONG\n",
                       {"Main Software PN: MAIN-1", "DSP Software PN: DSP-2"},
                       1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportContentTest, GathersThePeriodsDownloadsFlightsAndWarnings) {
    const auto writeDownload = [&](const QString& name, quint32 created, QList<qint32> flights) {
        CraftedRawFile file;
        file.creationTime = created;
        for (int slot = 0; slot < flights.size(); ++slot)
            file.flightSlots.append(CraftedSlot::filled(slot, flights[slot], 0, 1.5f + slot));
        ASSERT_TRUE(writeCraftedRawFile(directory(1) + QLatin1Char('/') + name, file));
    };
    writeDownload(QStringLiteral("n4orig_01MAR2024_0000.raw"), kMarch, {101, 102});
    writeDownload(QStringLiteral("n4orig_01APR2024_0000.raw"), kApril, {103});
    writeEngineData(1, QStringLiteral("n4ss_01APR2024_0000.dat"), kHeader, 2);
    writeEngineData(1, QStringLiteral("n4ss_02APR2024_0000.dat"),
                    QByteArray(kPartNumberLineLimit + 1, 'x') + "\nmore\n", 1);

    const ReportContent content =
        collectReport(data, {QStringLiteral("AC001"), 1, QDate(2024, 3, 15)});
    EXPECT_EQ(content.aircraftId, QStringLiteral("AC001"));
    EXPECT_EQ(content.partNumbers,
              QStringList({"Main Software PN: MAIN-1", "DSP Software PN: DSP-2"}));
    EXPECT_EQ(content.warnings,
              QStringList{kReportLongLineText
                              .arg(QDir::toNativeSeparators(
                                  directory(1) + QStringLiteral("/n4ss_02APR2024_0000.dat")))
                              .arg(kPartNumberLineLimit)});
    ASSERT_EQ(content.engines.size(), 1);
    const ReportEngine& engine = content.engines.constFirst();
    ASSERT_EQ(engine.downloads.size(), 1);
    EXPECT_EQ(engine.downloads[0].rawFile, QStringLiteral("n4orig_01APR2024_0000.raw"));
    EXPECT_EQ(engine.downloads[0].files,
              QStringList({"n4orig_01APR2024_0000.raw", "n4ss_01APR2024_0000.dat"}));
    EXPECT_EQ(engine.downloads[0].flightCount, 1);
    ASSERT_EQ(engine.flights.size(), 1);
    EXPECT_EQ(engine.flights[0].flightNumber, 103);
    EXPECT_EQ(engine.flights[0].creationTime, kApril);
    ASSERT_TRUE(engine.waterfall.has_value());
    EXPECT_EQ(engine.waterfallSelection.flightNumber, 103);
}

// Each engine's section trends kurtosis and the outer-race band of every indexed flight; the
// band has values only where the engine type has a bearing geometry.
TEST_F(ReportContentTest, TrendsKurtosisAndTheOuterRaceBandFromTheIndex) {
    registerSimulatedDownloads();
    for (const bool withGeometry : {true, false}) {
        SCOPED_TRACE(withGeometry);
        if (!withGeometry)
            clearBearingGeometry(QStringLiteral("CFM56-7"));
        const ReportContent content = collectReport(data, {QStringLiteral("AC001"), {}, {}});
        EXPECT_TRUE(content.warnings.isEmpty()) << qPrintable(content.warnings.join('\n'));
        ASSERT_EQ(content.engines.size(), 2);
        for (const ReportEngine& engine : content.engines) {
            SCOPED_TRACE(engine.number);
            ASSERT_EQ(engine.indicatorTrends.size(), 2);
            const ReportIndicatorTrend& kurtosis = engine.indicatorTrends[0];
            const ReportIndicatorTrend& bpfo = engine.indicatorTrends[1];
            EXPECT_EQ(kurtosis.indicator, Indicator::Kurtosis);
            EXPECT_EQ(bpfo.indicator, Indicator::Bpfo);
            EXPECT_EQ(kurtosis.view.yAxisTitle, QStringLiteral("kurtosis"));
            EXPECT_EQ(bpfo.view.yAxisTitle, QStringLiteral("bpfo (G)"));
            EXPECT_EQ(kurtosis.view.headerLine1,
                      QStringLiteral("Trend: AC001: Engine %1").arg(engine.number));
            // The same flights as the A4R trend, one point each; a healthy record's kurtosis
            // lies near that of Gaussian noise.
            const QList<double>& a4rFlights = engine.trend.series[0].x;
            ASSERT_FALSE(a4rFlights.isEmpty());
            EXPECT_EQ(kurtosis.view.series[0].x, a4rFlights);
            for (const double value : kurtosis.view.series[0].y) {
                EXPECT_GT(value, 2.0);
                EXPECT_LT(value, 6.0);
            }
            EXPECT_EQ(bpfo.view.series[0].x.size(), withGeometry ? a4rFlights.size() : 0);
        }
    }
}

// The health of each engine on the limits of its type, and the driving indicator's trend with
// those limits; a simulated healthy record's kurtosis lies between 2 and 6.
TEST_F(ReportContentTest, JudgesEachEngineOnTheLimitsOfItsType) {
    struct Case {
        const char* name;
        std::optional<IndicatorLimits> kurtosis;
        HealthState state;
    };
    const Case cases[] = {
        {"NoLimits", std::nullopt, HealthState::NoLimits},
        {"Normal", IndicatorLimits{6, 100, {}}, HealthState::Normal},
        {"Warning", IndicatorLimits{2, 100, {}}, HealthState::Warning},
        {"Alarm", IndicatorLimits{1, 2, 0.5}, HealthState::Alarm},
    };
    registerSimulatedDownloads();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.kurtosis) {
            ASSERT_TRUE(writeIndicatorLimits(QStringLiteral("CFM56-7"), Indicator::Kurtosis,
                                             *row.kurtosis, notifier));
        }
        const ReportContent content = collectReport(data, {QStringLiteral("AC001"), 2, {}});
        ASSERT_EQ(content.engines.size(), 1);
        const ReportEngine& engine = content.engines.constFirst();
        EXPECT_EQ(engine.health.state, row.state);
        ASSERT_EQ(engine.drivingTrend.has_value(), row.kurtosis.has_value());
        if (!row.kurtosis)
            continue;
        EXPECT_EQ(engine.health.driving, Indicator::Kurtosis);
        EXPECT_EQ(engine.drivingTrend->indicator, Indicator::Kurtosis);
        EXPECT_EQ(engine.drivingTrend->view.series[0].y,
                  engine.indicatorTrends[0].view.series[0].y);
        EXPECT_EQ(engine.drivingTrend->view.warningLimit, row.kurtosis->warning);
        EXPECT_EQ(engine.drivingTrend->view.alarmLimit, row.kurtosis->alarm);
    }
}

} // namespace
