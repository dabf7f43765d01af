#include "EraseCommand.h"

#include "Protocol.h"
#include "UnitLink.h"

#include <QThread>

quint32 eraseCommandCode(EraseKind kind) {
    switch (kind) {
    case EraseKind::Bearing4History:
        return EraseBearing4HistoryCommand;
    case EraseKind::AccelHistory:
        return EraseAccelHistoryCommand;
    case EraseKind::Bearing4Data:
    case EraseKind::EndOfTable:
        break;
    }
    return EraseBearing4Command;
}

const QString& erasingText(EraseKind kind) {
    switch (kind) {
    case EraseKind::Bearing4History:
        return kErasingHistoryText;
    case EraseKind::AccelHistory:
        return kErasingAccelHistoryText;
    case EraseKind::Bearing4Data:
    case EraseKind::EndOfTable:
        break;
    }
    return kErasingDataText;
}

QString eraseOutcomeText(EraseOutcome outcome) {
    switch (outcome) {
    case EraseOutcome::Completed:
        return kCompletedText;
    case EraseOutcome::NotRequested:
        return kNotRequestedText;
    case EraseOutcome::Timeout:
        return kTimeoutText;
    case EraseOutcome::Failed:
        return kFailedText;
    case EraseOutcome::Pending:
        break;
    }
    return QString();
}

bool EraseCommand::start(EraseKind kind, int engineNumber, int timeoutTicks) {
    initialTicks_ = remainingTicks_ = timeoutTicks;
    // No worker serves the link when it could not connect (its connect time-out has passed
    // already): nobody would ever answer, so the step fails now instead of after its
    // time-out.
    if (link_.workerEnded) {
        sequence_ = 0;
        return false;
    }
    const quint32 payload[] = {quint32(engineNumber)};
    sequence_ = link_.submit(eraseCommandCode(kind), payload, sizeof payload);
    return sequence_ != 0;
}

EraseOutcome EraseCommand::tick() {
    if (sequence_ == 0)
        return EraseOutcome::Pending;
    // An answer that came within the tick counts, even on the tick that would time out.
    if (link_.waitForCompletion(sequence_, 0)) {
        sequence_ = 0;
        link_.discardResponseFile();
        return link_.statusCode() == LinkStatusOk ? EraseOutcome::Completed : EraseOutcome::Failed;
    }
    if (--remainingTicks_ > 0)
        return EraseOutcome::Pending;
    // The worker would wait on for this answer and hold back the next command.
    link_.requestAbort();
    sequence_ = 0;
    return EraseOutcome::Timeout;
}

void EraseCommand::abandon() {
    if (sequence_ == 0)
        return;
    if (link_.waitForCompletion(sequence_, 0))
        link_.discardResponseFile();
    else
        link_.requestAbort();
    sequence_ = 0;
}

void EraseCommand::waitForAnswer(int timeoutMs) {
    if (sequence_ == 0)
        QThread::msleep(timeoutMs);
    else
        link_.waitForCompletion(sequence_, timeoutMs);
}
