#include "CommunicationLog.h"
#include "SettingsSandbox.h"
#include "SocketErrors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString readLog() {
    QFile file(communicationLogPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(CommunicationLogTest, RecordShowsMillisecondsWithoutLeadingZeros) {
    const QDate day(2026, 12, 6);
    EXPECT_EQ(formatLogRecord(4711, 4, QStringLiteral("recv() failed."),
                              QDateTime(day, QTime(10, 58, 12, 7))),
              QStringLiteral("Process id:   4711\n"
                             "status code:  4\n"
                             "status msg:   recv() failed.\n"
                             "current time: 2026-12-06T10:58:12.7\n"
                             "\n"));
    EXPECT_TRUE(formatLogRecord(1, 1, QString(), QDateTime(day, QTime(9, 5, 3, 70)))
                    .endsWith(QStringLiteral("current time: 2026-12-06T09:05:03.70\n\n")));
    EXPECT_TRUE(formatLogRecord(1, 1, QString(), QDateTime(day, QTime(23, 59, 59, 0)))
                    .endsWith(QStringLiteral("current time: 2026-12-06T23:59:59.0\n\n")));
}

TEST(CommunicationLogTest, RecordsAreAppendedToTheLogInHome) {
    resetSettingsAndHome();
    EXPECT_EQ(communicationLogPath(), QDir::homePath() + QStringLiteral("/brixCom.log"));
    logStatus(QStringLiteral("thread initialised"), 1);
    logStatus(QStringLiteral("Thread has exited"), 3);
    const QRegularExpression record(
        QStringLiteral("^Process id:   %1\nstatus code:  1\nstatus msg:   thread initialised\n"
                       "current time: \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{1,3}\n\n"
                       "Process id:   %1\nstatus code:  3\nstatus msg:   Thread has exited\n"
                       "current time: [^\n]+\n\n$")
            .arg(QCoreApplication::applicationPid()));
    EXPECT_TRUE(record.match(readLog()).hasMatch()) << readLog().toStdString();
}

TEST(CommunicationLogTest, UnopenableLogDropsTheRecord) {
    resetSettingsAndHome();
    ASSERT_TRUE(QDir().mkpath(communicationLogPath()));
    logStatus(QStringLiteral("send() failed."), 4);
    EXPECT_TRUE(QFileInfo(communicationLogPath()).isDir());
    QDir(communicationLogPath()).removeRecursively();
}

TEST(SocketErrorsTest, WarningsNameTheErrorOrItsCode) {
    EXPECT_EQ(socketErrorText(QStringLiteral("ShutdownConnection(): recv() failed"), 10054),
              QStringLiteral("ShutdownConnection(): recv() failed: Connection reset by peer"));
    EXPECT_EQ(
        socketErrorText(QStringLiteral("ShutdownConnection(): shutdown() failed"), 12345),
        QStringLiteral("ShutdownConnection(): shutdown() failed: unknown error (ec = 12345)"));
    EXPECT_EQ(socketErrorMessage(-1), QStringLiteral("unknown error (ec = -1)"));
    EXPECT_EQ(socketErrorMessage(0), QString());
    EXPECT_EQ(socketErrorText(QStringLiteral("x"), 0), QStringLiteral("x: "));
}

TEST(SocketErrorsTest, TableKeepsItsHistoricTexts) {
    EXPECT_EQ(socketErrorMessage(10059), QStringLiteral("Too many references] =can't splice"));
    EXPECT_EQ(socketErrorMessage(11004), QStringLiteral("No host data of that type was found"));
    // Codes between the table's entries are unknown, not borrowed from a neighbour.
    EXPECT_EQ(socketErrorMessage(10072), QStringLiteral("unknown error (ec = 10072)"));
}
