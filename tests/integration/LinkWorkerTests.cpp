// The link worker against the simulated unit on a loopback port: every outcome a screen can
// see, with the simulator misbehaving on purpose.
#include "CommunicationLog.h"
#include "LinkWorker.h"
#include "Protocol.h"
#include "SettingsSandbox.h"
#include "UnitLink.h"
#include "UnitResponses.h"
#include "UnitSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtEndian>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QString kInvalidResponse =
    QStringLiteral("Invalid response detected, or unit returned error");
constexpr int kCommandWaitMs = 20000;

struct Outcome {
    bool completed = false;
    int code = -1;
    QString text;
    QString file;
    QByteArray bytes;
};

QString readLog() {
    QFile log(communicationLogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()) : QString();
}

// A 12-byte header followed by one type-0 block filling `size` bytes in all.
QByteArray validResponseOfSize(quint32 size) {
    QByteArray bytes(qsizetype(size), '\x5A');
    qToBigEndian<quint32>(size, bytes.data());
    qToBigEndian<quint32>(0, bytes.data() + 4);
    qToBigEndian<quint32>(1, bytes.data() + 8);
    qToBigEndian<quint32>(0, bytes.data() + 12);
    qToBigEndian<quint32>(size - 20, bytes.data() + 16);
    return bytes;
}

constexpr quint32 kUnknownCommand = 200;

QByteArray partNumbers() {
    return unit_responses::partNumberResponse(defaultPartNumbers());
}

QByteArray partNumbersTwice() {
    return partNumbers() + partNumbers();
}

QByteArray rawWithSizeField(quint32 size, int length) {
    QByteArray bytes(length, '\0');
    qToBigEndian<quint32>(size, bytes.data());
    return bytes;
}

class WorkerAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start()) << qPrintable(simulator.errorString());
        link->setAddress(QStringLiteral("127.0.0.1"), simulator.port());
    }

    void TearDown() override {
        if (worker.isRunning())
            link->requestStop();
        EXPECT_TRUE(worker.waitForEnd(kCommandWaitMs));
    }

    // Starts the worker and waits for its first status.
    int startWorker() {
        link->doneEvent.reset();
        link->resetStatus();
        worker.start(link);
        EXPECT_TRUE(link->doneEvent.wait(kCommandWaitMs)) << "the worker never reported";
        return link->statusCode();
    }

    Outcome run(quint32 code, std::initializer_list<quint32> payload) {
        const std::vector<quint32> words(payload);
        const quint64 sequence = link->submit(code, words.data(), int(words.size() * 4));
        return finish(sequence);
    }

    // Waits until the worker has received `count` bytes of the current response; false
    // when they do not come within the command wait.
    bool waitForBytesReceived(qint64 count) {
        QElapsedTimer waited;
        waited.start();
        while (link->bytesReceived < count) {
            if (waited.elapsed() > kCommandWaitMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    Outcome finish(quint64 sequence) {
        Outcome outcome;
        outcome.completed = link->waitForCompletion(sequence, kCommandWaitMs);
        outcome.code = link->statusCode();
        outcome.text = link->statusText();
        outcome.file = link->responseFile();
        QFile file(outcome.file);
        if (!outcome.file.isEmpty() && file.open(QIODevice::ReadOnly))
            outcome.bytes = file.readAll();
        return outcome;
    }

    UnitSimulator simulator;
    std::shared_ptr<UnitLink> link = std::make_shared<UnitLink>();
    LinkWorker worker;
};

TEST_F(WorkerAgainstSimulator, ConnectsReadsPartNumbersAndLogsOnlyStatusChanges) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    EXPECT_EQ(link->statusText(), QStringLiteral("thread initialised"));

    const Outcome outcome = run(ReadPartNumbersCommand, {0});
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.code, LinkStatusOk);
    EXPECT_EQ(outcome.text, QStringLiteral("OK"));
    EXPECT_EQ(outcome.file, responseFilePath());
    EXPECT_EQ(outcome.bytes.size(), 296);

    const QList<ReceivedCommand> received = simulator.receivedCommands();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].packet, QByteArray::fromHex("0000000c0000000100000000"));

    const QString log = readLog();
    EXPECT_EQ(log.count(QStringLiteral("Process id:")), 1) << "success is never logged";
    EXPECT_TRUE(
        log.contains(QStringLiteral("status code:  1\nstatus msg:   thread initialised\n")));
}

TEST_F(WorkerAgainstSimulator, DownloadResponseFileIsTheHostOrderCopy) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    const Outcome outcome = run(DownloadBearing4Command, {2, 0});
    ASSERT_EQ(outcome.code, LinkStatusOk) << qPrintable(outcome.text);
    const auto expected =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(2, simulator.config()));
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(outcome.bytes.size(), 2777488);
    EXPECT_TRUE(outcome.bytes == *expected);
    EXPECT_EQ(link->bytesReceived.load(), 2777488);
    EXPECT_EQ(link->responseSize.load(), 2777488);
}

TEST_F(WorkerAgainstSimulator, TrickledResponseGivesTheSameFile) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    const Outcome normal = run(DownloadBearing4Command, {1, 0});
    ASSERT_EQ(normal.code, LinkStatusOk);
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 0, {}, 1});
    const Outcome trickled = run(DownloadBearing4Command, {1, 0});
    ASSERT_EQ(trickled.code, LinkStatusOk) << qPrintable(trickled.text);
    EXPECT_TRUE(trickled.bytes == normal.bytes);
}

TEST_F(WorkerAgainstSimulator, NoUnitEndsTheStartUp) {
    simulator.setRefuseConnections(true);
    ASSERT_EQ(startWorker(), LinkStatusError);
    const QString text = QStringLiteral("error: TCPHandler_(): EstablishConnection() failed.");
    EXPECT_EQ(link->statusText(), text);
    EXPECT_TRUE(worker.waitForEnd(kCommandWaitMs));
    EXPECT_EQ(worker.exitCode(), -1);
    EXPECT_TRUE(readLog().contains(QStringLiteral("status code:  4\nstatus msg:   ") + text));
}

TEST_F(WorkerAgainstSimulator, HostNameEndsTheStartUpWithoutALookup) {
    // Names are never resolved; this one (a label longer than 63 characters) would be
    // refused by a resolver too, so even a faulty build sends no name query anywhere.
    link->setAddress(QString(64, QLatin1Char('a')) + QStringLiteral(".invalid"), 4242);
    ASSERT_EQ(startWorker(), LinkStatusError);
    EXPECT_EQ(link->statusText(), QStringLiteral("error: TCPHandler_(): LookupAddress() failed."));
}

TEST_F(WorkerAgainstSimulator, UnitErrorLogsTwiceAndKeepsTheConnection) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({ReadPartNumbersCommand, FaultKind::AckError, 3, {}, 1});
    const Outcome failed = run(ReadPartNumbersCommand, {0});
    EXPECT_EQ(failed.code, LinkStatusError);
    EXPECT_EQ(failed.text, kInvalidResponse);
    EXPECT_TRUE(failed.file.isEmpty());
    EXPECT_FALSE(QFile::exists(responseFilePath()));
    const QString log = readLog();
    EXPECT_TRUE(log.contains(
        QStringLiteral("status code:  4\nstatus msg:   Unit returned error (ACK = 3)\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("status code:  4\nstatus msg:   ") + kInvalidResponse));

    EXPECT_EQ(run(ReadPartNumbersCommand, {0}).code, LinkStatusOk);
    EXPECT_EQ(simulator.connectionsAccepted(), 1);
}

TEST_F(WorkerAgainstSimulator, AbortEndsWithOkAndANewConnection) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 1, {}, 1});
    const quint32 payload[] = {1, 0};
    const quint64 sequence = link->submit(DownloadBearing4Command, payload, sizeof payload);
    ASSERT_TRUE(waitForBytesReceived(1000)) << "the download never started";
    QElapsedTimer aborted;
    aborted.start();
    link->requestAbort();
    const Outcome outcome = finish(sequence);
    ASSERT_TRUE(outcome.completed);
    EXPECT_GE(aborted.elapsed(), 500) << "the worker pauses before it reconnects";
    EXPECT_EQ(outcome.code, LinkStatusOk);
    EXPECT_EQ(outcome.text, QStringLiteral("OK"));
    EXPECT_TRUE(outcome.file.isEmpty());
    EXPECT_FALSE(QFile::exists(responseFilePath()));
    EXPECT_EQ(run(ReadPartNumbersCommand, {0}).code, LinkStatusOk);
    // Counted once the simulator has taken the new connection on its own thread, which a
    // command answered on it proves; the worker's connect alone may come back before that.
    EXPECT_EQ(simulator.connectionsAccepted(), 2);
}

TEST_F(WorkerAgainstSimulator, AbortOfACommandNotYetTakenIsKept) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
    const quint32 engine[] = {1};
    link->submit(EraseBearing4Command, engine, sizeof engine);
    ASSERT_TRUE(simulator.waitForCommands(1, kCommandWaitMs));
    // The worker is still waiting on the erase when the download is submitted and cancelled.
    const quint32 download[] = {1, 0};
    const quint64 sequence = link->submit(DownloadBearing4Command, download, sizeof download);
    link->requestAbort();
    const Outcome outcome = finish(sequence);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.code, LinkStatusOk);
    EXPECT_TRUE(outcome.file.isEmpty());
    EXPECT_FALSE(QFile::exists(responseFilePath()));
    EXPECT_EQ(run(ReadPartNumbersCommand, {0}).code, LinkStatusOk) << "later commands are kept";
}

TEST_F(WorkerAgainstSimulator, StopWhileTheUnitIsSilentEndsAtOnce) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
    const quint32 payload[] = {0};
    link->submit(ReadPartNumbersCommand, payload, sizeof payload);
    ASSERT_TRUE(simulator.waitForCommands(1, kCommandWaitMs));
    // The socket time-out is far longer than this wait, so only a stop that cuts the
    // receive short ends the worker in time. How quickly: bench_link_responsiveness.
    link->requestStop();
    ASSERT_TRUE(worker.waitForEnd(kCommandWaitMs));
    EXPECT_EQ(link->statusCode(), LinkStatusThreadExited);
}

TEST_F(WorkerAgainstSimulator, StopWhileIdleEndsTheWorker) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    const quint64 stop = link->requestStop();
    ASSERT_TRUE(link->waitForCompletion(stop, kCommandWaitMs));
    EXPECT_EQ(link->statusCode(), LinkStatusThreadExited);
    EXPECT_EQ(link->statusText(), QStringLiteral("Thread has exited"));
    EXPECT_TRUE(worker.waitForEnd(kCommandWaitMs));
    EXPECT_EQ(worker.exitCode(), 0);
    EXPECT_TRUE(
        readLog().contains(QStringLiteral("status code:  3\nstatus msg:   Thread has exited\n")));
}

TEST_F(WorkerAgainstSimulator, LateCompletionIsNotTakenForTheNextCommand) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({DownloadBearing4Command, FaultKind::Delay, 800, {}, 1});
    const quint32 download[] = {1, 0};
    const quint64 first = link->submit(DownloadBearing4Command, download, sizeof download);
    // The screen gives up on the download and asks for the part numbers instead.
    EXPECT_FALSE(link->waitForCompletion(first, 100));
    const quint32 read[] = {0};
    const quint64 second = link->submit(ReadPartNumbersCommand, read, sizeof read);
    EXPECT_NE(first, second);
    // The download completes first; that completion must not end the wait.
    ASSERT_TRUE(link->waitForCompletion(second, kCommandWaitMs));
    EXPECT_EQ(link->statusCode(), LinkStatusOk);
    QFile file(link->responseFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 296) << "the file is the part numbers', not the download's";
    ASSERT_TRUE(simulator.waitForCommands(2, kCommandWaitMs));
}

// Records the types of the events it receives.
class EventLog : public QObject {
public:
    QList<QEvent::Type> types;

protected:
    bool event(QEvent* event) override {
        types.append(event->type());
        return true;
    }
};

// Keys that the program sends itself while it waits for the unit (a queued call that types
// one) are held until the wait is over and then delivered in their order; the queued call
// itself runs during the wait.
TEST_F(WorkerAgainstSimulator, KeysSentDuringAWaitArriveAfterIt) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault({ReadPartNumbersCommand, FaultKind::Delay, 300, {}, 1});
    EventLog window;
    bool typed = false;
    QTimer::singleShot(0, [&] {
        QEvent press(QEvent::KeyPress);
        QEvent release(QEvent::KeyRelease);
        QCoreApplication::sendEvent(&window, &press);
        QCoreApplication::sendEvent(&window, &release);
        typed = true;
    });
    const quint32 read[] = {0};
    const quint64 sequence = link->submit(ReadPartNumbersCommand, read, sizeof read);
    ASSERT_TRUE(link->waitForCompletion(sequence, kCommandWaitMs));
    EXPECT_TRUE(typed);
    EXPECT_TRUE(window.types.isEmpty()) << "a key acted in the middle of the wait";
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.types, (QList<QEvent::Type>{QEvent::KeyPress, QEvent::KeyRelease}));
}

// Posts itself another event for each one it gets, so that the thread is never idle.
class BusyObject : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }
};

// The worker's reports end waits whose thread is busy handling events of its own, as a
// window is while it repaints: each report is seen, and none of the worker's wake-ups is
// handled as if it were input.
TEST_F(WorkerAgainstSimulator, ReportsEndWaitsOfABusyThread) {
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    BusyObject busy;
    QCoreApplication::postEvent(&busy, new QEvent(QEvent::User));
    for (int round = 0; round < 200; ++round) {
        const quint32 read[] = {0};
        const quint64 sequence = link->submit(ReadPartNumbersCommand, read, sizeof read);
        ASSERT_TRUE(link->waitForCompletion(sequence, kCommandWaitMs)) << "round " << round;
        ASSERT_EQ(link->statusCode(), LinkStatusOk);
        link->discardResponseFile();
    }
    EXPECT_GT(busy.handled, 200);
}

TEST_F(WorkerAgainstSimulator, ReconnectedLinkKeepsItsTimeOuts) {
    link->socketTimeoutMs = 400;
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    // The part numbers, trickled, keep the link busy long enough to be aborted; a download
    // would not do here, since the simulator may take longer than the time-out to make its
    // first one on a busy machine.
    simulator.addFault({ReadPartNumbersCommand, FaultKind::Trickle, 20, {}, 1});
    const quint32 payload[] = {0};
    const quint64 sequence = link->submit(ReadPartNumbersCommand, payload, sizeof payload);
    ASSERT_TRUE(waitForBytesReceived(40)) << "the answer never started";
    link->requestAbort();
    ASSERT_EQ(finish(sequence).code, LinkStatusOk);

    simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
    QElapsedTimer stalled;
    stalled.start();
    const Outcome outcome = run(ReadPartNumbersCommand, {0});
    EXPECT_EQ(outcome.text, QStringLiteral("Failed to retrieve response size."));
    EXPECT_LT(stalled.elapsed(), 5000);
}

// One row per way the unit can fail a command; a new fault is covered by adding a row.
struct FaultRow {
    const char* name;
    SimulatorFault fault;
    int expectedCode;
    QString expectedText;
    // What the file holds after success: the size of the response.
    qint64 expectedFileSize;
    bool connectionKept;
};

class FaultTable : public WorkerAgainstSimulator, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(FaultTable, OutcomeAndRecovery) {
    const FaultRow& row = GetParam();
    link->socketTimeoutMs = 500;
    ASSERT_EQ(startWorker(), LinkStatusThreadInitialised);
    simulator.addFault(row.fault);

    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = run(row.fault.code, {0});
    ASSERT_TRUE(outcome.completed);
    EXPECT_LT(timer.elapsed(), 10000) << "the worker never spins or waits without bound";
    EXPECT_EQ(outcome.code, row.expectedCode);
    EXPECT_EQ(outcome.text, row.expectedText);
    if (row.expectedCode == LinkStatusOk) {
        EXPECT_EQ(outcome.bytes.size(), row.expectedFileSize);
    } else {
        EXPECT_TRUE(outcome.file.isEmpty());
        EXPECT_FALSE(QFile::exists(responseFilePath())) << "no response file is left";
    }

    // The next command works, on the same connection when the stream was not disturbed.
    simulator.clearFaults();
    const Outcome next = run(ReadPartNumbersCommand, {0});
    EXPECT_EQ(next.code, LinkStatusOk) << qPrintable(next.text);
    EXPECT_EQ(simulator.connectionsAccepted(), row.connectionKept ? 1 : 2);
}

const QString kReceiveFailed = QStringLiteral("recv() failed.");
const QString kSizeFailed = QStringLiteral("Failed to retrieve response size.");

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTable,
    ::testing::Values(
        FaultRow{"ack_error",
                 {ReadPartNumbersCommand, FaultKind::AckError, 7, {}, 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 true},
        FaultRow{"bad_block_type",
                 {ReadPartNumbersCommand, FaultKind::BadBlockType, 4, {}, 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 true},
        FaultRow{"delayed",
                 {ReadPartNumbersCommand, FaultKind::Delay, 200, {}, 1},
                 LinkStatusOk,
                 QStringLiteral("OK"),
                 296,
                 true},
        FaultRow{"closed_mid_response",
                 {ReadPartNumbersCommand, FaultKind::CloseAfterBytes, 100, {}, 1},
                 LinkStatusError,
                 kReceiveFailed,
                 0,
                 false},
        FaultRow{"closed_before_size",
                 {ReadPartNumbersCommand, FaultKind::CloseAfterBytes, 2, {}, 1},
                 LinkStatusError,
                 kSizeFailed,
                 0,
                 false},
        FaultRow{"stalled",
                 {ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1},
                 LinkStatusError,
                 kSizeFailed,
                 0,
                 false},
        FaultRow{"declared_size_0",
                 {ReadPartNumbersCommand, FaultKind::RawResponse, 0, rawWithSizeField(0, 12), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"declared_size_1",
                 {ReadPartNumbersCommand, FaultKind::RawResponse, 0, rawWithSizeField(1, 12), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"declared_size_11",
                 {ReadPartNumbersCommand, FaultKind::RawResponse, 0, rawWithSizeField(11, 11), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"declared_size_12",
                 {EraseBearing4Command, FaultKind::RawResponse, 0, rawWithSizeField(12, 12), 1},
                 LinkStatusOk,
                 QStringLiteral("OK"),
                 12,
                 true},
        // A command this program does not know has no expected shape.
        FaultRow{
            "declared_size_16777215",
            {kUnknownCommand, FaultKind::RawResponse, 0, validResponseOfSize(kMaxDeclaredSize), 1},
            LinkStatusOk,
            QStringLiteral("OK"),
            kMaxDeclaredSize,
            true},
        FaultRow{"declared_size_16777216",
                 {ReadPartNumbersCommand, FaultKind::DeclaredSize, 0x1000000, {}, 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"declared_size_ffffffff",
                 {ReadPartNumbersCommand, FaultKind::DeclaredSize, 0xFFFFFFFF, {}, 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        // The unit answers twice: the second copy is discarded before the next command, which
        // therefore gets its own answer on the same connection.
        FaultRow{"answered_twice",
                 {ReadPartNumbersCommand, FaultKind::RawResponse, 0, partNumbersTwice(), 1},
                 LinkStatusOk,
                 QStringLiteral("OK"),
                 296,
                 true},
        // Answers of the wrong shape: the stream position is unknown, so the connection is
        // started afresh.
        FaultRow{"erase_answered_with_part_numbers",
                 {EraseBearing4Command, FaultKind::RawResponse, 0, partNumbers(), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"part_numbers_answered_with_a_bare_header",
                 {ReadPartNumbersCommand, FaultKind::RawResponse, 0, rawWithSizeField(12, 12), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"download_answered_with_part_numbers",
                 {DownloadBearing4Command, FaultKind::RawResponse, 0, partNumbers(), 1},
                 LinkStatusError,
                 kInvalidResponse,
                 0,
                 false},
        FaultRow{"declared_size_larger_than_sent",
                 {ReadPartNumbersCommand, FaultKind::DeclaredSize, 400, {}, 1},
                 LinkStatusError,
                 kReceiveFailed,
                 0,
                 false}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

} // namespace
