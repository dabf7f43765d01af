#include "StderrNotifier.h"

#include "CommandLine.h"

#include <QString>

namespace {

const QString kMessageFormat = QStringLiteral("%1: %2\n");
const QString kAnsweredNoText = QStringLiteral(" [answered no]");

// Messages carry names and values from files, the register and the unit: their control
// characters are shown, never sent to the terminal.
void print(const QString& title, const QString& text) {
    printToStandardError(escapeControlCharacters(kMessageFormat.arg(title, text),
                                                 ControlCharacters::KeepLineBreaksAndTabs));
}

} // namespace

void StderrNotifier::critical(const QString& title, const QString& text) {
    print(title, text);
}

void StderrNotifier::warning(const QString& title, const QString& text) {
    print(title, text);
}

void StderrNotifier::information(const QString& title, const QString& text) {
    print(title, text);
}

bool StderrNotifier::question(const QString& title, const QString& text, DefaultAnswer) {
    print(title, text + kAnsweredNoText);
    return false;
}
