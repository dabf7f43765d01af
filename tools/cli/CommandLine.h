#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

class Notifier;

// brix-cli's conventions, kept in one place: exit codes, usage errors, what reaches the
// terminal, and how a command's words are split into options and arguments.

// Exit codes of brix-cli and of each of its commands.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1; // the operation failed; it has been reported
inline constexpr int kExitUsageError = 2;

inline const QString kUnknownOptionText = QStringLiteral("Unknown option \"%1\"");
inline const QString kMissingValueText = QStringLiteral("Option \"%1\" needs a value");
inline const QString kBadEngineText = QStringLiteral("--engine takes 1 or 2, not \"%1\"");
inline const QString kBadMemoryText = QStringLiteral("--memory takes 0 or 1, not \"%1\"");

// Reports a usage error as one message: the problem, a blank line and the command's usage
// text; the usage text alone when no problem is named. Returns kExitUsageError.
int reportUsageError(Notifier& notifier, const QString& problem, const QString& usageText);

enum class ControlCharacters {
    EscapeAll,            // a field of an output line: tabs and line ends would split it
    KeepLineBreaksAndTabs // a message, whose own texts may run over several lines
};

// Text from outside (files, the register, the unit) with its control characters (C0, DEL
// and C1) written as "\x1b", so that it cannot move the cursor, recolour or retitle the
// terminal. Other characters, non-ASCII letters included, stay as they are.
QString escapeControlCharacters(const QString& text,
                                ControlCharacters mode = ControlCharacters::EscapeAll);

// Writes the text to standard error as it stands and flushes.
void printToStandardError(const QString& text);

// One command's words, parsed with QCommandLineParser in brix-cli's way: only words that
// begin with "--" are options, so identifiers and paths that begin with "-" stay arguments;
// an option that takes a value takes the next word, whatever it holds. An option whose value
// name has several words ("MIN MAX") takes that many words, given as one value joined by
// blanks (valueWords() splits it again).
class CommandLine {
public:
    explicit CommandLine(const QList<QCommandLineOption>& options);

    // The global options stand before the command: the first argument ends them.
    void setOptionsEndAtFirstArgument(bool end) { optionsEndAtFirstArgument_ = end; }
    // By default a value option without its value is a usage error with this text (%1 the
    // option); with an empty text the value reads as empty instead.
    void setMissingValueText(const QString& text) { missingValueText_ = text; }

    // On a usage error returns its text.
    std::optional<QString> parse(const QStringList& words);

    // The options given, as ("--name", value) in command-line order (value empty for a
    // switch); the same option may appear more than once.
    const QList<QPair<QString, QString>>& options() const { return options_; }
    const QStringList& arguments() const { return arguments_; }

    // The words of a value that an option of several words took.
    static QStringList valueWords(const QString& value);

private:
    // How many words the option takes as its value (0 for a switch or an unknown option).
    qsizetype valueWordCount(const QString& word) const;

    QList<QCommandLineOption> definitions_;
    bool optionsEndAtFirstArgument_ = false;
    QString missingValueText_ = kMissingValueText;
    QList<QPair<QString, QString>> options_;
    QStringList arguments_;
};
