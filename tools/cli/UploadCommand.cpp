#include "UploadCommand.h"

#include "CommandLine.h"
#include "QuietCommunicationView.h"
#include "UnitConnection.h"
#include "UnitUpload.h"
#include "UploadView.h"

#include <QTextStream>

#include <optional>

namespace {

const QString kUsageText = QStringLiteral("usage: brix-cli upload main|dsp|config FILE\n"
                                          "  main     main-processor software\n"
                                          "  dsp      DSP-processor software\n"
                                          "  config   DSP configuration");
const QString kBadKindText = QStringLiteral("Unknown upload \"%1\": main, dsp or config");
const QString kMissingFileText = QStringLiteral("No upload file given");
const QString kPacketLineText = QStringLiteral("Uploading packet %1 of %2");
const QString kMainSoftwareLineText = QStringLiteral("Main Software PN:  %1");
const QString kDspSoftwareLineText = QStringLiteral("DSP Software PN:   %1");
const QString kConfigurationLineText = QStringLiteral("CMFI Table PN:     %1");

// A line per packet as it goes out, and the part numbers at the end.
class PrintingView : public UploadView {
public:
    explicit PrintingView(QTextStream& out) : out_(out) {}
    void setStatusText(const QString&) override {}
    void setProgress(int, int) override {}
    void setUploadColours(bool) override {}
    void setWaitCursor(bool) override {}
    void packetSent(int number, int total) override {
        out_ << kPacketLineText.arg(QString::number(number), QString::number(total)) << Qt::endl;
    }
    void showPartNumbers(const QString& mainSoftware, const QString& dspSoftware,
                         const QString& configuration) override {
        partNumberLines_ = {kMainSoftwareLineText.arg(escapeControlCharacters(mainSoftware)),
                            kDspSoftwareLineText.arg(escapeControlCharacters(dspSoftware)),
                            kConfigurationLineText.arg(escapeControlCharacters(configuration))};
    }
    // The restart message has been given; the command ends anyway.
    void exitRequested() override {}

    // After "Upload complete", which the upload shows after reading the part numbers.
    void printPartNumbers() {
        for (const QString& line : partNumberLines_)
            out_ << line << Qt::endl;
    }

private:
    QTextStream& out_;
    QStringList partNumberLines_;
};

std::optional<UploadKind> kindFromName(const QString& name) {
    if (name == QStringLiteral("main"))
        return UploadKind::MainSoftware;
    if (name == QStringLiteral("dsp"))
        return UploadKind::DspSoftware;
    if (name == QStringLiteral("config"))
        return UploadKind::DspConfiguration;
    return std::nullopt;
}

} // namespace

int runUploadCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                     QTextStream& out) {
    CommandLine commandLine({});
    if (const std::optional<QString> problem = commandLine.parse(arguments))
        return reportUsageError(notifier, *problem, kUsageText);
    const QStringList& words = commandLine.arguments();
    if (words.isEmpty())
        return reportUsageError(notifier, {}, kUsageText);
    const std::optional<UploadKind> kind = kindFromName(words.first());
    if (!kind)
        return reportUsageError(notifier, kBadKindText.arg(words.first()), kUsageText);
    if (words.size() < 2)
        return reportUsageError(notifier, kMissingFileText, kUsageText);
    if (words.size() > 2)
        return reportUsageError(notifier, kUnknownOptionText.arg(words[2]), kUsageText);

    QuietCommunicationView communicationView;
    if (!connection.checkCommunication(communicationView, notifier)) {
        out << kUnableToCommunicateText << Qt::endl;
        return kExitFailed;
    }
    PrintingView view(out);
    UnitUpload upload(connection, communicationView, view, notifier);
    upload.start(*kind, words[1]);
    while (upload.isRunning()) {
        upload.waitForLink(kUploadTickMs);
        upload.tick();
    }
    out << escapeControlCharacters(upload.statusText()) << Qt::endl;
    const UnitUpload::State state = upload.state();
    if (state != UnitUpload::State::Completed && state != UnitUpload::State::CompletedUnconfirmed)
        return kExitFailed;
    view.printPartNumbers();
    // Without the numbers read back, what the unit now holds is not known.
    return state == UnitUpload::State::Completed ? kExitSuccess : kExitFailed;
}
