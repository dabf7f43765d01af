#include "DownloadSequence.h"

#include "AircraftPaths.h"
#include "DownloadLogging.h"
#include "DownloadView.h"
#include "Notifier.h"
#include "Protocol.h"
#include "ReformatData.h"
#include "UnitLink.h"

#include <QDateTime>
#include <QFile>
#include <QThread>

namespace {

constexpr int kSlotsPerDownload = 20;

const QString& lineText(int kind) {
    static const QString* const texts[] = {&kDownloadLineText, &kPostProcessLineText,
                                           &kEraseDataLineText, &kEraseHistoryLineText,
                                           &kEraseAccelHistoryLineText};
    return *texts[kind];
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
    case DownloadOutcome::Failed:
    case DownloadOutcome::Pending:
        break;
    }
    return kFailedText;
}

quint32 eraseCommand(int kind) {
    return kind == EraseDataStep      ? EraseBearing4Command
           : kind == EraseHistoryStep ? EraseBearing4HistoryCommand
                                      : EraseAccelHistoryCommand;
}

const QString& erasingText(int kind) {
    return kind == EraseDataStep      ? kErasingDataText
           : kind == EraseHistoryStep ? kErasingHistoryText
                                      : kErasingAccelHistoryText;
}

} // namespace

DownloadSequence::DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                                   const AircraftRecord& record, DownloadView& view,
                                   Notifier& notifier)
    : DownloadSequence(link, partNumbers, record, view, notifier, Options()) {}

DownloadSequence::DownloadSequence(UnitLink& link, const PartNumberRecord& partNumbers,
                                   const AircraftRecord& record, DownloadView& view,
                                   Notifier& notifier, Options options)
    : link_(link), partNumbers_(partNumbers), record_(record), view_(view), notifier_(notifier),
      dataDirectory_(options.dataDirectory.isEmpty() ? registerDataDirectory()
                                                     : options.dataDirectory),
      steps_(buildSteps(record, options)) {
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        for (int kind = 0; kind < kStepsPerEngine; ++kind)
            lines_[engine][kind] = lineText(kind);
}

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
            step.kind = kind;
            step.engineIndex = engine;
            step.requested = requested[kind];
            step.ticksLimit = step.ticksLeft = ticks[kind];
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
            view_.setStatusLine(engine, kind, lines_[engine][kind]);
    startCurrentStep();
}

QString DownloadSequence::buttonText() const {
    return state_ == State::Done ? kDoneButtonText : kCancelButtonText;
}

QString DownloadSequence::statusLine(int engineIndex, int kind) const {
    return lines_[engineIndex][kind];
}

DownloadOutcome DownloadSequence::outcome(int engineIndex, int kind) const {
    return outcomes_[engineIndex][kind];
}

bool DownloadSequence::anyStepFailed() const {
    for (const auto& engine : outcomes_)
        for (const DownloadOutcome outcome : engine)
            if (outcome == DownloadOutcome::Failed || outcome == DownloadOutcome::Timeout ||
                outcome == DownloadOutcome::NotPerformed)
                return true;
    return false;
}

// Steps that need no waiting end here one after the other; the loop stops at the first
// step that waits for the unit, or at the end.
void DownloadSequence::startCurrentStep() {
    while (state_ == State::Running) {
        DownloadStep& step = steps_[current_];
        if (step.kind == DoneStep) {
            finish();
            return;
        }
        if (!step.requested) {
            endStep(step, DownloadOutcome::NotRequested);
            ++current_;
            continue;
        }
        switch (step.kind) {
        case DownloadDataStep:
            if (startDownload(step))
                return;
            break;
        case PostProcessStep:
            postProcess(step);
            break;
        default:
            if (startErase(step))
                return;
            break;
        }
        ++current_;
    }
}

bool DownloadSequence::startDownload(const DownloadStep& step) {
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
void DownloadSequence::postProcess(const DownloadStep& step) {
    const int engine = step.engineIndex;
    view_.setActivity(kPostProcessingText.arg(engine + 1));
    percentDisplay_ = true;
    view_.showPercent(0);

    postProcessing_ = true;
    QElapsedTimer conversion;
    conversion.start();
    const ReformatResult result = ReformatData(
        responseFiles_[engine], engine, record_, dataDirectory_, partNumbers_, notifier_,
        [this](int percent) { view_.showPercent(percent); }, true, QDateTime::currentDateTime());
    conversionMs_ += conversion.elapsed();
    postProcessing_ = false;

    responseFiles_[engine].clear();
    // The raw flight data file is the data; the text files can be made from it again.
    dataSaved_[engine] = downloaded_[engine] && result.rawFileSaved &&
                         result.slotsReceived == kSlotsPerDownload && !result.longerThanLayout;
    qCDebug(lcDownload) << "conversion of engine" << engine + 1 << "raw file saved"
                        << result.rawFileSaved << "slots" << result.slotsReceived;
    if (state_ != State::Running)
        return; // cancelled from within the conversion
    endStep(step, dataSaved_[engine] && result.complete() ? DownloadOutcome::Completed
                                                          : DownloadOutcome::Failed);
}

// The link answers every command into the same file, so a response that the conversion has
// to keep would be overwritten by the next command: each engine's gets a name of its own.
QString DownloadSequence::takeResponseFile(int engineIndex, const QString& path) {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString own = QStringLiteral("%1-engine%2-%3").arg(path).arg(engineIndex + 1).arg(stamp);
    if (QFile::rename(path, own))
        return own;
    qCWarning(lcDownload) << "cannot rename" << path << "to" << own;
    return path;
}

bool DownloadSequence::startErase(DownloadStep& step) {
    const int engine = step.engineIndex;
    // The unit's data memory goes only when its data is safely on disk. A run that does not
    // download the engine erases as the register asks.
    if (step.kind == EraseDataStep && record_.engines[engine].downloadBearing4 != 0 &&
        !dataSaved_[engine]) {
        endStep(step, DownloadOutcome::NotPerformed);
        return false;
    }
    view_.setActivity(erasingText(step.kind).arg(engine + 1));
    percentDisplay_ = false;
    shownValue_ = 0;
    view_.showSeconds(0, step.ticksLeft / 10);
    const quint32 payload[] = {quint32(engine + 1)};
    pending_ = link_.submit(eraseCommand(step.kind), payload, sizeof payload);
    if (pending_ == 0) {
        endStep(step, DownloadOutcome::Failed);
        return false;
    }
    return true;
}

void DownloadSequence::tickErase(DownloadStep& step) {
    if (link_.waitForCompletion(pending_, 0)) {
        pending_ = 0;
        const QString file = link_.responseFile();
        if (!file.isEmpty())
            QFile::remove(file);
        link_.clearResponseFile();
        endStep(step, link_.statusCode() == LinkStatusOk ? DownloadOutcome::Completed
                                                         : DownloadOutcome::Failed);
        advance();
        return;
    }
    --step.ticksLeft;
    if (step.ticksLeft <= 0) {
        // The worker would wait on for this answer and hold back the next command: make it
        // drop the answer now. Its late completion is not the next command's.
        link_.requestAbort();
        pending_ = 0;
        endStep(step, DownloadOutcome::Timeout);
        advance();
        return;
    }
    const int seconds = (step.ticksLimit - step.ticksLeft) / 10 + 1;
    if (seconds != shownValue_) {
        shownValue_ = seconds;
        view_.showSeconds(seconds, step.ticksLimit / 10);
    }
}

void DownloadSequence::tick() {
    if (state_ != State::Running || postProcessing_)
        return;
    DownloadStep& step = steps_[current_];
    switch (step.kind) {
    case DownloadDataStep:
        tickDownload(step);
        break;
    case EraseDataStep:
    case EraseHistoryStep:
    case EraseAccelHistoryStep:
        tickErase(step);
        break;
    default:
        break;
    }
}

void DownloadSequence::endStep(const DownloadStep& step, DownloadOutcome outcome) {
    QString& line = lines_[step.engineIndex][step.kind];
    line = lineText(step.kind) + outcomeText(outcome);
    outcomes_[step.engineIndex][step.kind] = outcome;
    view_.setStatusLine(step.engineIndex, step.kind, line);
    view_.stepEnded(step.engineIndex, step.kind, line);
}

void DownloadSequence::advance() {
    ++current_;
    startCurrentStep();
}

void DownloadSequence::finish() {
    state_ = State::Done;
    if (!percentDisplay_) {
        percentDisplay_ = true;
        view_.showPercent(100);
    }
    view_.setActivity(kProcessingCompleteText);
    view_.finished();
}

void DownloadSequence::cancel() {
    if (state_ != State::Running && state_ != State::NotStarted)
        return;
    state_ = State::Cancelled;
    if (pending_ == 0)
        return;
    if (link_.waitForCompletion(pending_, 0))
        discardResponseFileOfPending();
    else
        link_.requestAbort();
}

bool DownloadSequence::waitForLink(int timeoutMs) {
    if (pending_ == 0) {
        QThread::msleep(timeoutMs);
        return true;
    }
    return link_.waitForCompletion(pending_, timeoutMs);
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
    const QString file = link_.responseFile();
    if (!file.isEmpty())
        QFile::remove(file);
    link_.clearResponseFile();
    pending_ = 0;
}
