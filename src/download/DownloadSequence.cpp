#include "DownloadSequence.h"

#include "AircraftPaths.h"
#include "BackgroundConversion.h"
#include "DownloadLogging.h"
#include "DownloadView.h"
#include "FixedText.h"
#include "LeftoverFiles.h"
#include "Notifier.h"
#include "Protocol.h"
#include "ReformatData.h"
#include "UnitLink.h"

#include <QDateTime>
#include <QFile>

namespace {

int lineIndex(DownloadStepKind kind) {
    const int index = int(kind);
    Q_ASSERT(index >= 0 && index < DownloadSequence::kStepsPerEngine);
    return qBound(0, index, DownloadSequence::kStepsPerEngine - 1);
}

const QString& lineText(DownloadStepKind kind) {
    static const QString* const texts[DownloadSequence::kStepsPerEngine] = {
        &kDownloadLineText, &kPostProcessLineText, &kEraseDataLineText, &kEraseHistoryLineText,
        &kEraseAccelHistoryLineText};
    return *texts[lineIndex(kind)];
}

const QString& outcomeText(DownloadOutcome outcome) {
    switch (outcome) {
    case DownloadOutcome::Completed:
        return kCompletedText;
    case DownloadOutcome::NotRequested:
        return kNotRequestedText;
    case DownloadOutcome::Timeout:
        return kTimeoutText;
    case DownloadOutcome::NotPerformed:
        return kNotPerformedText;
    case DownloadOutcome::Cancelled:
        return kNotPerformedCancelledText;
    case DownloadOutcome::Failed:
    case DownloadOutcome::Pending:
        break;
    }
    return kFailedText;
}

DownloadOutcome downloadOutcome(EraseOutcome outcome) {
    switch (outcome) {
    case EraseOutcome::Completed:
        return DownloadOutcome::Completed;
    case EraseOutcome::Timeout:
        return DownloadOutcome::Timeout;
    case EraseOutcome::Pending:
        return DownloadOutcome::Pending;
    case EraseOutcome::NotRequested:
        return DownloadOutcome::NotRequested;
    case EraseOutcome::Failed:
        break;
    }
    return DownloadOutcome::Failed;
}

EraseKind eraseKind(DownloadStepKind kind) {
    return EraseKind(int(kind) - int(DownloadStepKind::EraseData));
}

bool isErase(DownloadStepKind kind) {
    return kind == DownloadStepKind::EraseData || kind == DownloadStepKind::EraseHistory ||
           kind == DownloadStepKind::EraseAccelHistory;
}

} // namespace

DownloadSequence::DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                                   const AircraftRecord& record, DownloadView& view,
                                   Notifier& notifier)
    : DownloadSequence(link, partNumbers, record, view, notifier, Options()) {}

DownloadSequence::DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                                   const AircraftRecord& record, DownloadView& view,
                                   Notifier& notifier, Options options)
    : link_(link), cancelRequested_(std::move(options.cancelRequested)),
      rawFileSaved_(std::move(options.rawFileSaved)),
      closingLines_(std::move(options.closingLines)), partNumbers_(partNumbers), record_(record),
      view_(view), notifier_(notifier),
      dataDirectory_(options.dataDirectory.isEmpty() ? registerDataDirectory()
                                                     : options.dataDirectory),
      steps_(buildSteps(record, options)), erase_(link),
      background_(options.convertOnOwnThread ? std::make_unique<BackgroundConversion>(notifier)
                                             : nullptr) {
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        for (int kind = 0; kind < kStepsPerEngine; ++kind)
            lines_[engine][kind] = lineText(DownloadStepKind(kind));
}

DownloadSequence::~DownloadSequence() = default;

std::array<DownloadStep, DownloadSequence::kStepCount>
DownloadSequence::buildSteps(const AircraftRecord& record, const Options& options) {
    std::array<DownloadStep, kStepCount> steps{};
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        const EngineRecord& switches = record.engines[engine];
        const std::uint8_t requested[kStepsPerEngine] = {
            switches.downloadBearing4, switches.downloadBearing4, switches.eraseBearing4,
            switches.eraseBearing4History, switches.eraseAccelHistory};
        const int ticks[kStepsPerEngine] = {0, 0, options.eraseDataTicks, options.eraseHistoryTicks,
                                            options.eraseAccelHistoryTicks};
        for (int kind = 0; kind < kStepsPerEngine; ++kind) {
            DownloadStep& step = steps[engine * kStepsPerEngine + kind];
            step.kind = DownloadStepKind(kind);
            step.engineIndex = engine;
            step.requested = requested[kind];
            step.ticksLimit = ticks[kind];
        }
    }
    return steps;
}

void DownloadSequence::start() {
    if (state_ != State::NotStarted)
        return;
    state_ = State::Running;
    view_.showPercent(0);
    view_.setActivity(QString());
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        for (int kind = 0; kind < kStepsPerEngine; ++kind)
            view_.setStatusLine(engine, DownloadStepKind(kind), lines_[engine][kind]);
    startCurrentStep();
}

QString DownloadSequence::buttonText() const {
    return state_ == State::Done ? kDoneButtonText : kCancelButtonText;
}

QString DownloadSequence::statusLine(int engineIndex, DownloadStepKind kind) const {
    return lines_[qBound(0, engineIndex, AircraftRecord::kEngineCount - 1)][lineIndex(kind)];
}

DownloadOutcome DownloadSequence::outcome(int engineIndex, DownloadStepKind kind) const {
    return outcomes_[qBound(0, engineIndex, AircraftRecord::kEngineCount - 1)][lineIndex(kind)];
}

int DownloadSequence::requestedStepCount() const {
    int count = 0;
    for (const auto& engine : outcomes_)
        for (const DownloadOutcome outcome : engine)
            count +=
                outcome != DownloadOutcome::NotRequested && outcome != DownloadOutcome::Pending;
    return count;
}

int DownloadSequence::failedStepCount() const {
    int count = 0;
    for (const auto& engine : outcomes_)
        for (const DownloadOutcome outcome : engine)
            count += outcome == DownloadOutcome::Failed || outcome == DownloadOutcome::Timeout ||
                     outcome == DownloadOutcome::NotPerformed ||
                     outcome == DownloadOutcome::Cancelled;
    return count;
}

// Steps that need no waiting end here one after the other; the loop stops at the first
// step that waits for the unit, or at the end.
void DownloadSequence::startCurrentStep() {
    while (state_ == State::Running) {
        if (cancelledBeforeStep())
            return;
        DownloadStep& step = steps_[current_];
        if (step.kind == DownloadStepKind::Done) {
            finish();
            return;
        }
        if (!step.requested) {
            endStep(step, DownloadOutcome::NotRequested);
            ++current_;
            continue;
        }
        switch (step.kind) {
        case DownloadStepKind::DownloadData:
            if (startDownload(step))
                return;
            break;
        case DownloadStepKind::PostProcess:
            if (postProcess(step))
                return;
            break;
        default:
            if (startErase(step))
                return;
            break;
        }
        ++current_;
    }
}

bool DownloadSequence::cancelledBeforeStep() {
    if (state_ == State::Running && cancelRequested_ && cancelRequested_())
        cancel();
    return state_ != State::Running;
}

bool DownloadSequence::startDownload(const DownloadStep& step) {
    if (responseStuck_) {
        endStep(step, DownloadOutcome::NotPerformed);
        return false;
    }
    const int engine = step.engineIndex + 1;
    view_.setActivity(kDownloadingText.arg(engine));
    percentDisplay_ = true;
    shownValue_ = 0;
    view_.showPercent(0);
    link_.bytesReceived = 0;
    link_.responseSize = 0;
    const quint32 payload[] = {quint32(engine), 0};
    transferTimer_.start();
    pending_ = link_.submit(DownloadBearing4Command, payload, sizeof payload);
    if (pending_ == 0) {
        endStep(step, DownloadOutcome::Failed);
        return false;
    }
    return true;
}

void DownloadSequence::tickDownload(const DownloadStep& step) {
    if (!link_.waitForCompletion(pending_, 0)) {
        const qint64 size = link_.responseSize;
        const int percent = size > 0 ? int(qint64(link_.bytesReceived) * 100 / size) : 0;
        if (percent != shownValue_) {
            shownValue_ = percent;
            view_.showPercent(percent);
        }
        return;
    }
    transferMs_ += transferTimer_.elapsed();
    pending_ = 0;
    const int engine = step.engineIndex;
    const QString file = link_.responseFile();
    // The response file is this run's now; the conversion deletes or keeps it.
    link_.clearResponseFile();
    downloaded_[engine] = link_.statusCode() == LinkStatusOk && !file.isEmpty();
    answerMisplaced_[engine] =
        link_.statusCode() == LinkStatusError && link_.answerOfAnotherCommand();
    responseFiles_[engine] = downloaded_[engine] ? takeResponseFile(engine, file) : QString();
    if (!downloaded_[engine] && !file.isEmpty())
        QFile::remove(file);
    qCDebug(lcDownload) << "download of engine" << engine + 1 << "ended with status"
                        << link_.statusCode() << link_.statusText();
    endStep(step, downloaded_[engine] ? DownloadOutcome::Completed : DownloadOutcome::Failed);
    advance();
}

// A failed download is converted all the same: the conversion then tells the technician
// that no data came, which says more than a bare "Failed".
bool DownloadSequence::postProcess(const DownloadStep& step) {
    const int engine = step.engineIndex;
    view_.setActivity(kPostProcessingText.arg(engine + 1));
    percentDisplay_ = true;
    view_.showPercent(0);

    postProcessing_ = true;
    conversionTimer_.start();
    const QDateTime now = QDateTime::currentDateTime();
    BackgroundConversion::Work convert =
        [response = responseFiles_[engine], engine, record = record_,
         dataDirectory = dataDirectory_, partNumbers = partNumbers_, now,
         keepAs = keptResponseName(readFixedText(record_.aircraftId), engine, now)](
            Notifier& notifier, const std::function<void(int)>& progress) {
            return ReformatData(response, engine, record, dataDirectory, partNumbers, notifier,
                                progress, true, now, keepAs);
        };
    const auto progress = [this](int percent) { view_.showPercent(percent); };
    if (background_ == nullptr) {
        endPostProcess(step, convert(notifier_, progress));
        return false;
    }
    background_->start(std::move(convert), progress, [this, &step](const ReformatResult& result) {
        endPostProcess(step, result);
        if (state_ == State::Running)
            advance();
    });
    return true;
}

void DownloadSequence::endPostProcess(const DownloadStep& step, const ReformatResult& result) {
    const int engine = step.engineIndex;
    conversionMs_ += conversionTimer_.elapsed();
    postProcessing_ = false;

    if (result.responseFileKept && result.keptResponsePath == responseFilePath())
        responseStuck_ = true;
    responseFiles_[engine].clear();
    // Only all three files together are the data: the engine data files cannot be made
    // from the raw file again, and the engine's total flights live only in them.
    dataSaved_[engine] = downloaded_[engine] && result.complete();
    qCDebug(lcDownload) << "conversion of engine" << engine + 1 << "raw file saved"
                        << result.rawFileSaved << "slots" << result.slotsReceived;
    if (result.rawFileSaved && rawFileSaved_)
        rawFileSaved_(dataDirectory_, result.rawFilePath);
    if (state_ != State::Running)
        return; // cancelled during the conversion
    endStep(step, dataSaved_[engine] ? DownloadOutcome::Completed : DownloadOutcome::Failed);
}

// The link answers every command into the same file, so a response that the conversion has
// to keep would be overwritten by the next command: each engine's gets a name of its own.
// Where it can be neither renamed nor copied, it stays where it is and the run sends
// nothing more (see postProcess).
QString DownloadSequence::takeResponseFile(int engineIndex, const QString& path) {
    return moveResponseFile(path,
                            inFlightResponseName(path, engineIndex, QDateTime::currentDateTime()));
}

bool DownloadSequence::startErase(const DownloadStep& step) {
    const int engine = step.engineIndex;
    // The unit's data memory goes only when its data is safely on disk. A run that does not
    // download the engine erases as the register asks. After an answer that was not the
    // download's, the link cannot be trusted with this engine's memories at all.
    const bool dataAtRisk = step.kind == DownloadStepKind::EraseData &&
                            record_.engines[engine].downloadBearing4 != 0 && !dataSaved_[engine];
    if (dataAtRisk || answerMisplaced_[engine] || responseStuck_) {
        endStep(step, DownloadOutcome::NotPerformed);
        return false;
    }
    if (!erase_.start(eraseKind(step.kind), engine + 1, step.ticksLimit)) {
        endStep(step, DownloadOutcome::Failed);
        return false;
    }
    view_.setActivity(erasingText(eraseKind(step.kind)).arg(engine + 1));
    percentDisplay_ = false;
    shownValue_ = 0;
    view_.showSeconds(0, erase_.maximumSeconds());
    return true;
}

void DownloadSequence::tickErase(const DownloadStep& step) {
    const EraseOutcome outcome = erase_.tick();
    if (outcome != EraseOutcome::Pending) {
        endStep(step, downloadOutcome(outcome));
        advance();
        return;
    }
    if (erase_.secondsShown() != shownValue_) {
        shownValue_ = erase_.secondsShown();
        view_.showSeconds(shownValue_, erase_.maximumSeconds());
    }
}

void DownloadSequence::tick() {
    if (state_ != State::Running || postProcessing_)
        return;
    DownloadStep& step = steps_[current_];
    if (step.kind == DownloadStepKind::DownloadData)
        tickDownload(step);
    else if (isErase(step.kind))
        tickErase(step);
}

void DownloadSequence::endStep(const DownloadStep& step, DownloadOutcome outcome) {
    QString& line = lines_[step.engineIndex][lineIndex(step.kind)];
    line = lineText(step.kind) + outcomeText(outcome);
    outcomes_[step.engineIndex][lineIndex(step.kind)] = outcome;
    view_.setStatusLine(step.engineIndex, step.kind, line);
    view_.stepEnded(step.engineIndex, step.kind, line);
}

void DownloadSequence::advance() {
    ++current_;
    startCurrentStep();
}

// The bar ends full whatever ran: after a conversion it is there already, after an erase or
// when nothing was requested it is put there, so that "Processing complete" never sits
// beside an empty bar. A run with a failed step never ends on the bare text of a success.
void DownloadSequence::finish() {
    state_ = State::Done;
    percentDisplay_ = true;
    view_.showPercent(100);
    const int requested = requestedStepCount();
    if (requested == 0)
        view_.showNotice(kNothingRequestedText.arg(readFixedText(record_.aircraftId)));
    if (closingLines_)
        for (const QString& line : closingLines_())
            view_.showNotice(line);
    const int failed = failedStepCount();
    const QString finalText = failed == 0
                                  ? kProcessingCompleteText
                                  : kProcessingCompleteFailedText.arg(QString::number(failed),
                                                                      QString::number(requested));
    view_.setActivity(finalText);
    view_.finished(finalText);
}

void DownloadSequence::cancel() {
    if (state_ != State::Running && state_ != State::NotStarted)
        return;
    state_ = State::Cancelled;
    erase_.abandon();
    for (int index = current_; index < kStepCount; ++index) {
        const DownloadStep& step = steps_[index];
        if (step.kind != DownloadStepKind::Done &&
            outcome(step.engineIndex, step.kind) == DownloadOutcome::Pending)
            endStep(step,
                    step.requested ? DownloadOutcome::Cancelled : DownloadOutcome::NotRequested);
    }
    if (pending_ == 0)
        return;
    if (link_.waitForCompletion(pending_, 0))
        discardResponseFileOfPending();
    else
        link_.requestAbort();
}

void DownloadSequence::waitForLink(int timeoutMs) {
    if (pending_ == 0)
        erase_.waitForAnswer(timeoutMs);
    else
        link_.waitForCompletion(pending_, timeoutMs);
}

bool DownloadSequence::settleAfterCancel(int timeoutMs) {
    if (state_ != State::Cancelled || pending_ == 0)
        return true;
    if (!link_.waitForCompletion(pending_, timeoutMs))
        return false;
    discardResponseFileOfPending();
    return true;
}

// The outcome of a command given up on: nobody reads its answer.
void DownloadSequence::discardResponseFileOfPending() {
    link_.discardResponseFile();
    pending_ = 0;
}
