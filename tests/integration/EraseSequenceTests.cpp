// The memory erase against the simulated unit: the step sequence as the progress window and
// brix-cli tick it, and brix-cli erase in-process with short time-outs.
#include "CommunicationView.h"
#include "EraseMemoryCommand.h"
#include "EraseSequence.h"
#include "EraseView.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kRunBoundMs = 60000;
constexpr int kTestTickMs = 20;

class RecordingView : public EraseView {
public:
    void setLine(int engineIndex, EraseKind kind, const QString& text) override {
        lines[engineIndex][int(kind)] = text;
    }
    void setActivity(const QString& text) override { activities.append(text); }
    void showSeconds(int value, int maximum) override { seconds.append({value, maximum}); }
    void showPercent(int value) override { percents.append(value); }
    void stepEnded(int, EraseKind, const QString&) override {}
    void finished(const QString&) override { ++finishedCount; }

    QString lines[kEraseEngineCount][kEraseKindCount];
    QStringList activities;
    QList<std::pair<int, int>> seconds;
    QList<int> percents;
    int finishedCount = 0;
};

class QuietView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override {}
};

const char* const kLineTexts[kEraseKindCount] = {"Bearing 4 Data Erase           ...",
                                                 "Defect Detection History Erase ...",
                                                 "Accel Line Defect History Erase..."};
const UnitMemory kMemories[kEraseKindCount] = {
    UnitMemory::Bearing4Data, UnitMemory::Bearing4History, UnitMemory::AccelHistory};

QString line(int kind, const char* outcome) {
    return QString::fromLatin1(kLineTexts[kind]) + QString::fromLatin1(outcome);
}

EraseRequests only(std::initializer_list<int> steps) {
    EraseRequests requests{};
    for (const int step : steps)
        requests[step] = true;
    return requests;
}

// The simulator serves one connection at a time: each test talks to it through one.
class SimulatedUnit : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
};

class EraseRun : public SimulatedUnit {
protected:
    void SetUp() override {
        SimulatedUnit::SetUp();
        connection.loadAddressFromSettings(notifier);
        QuietView view;
        ASSERT_TRUE(connection.ensureWorker(view));
    }

    // Ticks as the window's timer would, faster; fails when the run does not end in time.
    void run(const EraseRequests& requests, EraseTimeouts timeouts = {}) {
        sequence = std::make_unique<EraseSequence>(connection.link(), requests, view, timeouts);
        sequence->start();
        QElapsedTimer timer;
        timer.start();
        while (sequence->isRunning()) {
            if (timer.elapsed() > kRunBoundMs) {
                ADD_FAILURE() << "the erase did not end within " << kRunBoundMs << " ms";
                return;
            }
            QThread::msleep(kTestTickMs);
            sequence->tick();
        }
    }

    QList<std::pair<quint32, quint32>> commandsReceived() const {
        QList<std::pair<quint32, quint32>> commands;
        for (const ReceivedCommand& command : simulator.receivedCommands())
            commands.append({command.code, command.payload.value(0)});
        return commands;
    }

    UnitConnection connection;
    RecordingView view;
    std::unique_ptr<EraseSequence> sequence;
};

TEST_F(EraseRun, EveryBoxTickedErasesAllSixInTableOrder) {
    run(only({0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(sequence->state(), EraseSequence::State::Done);
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind) {
            EXPECT_EQ(view.lines[engine][kind], line(kind, "Completed"));
            EXPECT_TRUE(simulator.isErased(engine + 1, kMemories[kind]));
        }
    EXPECT_EQ(commandsReceived(), (QList<std::pair<quint32, quint32>>{
                                      {101, 1}, {102, 1}, {103, 1}, {101, 2}, {102, 2}, {103, 2}}));
    EXPECT_EQ(view.activities.first(),
              QStringLiteral("Erasing Bearing 4 Data for Engine 1 (seconds spent performing erase "
                             "function)"));
    EXPECT_EQ(view.activities.last(), QStringLiteral("Erase Processing complete"));
    EXPECT_EQ(view.seconds.first(), std::make_pair(0, 300));
    EXPECT_TRUE(view.seconds.contains(std::make_pair(0, 60)));
    EXPECT_EQ(view.percents, QList<int>{100});
    EXPECT_EQ(view.finishedCount, 1);
    EXPECT_FALSE(sequence->anyStepFailed());
    EXPECT_TRUE(QDir::home().entryList({QStringLiteral("ZELK-*")}, QDir::Files).isEmpty())
        << "each answer's response file is removed";
}

struct FaultCase {
    const char* name;
    QList<SimulatorFault> faults;
    EraseRequests requests;
    // Outcome of engine 1's defect history erase and of its accel history erase.
    const char* history;
    const char* accel;
    bool accelErased;
};

class EraseFaults : public EraseRun, public ::testing::WithParamInterface<FaultCase> {};

// Each row: the unit misbehaves on the history erase (or the accel one), the run goes on.
TEST_P(EraseFaults, EachStepEndsWithItsOwnAnswer) {
    const FaultCase& row = GetParam();
    for (const SimulatorFault& fault : row.faults)
        simulator.addFault(fault);
    EraseTimeouts timeouts;
    timeouts.eraseHistoryTicks = 10;
    run(row.requests, timeouts);
    ASSERT_EQ(sequence->state(), EraseSequence::State::Done);
    EXPECT_EQ(view.lines[0][0], line(0, "Not requested"));
    EXPECT_EQ(view.lines[0][1], line(1, row.history));
    EXPECT_EQ(view.lines[0][2], line(2, row.accel));
    EXPECT_EQ(simulator.isErased(1, UnitMemory::AccelHistory), row.accelErased);
    EXPECT_EQ(view.lines[1][2], line(2, "Completed")) << "the run goes on to engine 2";
    EXPECT_TRUE(simulator.isErased(2, UnitMemory::AccelHistory));
    EXPECT_TRUE(sequence->anyStepFailed());
}

INSTANTIATE_TEST_SUITE_P(
    Unit, EraseFaults,
    ::testing::Values(FaultCase{"Refused",
                                {{EraseAccelHistoryCommand, FaultKind::AckError, 2, {}, 1}},
                                only({1, 2, 5}),
                                "Completed",
                                "Failed",
                                false},
                      FaultCase{"Silent",
                                {{EraseBearing4HistoryCommand, FaultKind::NoAnswer, 0, {}, 1}},
                                only({1, 2, 5}),
                                "Timeout",
                                "Completed",
                                true},
                      // The history erase's "OK" comes after its time-out, while the accel erase is
                      // being refused: taking the late answer for the accel erase would report an
                      // erase that never happened.
                      FaultCase{"AnsweredLate",
                                {{EraseBearing4HistoryCommand, FaultKind::Delay, 1500, {}, 1},
                                 {EraseAccelHistoryCommand, FaultKind::AckError, 3, {}, 1}},
                                only({1, 2, 5}),
                                "Timeout",
                                "Failed",
                                false}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST_F(EraseRun, ATimedOutEraseCountsItsSeconds) {
    simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
    EraseTimeouts timeouts;
    timeouts.eraseDataTicks = 30;
    run(only({3}), timeouts);
    EXPECT_EQ(view.lines[1][0], line(0, "Timeout"));
    // 30 ticks are 3 s; the first second shows 1, the whole seconds spent plus one.
    EXPECT_EQ(view.seconds, (QList<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(view.activities.first(),
              QStringLiteral("Erasing Bearing 4 Data for Engine 2 (seconds spent performing erase "
                             "function)"));
}

TEST_F(EraseRun, ACancelledRunLeavesTheLinkFreeForTheNextCommand) {
    simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
    sequence = std::make_unique<EraseSequence>(connection.link(), only({0}), view);
    sequence->start();
    ASSERT_TRUE(simulator.waitForCommands(1, 10000));
    sequence->cancel();
    EXPECT_EQ(sequence->state(), EraseSequence::State::Cancelled);
    QuietView quiet;
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(connection.checkCommunication(quiet, notifier))
        << "the worker was still waiting for the erase's answer";
    EXPECT_LT(timer.elapsed(), 10000);
}

// brix-cli erase, in-process on its own connection.
class CliErase : public SimulatedUnit {
protected:
    int erase(const QStringList& arguments, EraseTimeouts timeouts = {}) {
        output.clear();
        QTextStream out(&output);
        UnitConnection connection;
        connection.loadAddressFromSettings(notifier);
        const int status = runEraseCommand(arguments, connection, notifier, out, timeouts);
        out.flush();
        return status;
    }

    QString output;
};

TEST_F(CliErase, ASilentUnitTimesOutAndEndsWithStatusOne) {
    simulator.addFault({EraseBearing4HistoryCommand, FaultKind::NoAnswer, 0, {}, 1});
    EraseTimeouts timeouts;
    timeouts.eraseHistoryTicks = 5;
    EXPECT_EQ(erase({QStringLiteral("--engine"), QStringLiteral("1"), QStringLiteral("defect"),
                     QStringLiteral("accel")},
                    timeouts),
              1);
    EXPECT_EQ(output, QStringLiteral("Engine 1: Bearing 4 Data Erase           ...Not requested\n"
                                     "Engine 1: Defect Detection History Erase ...Timeout\n"
                                     "Engine 1: Accel Line Defect History Erase...Completed\n"
                                     "Engine 2: Bearing 4 Data Erase           ...Not requested\n"
                                     "Engine 2: Defect Detection History Erase ...Not requested\n"
                                     "Engine 2: Accel Line Defect History Erase...Not requested\n"
                                     "Erase Processing complete - 1 of 2 steps failed\n"));
}

// Nobody would answer: each step fails at once instead of waiting out its time-out.
TEST_F(CliErase, NoUnitListeningFailsEveryStepAtOnce) {
    simulator.setRefuseConnections(true);
    EraseTimeouts timeouts{100, 100, 100};
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(erase({QStringLiteral("--engine"), QStringLiteral("2"), QStringLiteral("data"),
                     QStringLiteral("accel")},
                    timeouts),
              1);
    EXPECT_LT(timer.elapsed(), 5000) << "a step waited for its time-out";
    EXPECT_TRUE(
        output.contains(QStringLiteral("Engine 2: Bearing 4 Data Erase           ...Failed\n")));
    EXPECT_TRUE(
        output.endsWith(QStringLiteral("Erase Processing complete - 2 of 2 steps failed\n")));
    EXPECT_FALSE(simulator.isErased(2, UnitMemory::Bearing4Data));
}

} // namespace
