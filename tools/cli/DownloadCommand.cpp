#include "DownloadCommand.h"

#include "AircraftMessages.h"
#include "AircraftRecord.h"
#include "DownloadSequence.h"
#include "DownloadView.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PreDownloadChecks.h"
#include "QuietCommunicationView.h"
#include "UnitConnection.h"

#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

const QString kUsageText =
    QStringLiteral("usage: brix-cli download ID [--engine 1|2] [--timing]\n"
                   "  --engine N   download and erase engine N only\n"
                   "  --timing     print the transfer and conversion times on standard error");
const QString kUsageErrorText = QStringLiteral("%1\n\n%2");
const QString kUnknownOptionText = QStringLiteral("Unknown option \"%1\"");
const QString kBadEngineText = QStringLiteral("--engine takes 1 or 2, not \"%1\"");
const QString kMissingIdText = QStringLiteral("No aircraft ID given");
const QString kEngineLineText = QStringLiteral("Engine %1: %2");
const QString kDownloadCancelledText = QStringLiteral("Download cancelled");
const char kTimingFormat[] = "Transfer: %lld ms, conversion: %lld ms\n";

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
        out_ << kEngineLineText.arg(engineIndex + 1).arg(statusLine) << Qt::endl;
    }
    void finished() override { out_ << kProcessingCompleteText << Qt::endl; }

private:
    QTextStream& out_;
};

struct DownloadOptions {
    QString id;
    int engine = 0; // 0: both
    bool timing = false;
};

int usageError(Notifier& notifier, const QString& problem) {
    notifier.critical(kErrorTitle, kUsageErrorText.arg(problem, kUsageText));
    return kUsageError;
}

std::optional<DownloadOptions> parse(const QStringList& arguments, Notifier& notifier) {
    DownloadOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == QStringLiteral("--engine")) {
            const QString value = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (value != QStringLiteral("1") && value != QStringLiteral("2")) {
                usageError(notifier, kBadEngineText.arg(value));
                return std::nullopt;
            }
            options.engine = value.toInt();
        } else if (word == QStringLiteral("--timing")) {
            options.timing = true;
        } else if (word.startsWith(QStringLiteral("--")) || !options.id.isEmpty()) {
            usageError(notifier, kUnknownOptionText.arg(word));
            return std::nullopt;
        } else {
            options.id = word;
        }
    }
    if (options.id.isEmpty()) {
        usageError(notifier, kMissingIdText);
        return std::nullopt;
    }
    return options;
}

} // namespace

int runDownloadCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                       QTextStream& out) {
    const std::optional<DownloadOptions> options = parse(arguments, notifier);
    if (!options)
        return kUsageError;
    const QString id = registeredAircraftId(options->id);
    if (id.isEmpty()) {
        notifier.critical(kErrorTitle, kAircraftNotFoundText.arg(options->id));
        return kFailed;
    }

    InterruptHandler interruptHandler;
    QuietCommunicationView communicationView;
    if (!connection.checkCommunication(communicationView, notifier)) {
        out << kUnableToCommunicateText << Qt::endl;
        return kFailed;
    }

    // The register keeps the record as it stands; only this run leaves the other engine out.
    const AircraftRecord stored = KORALibReadAircraft(id);
    if (!storeConfirmedAircraft(id, stored, notifier))
        return kFailed;
    AircraftRecord record = stored;
    if (options->engine != 0) {
        EngineRecord& other = record.engines[2 - options->engine];
        other.downloadBearing4 = other.eraseBearing4 = other.eraseBearing4History =
            other.eraseAccelHistory = 0;
    }
    if (!checkSerialNumbers(record, notifier))
        return kFailed;

    PrintingView view(out);
    DownloadSequence::Options sequenceOptions;
    // A Ctrl-C during the conversion is seen before the next command goes out.
    sequenceOptions.cancelRequested = [] { return interrupted.load(); };
    DownloadSequence sequence(connection.link(), connection.partNumbers(), record, view, notifier,
                              sequenceOptions);
    sequence.start();
    while (sequence.isRunning() && !interrupted) {
        sequence.waitForLink(DownloadSequence::kTickMs);
        if (!interrupted)
            sequence.tick();
    }
    if (options->timing)
        std::fprintf(stderr, kTimingFormat, static_cast<long long>(sequence.transferMilliseconds()),
                     static_cast<long long>(sequence.conversionMilliseconds()));
    if (sequence.isRunning()) {
        sequence.cancel();
        sequence.settleAfterCancel(kCancelSettleMs);
        out << kDownloadCancelledText << Qt::endl;
        return kFailed;
    }
    return sequence.anyStepFailed() ? kFailed : kSuccess;
}
