#pragma once

#include "AircraftRecord.h"
#include "EraseCommand.h"
#include "PartNumberRecord.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class BackgroundConversion;
class DownloadView;
class Notifier;
class UnitLink;
struct ReformatResult;

enum class DownloadStepKind : int {
    DownloadData = 0,
    PostProcess = 1,
    EraseData = 2,
    EraseHistory = 3,
    EraseAccelHistory = 4,
    Done = 5,
};

// One entry of the step list.
struct DownloadStep {
    DownloadStepKind kind = DownloadStepKind::Done;
    int engineIndex = 0;
    // Non-zero: perform the step; zero: it ends "Not requested".
    std::uint8_t requested = 0;
    // Erase steps: the time-out in ticks.
    int ticksLimit = 0;
};

enum class DownloadOutcome {
    Pending,
    Completed,
    NotRequested,
    Timeout,
    Failed,
    NotPerformed,
    // The run was cancelled before the step could end.
    Cancelled,
};

// Status line texts, kind 0..4; each outcome is appended to one of them.
inline const QString kDownloadLineText = QStringLiteral("Bearing 4 Data Download          ... ");
inline const QString kPostProcessLineText = QStringLiteral("Bearing 4 Post-Processing        ... ");
inline const QString kEraseDataLineText = QStringLiteral("Bearing 4 Data Memory Erase      ... ");
inline const QString kEraseHistoryLineText =
    QStringLiteral("Bearing 4 Defect History Erase   ... ");
inline const QString kEraseAccelHistoryLineText =
    QStringLiteral("Accel Line Defect History Erase  ... ");

inline const QString kNotPerformedText = QStringLiteral("Not performed - data not saved");
inline const QString kNotPerformedCancelledText = QStringLiteral("Not performed - cancelled");

inline const QString kDownloadingText = QStringLiteral("Downloading Bearing 4 Data for Engine %1");
inline const QString kPostProcessingText =
    QStringLiteral("Post-processing Bearing 4 Data for Engine %1");
inline const QString kProcessingCompleteText = QStringLiteral("Processing complete");
// %1 steps of the %2 that were requested failed, timed out or were not performed.
inline const QString kProcessingCompleteFailedText =
    QStringLiteral("Processing complete - %1 of %2 steps failed");
// %1 is the aircraft's identifier.
inline const QString kNothingRequestedText =
    QStringLiteral("Nothing is set to be downloaded or erased for %1 (Utilities, Download page)");

inline const QString kCancelButtonText = QStringLiteral("Cancel (F5)");
inline const QString kDoneButtonText = QStringLiteral("Done (F5)");

// The automatic download's step sequence: download, post-process and the three erases of
// engine 1, then of engine 2, as the aircraft's record asks. The progress dialog's 100-ms
// timer and brix-cli call tick(); the sequence polls the link and never blocks. Post-
// processing runs to its end within one tick, or, with `convertOnOwnThread`, on a thread of
// its own while the ticks pass by; the next step starts only once it has ended.
class DownloadSequence {
public:
    static constexpr int kStepCount = 11;
    static constexpr int kStepsPerEngine = 5;
    static constexpr int kTickMs = 100;

    struct Options {
        int eraseDataTicks = kEraseDataTicks;
        int eraseHistoryTicks = kEraseHistoryTicks;
        int eraseAccelHistoryTicks = kEraseAccelHistoryTicks;
        // Empty: the register's data directory.
        QString dataDirectory;
        // Asked before every step and before the end; true cancels the run there. For a
        // caller whose cancel cannot reach the sequence while it converts (a signal handler).
        std::function<bool()> cancelRequested;
        // Converts each engine's data on a thread of its own, for a window that must go on
        // painting; the thread that ticks the sequence runs an event loop then.
        bool convertOnOwnThread = false;
        // Called with the data directory and the raw flight data file as soon as an engine's
        // download is on disk, so that the caller can index it.
        std::function<void(const QString& dataDirectory, const QString& rawFilePath)> rawFileSaved;
        // Asked once when the run reaches its end (never after a cancel): lines shown below the
        // status lines, before the final text (the verdict on each engine that got new flights).
        std::function<QStringList()> closingLines;
    };

    enum class State { NotStarted, Running, Done, Cancelled };

    // Builds the step list from `record`. Nothing is shown or sent before start(). The
    // link, the part numbers, the view and the notifier must outlive the sequence.
    DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                     const AircraftRecord& record, DownloadView& view, Notifier& notifier,
                     Options options);
    DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                     const AircraftRecord& record, DownloadView& view, Notifier& notifier);
    // Waits for a conversion under way, so that its files are written whole.
    ~DownloadSequence();
    DownloadSequence(const DownloadSequence&) = delete;
    DownloadSequence& operator=(const DownloadSequence&) = delete;

    static std::array<DownloadStep, kStepCount> buildSteps(const AircraftRecord& record,
                                                           const Options& options);

    // Shows the initial texts and starts the first step; steps that are not requested end
    // at once, so a record with every switch off is done on return.
    void start();
    // One 100-ms tick. Does nothing unless running, or while post-processing is under way
    // (the dialog keeps dispatching its timer then).
    void tick();
    // The button while running: asks the link to drop what it receives and ends the run.
    // Every step without an outcome ends "Not performed - cancelled" ("Not requested" when
    // it was not asked for), so that the lines say what was and was not done. Whatever the
    // link reports later for this run is ignored. Safe to call from within post-processing;
    // the conversion then finishes and nothing follows it.
    void cancel();
    // Waits until the command in progress has an outcome or `timeoutMs` has passed. Lets
    // brix-cli tick as soon as the unit answers instead of sleeping out the tick.
    void waitForLink(int timeoutMs);
    // After a cancel: waits up to `timeoutMs` for the link to end the dropped command and
    // removes a response file it may still have left. True when the link is free.
    bool settleAfterCancel(int timeoutMs);

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    // A conversion is under way (on its own thread), also after a cancel, until its files
    // are written.
    bool isConverting() const { return postProcessing_; }
    // "Cancel (F5)" until the end, then "Done (F5)".
    QString buttonText() const;
    const std::array<DownloadStep, kStepCount>& steps() const { return steps_; }
    int currentStepIndex() const { return current_; }
    QString statusLine(int engineIndex, DownloadStepKind kind) const;
    DownloadOutcome outcome(int engineIndex, DownloadStepKind kind) const;
    // True when a step failed, timed out or was not performed.
    bool anyStepFailed() const { return failedStepCount() > 0; }
    // The steps that ended other than "Not requested", and those of them that failed, timed
    // out or were not performed.
    int requestedStepCount() const;
    int failedStepCount() const;

    // Time spent waiting for the downloads and converting them, over both engines.
    qint64 transferMilliseconds() const { return transferMs_; }
    qint64 conversionMilliseconds() const { return conversionMs_; }

private:
    void startCurrentStep();
    bool startDownload(const DownloadStep& step);
    // True while the conversion goes on on its own thread.
    bool postProcess(const DownloadStep& step);
    void endPostProcess(const DownloadStep& step, const ReformatResult& result);
    bool startErase(const DownloadStep& step);
    void tickDownload(const DownloadStep& step);
    void tickErase(const DownloadStep& step);
    void endStep(const DownloadStep& step, DownloadOutcome outcome);
    void advance();
    void finish();
    bool cancelledBeforeStep();
    void discardResponseFileOfPending();
    QString takeResponseFile(int engineIndex, const QString& path);

    UnitLink& link_;
    std::function<bool()> cancelRequested_;
    std::function<void(const QString&, const QString&)> rawFileSaved_;
    std::function<QStringList()> closingLines_;
    // A copy: a conversion on its own thread reads it.
    const PartNumberRecord partNumbers_;
    AircraftRecord record_;
    DownloadView& view_;
    Notifier& notifier_;
    QString dataDirectory_;

    std::array<DownloadStep, kStepCount> steps_;
    int current_ = 0;
    State state_ = State::NotStarted;
    bool postProcessing_ = false;

    // The download this run waits for; 0 when none.
    quint64 pending_ = 0;
    EraseCommand erase_;
    bool percentDisplay_ = true;
    int shownValue_ = 0;

    QString lines_[AircraftRecord::kEngineCount][kStepsPerEngine];
    DownloadOutcome outcomes_[AircraftRecord::kEngineCount][kStepsPerEngine] = {};
    QString responseFiles_[AircraftRecord::kEngineCount];
    bool downloaded_[AircraftRecord::kEngineCount] = {};
    // The engine's data is on disk whole: only then may its data memory be erased.
    bool dataSaved_[AircraftRecord::kEngineCount] = {};
    // The engine's download got another command's answer: none of its memories is erased
    // after that.
    bool answerMisplaced_[AircraftRecord::kEngineCount] = {};
    // A kept response that could not be moved out of the link's response file: the next
    // command would overwrite it, so no further command is sent.
    bool responseStuck_ = false;

    QElapsedTimer transferTimer_;
    QElapsedTimer conversionTimer_;
    qint64 transferMs_ = 0;
    qint64 conversionMs_ = 0;

    // Last, so that a conversion under way ends before anything it reports to goes.
    std::unique_ptr<BackgroundConversion> background_;
};
