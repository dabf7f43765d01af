#include "StartArguments.h"

#include "Notifier.h"

#include <optional>

namespace {

bool isBlank(QChar c) {
    // The blanks a C scanner skips.
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// The integer of "<prefix>%d", if the argument matches.
std::optional<int> scanInteger(const QString& argument, QStringView prefix) {
    if (!argument.startsWith(prefix))
        return std::nullopt;
    qsizetype at = prefix.size();
    while (at < argument.size() && isBlank(argument[at]))
        ++at;
    const qsizetype numberStart = at;
    if (at < argument.size() && (argument[at] == u'+' || argument[at] == u'-'))
        ++at;
    const qsizetype digitsStart = at;
    while (at < argument.size() && argument[at] >= u'0' && argument[at] <= u'9')
        ++at;
    if (at == digitsStart)
        return std::nullopt;
    bool ok = false;
    const int value = QStringView(argument).mid(numberStart, at - numberStart).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The text of "<prefix>%s", if the argument matches.
std::optional<QString> scanText(const QString& argument, QStringView prefix) {
    if (!argument.startsWith(prefix))
        return std::nullopt;
    qsizetype at = prefix.size();
    while (at < argument.size() && isBlank(argument[at]))
        ++at;
    const qsizetype textStart = at;
    while (at < argument.size() && !isBlank(argument[at]))
        ++at;
    if (at == textStart)
        return std::nullopt;
    return argument.mid(textStart, at - textStart);
}

} // namespace

StartArguments scanStartArguments(const QStringList& arguments, Notifier& notifier) {
    StartArguments result;
    if (arguments.isEmpty())
        return result;
    result.present = true;

    const QString none;
    auto at = [&](qsizetype index) -> const QString& {
        return index < arguments.size() ? arguments[index] : none;
    };
    if (const auto x = scanInteger(at(0), u"-x"))
        result.x = *x;
    if (const auto y = scanInteger(at(1), u"-y"))
        result.y = *y;
    if (const auto level = scanInteger(at(2), u"-l"))
        result.level = *level;
    if (const auto password = scanText(at(3), u"-p")) {
        if (password->size() > kMaxStartPasswordLength) {
            notifier.critical(kErrorTitle, kStartPasswordTooLongText.arg(kMaxStartPasswordLength));
            result.passwordRefused = true;
        } else {
            result.password = *password;
            result.passwordGiven = true;
        }
    }
    return result;
}
