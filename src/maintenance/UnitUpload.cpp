#include "UnitUpload.h"

#include "CommunicationView.h"
#include "MaintenanceLogging.h"
#include "Notifier.h"
#include "PartNumberRecord.h"
#include "Protocol.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UploadFile.h"
#include "UploadView.h"

#include <QFileInfo>

namespace {

// The read-back after an upload reports its own failure: the status bar still follows the
// read, but the communication-failure dialog would tell the technician to check a cable
// that has just carried the whole image.
class ReadBackView : public CommunicationView {
public:
    explicit ReadBackView(CommunicationView& view) : view_(view) {}
    void setStatus(const QString& text) override { view_.setStatus(text); }
    void clearPartNumberItems() override { view_.clearPartNumberItems(); }
    void setWaitCursor(bool on) override { view_.setWaitCursor(on); }
    void showCommunicationFailure() override {}

private:
    CommunicationView& view_;
};

const QString& targetText(UploadKind kind) {
    switch (kind) {
    case UploadKind::MainSoftware:
        break;
    case UploadKind::DspSoftware:
        return kDspProcessorsTargetText;
    case UploadKind::DspConfiguration:
        return kDspConfigurationTargetText;
    }
    return kMainProcessorTargetText;
}

} // namespace

// Every packet fits the command buffer, so submitting one never fails.
static_assert(kUploadPacketBytes <= kMaxPayloadLength);

quint32 uploadCommand(UploadKind kind) {
    switch (kind) {
    case UploadKind::MainSoftware:
        break;
    case UploadKind::DspSoftware:
        return UploadDspSoftwareCommand;
    case UploadKind::DspConfiguration:
        return UploadDspConfigurationCommand;
    }
    return UploadMainSoftwareCommand;
}

UnitUpload::UnitUpload(UnitConnection& connection, CommunicationView& communicationView,
                       UploadView& view, Notifier& notifier)
    : UnitUpload(connection, communicationView, view, notifier, Options()) {}

UnitUpload::UnitUpload(UnitConnection& connection, CommunicationView& communicationView,
                       UploadView& view, Notifier& notifier, Options options)
    : connection_(connection), communicationView_(communicationView), view_(view),
      notifier_(notifier), packetTimeoutTicks_(qMax(1, options.packetTimeoutTicks)),
      askFirst_(options.askFirst) {}

UnitUpload::~UnitUpload() {
    if (pending_ != 0 && !connection_.link().waitForCompletion(pending_, 0))
        connection_.link().requestAbort();
}

bool UnitUpload::start(UploadKind kind, const QString& path) {
    if (isRunning())
        return false;
    UploadFileReading reading = readUploadFile(path);
    // Asked before anything changes on the page, and only about a file that can be sent.
    if (askFirst_ && reading.problem == UploadFileReading::Problem::None &&
        !notifier_.question(
            kProgramTitle,
            kUploadQuestionText.arg(QFileInfo(path).fileName(), targetText(kind),
                                    QString::number(uploadPacketCount(reading.words.size()))),
            Notifier::DefaultAnswer::No)) {
        state_ = State::Idle;
        return false;
    }
    state_ = State::Running;
    kind_ = kind;
    pending_ = 0;
    packetNumber_ = packetCount_ = 0;
    view_.setWaitCursor(true);
    showStatus(kInitiatingUploadText);
    view_.setProgress(0, kUploadProgressMaximum);
    view_.setUploadColours(true);

    switch (reading.problem) {
    case UploadFileReading::Problem::None:
        break;
    case UploadFileReading::Problem::Unreadable:
        fail(kUploadFileOpenErrorText, kFileOpenErrorText, kFileOpenErrorText);
        return false;
    case UploadFileReading::Problem::NotText: {
        const QString text = kNotTextFileText.arg(path);
        fail(text, kUploadErrorTitle, text);
        return false;
    }
    case UploadFileReading::Problem::NoWords:
        fail(kNothingToUploadText, kUploadErrorTitle, kNothingToUploadText);
        return false;
    case UploadFileReading::Problem::WordTooWide:
    case UploadFileReading::Problem::StrayText: {
        const QString& format = reading.problem == UploadFileReading::Problem::WordTooWide
                                    ? kWordTooWideText
                                    : kStrayTextText;
        const QString text =
            format.arg(QString::number(reading.line), QString::fromLatin1(reading.wordText));
        fail(text, kUploadErrorTitle, text);
        return false;
    }
    }
    words_ = std::move(reading.words);
    packetCount_ = uploadPacketCount(words_.size());
    qCDebug(lcMaintenance) << "upload of kind" << int(kind) << ":" << words_.size() << "words in"
                           << packetCount_ << "packets";
    sendNextPacket();
    return isRunning();
}

void UnitUpload::sendNextPacket() {
    ++packetNumber_;
    const std::array<quint32, kUploadPacketWords> packet = uploadPacket(words_, packetNumber_ - 1);
    pending_ = connection_.link().submit(uploadCommand(kind_), packet.data(), kUploadPacketBytes);
    view_.packetSent(packetNumber_, packetCount_);
    showStatus(
        kUploadingPacketText.arg(QString::number(packetNumber_), QString::number(packetCount_)));
    ticksLeft_ = packetTimeoutTicks_;
    seconds_ = 0;
    view_.setProgress(0, kUploadProgressMaximum);
}

void UnitUpload::tick() {
    if (!isRunning())
        return;
    UnitLink& link = connection_.link();
    if (link.waitForCompletion(pending_, 0)) {
        pending_ = 0;
        // The answer to an upload packet is the bare header: nothing to read in the file.
        link.discardResponseFile();
        if (link.statusCode() != LinkStatusOk) {
            qCDebug(lcMaintenance)
                << "packet" << packetNumber_ << "ended with" << link.statusText();
            const QString text = kUploadFailedAtPacketText.arg(QString::number(packetNumber_),
                                                               QString::number(packetCount_));
            fail(text, kUploadFailedTitle, text);
        } else if (packetNumber_ < packetCount_) {
            sendNextPacket();
        } else {
            succeed();
        }
        return;
    }
    if (--ticksLeft_ > 0) {
        view_.setProgress(++seconds_, kUploadProgressMaximum);
        return;
    }
    // The worker would wait on for this answer and hold back every later command: make it
    // drop the answer now. A late completion is then not taken for the next command's.
    link.requestAbort();
    pending_ = 0;
    fail(kUploadTimeoutText, kUploadTimeoutTitle, kUploadTimeoutTitle);
}

bool UnitUpload::waitForLink(int timeoutMs) {
    return pending_ != 0 && connection_.link().waitForCompletion(pending_, timeoutMs);
}

void UnitUpload::showStatus(const QString& text) {
    statusText_ = text;
    view_.setStatusText(text);
}

void UnitUpload::fail(const QString& statusText, const QString& title, const QString& message) {
    state_ = State::Failed;
    view_.setWaitCursor(false);
    showStatus(statusText);
    notifier_.critical(title, message);
    endRun();
}

void UnitUpload::succeed() {
    QString reason;
    const bool confirmed = readPartNumbersBack(reason);
    state_ = confirmed ? State::Completed : State::CompletedUnconfirmed;
    view_.setWaitCursor(false);
    if (confirmed) {
        showStatus(kUploadCompleteText);
    } else {
        const QString text = kPartNumbersNotReadText.arg(reason);
        showStatus(text);
        notifier_.warning(kWarningTitle, text);
    }
    const bool restart = kind_ == UploadKind::MainSoftware;
    if (restart)
        notifier_.information(kRestartTitle, kRestartText);
    endRun();
    if (restart)
        view_.exitRequested();
}

bool UnitUpload::readPartNumbersBack(QString& reason) {
    ReadBackView readBackView(communicationView_);
    const bool read = connection_.getPartNumbers(readBackView, notifier_);
    if (!read) {
        const UnitLink& link = connection_.link();
        reason = link.statusCode() == LinkStatusWorking
                     ? kNoAnswerWithinText.arg(QString::number(kPartNumbersWaitMs / 1000))
                     : link.statusText();
    }
    // The numbers of the other kinds are still the unit's; the uploaded kind's old one is not.
    const PartNumberRecord& partNumbers = connection_.partNumbers();
    QString shown[] = {
        QString::fromLatin1(partNumbers.rightAlignedField(PartNumberRecord::MainSoftware)),
        QString::fromLatin1(partNumbers.rightAlignedField(PartNumberRecord::DspSoftware)),
        QString::fromLatin1(partNumbers.rightAlignedField(PartNumberRecord::CmfiTable))};
    if (!read)
        shown[int(kind_)] = kPartNumberNotReadText;
    view_.showPartNumbers(shown[0], shown[1], shown[2]);
    return read;
}

void UnitUpload::endRun() {
    view_.setUploadColours(false);
    view_.setProgress(0, kUploadProgressMaximum);
    words_.clear();
}
