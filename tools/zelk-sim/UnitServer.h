#pragma once

#include "ReceivedCommand.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class FaultInjector;
class UnitModel;

// The unit's socket side: listens on 127.0.0.1, reads command packets from one client at a
// time on a thread of its own, records them, lets the fault table shape each answer and
// sends what the model answers. Binds 127.0.0.1 only. The model and the fault table must
// outlive the server.
class UnitServer {
public:
    UnitServer(UnitModel& unit, FaultInjector& faults);
    ~UnitServer();
    UnitServer(const UnitServer&) = delete;
    UnitServer& operator=(const UnitServer&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False when already running or the
    // port cannot be bound; errorString() says why.
    bool start(quint16 port = 0);
    // Closes the listener and any connection and joins the thread, even in the middle of
    // an answer. What was recorded is kept, and the server may be started again.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QString errorString() const;

    // While set, nothing listens on the port, so a connect is refused; clearing it listens
    // on the same port again. A connection already open stays open.
    void setRefuseConnections(bool refuse);
    bool refusesConnections() const;

    // The latest 4096 commands, oldest first.
    QList<ReceivedCommand> receivedCommands() const;
    void clearReceivedCommands();
    // Waits up to `timeoutMs` until at least `count` commands were received since the start
    // or the last clearReceivedCommands().
    bool waitForCommands(int count, int timeoutMs) const;
    int connectionsAccepted() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class Wait { Ready, TimedOut, Stopped, Failed };
    enum class Read { Complete, Closed, TimedOut, Stopped };

    void wake();
    void drainWake();
    bool openListener(quint16 wantedPort, QString* why);
    void applyListenState();
    Wait waitFor(int fd, short events, std::optional<Clock::time_point> deadline);
    bool pause(int milliseconds);
    Read readExact(int fd, char* into, qsizetype size, std::optional<Clock::time_point> deadline,
                   qsizetype* got);
    bool sendBytes(int fd, const char* data, qsizetype size, bool trickled, int pauseMs);
    void record(const ReceivedCommand& command);
    void serve(int fd);
    void run();

    UnitModel& unit_;
    FaultInjector& faults_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    QList<ReceivedCommand> received_;
    qint64 commandCount_ = 0; // all ever received, also those no longer kept
    bool refuse_ = false;
    bool listening_ = false; // what the server thread last made of `refuse_`
    int connections_ = 0;
    quint16 port_ = 0;
    QString error_;

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int listenFd_ = -1; // touched only by the server thread while it runs
    int wakeRead_ = -1;
    int wakeWrite_ = -1;

    // Piece sizes of a trickled answer; seeded so that a failing run can be repeated.
    quint64 trickle_;
};
