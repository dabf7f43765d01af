#include "DownloadCommand.h"

#include "AircraftMessages.h"
#include "AircraftRecord.h"
#include "CommandLine.h"
#include "DownloadSequence.h"
#include "DownloadVerdicts.h"
#include "DownloadView.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PreDownloadChecks.h"
#include "QuietCommunicationView.h"
#include "UnitConnection.h"

#include <QTextStream>

#include <atomic>
#include <csignal>
#include <optional>

namespace {

const QString kUsageText =
    QStringLiteral("usage: brix-cli download ID [--engine 1|2] [--timing]\n"
                   "  --engine N   download and erase engine N only\n"
                   "  --timing     print the transfer and conversion times on standard error");
const QString kMissingIdText = QStringLiteral("No aircraft ID given");
const QString kEngineLineText = QStringLiteral("Engine %1: %2");
const QString kDownloadCancelledText = QStringLiteral("Download cancelled");
const QString kTimingText = QStringLiteral("Transfer: %1 ms, conversion: %2 ms\n");

// How long a cancelled run waits for the link to drop the transfer before the program ends.
constexpr int kCancelSettleMs = 5000;

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interrupted = true;
}

// Ctrl-C cancels the run instead of ending the program in the middle of a transfer.
class InterruptHandler {
public:
    InterruptHandler() {
        interrupted = false;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptHandler() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

private:
    struct sigaction previous_ = {};
};

// Each status line is printed once, when its step ends.
class PrintingView : public DownloadView {
public:
    explicit PrintingView(QTextStream& out) : out_(out) {}
    void setStatusLine(int, DownloadStepKind, const QString&) override {}
    void setActivity(const QString&) override {}
    void showPercent(int) override {}
    void showSeconds(int, int) override {}
    void stepEnded(int engineIndex, DownloadStepKind, const QString& statusLine) override {
        out_ << kEngineLineText.arg(QString::number(engineIndex + 1),
                                    escapeControlCharacters(statusLine))
             << Qt::endl;
    }
    void showNotice(const QString& text) override {
        out_ << escapeControlCharacters(text) << Qt::endl;
    }
    void finished(const QString& finalText) override { out_ << finalText << Qt::endl; }

private:
    QTextStream& out_;
};

struct DownloadOptions {
    QString id;
    int engine = 0; // 0: both
    bool timing = false;
};

// Fills `options`; on a usage error returns its text.
std::optional<QString> parse(const QStringList& arguments, DownloadOptions& options) {
    CommandLine commandLine(
        {{QStringLiteral("engine"), {}, QStringLiteral("N")}, {QStringLiteral("timing"), {}}});
    // "--engine" at the end is refused as an engine "".
    commandLine.setMissingValueText({});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    for (const auto& [name, value] : commandLine.options()) {
        if (name == QStringLiteral("--timing")) {
            options.timing = true;
            continue;
        }
        if (value != QStringLiteral("1") && value != QStringLiteral("2"))
            return kBadEngineText.arg(value);
        options.engine = value.toInt();
    }
    const QStringList& words = commandLine.arguments();
    if (words.size() > 1)
        return kUnknownOptionText.arg(words[1]);
    if (words.isEmpty())
        return kMissingIdText;
    options.id = words.first();
    return std::nullopt;
}

} // namespace

int runDownloadCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                       QTextStream& out) {
    DownloadOptions options;
    if (const std::optional<QString> problem = parse(arguments, options))
        return reportUsageError(notifier, *problem, kUsageText);
    const QString id = registeredAircraftId(options.id);
    if (id.isEmpty()) {
        notifier.critical(kErrorTitle, kAircraftNotFoundText.arg(options.id));
        return kExitFailed;
    }

    InterruptHandler interruptHandler;
    QuietCommunicationView communicationView;
    if (!connection.checkCommunication(communicationView, notifier)) {
        out << kUnableToCommunicateText << Qt::endl;
        return kExitFailed;
    }

    // The register keeps the record as it stands; only this run leaves the other engine out.
    const AircraftRecord stored = KORALibReadAircraft(id);
    if (!storeConfirmedAircraft(id, stored, notifier))
        return kExitFailed;
    AircraftRecord record = stored;
    if (options.engine != 0) {
        EngineRecord& other = record.engines[2 - options.engine];
        other.downloadBearing4 = other.eraseBearing4 = other.eraseBearing4History =
            other.eraseAccelHistory = 0;
    }
    if (!checkSerialNumbers(record, notifier))
        return kExitFailed;

    PrintingView view(out);
    DownloadSequence::Options sequenceOptions;
    // A Ctrl-C during the conversion is seen before the next step starts.
    sequenceOptions.cancelRequested = [] { return interrupted.load(); };
    DownloadVerdicts verdicts(notifier);
    sequenceOptions.rawFileSaved = [&verdicts](const QString& dataDirectory,
                                               const QString& rawFilePath) {
        verdicts.rawFileSaved(dataDirectory, rawFilePath);
    };
    sequenceOptions.closingLines = [&verdicts] { return verdicts.lines(); };
    DownloadSequence sequence(connection.link(), connection.partNumbers(), record, view, notifier,
                              sequenceOptions);
    sequence.start();
    while (sequence.isRunning() && !interrupted) {
        sequence.waitForLink(DownloadSequence::kTickMs);
        if (!interrupted)
            sequence.tick();
    }
    if (options.timing)
        printToStandardError(kTimingText.arg(QString::number(sequence.transferMilliseconds()),
                                             QString::number(sequence.conversionMilliseconds())));
    // A Ctrl-C seen by the sequence itself (during a conversion) has ended it already.
    if (sequence.isRunning())
        sequence.cancel();
    if (sequence.state() == DownloadSequence::State::Cancelled) {
        sequence.settleAfterCancel(kCancelSettleMs);
        out << kDownloadCancelledText << Qt::endl;
        return kExitFailed;
    }
    return sequence.anyStepFailed() ? kExitFailed : kExitSuccess;
}
