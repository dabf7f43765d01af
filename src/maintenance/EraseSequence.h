#pragma once

#include "EraseCommand.h"

#include <QString>

#include <array>

class EraseView;
class Notifier;
class UnitLink;

// The line items of the erase dialog, 34 characters each, so that the outcomes appended to
// them line up in a fixed-pitch font.
inline const QString kBearing4DataEraseLineText =
    QStringLiteral("Bearing 4 Data Erase           ...");
inline const QString kDefectHistoryEraseLineText =
    QStringLiteral("Defect Detection History Erase ...");
inline const QString kAccelHistoryEraseLineText =
    QStringLiteral("Accel Line Defect History Erase...");
inline const QString kEraseProcessingCompleteText = QStringLiteral("Erase Processing complete");
// %1 of the %2 requested erases failed or timed out.
inline const QString kEraseProcessingCompleteFailedText =
    QStringLiteral("Erase Processing complete - %1 of %2 steps failed");

inline const QString kClearMemoryTitle = QStringLiteral("Clear Memory");
// %1: "engine 1", "engine 2" or "engine 1 and engine 2".
inline const QString kEraseDataQuestionText =
    QStringLiteral("Erase the bearing 4 data of %1? Data that has not been downloaded is lost.");
inline const QString kEngineNameText = QStringLiteral("engine %1");
inline const QString kBothEnginesText = QStringLiteral("%1 and %2");

inline constexpr int kEraseEngineCount = 2;

// The ticked boxes of the "Clear Memory" screen: engine 1's kinds 0, 1, 2, then engine 2's.
using EraseRequests = std::array<bool, kEraseEngineCount * kEraseKindCount>;

// One entry of the step table.
struct EraseStep {
    EraseKind kind = EraseKind::EndOfTable;
    int engineIndex = 0;
    bool requested = false;
};

// The time-out of each kind in ticks; tests shorten them.
struct EraseTimeouts {
    int eraseDataTicks = kEraseDataTicks;
    int eraseHistoryTicks = kEraseHistoryTicks;
    int eraseAccelHistoryTicks = kEraseAccelHistoryTicks;
};

// Erasing the bearing-4 data loses what has not been downloaded: asks once, with No as the
// default, when `requests` erase any engine's data. True when the erase may start (at once
// when only histories are to be erased).
bool confirmDataErase(const EraseRequests& requests, Notifier& notifier);

// The memory erase: one erase command per requested entry of the step table, one after the
// other, each until its answer or its time-out. The progress dialog's 100-ms timer and
// brix-cli call tick(); the sequence polls the link and never blocks.
class EraseSequence {
public:
    static constexpr int kStepCount = kEraseEngineCount * kEraseKindCount + 1;
    static constexpr int kTickMs = kEraseTickMs;

    using Options = EraseTimeouts;

    enum class State { NotStarted, Running, Done, Cancelled };

    // The link and the view must outlive the sequence. Nothing is shown or sent before
    // start().
    EraseSequence(UnitLink& link, const EraseRequests& requests, EraseView& view,
                  Options options = {});
    EraseSequence(const EraseSequence&) = delete;
    EraseSequence& operator=(const EraseSequence&) = delete;

    static std::array<EraseStep, kStepCount> buildSteps(const EraseRequests& requests);

    // Shows the line texts and starts the first requested step; the steps before it end
    // "Not requested" at once.
    void start();
    // One 100-ms tick. The first tick after the last step finishes the run.
    void tick();
    // Ends the run; a command in flight is aborted so that the link does not wait for it.
    void cancel();
    // Waits until the command in flight has an outcome or `timeoutMs` has passed, so that
    // brix-cli ticks as soon as the unit answers.
    void waitForLink(int timeoutMs);

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    const std::array<EraseStep, kStepCount>& steps() const { return steps_; }
    int currentStepIndex() const { return current_; }
    QString line(int engineIndex, EraseKind kind) const;
    EraseOutcome outcome(int engineIndex, EraseKind kind) const;
    // True when a step failed or timed out.
    bool anyStepFailed() const { return failedStepCount() > 0; }
    // The steps that ended other than "Not requested", and those of them that failed or
    // timed out.
    int requestedStepCount() const;
    int failedStepCount() const;

    static const QString& lineText(EraseKind kind);

private:
    void startCurrentStep();
    void endStep(const EraseStep& step, EraseOutcome outcome);
    void finish();
    int timeoutTicks(EraseKind kind) const;

    EraseView& view_;
    Options options_;
    EraseCommand command_;
    std::array<EraseStep, kStepCount> steps_;
    int current_ = 0;
    State state_ = State::NotStarted;
    int shownSeconds_ = 0;
    QString lines_[kEraseEngineCount][kEraseKindCount];
    EraseOutcome outcomes_[kEraseEngineCount][kEraseKindCount] = {};
};
