#pragma once

#include <QString>
#include <QtGlobal>

class UnitLink;

// The three memories of an engine that the unit erases on request, in the order the screens
// list them. EndOfTable closes the erase dialog's step table.
enum class EraseKind : int {
    Bearing4Data = 0,
    Bearing4History = 1,
    AccelHistory = 2,
    EndOfTable = 3,
};
inline constexpr int kEraseKindCount = 3;

enum class EraseOutcome { Pending, Completed, NotRequested, Timeout, Failed };

// Erase time-outs in 100-ms ticks.
inline constexpr int kEraseDataTicks = 3000;
inline constexpr int kEraseHistoryTicks = 600;
inline constexpr int kEraseAccelHistoryTicks = 600;
inline constexpr int kEraseTickMs = 100;

// What a step's line ends with.
inline const QString kCompletedText = QStringLiteral("Completed");
inline const QString kNotRequestedText = QStringLiteral("Not requested");
inline const QString kTimeoutText = QStringLiteral("Timeout");
inline const QString kFailedText = QStringLiteral("Failed");

// The activity text while an erase runs; %1 is the engine number.
inline const QString kErasingDataText = QStringLiteral(
    "Erasing Bearing 4 Data for Engine %1 (seconds spent performing erase function)");
inline const QString kErasingHistoryText =
    QStringLiteral("Erasing Bearing 4 Defect Detection History for Engine %1 (seconds spent "
                   "performing erase function)");
inline const QString kErasingAccelHistoryText =
    QStringLiteral("Erasing Accel line defect detection history for Engine %1 (seconds spent "
                   "performing erase function)");

quint32 eraseCommandCode(EraseKind kind);
const QString& erasingText(EraseKind kind);
// "Completed", "Not requested", "Timeout" or "Failed"; empty while pending.
QString eraseOutcomeText(EraseOutcome outcome);

// One erase command in flight, as the download and the erase dialog run it from their
// 100-ms timers: submitted with the engine number as its payload, polled without waiting on
// each tick, and given up after its time-out. A command given up on is aborted, so that the
// worker stops waiting for its answer and the link drops a late one by its sequence number
// instead of taking it for the next command's.
class EraseCommand {
public:
    explicit EraseCommand(UnitLink& link) : link_(link) {}
    EraseCommand(const EraseCommand&) = delete;
    EraseCommand& operator=(const EraseCommand&) = delete;

    // Submits the kind's command for `engineNumber` (1 or 2), to time out after
    // `timeoutTicks` ticks. False when nothing could be submitted, also when no worker
    // serves the link (it could not connect to the unit).
    bool start(EraseKind kind, int engineNumber, int timeoutTicks);
    // One tick: Pending while the unit has not answered, then once Completed (status OK),
    // Failed (the link reported an error) or Timeout. The response file is removed.
    EraseOutcome tick();
    // Gives the command up: drops its answer if it came, aborts it otherwise.
    void abandon();
    // Waits up to `timeoutMs` for the answer without taking it; sleeps the time out when no
    // command is in flight. For callers that tick as soon as the unit answers.
    void waitForAnswer(int timeoutMs);

    bool isRunning() const { return sequence_ != 0; }
    quint64 sequence() const { return sequence_; }
    // The whole seconds spent plus one, the bar's value while the command runs.
    int secondsShown() const { return (initialTicks_ - remainingTicks_) / 10 + 1; }
    // The time-out in seconds, the bar's maximum.
    int maximumSeconds() const { return initialTicks_ / 10; }

private:
    UnitLink& link_;
    quint64 sequence_ = 0;
    int initialTicks_ = 0;
    int remainingTicks_ = 0;
};
