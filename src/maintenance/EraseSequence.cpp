#include "EraseSequence.h"

#include "EraseView.h"
#include "Notifier.h"

#include <QStringList>

namespace {

int kindIndex(EraseKind kind) {
    return qBound(0, int(kind), kEraseKindCount - 1);
}

} // namespace

bool confirmDataErase(const EraseRequests& requests, Notifier& notifier) {
    QStringList engines;
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        if (requests[engine * kEraseKindCount + int(EraseKind::Bearing4Data)])
            engines.append(kEngineNameText.arg(engine + 1));
    if (engines.isEmpty())
        return true;
    const QString named =
        engines.size() == 1 ? engines.first() : kBothEnginesText.arg(engines[0], engines[1]);
    return notifier.question(kClearMemoryTitle, kEraseDataQuestionText.arg(named),
                             Notifier::DefaultAnswer::No);
}

EraseSequence::EraseSequence(UnitLink& link, const EraseRequests& requests, EraseView& view,
                             Options options)
    : view_(view), options_(options), command_(link), steps_(buildSteps(requests)) {
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind)
            lines_[engine][kind] = lineText(EraseKind(kind));
}

std::array<EraseStep, EraseSequence::kStepCount>
EraseSequence::buildSteps(const EraseRequests& requests) {
    std::array<EraseStep, kStepCount> steps{};
    for (int index = 0; index < kStepCount - 1; ++index)
        steps[index] = {EraseKind(index % kEraseKindCount), index / kEraseKindCount,
                        requests[index]};
    return steps;
}

const QString& EraseSequence::lineText(EraseKind kind) {
    static const QString* const texts[kEraseKindCount] = {
        &kBearing4DataEraseLineText, &kDefectHistoryEraseLineText, &kAccelHistoryEraseLineText};
    return *texts[kindIndex(kind)];
}

QString EraseSequence::line(int engineIndex, EraseKind kind) const {
    return lines_[qBound(0, engineIndex, kEraseEngineCount - 1)][kindIndex(kind)];
}

EraseOutcome EraseSequence::outcome(int engineIndex, EraseKind kind) const {
    return outcomes_[qBound(0, engineIndex, kEraseEngineCount - 1)][kindIndex(kind)];
}

int EraseSequence::requestedStepCount() const {
    int count = 0;
    for (const auto& engine : outcomes_)
        for (const EraseOutcome outcome : engine)
            count += outcome != EraseOutcome::NotRequested && outcome != EraseOutcome::Pending;
    return count;
}

int EraseSequence::failedStepCount() const {
    int count = 0;
    for (const auto& engine : outcomes_)
        for (const EraseOutcome outcome : engine)
            count += outcome == EraseOutcome::Failed || outcome == EraseOutcome::Timeout;
    return count;
}

int EraseSequence::timeoutTicks(EraseKind kind) const {
    switch (kind) {
    case EraseKind::Bearing4History:
        return options_.eraseHistoryTicks;
    case EraseKind::AccelHistory:
        return options_.eraseAccelHistoryTicks;
    case EraseKind::Bearing4Data:
    case EraseKind::EndOfTable:
        break;
    }
    return options_.eraseDataTicks;
}

void EraseSequence::start() {
    if (state_ != State::NotStarted)
        return;
    state_ = State::Running;
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind)
            view_.setLine(engine, EraseKind(kind), lines_[engine][kind]);
    startCurrentStep();
}

// Entries that are not requested end here one after the other; the loop stops at the first
// command sent, or at the end of the table, which the next tick finishes.
void EraseSequence::startCurrentStep() {
    for (;; ++current_) {
        const EraseStep& step = steps_[current_];
        if (step.kind == EraseKind::EndOfTable)
            return;
        if (!step.requested) {
            endStep(step, EraseOutcome::NotRequested);
            continue;
        }
        const int ticks = timeoutTicks(step.kind);
        if (!command_.start(step.kind, step.engineIndex + 1, ticks)) {
            endStep(step, EraseOutcome::Failed);
            continue;
        }
        view_.setActivity(erasingText(step.kind).arg(step.engineIndex + 1));
        shownSeconds_ = 0;
        view_.showSeconds(0, command_.maximumSeconds());
        return;
    }
}

void EraseSequence::tick() {
    if (state_ != State::Running)
        return;
    const EraseStep& step = steps_[current_];
    if (step.kind == EraseKind::EndOfTable) {
        finish();
        return;
    }
    const EraseOutcome outcome = command_.tick();
    if (outcome == EraseOutcome::Pending) {
        if (command_.secondsShown() != shownSeconds_) {
            shownSeconds_ = command_.secondsShown();
            view_.showSeconds(shownSeconds_, command_.maximumSeconds());
        }
        return;
    }
    endStep(step, outcome);
    ++current_;
    startCurrentStep();
}

void EraseSequence::endStep(const EraseStep& step, EraseOutcome outcome) {
    const int kind = kindIndex(step.kind);
    QString& line = lines_[step.engineIndex][kind];
    line = lineText(step.kind) + eraseOutcomeText(outcome);
    outcomes_[step.engineIndex][kind] = outcome;
    view_.setLine(step.engineIndex, step.kind, line);
    view_.stepEnded(step.engineIndex, step.kind, line);
}

// A run with a failed step never ends on the bare text of a success.
void EraseSequence::finish() {
    state_ = State::Done;
    view_.showPercent(100);
    const int failed = failedStepCount();
    const QString finalText =
        failed == 0 ? kEraseProcessingCompleteText
                    : kEraseProcessingCompleteFailedText.arg(QString::number(failed),
                                                             QString::number(requestedStepCount()));
    view_.setActivity(finalText);
    view_.finished(finalText);
}

void EraseSequence::cancel() {
    if (state_ != State::Running && state_ != State::NotStarted)
        return;
    state_ = State::Cancelled;
    command_.abandon();
}

void EraseSequence::waitForLink(int timeoutMs) {
    command_.waitForAnswer(timeoutMs);
}
