#include "KORAAutoDownload.h"

#include "AircraftRecord.h"
#include "FixedText.h"
#include "Notifier.h"
#include "UserPersist.h"

#include <QBoxLayout>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const QString kFormName = QStringLiteral("AutoDownloadDialog");
const QString kHelpContext = QStringLiteral("HelpAutoDownload");
const QString kEngineGroups[AircraftRecord::kEngineCount] = {QStringLiteral("G_ENGINE1"),
                                                             QStringLiteral("G_ENGINE2")};

// The status lines are padded so that their outcomes line up in a column.
QFont statusLineFont() {
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

// The window converts on a thread of its own, so that it goes on painting and its Cancel
// acts at once.
DownloadSequence::Options convertingOnOwnThread(DownloadSequence::Options options) {
    options.convertOnOwnThread = true;
    return options;
}

} // namespace

KORAAutoDownload::KORAAutoDownload(UnitLink& link, const PartNumberRecord& partNumbers,
                                   const AircraftRecord& record, const QFont& normalFont,
                                   const QFont& midFont, UserPersist& persist, Notifier& notifier,
                                   QWidget* parent, DownloadSequence::Options options)
    : DialogWindow(parent), sequence_(link, partNumbers, record, *this, notifier,
                                      convertingOnOwnThread(std::move(options))),
      aircraftId_(readFixedText(record.aircraftId)) {
    setHelpContext(kHelpContext);
    keyMap().map(Qt::Key_F5, kButtonEvent);

    built_ = persist.loadInto(kFormName, this);
    if (!built_) {
        // Nothing would show the run, so none is started.
        notifier.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, normalFont);
    const QFont lineFont = statusLineFont();
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        for (int kind = 0; kind < DownloadSequence::kStepsPerEngine; ++kind) {
            QLabel* line = findControl<QLabel>(
                this, {kEngineGroups[engine], QStringLiteral("LINE%1").arg(kind)});
            lines_[engine][kind] = line;
            if (line != nullptr)
                line->setFont(lineFont);
        }
    activity_ = findControl<QLabel>(this, {QStringLiteral("P_STATUS")});
    if (activity_ != nullptr) {
        activity_->setFont(midFont);
        activity_->clear();
    }
    notice_ = findControl<QLabel>(this, {QStringLiteral("P_NOTICE")});
    bar_ = findControl<QProgressBar>(this, {QStringLiteral("STATUS")});
    if (bar_ != nullptr) {
        bar_->setRange(0, 100);
        bar_->setValue(0);
        setProgressText(bar_, ProgressText::Percent);
    }
    button_ = findControl<QPushButton>(this, {QStringLiteral("B_CANCEL")});
    bindCode(button_, this, kButtonEvent);
    setControlText(button_, sequence_.buttonText());

    timer_ = new QTimer(this);
    timer_->setInterval(DownloadSequence::kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { handleEvent(kTickEvent); });

    sequence_.start();
    if (sequence_.isRunning())
        timer_->start();
}

KORAAutoDownload::~KORAAutoDownload() {
    if (timer_ != nullptr)
        timer_->stop();
    if (sequence_.isRunning())
        sequence_.cancel();
}

int KORAAutoDownload::handleEvent(int code) {
    switch (code) {
    case kTickEvent:
        if (!closing_)
            sequence_.tick();
        else if (!sequence_.isConverting())
            endModal(kRejectedResult);
        break;
    case kReportEvent:
        if (reportButton_ != nullptr && !reportButton_->isHidden())
            reportAction_(this, aircraftId_);
        break;
    case kButtonEvent:
        if (sequence_.state() == DownloadSequence::State::Done) {
            endModal(kAcceptedResult);
        } else if (!closing_) {
            // Whatever the link still delivers for the dropped command is cleaned up by the
            // owner of the link; waiting for it here would freeze the window. A conversion
            // under way is let finish its files first: the lines say "cancelled" at once,
            // and the window closes once the files are on disk.
            cancelRun();
            if (sequence_.isConverting()) {
                closing_ = true;
                timer_->start();
            } else {
                endModal(kRejectedResult);
            }
        }
        break;
    default:
        return DialogWindow::handleEvent(code);
    }
    return 0;
}

void KORAAutoDownload::reject() {
    handleEvent(kButtonEvent);
}

void KORAAutoDownload::cancelRun() {
    if (timer_ != nullptr)
        timer_->stop();
    sequence_.cancel();
}

void KORAAutoDownload::setStatusLine(int engineIndex, DownloadStepKind stepKind,
                                     const QString& text) {
    const int kind = int(stepKind);
    if (engineIndex < 0 || engineIndex >= AircraftRecord::kEngineCount || kind < 0 ||
        kind >= DownloadSequence::kStepsPerEngine)
        return;
    setControlText(lines_[engineIndex][kind], text);
}

void KORAAutoDownload::setActivity(const QString& text) {
    setControlText(activity_, text);
}

void KORAAutoDownload::setBar(int value, int maximum, ProgressText text) {
    if (bar_ == nullptr)
        return;
    if (bar_->minimum() != 0 || bar_->maximum() != maximum)
        bar_->setRange(0, maximum);
    if (progressText(bar_) != text)
        setProgressText(bar_, text);
    if (bar_->value() != value)
        bar_->setValue(value);
}

void KORAAutoDownload::showPercent(int value) {
    setBar(std::clamp(value, 0, 100), 100, ProgressText::Percent);
}

void KORAAutoDownload::showSeconds(int value, int maximum) {
    // An erase shorter than a second still shows its count rather than a busy bar.
    setBar(value, std::max({maximum, value, 1}), ProgressText::Value);
}

void KORAAutoDownload::stepEnded(int, DownloadStepKind, const QString&) {}

void KORAAutoDownload::showNotice(const QString& text) {
    if (notice_ == nullptr)
        return;
    notice_->setText(notice_->isHidden() ? text : notice_->text() + QLatin1Char('\n') + text);
    notice_->show();
}

void KORAAutoDownload::finished(const QString&) {
    if (timer_ != nullptr)
        timer_->stop();
    setProgressFailed(bar_, sequence_.anyStepFailed());
    setControlText(button_, sequence_.buttonText());
    if (reportButton_ != nullptr)
        reportButton_->setVisible(downloadedData());
}

bool KORAAutoDownload::downloadedData() const {
    if (sequence_.state() != DownloadSequence::State::Done)
        return false;
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        if (sequence_.outcome(engine, DownloadStepKind::PostProcess) == DownloadOutcome::Completed)
            return true;
    return false;
}

void KORAAutoDownload::setReportAction(ReportAction action) {
    reportAction_ = std::move(action);
    if (reportButton_ != nullptr || button_ == nullptr || !reportAction_)
        return;
    // Done sits in a row of the form's layout, which may be nested in another: the report
    // button goes into that row, before Done.
    QBoxLayout* row = nullptr;
    int index = -1;
    for (QBoxLayout* layout : button_->parentWidget()->findChildren<QBoxLayout*>()) {
        index = layout->indexOf(button_);
        if (index >= 0) {
            row = layout;
            break;
        }
    }
    reportButton_ = new QPushButton(kReportButtonText, this);
    reportButton_->setObjectName(QStringLiteral("B_REPORT"));
    reportButton_->setMinimumWidth(button_->minimumWidth());
    reportButton_->setAutoDefault(false);
    reportButton_->setFont(button_->font());
    bindCode(reportButton_, this, kReportEvent);
    keyMap().map(Qt::Key_F6, kReportEvent);
    if (row != nullptr)
        row->insertWidget(index, reportButton_);
    reportButton_->setVisible(downloadedData());
}
