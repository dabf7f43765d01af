#include "KORAEraseProgress.h"

#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const QString kFormName = QStringLiteral("EraseProgress");
const QString kHelpContext = QStringLiteral("HelpClearData");
const QString kEngineGroups[kEraseEngineCount] = {QStringLiteral("G_ENGINE1"),
                                                  QStringLiteral("G_ENGINE2")};

// The lines are padded to one length so that their outcomes line up in a column.
QFont lineItemFont() {
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace

KORAEraseProgress::KORAEraseProgress(UnitLink& link, const EraseRequests& requests,
                                     const QFont& normalFont, UserPersist& persist,
                                     Notifier& notifier, QWidget* parent, EraseTimeouts timeouts)
    : DialogWindow(parent), sequence_(link, requests, *this, timeouts), lineFont_(lineItemFont()) {
    setHelpContext(kHelpContext);
    built_ = persist.loadInto(kFormName, this);
    if (!built_) {
        // Nothing would show the run, so none is started.
        notifier.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, normalFont);
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind) {
            QLabel* line = findControl<QLabel>(
                this, {kEngineGroups[engine], QStringLiteral("LINE%1").arg(kind)});
            lines_[engine][kind] = line;
            if (line != nullptr)
                line->setFont(lineFont_);
        }
    activity_ = findControl<QLabel>(this, {QStringLiteral("P_STATUS")});
    setControlText(activity_, QString());
    bar_ = findControl<QProgressBar>(this, {QStringLiteral("STATUS")});
    if (bar_ != nullptr)
        bar_->setValue(0);
    done_ = findControl<QPushButton>(this, {QStringLiteral("B_DONE")});
    if (done_ != nullptr) {
        bindCode(done_, this, kDoneEvent);
        done_->setEnabled(false);
    }

    timer_ = new QTimer(this);
    timer_->setInterval(EraseSequence::kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { handleEvent(kTickEvent); });
    sequence_.start();
    timer_->start();
}

KORAEraseProgress::~KORAEraseProgress() {
    stopRun();
}

int KORAEraseProgress::handleEvent(int code) {
    switch (code) {
    case kTickEvent:
        sequence_.tick();
        break;
    case kDoneEvent:
        if (sequence_.state() == EraseSequence::State::Done)
            endModal(kAcceptedResult);
        break;
    default:
        return DialogWindow::handleEvent(code);
    }
    return 0;
}

void KORAEraseProgress::reject() {
    stopRun();
    DialogWindow::reject();
}

void KORAEraseProgress::stopRun() {
    if (timer_ != nullptr)
        timer_->stop();
    sequence_.cancel();
}

void KORAEraseProgress::setLine(int engineIndex, EraseKind kind, const QString& text) {
    const int index = int(kind);
    if (engineIndex < 0 || engineIndex >= kEraseEngineCount || index < 0 ||
        index >= kEraseKindCount)
        return;
    setControlText(lines_[engineIndex][index], text);
}

void KORAEraseProgress::setActivity(const QString& text) {
    setControlText(activity_, text);
}

void KORAEraseProgress::showSeconds(int value, int maximum) {
    if (bar_ == nullptr)
        return;
    // An erase shorter than a second still shows its count rather than a busy bar.
    bar_->setRange(0, std::max({maximum, value, 1}));
    setProgressText(bar_, ProgressText::Value);
    bar_->setValue(value);
}

void KORAEraseProgress::showPercent(int value) {
    if (bar_ == nullptr)
        return;
    bar_->setRange(0, 100);
    setProgressText(bar_, ProgressText::Percent);
    bar_->setValue(value);
}

void KORAEraseProgress::stepEnded(int, EraseKind, const QString&) {}

void KORAEraseProgress::finished(const QString&) {
    timer_->stop();
    setProgressFailed(bar_, sequence_.anyStepFailed());
    if (done_ != nullptr)
        done_->setEnabled(true);
    keyMap().map(Qt::Key_F5, kDoneEvent);
}
