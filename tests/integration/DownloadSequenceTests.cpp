// The automatic download against the simulated unit: the step sequence as the dialog and
// brix-cli tick it, the checks before it, and brix-cli download itself.
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "CommunicationView.h"
#include "DownloadCommand.h"
#include "DownloadSequence.h"
#include "DownloadView.h"
#include "DownloadedData.h"
#include "EngineDataFiles.h"
#include "FixedText.h"
#include "FlightIndex.h"
#include "KORALib.h"
#include "PartNumberRecord.h"
#include "PreDownloadChecks.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisterKeys.h"
#include "RegisteredAircraft.h"
#include "SettingsSandbox.h"
#include "StartOfRun.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitResponses.h"
#include "UnitSimulator.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kAircraft = QStringLiteral("F-GZLK");
constexpr qint64 kRawFileSize = 304 + 20 * 137736 + 8;
// Bound of a whole run against the simulator; a run on loopback takes a second or two.
constexpr int kRunBoundMs = 60000;
constexpr int kTestTickMs = 20;

struct EndedStep {
    int engineIndex;
    int kind;
    QString line;
    bool operator==(const EndedStep&) const = default;
};

class RecordingView : public DownloadView {
public:
    void setStatusLine(int engineIndex, DownloadStepKind kind, const QString& text) override {
        lines[engineIndex][int(kind)] = text;
    }
    void setActivity(const QString& text) override { activities.append(text); }
    void showPercent(int value) override { percents.append(value); }
    void showSeconds(int value, int maximum) override { seconds.append({value, maximum}); }
    void stepEnded(int engineIndex, DownloadStepKind kind, const QString& line) override {
        ended.append({engineIndex, int(kind), line});
    }
    void showNotice(const QString& text) override { notices.append(text); }
    void finished(const QString&) override { ++finishedCount; }

    QString lines[2][5];
    QStringList activities;
    QStringList notices;
    QList<int> percents;
    QList<std::pair<int, int>> seconds;
    QList<EndedStep> ended;
    int finishedCount = 0;
};

class SilentCommunicationView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override {}
};

QString line(int kind, const char* outcome) {
    static const char* const texts[] = {
        "Bearing 4 Data Download          ... ", "Bearing 4 Post-Processing        ... ",
        "Bearing 4 Data Memory Erase      ... ", "Bearing 4 Defect History Erase   ... ",
        "Accel Line Defect History Erase  ... "};
    return QString::fromLatin1(texts[kind]) + QString::fromLatin1(outcome);
}

QStringList filesIn(const QString& directory, const QString& pattern) {
    return QDir(directory).entryList({pattern}, QDir::Files);
}

// What the link left in the home directory: response files, kept or forgotten.
QStringList responseFilesInHome() {
    return QDir::home().entryList({QStringLiteral("ZELK-*")}, QDir::Files);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DownloadRun : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        ASSERT_TRUE(addAircraft(kAircraft, notifier));
        connection.loadAddressFromSettings(notifier);
        ASSERT_TRUE(connection.checkCommunication(communicationView, notifier));
        simulator.clearReceivedCommands();
        ASSERT_TRUE(notifier.messages.isEmpty());
    }

    AircraftRecord registerSwitches(EngineSwitches engine1, EngineSwitches engine2,
                                    const char* serial1 = "874211",
                                    const char* serial2 = "874212") {
        return registerEngines(kAircraft, engine1, engine2, serial1, serial2);
    }

    std::unique_ptr<DownloadSequence> makeSequence(const AircraftRecord& record,
                                                   DownloadSequence::Options options = {}) {
        return std::make_unique<DownloadSequence>(connection.link(), connection.partNumbers(),
                                                  record, view, notifier, options);
    }

    // Ticks as the dialog's timer would, faster; fails when the run does not end in time.
    bool tickUntilEnd(DownloadSequence& sequence, int boundMs = kRunBoundMs) {
        QElapsedTimer timer;
        timer.start();
        while (sequence.isRunning()) {
            if (timer.elapsed() > boundMs) {
                ADD_FAILURE() << "the run did not end within " << boundMs << " ms";
                return false;
            }
            QThread::msleep(kTestTickMs);
            sequence.tick();
        }
        return true;
    }

    QString engineDir(int engine) const {
        return engineDirectory(dataDirectory, kAircraft, engine);
    }

    void expectConvertedFiles(int engine) {
        const QStringList raw = filesIn(engineDir(engine), QStringLiteral("n4orig_*.raw"));
        ASSERT_EQ(raw.size(), 1) << "engine " << engine;
        EXPECT_EQ(QFileInfo(engineDir(engine) + QLatin1Char('/') + raw[0]).size(), kRawFileSize);
        EXPECT_EQ(filesIn(engineDir(engine), QStringLiteral("n4ss_*.dat")).size(), 1);
        EXPECT_EQ(filesIn(engineDir(engine), QStringLiteral("n4ts_*.dat")).size(), 1);
    }

    QList<quint32> codesReceived() const {
        QList<quint32> codes;
        for (const ReceivedCommand& command : simulator.receivedCommands())
            codes.append(command.code);
        return codes;
    }

    // The unit goes first when a test ends, so that a worker still waiting on it is
    // released at once.
    UnitConnection connection;
    UnitSimulator simulator;
    RecordingNotifier notifier;
    SilentCommunicationView communicationView;
    RecordingView view;
    QString dataDirectory;
};

TEST_F(DownloadRun, AllSwitchesOffOpensDone) {
    auto sequence = makeSequence(registerSwitches(kAllOff, kAllOff));
    EXPECT_EQ(sequence->buttonText(), QStringLiteral("Cancel (F5)"));
    sequence->start();

    EXPECT_EQ(sequence->state(), DownloadSequence::State::Done);
    EXPECT_EQ(sequence->buttonText(), QStringLiteral("Done (F5)"));
    EXPECT_EQ(view.activities.last(), QStringLiteral("Processing complete"));
    // Never "Processing complete" beside an empty bar.
    EXPECT_EQ(view.percents.last(), 100);
    EXPECT_EQ(view.finishedCount, 1);
    EXPECT_EQ(view.notices, QStringList{QStringLiteral("Nothing is set to be downloaded or erased "
                                                       "for F-GZLK (Utilities, Download page)")});
    ASSERT_EQ(view.ended.size(), 10);
    for (int engine = 0; engine < 2; ++engine)
        for (int kind = 0; kind < 5; ++kind) {
            EXPECT_EQ(view.lines[engine][kind], line(kind, "Not requested"));
            EXPECT_EQ(view.ended[engine * 5 + kind],
                      (EndedStep{engine, kind, view.lines[engine][kind]}));
        }
    EXPECT_FALSE(sequence->anyStepFailed());
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
}

TEST_F(DownloadRun, StepListFollowsTheRecordWithItsTimeOuts) {
    const AircraftRecord record =
        registerSwitches({true, false, true, false}, {false, true, false, true});
    const auto steps = DownloadSequence::buildSteps(record, {});
    const int kinds[] = {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 5};
    const int requested[] = {1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0};
    const int ticks[] = {0, 0, 3000, 600, 600, 0, 0, 3000, 600, 600, 0};
    for (int i = 0; i < DownloadSequence::kStepCount; ++i) {
        EXPECT_EQ(int(steps[i].kind), kinds[i]) << i;
        EXPECT_EQ(steps[i].requested != 0, requested[i] != 0) << i;
        EXPECT_EQ(steps[i].ticksLimit, ticks[i]) << i;
        if (i < 10) {
            EXPECT_EQ(steps[i].engineIndex, i / 5) << i;
        }
    }
}

TEST_F(DownloadRun, DownloadOnlyWritesTheEngineFilesAndErasesNothing) {
    auto sequence = makeSequence(registerSwitches(kDownloadOnly, kAllOff));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][0], line(0, "Completed"));
    EXPECT_EQ(view.lines[0][1], line(1, "Completed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not requested"));
    EXPECT_EQ(view.lines[1][0], line(0, "Not requested"));
    expectConvertedFiles(1);
    EXPECT_TRUE(QDir(engineDir(2)).isEmpty());
    EXPECT_TRUE(responseFilesInHome().isEmpty()) << "the converted response is deleted";
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_TRUE(notifier.messages.isEmpty());

    const QList<ReceivedCommand> commands = simulator.receivedCommands();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0].code, quint32(DownloadBearing4Command));
    EXPECT_EQ(commands[0].payload, QList<quint32>({1, 0}));

    EXPECT_TRUE(
        view.activities.contains(QStringLiteral("Downloading Bearing 4 Data for Engine 1")));
    EXPECT_TRUE(
        view.activities.contains(QStringLiteral("Post-processing Bearing 4 Data for Engine 1")));
    EXPECT_EQ(view.percents.last(), 100) << "the conversion ends at 100";
    EXPECT_GT(sequence->transferMilliseconds(), 0);
    EXPECT_FALSE(sequence->anyStepFailed());
}

TEST_F(DownloadRun, EverythingOnBothEnginesDownloadsThenErases) {
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    for (int engine = 0; engine < 2; ++engine)
        for (int kind = 0; kind < 5; ++kind)
            EXPECT_EQ(view.lines[engine][kind], line(kind, "Completed"));
    for (int engine = 1; engine <= 2; ++engine) {
        expectConvertedFiles(engine);
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4Data));
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4History));
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::AccelHistory));
    }
    EXPECT_EQ(codesReceived(), QList<quint32>({96, 101, 102, 103, 96, 101, 102, 103}));
    EXPECT_EQ(simulator.receivedCommands()[5].payload, QList<quint32>({2}));
    EXPECT_TRUE(responseFilesInHome().isEmpty());
    EXPECT_TRUE(notifier.messages.isEmpty());

    EXPECT_TRUE(view.activities.contains(QStringLiteral(
        "Erasing Bearing 4 Data for Engine 2 (seconds spent performing erase function)")));
    EXPECT_TRUE(view.activities.contains(
        QStringLiteral("Erasing Bearing 4 Defect Detection History for Engine 1 (seconds spent "
                       "performing erase function)")));
    EXPECT_TRUE(view.activities.contains(
        QStringLiteral("Erasing Accel line defect detection history for Engine 2 (seconds spent "
                       "performing erase function)")));
    EXPECT_TRUE(view.seconds.contains(std::pair(0, 300)));
    EXPECT_TRUE(view.seconds.contains(std::pair(0, 60)));
    // After an erase the counting display goes back to a full percentage.
    EXPECT_EQ(view.percents.last(), 100);
    EXPECT_EQ(view.activities.last(), QStringLiteral("Processing complete"));
    EXPECT_EQ(sequence->buttonText(), QStringLiteral("Done (F5)"));
    EXPECT_FALSE(sequence->anyStepFailed());
}

TEST_F(DownloadRun, UnansweredEraseTimesOutCountingSecondsAndTheNextStepRuns) {
    simulator.addFault({EraseBearing4HistoryCommand, FaultKind::NoAnswer, 0, {}, 1});
    DownloadSequence::Options options;
    options.eraseHistoryTicks = 30;
    auto sequence = makeSequence(registerSwitches({false, false, true, true}, kAllOff), options);
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][3], line(3, "Timeout"));
    EXPECT_EQ(view.lines[0][4], line(4, "Completed"));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::AccelHistory))
        << "the next erase reached the unit";
    // 30 ticks are 3 s; the first second shows 1.
    const QList<std::pair<int, int>> counted(view.seconds.begin(), view.seconds.begin() + 4);
    EXPECT_EQ(counted, (QList<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_TRUE(sequence->anyStepFailed());
}

TEST_F(DownloadRun, LateAnswerOfATimedOutEraseIsNotTakenForTheNextOne) {
    // The history erase answers after its time-out; the accel erase is refused. Taking the
    // late "OK" for the accel erase would report an erase the unit never made.
    simulator.addFault({EraseBearing4HistoryCommand, FaultKind::Delay, 1500, {}, 1});
    simulator.addFault({EraseAccelHistoryCommand, FaultKind::AckError, 3, {}, 1});
    DownloadSequence::Options options;
    options.eraseHistoryTicks = 5;
    auto sequence = makeSequence(registerSwitches({false, false, true, true}, kAllOff), options);
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][3], line(3, "Timeout"));
    EXPECT_EQ(view.lines[0][4], line(4, "Failed"));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::AccelHistory));
}

TEST_F(DownloadRun, EraseAnsweredWithAnErrorFails) {
    simulator.addFault({EraseAccelHistoryCommand, FaultKind::AckError, 2, {}, 1});
    auto sequence =
        makeSequence(registerSwitches({false, false, true, true}, {false, false, false, true}));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][3], line(3, "Completed"));
    EXPECT_EQ(view.lines[0][4], line(4, "Failed"));
    EXPECT_EQ(view.lines[1][4], line(4, "Completed")) << "the run goes on after a failure";
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::AccelHistory));
    EXPECT_TRUE(simulator.isErased(2, UnitMemory::AccelHistory));
    EXPECT_TRUE(sequence->anyStepFailed());
    EXPECT_TRUE(responseFilesInHome().isEmpty());
    EXPECT_EQ(view.activities.last(), QStringLiteral("Processing complete - 1 of 3 steps failed"));
}

// The link drops in the middle of engine 1's download: the download, its conversion and the
// data erase that needed the data all fail, and the run does not end like a success.
TEST_F(DownloadRun, ALinkDroppedDuringTheDownloadEndsWithTheCountOfFailedSteps) {
    simulator.addFault({DownloadBearing4Command, FaultKind::CloseAfterBytes, 100000, {}, 1});
    auto sequence = makeSequence(registerSwitches({true, true, false, false}, kAllOff));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][0], line(0, "Failed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - data not saved"));
    EXPECT_EQ(view.activities.last(), QStringLiteral("Processing complete - 3 of 3 steps failed"));
}

TEST_F(DownloadRun, FailedDownloadKeepsTheUnitDataButErasesTheHistoriesAsAsked) {
    simulator.addFault({DownloadBearing4Command, FaultKind::AckError, 3, {}, 1});
    auto sequence = makeSequence(registerSwitches(kAllOn, kDownloadOnly));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][0], line(0, "Failed"));
    EXPECT_EQ(view.lines[0][1], line(1, "Failed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - data not saved"));
    EXPECT_EQ(view.lines[0][3], line(3, "Completed"));
    EXPECT_EQ(view.lines[0][4], line(4, "Completed"));
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0],
              (RecordingNotifier::Message{
                  QStringLiteral("critical"), QStringLiteral("ReformatData()"),
                  QStringLiteral("No data available or unit returned an error.")}));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4Data), 0);
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::Bearing4History));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::AccelHistory));
    EXPECT_TRUE(QDir(engineDir(1)).isEmpty());
    // Engine 2 is not held back by engine 1's failure.
    EXPECT_EQ(view.lines[1][1], line(1, "Completed"));
    expectConvertedFiles(2);
    EXPECT_TRUE(sequence->anyStepFailed());
}

TEST_F(DownloadRun, ShortResponseKeepsTheUnitData) {
    // A well-formed answer that holds only the first five flight slots.
    constexpr int kSlots = 5;
    QByteArray response = UnitSimulator::downloadResponse(1, simulator.config());
    response.truncate(12 + 36 + kSlots * 138872);
    qToBigEndian<quint32>(quint32(response.size()), response.data());
    simulator.addFault({DownloadBearing4Command, FaultKind::RawResponse, 0, response, 1});
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOff));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][0], line(0, "Completed"));
    EXPECT_EQ(view.lines[0][1], line(1, "Failed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - data not saved"));
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4Data), 0);
    ASSERT_FALSE(notifier.messages.isEmpty());
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("ReformatData()"));
    EXPECT_TRUE(notifier.messages[0].text.startsWith(QStringLiteral("Only 5 of the 20")));
    // What did arrive is saved.
    EXPECT_EQ(filesIn(engineDir(1), QStringLiteral("n4orig_*.raw")).size(), 1);
}

TEST_F(DownloadRun, UnwritableEngineDirectoryKeepsTheResponseAndErasesNothing) {
    // A file where the engine directory belongs cannot be written into, even by root.
    ASSERT_TRUE(QDir(engineDir(1)).removeRecursively());
    {
        QFile blocker(engineDir(1));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][1], line(1, "Failed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - data not saved"));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::Bearing4History)) << "histories are not data";
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_EQ(view.lines[1][kind], line(kind, "Completed"));

    // Engine 1's response survived engine 2's download, whole, where the message says.
    const QStringList kept = responseFilesInHome();
    ASSERT_EQ(kept.size(), 1);
    const QString keptPath = QDir::home().filePath(kept[0]);
    const auto expected =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, simulator.config()));
    ASSERT_TRUE(expected.has_value());
    EXPECT_TRUE(readAll(keptPath) == *expected);
    bool told = false;
    for (const auto& message : notifier.messages)
        told = told || message.text.contains(keptPath);
    EXPECT_TRUE(told) << "the technician is told where the data is";
    EXPECT_TRUE(sequence->anyStepFailed());
}

TEST_F(DownloadRun, CancelDuringTheDownloadDropsItAndTheLinkStaysUsable) {
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 1, {}, 1});
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn));
    sequence->start();
    QElapsedTimer timer;
    timer.start();
    while (connection.link().bytesReceived < 1000) {
        ASSERT_LT(timer.elapsed(), 10000) << "the download did not start";
        QThread::msleep(kTestTickMs);
        sequence->tick();
    }
    sequence->cancel();
    EXPECT_EQ(sequence->state(), DownloadSequence::State::Cancelled);
    EXPECT_TRUE(connection.link().abortRequested());
    ASSERT_TRUE(sequence->settleAfterCancel(5000));

    // Whatever the link reports now belongs to nobody.
    const int endedBefore = int(view.ended.size());
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(kTestTickMs);
        sequence->tick();
    }
    EXPECT_EQ(view.ended.size(), endedBefore);
    EXPECT_EQ(view.finishedCount, 0);
    EXPECT_EQ(view.lines[0][0], line(0, "Not performed - cancelled"));
    EXPECT_TRUE(notifier.messages.isEmpty()) << "no conversion ran";
    EXPECT_TRUE(QDir(engineDir(1)).isEmpty());
    EXPECT_TRUE(responseFilesInHome().isEmpty());
    EXPECT_EQ(codesReceived(), QList<quint32>({96}));

    SilentCommunicationView again;
    EXPECT_TRUE(connection.getPartNumbers(again, notifier));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// The unit answers the part-number request twice. The second copy must not pass for
// engine 1's download, nor engine 1's data for engine 2's, nor engine 2's data for an erase.
TEST_F(DownloadRun, AResponseSentTwiceIsNeverTakenForTheNextCommand) {
    const QByteArray partNumbers = unit_responses::partNumberResponse(defaultPartNumbers());
    simulator.addFault(
        {ReadPartNumbersCommand, FaultKind::RawResponse, 0, partNumbers + partNumbers, 1});
    ASSERT_TRUE(connection.checkCommunication(communicationView, notifier));
    simulator.clearReceivedCommands();

    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    for (int engine = 0; engine < 2; ++engine)
        for (int kind = 0; kind < 5; ++kind)
            EXPECT_EQ(view.lines[engine][kind], line(kind, "Completed")) << engine << kind;
    for (int engine = 1; engine <= 2; ++engine) {
        // Each engine's raw file holds that engine's data.
        const QString raw = engineDir(engine) + QLatin1Char('/') +
                            filesIn(engineDir(engine), QStringLiteral("n4orig_*.raw")).value(0);
        const QByteArray bytes = readAll(raw);
        ASSERT_EQ(bytes.size(), kRawFileSize);
        EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 40), engine);
        const auto response = UnitSimulator::hostOrderResponse(
            UnitSimulator::downloadResponse(engine, simulator.config()));
        ASSERT_TRUE(response.has_value());
        // Engine N's first flight number and first steady-state value, from its own response.
        EXPECT_EQ(bytes.mid(64, 4), response->mid(48 + 24, 4)) << "engine " << engine;
        EXPECT_EQ(bytes.mid(304, 4), response->mid(48 + 36 + 8, 4)) << "engine " << engine;
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4Data));
    }
    EXPECT_EQ(codesReceived(), QList<quint32>({96, 101, 102, 103, 96, 101, 102, 103}));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// An answer of another command's shape fails the download; the unit's memories of that engine
// are left alone, and the other engine goes on over a fresh connection.
TEST_F(DownloadRun, ADownloadAnsweredLikeAnotherCommandErasesNothingOfThatEngine) {
    simulator.addFault({DownloadBearing4Command, FaultKind::RawResponse, 0,
                        unit_responses::partNumberResponse(defaultPartNumbers()), 1});
    const int connectionsBefore = simulator.connectionsAccepted();
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn));
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(view.lines[0][0], line(0, "Failed"));
    for (int kind = 2; kind < 5; ++kind)
        EXPECT_EQ(view.lines[0][kind], line(kind, "Not performed - data not saved"));
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4Data), 0);
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4History), 0);
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::AccelHistory), 0);
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_EQ(view.lines[1][kind], line(kind, "Completed"));
    expectConvertedFiles(2);
    EXPECT_EQ(simulator.connectionsAccepted(), connectionsBefore + 1);
    EXPECT_EQ(codesReceived(), QList<quint32>({96, 96, 101, 102, 103}));
}

// The size of the transient text file of the simulated unit's engine 1, whose length
// follows the recorded values.
qint64 transientFileSize() {
    const auto response = UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
    const DownloadedData data(response.value_or(QByteArray()));
    const AircraftRecord aircraft{};
    const PartNumberRecord partNumbers;
    ConversionProgress progress;
    QBuffer transient;
    transient.open(QIODevice::WriteOnly);
    writeTransientFile(transient, QStringLiteral("n4ts_05MAR2006_1432.dat"),
                       {data, 0, aircraft, partNumbers}, QDateTime::currentDateTime(), progress);
    return transient.size();
}

// The raw file and the response fit under the file-size limit, the transient text file does
// not: the files are not all there, so the data memory stays, and the response is kept where
// the message says. Without the file-size signal ignored, the test process itself would die
// here.
TEST_F(DownloadRun, DataIsErasedOnlyWhenAllThreeFilesAreSaved) {
    prepareForDataWork(QDir::homePath(), dataDirectory);
    const qint64 responseSize = unit_responses::kDownloadResponseSize;
    const qint64 transientSize = transientFileSize();
    ASSERT_GT(transientSize, responseSize + 1000);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = rlim_t((responseSize + transientSize) / 2);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOff));
    sequence->start();
    const bool ended = tickUntilEnd(*sequence);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ASSERT_TRUE(ended);

    EXPECT_EQ(filesIn(engineDir(1), QStringLiteral("n4orig_*.raw")).size(), 1);
    EXPECT_TRUE(filesIn(engineDir(1), QStringLiteral("n4ts_*.dat")).isEmpty());
    EXPECT_EQ(view.lines[0][1], line(1, "Failed"));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - data not saved"));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    const QStringList kept = responseFilesInHome();
    ASSERT_EQ(kept.size(), 1);
    const QString keptPath = QDir::home().filePath(kept[0]);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_TRUE(notifier.messages[0].text.endsWith(keptPath));
    EXPECT_EQ(QFileInfo(keptPath).size(), qint64(2777488));
}

// Ctrl-C while the conversion runs: nothing is sent after it.
TEST_F(DownloadRun, ACancelDuringTheConversionSendsNothingMore) {
    DownloadSequence::Options options;
    options.cancelRequested = [this] {
        return view.activities.contains(
            QStringLiteral("Post-processing Bearing 4 Data for Engine 1"));
    };
    auto sequence = makeSequence(registerSwitches(kAllOn, kAllOn), options);
    sequence->start();
    ASSERT_TRUE(tickUntilEnd(*sequence));

    EXPECT_EQ(sequence->state(), DownloadSequence::State::Cancelled);
    expectConvertedFiles(1);
    EXPECT_EQ(codesReceived(), QList<quint32>({96}));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_EQ(view.lines[0][2], line(2, "Not performed - cancelled"));
    EXPECT_EQ(view.ended.size(), 10) << "every line says what was and was not done";
}

// A window converts on a thread of its own: its thread ticks on while the files are written,
// the erase is sent only once all three are on disk, and a cancel followed by the window's end
// still leaves them whole.
TEST_F(DownloadRun, AConversionOnItsOwnThreadLeavesTheTickingThreadFree) {
    const QString converting = QStringLiteral("Post-processing Bearing 4 Data for Engine 1");
    for (const bool cancelDuringConversion : {false, true}) {
        SCOPED_TRACE(cancelDuringConversion ? "cancelled" : "to its end");
        resetSettingsAndHome();
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        ASSERT_TRUE(addAircraft(kAircraft, notifier));
        view = RecordingView();
        simulator.clearReceivedCommands();
        DownloadSequence::Options options;
        options.convertOnOwnThread = true;
        auto sequence =
            makeSequence(registerSwitches({true, true, false, false}, kAllOff), options);
        sequence->start();
        int ticksDuringConversion = 0;
        QElapsedTimer bound;
        bound.start();
        while (sequence->isRunning() && bound.elapsed() < kRunBoundMs) {
            sequence->tick();
            const bool underWay =
                view.activities.last() == converting &&
                sequence->outcome(0, DownloadStepKind::PostProcess) == DownloadOutcome::Pending;
            ticksDuringConversion += underWay;
            if (underWay && cancelDuringConversion)
                sequence->cancel();
            QThread::msleep(kTestTickMs);
            QCoreApplication::processEvents();
        }
        EXPECT_GT(ticksDuringConversion, 0) << "the conversion held the ticking thread";
        sequence.reset();
        expectConvertedFiles(1);
        if (cancelDuringConversion) {
            EXPECT_EQ(codesReceived(), QList<quint32>({96}));
            EXPECT_EQ(view.lines[0][1], line(1, "Not performed - cancelled"));
        } else {
            EXPECT_EQ(codesReceived(), QList<quint32>({96, EraseBearing4Command}));
            EXPECT_EQ(view.lines[0][1], line(1, "Completed"));
            EXPECT_EQ(view.lines[0][2], line(2, "Completed"));
        }
        EXPECT_TRUE(notifier.messages.isEmpty());
    }
}

// The pre-download dialog's OK.
class PreDownload : public DownloadRun {};

TEST_F(PreDownload, SerialNumbersAreCheckedOnlyForEnginesToBeDownloaded) {
    AircraftRecord record = registerSwitches(kDownloadOnly, kDownloadOnly, "12", "1");
    EXPECT_FALSE(checkSerialNumbers(record, notifier));
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0],
              (RecordingNotifier::Message{
                  QStringLiteral("critical"), QStringLiteral("Error"),
                  QStringLiteral("Invalid engine 1 serial number.\n\nEnter min. 3 characters.")}));

    record.engines[0].downloadBearing4 = 0;
    EXPECT_EQ(engineWithShortSerialNumber(record), 1);
    writeFixedText(record.engines[1].serialNumber, QStringLiteral("123"));
    EXPECT_EQ(engineWithShortSerialNumber(record), -1) << "three characters are enough";
    record.engines[1].downloadBearing4 = 0;
    writeFixedText(record.engines[1].serialNumber, QString());
    EXPECT_TRUE(checkSerialNumbers(record, notifier)) << "nothing to download, nothing to check";
}

TEST_F(PreDownload, TheRecordIsStoredEvenWhenTheCheckFails) {
    BrixAircraftSettings().setValue(kLastAircraftKey, QStringLiteral("other"));
    AircraftRecord record = registerSwitches(kAllOff, kDownloadOnly);
    writeFixedText(record.comments, QStringLiteral("edited"));
    writeFixedText(record.engines[1].serialNumber, QStringLiteral("x"));
    EXPECT_FALSE(confirmAircraftForDownload(kAircraft, record, notifier));
    EXPECT_EQ(notifier.messages.last().text,
              QStringLiteral("Invalid engine 2 serial number.\n\nEnter min. 3 characters."));
    EXPECT_EQ(readFixedText(KORALibReadAircraft(kAircraft).comments), QStringLiteral("edited"));
    EXPECT_EQ(BrixAircraftSettings().value(kLastAircraftKey).toString(), kAircraft);
}

// A record whose stored identifier was edited to point elsewhere never reaches the unit.
TEST_F(PreDownload, AStoredIdentifierThatPointsElsewhereStopsTheDownload) {
    AircraftRecord record = registerSwitches(kAllOn, kAllOn);
    writeFixedText(record.aircraftId, QStringLiteral("../../somewhere"));
    EXPECT_FALSE(confirmAircraftForDownload(kAircraft, record, notifier));
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(notifier.messages[0].text.startsWith(
        QStringLiteral("Aircraft ID \"../../somewhere\" is not valid")))
        << notifier.messages[0].text.toStdString();
}

TEST_F(PreDownload, ChoosingATypeSetsBothEngines) {
    AircraftRecord record = registerSwitches(kAllOff, kAllOff);
    writeFixedText(record.engines[0].engineType, QStringLiteral("CFM56-3"));
    setEngineTypeOfBothEngines(record, QStringLiteral("CFM56-7B26-EXTRA-LONG"));
    EXPECT_EQ(readFixedText(record.engines[0].engineType), QStringLiteral("CFM56-7B26-EXTRA"));
    EXPECT_EQ(readFixedText(record.engines[1].engineType), QStringLiteral("CFM56-7B26-EXTRA"));
}

// brix-cli download, in-process on the same connection.
class CliDownload : public DownloadRun {
protected:
    int download(const QStringList& arguments) {
        output.clear();
        QTextStream out(&output);
        const int status = runDownloadCommand(arguments, connection, notifier, out);
        out.flush();
        return status;
    }

    QString output;
};

// Each step's line as it ends, then the health of each engine that got new flights (its type
// has no limits here), then the final text.
TEST_F(CliDownload, PrintsEachStepAsItEnds) {
    registerSwitches(kAllOn, kDownloadOnly);
    EXPECT_EQ(download({kAircraft}), 0);
    EXPECT_EQ(output,
              QStringLiteral("Engine 1: Bearing 4 Data Download          ... Completed\n"
                             "Engine 1: Bearing 4 Post-Processing        ... Completed\n"
                             "Engine 1: Bearing 4 Data Memory Erase      ... Completed\n"
                             "Engine 1: Bearing 4 Defect History Erase   ... Completed\n"
                             "Engine 1: Accel Line Defect History Erase  ... Completed\n"
                             "Engine 2: Bearing 4 Data Download          ... Completed\n"
                             "Engine 2: Bearing 4 Post-Processing        ... Completed\n"
                             "Engine 2: Bearing 4 Data Memory Erase      ... Not requested\n"
                             "Engine 2: Bearing 4 Defect History Erase   ... Not requested\n"
                             "Engine 2: Accel Line Defect History Erase  ... Not requested\n"
                             "Engine 1 health: No limits\n"
                             "Engine 2 health: No limits\n"
                             "Processing complete\n"));
    EXPECT_TRUE(notifier.messages.isEmpty());
    expectConvertedFiles(2);
    EXPECT_EQ(BrixAircraftSettings().value(kLastAircraftKey).toString(), kAircraft);
}

// Each engine's raw file is in the index as soon as it is written: opening the index later
// finds nothing left to read.
TEST_F(CliDownload, PutsEachDownloadInTheIndexAtOnce) {
    registerSwitches(kDownloadOnly, kDownloadOnly);
    ASSERT_EQ(download({kAircraft}), 0);
    ASSERT_TRUE(
        QFileInfo::exists(QDir(FlightIndex::folderPath(dataDirectory)).filePath(kIndexFileName)));
    FlightIndex index(dataDirectory, registerIndexInputs(), notifier);
    EXPECT_EQ(index.lastUpdate().unchanged, 2);
    EXPECT_EQ(index.lastUpdate().read, 0);
    for (int engine = 1; engine <= 2; ++engine) {
        const QList<IndexedFlight> flights = index.flights(kAircraft, engine, {});
        ASSERT_FALSE(flights.isEmpty()) << "engine " << engine;
        EXPECT_TRUE(flights[0].indicators[Indicator::Rms].has_value());
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(CliDownload, OneEngineLeavesTheOtherAloneAndTheRegisterUnchanged) {
    registerSwitches(kAllOn, kAllOn, "1", "874212");
    EXPECT_EQ(download({kAircraft, QStringLiteral("--engine"), QStringLiteral("2")}), 0)
        << "engine 1's short serial number does not matter";
    EXPECT_TRUE(output.startsWith(
        QStringLiteral("Engine 1: Bearing 4 Data Download          ... Not requested\n")));
    EXPECT_TRUE(output.contains(
        QStringLiteral("Engine 2: Bearing 4 Data Memory Erase      ... Completed\n")));
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4Data), 0);
    EXPECT_TRUE(simulator.isErased(2, UnitMemory::Bearing4Data));
    EXPECT_EQ(KORALibReadAircraft(kAircraft).engines[0].downloadBearing4, 1);
}

TEST_F(CliDownload, FailuresEndWithStatusOne) {
    registerSwitches(kAllOn, kAllOff);
    simulator.addFault({EraseAccelHistoryCommand, FaultKind::AckError, 2, {}, 1});
    EXPECT_EQ(download({kAircraft}), 1);
    EXPECT_TRUE(
        output.contains(QStringLiteral("Engine 1: Accel Line Defect History Erase  ... Failed\n")));
    EXPECT_TRUE(output.endsWith(QStringLiteral("Processing complete - 1 of 5 steps failed\n")));

    registerSwitches(kDownloadOnly, kAllOff, "AB");
    EXPECT_EQ(download({kAircraft}), 1);
    EXPECT_TRUE(output.isEmpty());
    EXPECT_EQ(notifier.messages.last().text,
              QStringLiteral("Invalid engine 1 serial number.\n\nEnter min. 3 characters."));

    EXPECT_EQ(download({QStringLiteral("NOPE")}), 1);
    EXPECT_EQ(notifier.messages.last().text, QStringLiteral("Aircraft ID \"NOPE\" not found"));
    EXPECT_EQ(download({kAircraft, QStringLiteral("--engine"), QStringLiteral("3")}), 2);
    EXPECT_EQ(download({}), 2);
}

TEST_F(CliDownload, NoUnitMeansNoDownload) {
    registerSwitches(kAllOn, kAllOn);
    UnitConnection unplugged;
    unplugged.loadAddressFromSettings(notifier);
    simulator.setRefuseConnections(true);
    QTextStream out(&output);
    EXPECT_EQ(runDownloadCommand({kAircraft}, unplugged, notifier, out), 1);
    out.flush();
    EXPECT_EQ(output, QStringLiteral("Unable to communicate with the unit.  Check cabling\n"));
    EXPECT_EQ(codesReceived(), QList<quint32>());
}

TEST_F(CliDownload, NothingSetSaysSoAndEndsWithStatusZero) {
    registerSwitches(kAllOff, kAllOff);
    EXPECT_EQ(download({kAircraft}), 0);
    EXPECT_TRUE(output.endsWith(QStringLiteral(
        "Accel Line Defect History Erase  ... Not requested\nNothing is set to be downloaded or "
        "erased for F-GZLK (Utilities, Download page)\nProcessing complete\n")));
}

// The ten lines after a cancel: `done` steps completed, the rest were not performed.
QString cancelledOutput(int done) {
    QString text;
    for (int step = 0; step < 10; ++step)
        text += QStringLiteral("Engine %1: %2\n")
                    .arg(step / 5 + 1)
                    .arg(line(step % 5, step < done ? "Completed" : "Not performed - cancelled"));
    return text + QStringLiteral("Download cancelled\n");
}

TEST_F(CliDownload, InterruptDuringTheConversionCancelsWhatFollowsIt) {
    registerSwitches(kAllOn, kAllOn);
    // Ctrl-C the moment the conversion creates its first file in the engine directory.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(engineDir(1)).constData(), IN_CREATE),
              0);
    std::thread interrupter([watch] {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 30000) == 1)
            ::kill(::getpid(), SIGINT);
        else
            ADD_FAILURE() << "the conversion did not start";
    });
    const int status = download({kAircraft});
    interrupter.join();
    ::close(watch);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, cancelledOutput(2));
    EXPECT_EQ(codesReceived(), QList<quint32>({1, 96}));
}

TEST_F(CliDownload, InterruptCancelsTheTransfer) {
    registerSwitches(kAllOn, kAllOn);
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 1, {}, 1});
    // The handler is in place before the communication check, so before command 96.
    std::thread interrupter([this] {
        if (simulator.waitForCommands(2, 10000)) {
            QThread::msleep(300);
            ::kill(::getpid(), SIGINT);
        } else {
            ADD_FAILURE() << "the download did not start";
            simulator.stop(); // ends the trickle, and with it the run
        }
    });
    QElapsedTimer timer;
    timer.start();
    const int status = download({kAircraft});
    interrupter.join();
    EXPECT_EQ(status, 1);
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(output, cancelledOutput(0));
    EXPECT_EQ(codesReceived(), QList<quint32>({1, 96}));
    EXPECT_TRUE(QDir(engineDir(1)).isEmpty());
    EXPECT_TRUE(responseFilesInHome().isEmpty());
}

} // namespace
