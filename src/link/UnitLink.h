#pragma once

#include "AutoResetEvent.h"
#include "Protocol.h"

#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>

enum LinkStatusCode : int {
    LinkStatusOk = 0,
    LinkStatusThreadInitialised = 1,
    LinkStatusWorking = 2,
    LinkStatusThreadExited = 3,
    LinkStatusError = 4,
};

inline const QString kStatusOkText = QStringLiteral("OK");
inline const QString kThreadInitialisedText = QStringLiteral("thread initialised");
inline const QString kWorkingText = QStringLiteral("working");
inline const QString kThreadExitedText = QStringLiteral("Thread has exited");

// Socket time-out of the link, for sending and receiving.
inline constexpr int kLinkSocketTimeoutMs = 300000;

// The one request record through which every screen talks to the unit. The screens fill
// it from the GUI thread; the link worker (TCPHandler) carries the commands out.
//
// Each submission gets a sequence number that the worker echoes with its outcome. A
// completion whose number is not the last one submitted belongs to a command that a
// screen has given up on: it is dropped and never taken for the next command's.
class UnitLink {
public:
    UnitLink();
    ~UnitLink();
    UnitLink(const UnitLink&) = delete;
    UnitLink& operator=(const UnitLink&) = delete;

    std::atomic<bool> stopRequested{false};
    // Response bytes received so far (the 4-byte size field included) and the size the
    // unit announced, for progress displays only.
    std::atomic<int> bytesReceived{0};
    std::atomic<int> responseSize{0};
    // Send and receive time-out of every connection the worker opens; tests shorten it.
    std::atomic<int> socketTimeoutMs{kLinkSocketTimeoutMs};
    // False while a worker serves commands; set by the worker just before it reports its
    // end, so that a check made in the moment between that report and the thread's return
    // does not take the ending worker for a live one.
    std::atomic<bool> workerEnded{true};

    AutoResetEvent commandEvent;
    AutoResetEvent doneEvent;

    // Address of the unit. Read by a worker when it starts, so a change reaches the unit
    // through the next worker.
    void setAddress(const QString& host, int port);
    QString host() const;
    int port() const;

    int statusCode() const;
    QString statusText() const;
    QString responseFile() const;
    void clearResponseFile();
    // Deletes the response file of the last command, when there is one, and forgets it: for
    // an answer nobody reads.
    void discardResponseFile();
    // The last command failed on an answer shaped like another command's: the unit and this
    // program disagree on what was asked, so nothing destructive should follow.
    bool answerOfAnotherCommand() const;

    // `statusText` "working" and `statusCode` 2.
    void markWorking();
    // Clears the status before a worker is started (code 0, empty text).
    void resetStatus();

    // Submits one command: resets doneEvent, marks working, builds the packet, signals
    // the worker. Returns the command's sequence number, or 0 when the payload does not
    // fit a packet (nothing is submitted then).
    quint64 submit(quint32 code, const quint32* payload, int payloadLength);
    // Asks the worker to end; returns the sequence number that its end will echo.
    quint64 requestStop();
    // Asks the worker to stop receiving the response of the last command submitted and to
    // start the connection afresh. The request belongs to that command: it is not lost when
    // the worker has not taken the command yet, and never touches a later one.
    void requestAbort();
    bool abortRequested() const;
    bool abortRequestedFor(quint64 sequence) const;

    // Waits up to `timeoutMs` (0 polls) for the outcome of command `sequence`. True once
    // the worker has reported it; statusCode() then holds that outcome. On the application's
    // thread the wait runs a local event loop that the worker's report ends: windows go on
    // painting and timers go on running, while keys and clicks are held until the wait is
    // over (none is lost, none acts in the middle of the step). Elsewhere it blocks.
    bool waitForCompletion(quint64 sequence, int timeoutMs);
    // Waits in the same way up to `timeoutMs` for the worker's next report (its connection,
    // its end, a command's outcome). True when one came; it is taken, as doneEvent.wait does.
    bool waitForReport(int timeoutMs);

    // For the worker ------------------------------------------------------------------
    struct Command {
        std::array<unsigned char, kCommandBufferSize> packet;
        quint64 sequence = 0;
    };
    // A copy of the packet last submitted, with its sequence number.
    Command takeCommand() const;
    // Reports the outcome of command `sequence` and signals doneEvent. An outcome of a
    // command that is no longer the last one submitted is dropped, and its response file
    // removed, since nobody will read it.
    void complete(quint64 sequence, int code, const QString& text, const QString& file,
                  bool answerOfAnotherCommand = false);
    // Reports a status of the worker itself (connected, ended, start-up failure): it
    // stands for every command submitted so far.
    void publishStatus(int code, const QString& text);
    // The worker's last report: marks it ended together with its status, so that a check
    // never sees the one without the other.
    void publishWorkerEnd(int code, const QString& text);

private:
    // True when a wait of `timeoutMs` runs an event loop: on the application's thread.
    bool waitsOnEvents(int timeoutMs) const;
    // Runs a local event loop until `done` holds or `timeoutMs` passes; the worker's
    // reports wake it to look again.
    bool waitOnEvents(const std::function<bool()>& done, int timeoutMs);
    // Tells a waiting event loop that the worker has reported; called from the worker.
    void wakeWaiter();

    mutable std::mutex mutex_;
    // The worker's reports count up this event counter, which a waiting event loop
    // watches: the worker touches nothing of Qt's to wake it. -1 when none could be made;
    // waits then block.
    const int wakeFd_;
    // Ends the innermost wait and those it was begun within; used on the application's
    // thread only.
    std::function<void()> endWaits_;
    QString host_;
    int port_;
    std::array<unsigned char, kCommandBufferSize> commandBuffer_;
    quint64 submittedSequence_ = 0;
    quint64 completedSequence_ = 0;
    quint64 abortSequence_ = 0;
    int statusCode_ = LinkStatusOk;
    QString statusText_;
    QString responseFile_;
    bool answerOfAnotherCommand_ = false;
};
