#include "EraseMemoryCommand.h"

#include "CommandLine.h"
#include "EraseView.h"
#include "QuietCommunicationView.h"
#include "UnitConnection.h"

#include <QTextStream>

#include <algorithm>
#include <optional>

namespace {

const QString kUsageText =
    QStringLiteral("usage: brix-cli erase --engine 1|2 [--engine 1|2] data|defect|accel ...\n"
                   "  --engine N   erase memories of engine N (may be given twice)\n"
                   "  data         the bearing 4 data\n"
                   "  defect       the bearing 4 defect detection history\n"
                   "  accel        the accel line defect detection history");
const QString kMissingEngineText = QStringLiteral("No engine given");
const QString kMissingMemoryText = QStringLiteral("No memory to erase given");
const QString kUnknownMemoryText =
    QStringLiteral("Unknown memory \"%1\": use data, defect or accel");
const QString kEngineLineText = QStringLiteral("Engine %1: %2");

// The words for the kinds, in kind order.
const QString kMemoryWords[kEraseKindCount] = {QStringLiteral("data"), QStringLiteral("defect"),
                                               QStringLiteral("accel")};

// Each line is printed once, when its step ends.
class PrintingView : public EraseView {
public:
    explicit PrintingView(QTextStream& out) : out_(out) {}
    void setLine(int, EraseKind, const QString&) override {}
    void setActivity(const QString&) override {}
    void showSeconds(int, int) override {}
    void showPercent(int) override {}
    void stepEnded(int engineIndex, EraseKind, const QString& line) override {
        out_ << kEngineLineText.arg(QString::number(engineIndex + 1), line) << Qt::endl;
    }
    void finished(const QString& finalText) override { out_ << finalText << Qt::endl; }

private:
    QTextStream& out_;
};

// The requests the words name; on a usage error its text.
std::optional<QString> parse(const QStringList& arguments, EraseRequests& requests) {
    CommandLine commandLine({{QStringLiteral("engine"), {}, QStringLiteral("N")}});
    // "--engine" at the end is refused as an engine "".
    commandLine.setMissingValueText({});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    bool engines[kEraseEngineCount] = {};
    for (const auto& option : commandLine.options()) {
        const QString& value = option.second;
        if (value != QStringLiteral("1") && value != QStringLiteral("2"))
            return kBadEngineText.arg(value);
        engines[value.toInt() - 1] = true;
    }
    bool kinds[kEraseKindCount] = {};
    for (const QString& word : commandLine.arguments()) {
        const auto* found = std::find(std::begin(kMemoryWords), std::end(kMemoryWords), word);
        if (found == std::end(kMemoryWords))
            return kUnknownMemoryText.arg(escapeControlCharacters(word));
        kinds[found - std::begin(kMemoryWords)] = true;
    }
    if (!engines[0] && !engines[1])
        return kMissingEngineText;
    if (commandLine.arguments().isEmpty())
        return kMissingMemoryText;
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind)
            requests[engine * kEraseKindCount + kind] = engines[engine] && kinds[kind];
    return std::nullopt;
}

} // namespace

int runEraseCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                    QTextStream& out, EraseTimeouts timeouts) {
    EraseRequests requests{};
    if (const std::optional<QString> problem = parse(arguments, requests))
        return reportUsageError(notifier, *problem, kUsageText);

    QuietCommunicationView communicationView;
    connection.ensureWorker(communicationView);
    PrintingView view(out);
    EraseSequence sequence(connection.link(), requests, view, timeouts);
    sequence.start();
    while (sequence.isRunning()) {
        sequence.waitForLink(EraseSequence::kTickMs);
        sequence.tick();
    }
    return sequence.anyStepFailed() ? kExitFailed : kExitSuccess;
}
