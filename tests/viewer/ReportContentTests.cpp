// What the maintenance report gathers, read without a window: the downloads and flights of
// the period, and the part numbers of the newest steady-state engine data file whose header
// is what the conversion writes.
#include "AircraftPaths.h"
#include "CraftedRawFile.h"
#include "PartNumberLines.h"
#include "ReportContent.h"
#include "SettingsSandbox.h"

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

    QString data;
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

} // namespace
