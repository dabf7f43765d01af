#include "CommandLine.h"

#include "Notifier.h"

#include <QCommandLineParser>
#include <QHash>

#include <cstdio>

namespace {

const QString kUsageErrorText = QStringLiteral("%1\n\n%2");
const QString kOptionPrefix = QStringLiteral("--");
const QChar kValueWordSeparator = QLatin1Char(' ');

bool isControlCharacter(char16_t code) {
    return code < 0x20 || (code >= 0x7f && code <= 0x9f);
}

} // namespace

int reportUsageError(Notifier& notifier, const QString& problem, const QString& usageText) {
    notifier.critical(kErrorTitle,
                      problem.isEmpty() ? usageText : kUsageErrorText.arg(problem, usageText));
    return kExitUsageError;
}

QString escapeControlCharacters(const QString& text, ControlCharacters mode) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        const bool kept =
            mode == ControlCharacters::KeepLineBreaksAndTabs && (code == u'\n' || code == u'\t');
        if (isControlCharacter(code) && !kept)
            escaped += QString::asprintf("\\x%02x", unsigned(code));
        else
            escaped += character;
    }
    return escaped;
}

void printToStandardError(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

CommandLine::CommandLine(const QList<QCommandLineOption>& options) : definitions_(options) {}

qsizetype CommandLine::valueWordCount(const QString& word) const {
    for (const QCommandLineOption& option : definitions_) {
        if (!option.valueName().isEmpty() && option.names().contains(word.mid(2)))
            return valueWords(option.valueName()).size();
    }
    return 0;
}

QStringList CommandLine::valueWords(const QString& value) {
    return value.split(kValueWordSeparator);
}

std::optional<QString> CommandLine::parse(const QStringList& words) {
    options_.clear();
    arguments_.clear();
    // QCommandLineParser would take every word that begins with "-" for an option, so the
    // arguments are handed to it after a "--" of our own, in their order.
    QStringList optionWords{QStringLiteral("brix-cli")}; // the parser skips the program name
    QStringList argumentWords;
    for (qsizetype index = 0; index < words.size(); ++index) {
        const QString& word = words[index];
        const bool option = word.startsWith(kOptionPrefix) &&
                            !(optionsEndAtFirstArgument_ && !argumentWords.isEmpty());
        if (!option) {
            argumentWords.append(word);
            continue;
        }
        if (word == kOptionPrefix)
            return kUnknownOptionText.arg(word);
        optionWords.append(word);
        const qsizetype valueWordCount = this->valueWordCount(word);
        if (valueWordCount == 0)
            continue;
        if (index + valueWordCount < words.size()) {
            optionWords.append(words.mid(index + 1, valueWordCount).join(kValueWordSeparator));
            index += valueWordCount;
        } else if (missingValueText_.isEmpty()) {
            optionWords.append(QString());
            index = words.size();
        } else {
            return missingValueText_.arg(word);
        }
    }

    QCommandLineParser parser;
    parser.addOptions(definitions_);
    if (!parser.parse(optionWords + QStringList{kOptionPrefix} + argumentWords)) {
        const QStringList unknown = parser.unknownOptionNames();
        return unknown.isEmpty() ? parser.errorText()
                                 : kUnknownOptionText.arg(kOptionPrefix + unknown.first());
    }
    // The parser keeps each option's values apart; its list of names keeps their order.
    QHash<QString, int> taken;
    for (const QString& name : parser.optionNames())
        options_.append({kOptionPrefix + name, parser.values(name).value(taken[name]++)});
    arguments_ = parser.positionalArguments();
    return std::nullopt;
}
