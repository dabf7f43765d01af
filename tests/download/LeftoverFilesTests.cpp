// What killed runs leave behind is removed at the next start; nothing of a live run, no kept
// response and nothing outside the data directory is touched.
#include "LeftoverFiles.h"
#include "SafeFile.h"
#include "SettingsSandbox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The id of a process that has ended.
qint64 endedProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    EXPECT_TRUE(process.waitForFinished(10000));
    return process.processId() > 0 ? process.processId() : 0x7ffffffe;
}

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("data");
}

TEST(LeftoverFiles, OnlyFilesOfEndedProcessesGo) {
    resetSettingsAndHome();
    const qint64 dead = endedProcessId();
    const qint64 alive = QCoreApplication::applicationPid();
    const QString home = QDir::homePath();
    const QString data = home + QStringLiteral("/data");
    const QString engine = data + QStringLiteral("/F-GZLK/F-GZLK_data/engine_1");
    ASSERT_TRUE(QDir().mkpath(engine));
    const QString outside = home + QStringLiteral("/outside");
    ASSERT_TRUE(QDir().mkpath(outside));
    const QString index = data + QStringLiteral("/.brix");
    ASSERT_TRUE(QDir().mkpath(index));
    const QDateTime time(QDate(2026, 12, 7), QTime(10, 58, 12, 7));
    const QString deadLink = home + QStringLiteral("/ZELK-%1").arg(dead);

    const QStringList gone = {
        deadLink,
        inFlightResponseName(deadLink, 1, time),
        temporaryFileName(engine, QStringLiteral("n4orig_07DEC2026_1058.raw"), dead, 0xabcdef01),
    };
    const QStringList stay = {
        home + QStringLiteral("/ZELK-%1").arg(alive),
        inFlightResponseName(home + QStringLiteral("/ZELK-%1").arg(alive), 0, time),
        keptResponseName(QStringLiteral("F-GZLK"), 0, time),
        keptResponseName(QStringLiteral("12345"), 1, time),
        temporaryFileName(engine, QStringLiteral("n4ss_07DEC2026_1058.dat"), alive, 0x12345678),
        engine + QStringLiteral("/n4orig_07DEC2026_1058.raw"),
        home + QStringLiteral("/ZELK-notes"),
        temporaryFileName(outside, QStringLiteral("other.raw"), dead, 0x01010101),
        // The program's index folder is no download's.
        temporaryFileName(index, QStringLiteral("n4orig_07DEC2026_1058.raw"), dead, 0x02020202),
    };
    for (const QString& path : gone + stay)
        touch(path);
    // A link into another directory is not followed.
    ASSERT_TRUE(QFile::link(outside, data + QStringLiteral("/elsewhere")));

    EXPECT_EQ(removeLeftoversOfEndedRuns(home, data), gone.size());
    for (const QString& path : gone)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    for (const QString& path : stay)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
}

TEST(LeftoverFiles, AKeptNameNeverCarriesAnIdentifierThatPointsElsewhere) {
    resetSettingsAndHome();
    const QDateTime time(QDate(2026, 12, 7), QTime(10, 58, 12, 7));
    EXPECT_EQ(keptResponseName(QStringLiteral("F-GZLK"), 1, time),
              QDir::homePath() + QStringLiteral("/ZELK-F-GZLK-engine2-20261207-105812-007-kept"));
    EXPECT_EQ(keptResponseName(QStringLiteral("../../x"), 0, time),
              QDir::homePath() + QStringLiteral("/ZELK-engine1-20261207-105812-007-kept"));
}

} // namespace
