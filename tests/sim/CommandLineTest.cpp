// The simulator's command line: its value parsers, and the program itself.
#include "LoopbackClient.h"
#include "SimulatorCommandLine.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(SimulatorCommandLine, OnlyTheLoopbackAddressMayBeListenedOn) {
    QString error;
    EXPECT_EQ(parseListenAddress(QStringLiteral("127.0.0.1:0"), &error), quint16(0));
    EXPECT_EQ(parseListenAddress(QStringLiteral("127.0.0.1:4242"), &error), quint16(4242));
    for (const char* text :
         {"0.0.0.0:4242", "192.168.0.1:4242", "localhost:4242", ":4242", "127.0.0.10:1",
          "127.0.0.1", "127.0.0.1:65536", "127.0.0.1:-1", "127.0.0.1:x", "[::]:4242"}) {
        error.clear();
        EXPECT_FALSE(parseListenAddress(QString::fromLatin1(text), &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(SimulatorCommandLine, FaultOptionsBecomeTableRows) {
    QString error;
    const auto trickle = parseFaultOption(QStringLiteral("96:trickle"), &error);
    ASSERT_TRUE(trickle);
    EXPECT_EQ(trickle->code, 96u);
    EXPECT_EQ(trickle->kind, FaultKind::Trickle);
    EXPECT_EQ(trickle->times, SimulatorFault::kAlways);
    const auto once = parseFaultOption(QStringLiteral("1:ack:5:1"), &error);
    ASSERT_TRUE(once);
    EXPECT_EQ(once->argument, 5u);
    EXPECT_EQ(once->times, 1);
    const auto size = parseFaultOption(QStringLiteral("any:size:0xFFFFFFFF"), &error);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->code, SimulatorFault::kAnyCommand);
    EXPECT_EQ(size->argument, 0xFFFFFFFFu);
    EXPECT_EQ(parseFaultOption(QStringLiteral("1:size"), &error)->argument, 16777216u);
    EXPECT_EQ(parseFaultOption(QStringLiteral("1:blocktype"), &error)->argument, 4u);
    EXPECT_EQ(parseFaultOption(QStringLiteral("1:raw:0000000C00"), &error)->rawResponse,
              QByteArray::fromHex("0000000C00"));
    EXPECT_TRUE(parseFaultOption(QStringLiteral("1:raw"), &error)->rawResponse.isEmpty());
    const auto third = parseFaultOption(QStringLiteral("242:ack:5:1:2"), &error);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->after, 2);
    EXPECT_EQ(parseFaultOption(QStringLiteral("242:silent"), &error)->after, 0);
    for (const char* text :
         {"1", "1:bogus", "0:ack", "x:ack", "1:raw:0G", "1:raw:000", "1:ack:5:0",
          "1:ack:4294967296", "1:delay:-1", "1:ack:1:1:-1", "1:ack:1:1:x", "1:ack:1:1:1:1"}) {
        error.clear();
        EXPECT_FALSE(parseFaultOption(QString::fromLatin1(text), &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(SimulatorCommandLine, PartNumbersAndSlotLists) {
    QString error;
    const auto full =
        parsePartNumberOption(QStringLiteral("configuration=ABCDEFGHIJKLMNOP"), &error);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->first, PartNumberField::Configuration);
    EXPECT_EQ(full->second, "ABCDEFGHIJKLMNOP");
    EXPECT_FALSE(parsePartNumberOption(QStringLiteral("configuration=ABCDEFGHIJKLMNOPQ"), &error));
    EXPECT_FALSE(parsePartNumberOption(QStringLiteral("serial=1"), &error));
    EXPECT_FALSE(parsePartNumberOption(QStringLiteral("boot-main"), &error));
    EXPECT_FALSE(parsePartNumberOption(QStringLiteral("boot-main=\u20ac"), &error));
    EXPECT_EQ(parseSlotList(QStringLiteral("0, 7,19"), &error), (QList<int>{0, 7, 19}));
    EXPECT_EQ(parseSlotList(QString(), &error), QList<int>{});
    EXPECT_FALSE(parseSlotList(QStringLiteral("20"), &error));
    EXPECT_FALSE(parseSlotList(QStringLiteral("1,,2"), &error));
}

TEST(SimulatorCommandLine, BearingDefects) {
    QString error;
    const auto defect = parseBearingDefectOption(QStringLiteral("2:8"), &error);
    ASSERT_TRUE(defect);
    EXPECT_EQ(defect->engine, 2);
    EXPECT_EQ(defect->firstSlot, 8);
    EXPECT_EQ(parseBearingDefectOption(QStringLiteral("1:0"), &error)->engine, 1);
    EXPECT_EQ(parseBearingDefectOption(QStringLiteral("1:19"), &error)->firstSlot, 19);
    for (const char* text : {"", "2", "2:", ":8", "0:8", "3:8", "2:20", "2:-1", "2:8:1", "x:1"}) {
        error.clear();
        EXPECT_FALSE(parseBearingDefectOption(QString::fromLatin1(text), &error)) << text;
        EXPECT_EQ(error, QStringLiteral("bad bearing defect '%1': expected ENGINE:FIRST_SLOT with "
                                        "ENGINE 1 or 2 and FIRST_SLOT 0 to 19")
                             .arg(QString::fromLatin1(text)));
    }
}

QString simulatorProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/zelk-sim");
}

TEST(SimulatorProgram, AnnouncesItsPortServesAndEndsOnTerminate) {
    QProcess program;
    program.start(simulatorProgram(),
                  {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                   QStringLiteral("--part-number"), QStringLiteral("main-software=SCRIPTED"),
                   QStringLiteral("--fault"), QStringLiteral("101:ack:3")});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(program.waitForReadyRead(10000));
    const QString line = QString::fromLatin1(program.readLine());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^zelk-sim listening on 127\\.0\\.0\\.1:(\\d+)\\n$"))
            .match(line);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(line);

    LoopbackClient client;
    ASSERT_EQ(client.connectTo(quint16(match.captured(1).toUInt())), 0);
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse().mid(12 + 60, 16), QByteArray("SCRIPTED\0\0\0\0\0\0\0\0", 16));
    ASSERT_TRUE(client.sendCommand(101, {1}));
    EXPECT_EQ(wordAt(client.readResponse(), 4), 3u);

    program.terminate(); // SIGTERM, with a client still connected
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// The help names the simulated bearing in the terms the register's bearing command takes.
TEST(SimulatorProgram, HelpNamesTheSimulatedBearing) {
    QProcess program;
    program.start(simulatorProgram(), {QStringLiteral("--help")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString help = QString::fromLatin1(program.readAllStandardOutput()).simplified();
    EXPECT_TRUE(help.contains(QStringLiteral(
        "--elements 10 --ball-diameter 14 --pitch-diameter 70 --contact-angle 15 --shaft n2 "
        "(millimetres; outer race at 537.9 to 1042.1 Hz)")))
        << qPrintable(help);
    EXPECT_TRUE(help.contains(QStringLiteral("--bearing-defect <ENGINE:FIRST_SLOT>")));
}

TEST(SimulatorProgram, RefusesABadBearingDefect) {
    QProcess program;
    program.start(simulatorProgram(), {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                       QStringLiteral("--bearing-defect"), QStringLiteral("3:8")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(program.readAllStandardError().contains("bad bearing defect '3:8'"));
}

TEST(SimulatorProgram, RefusesAnAddressOtherThanLoopback) {
    QProcess program;
    program.start(simulatorProgram(), {QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(program.readAllStandardError().contains("only 127.0.0.1"));
}

} // namespace
