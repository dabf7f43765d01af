#include "EngineOptions.h"

#include "CommandLine.h"

#include <QCommandLineOption>

#include <algorithm>
#include <set>

namespace {

const QString kAircraftOption = QStringLiteral("aircraft");
const QString kEngineOption = QStringLiteral("engine");
const QString kMemoryOption = QStringLiteral("memory");

std::optional<QString> takeEngineOption(const QString& name, const QString& value,
                                        EngineFlights& engine) {
    if (name == kAircraftOption) {
        engine.aircraftId = value;
        return std::nullopt;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    if (name == kEngineOption) {
        if (!ok || (number != 1 && number != 2))
            return kBadEngineText.arg(value);
        engine.engineNumber = number;
        return std::nullopt;
    }
    if (!ok || (number != 0 && number != 1))
        return kBadMemoryText.arg(value);
    engine.memoryType = static_cast<MemoryType>(number);
    return std::nullopt;
}

} // namespace

std::optional<QString> parseEngineOptions(const QStringList& arguments,
                                          const QList<CommandOption>& ownOptions,
                                          const QString& requiredText, EngineFlights& engine) {
    QList<QCommandLineOption> definitions{{kAircraftOption, {}, QStringLiteral("ID")},
                                          {kEngineOption, {}, QStringLiteral("N")},
                                          {kMemoryOption, {}, QStringLiteral("M")}};
    for (const CommandOption& option : ownOptions)
        definitions.append({option.name, {}, option.valueName});
    CommandLine commandLine(definitions);
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    if (!commandLine.arguments().isEmpty())
        return kUnknownOptionText.arg(commandLine.arguments().first());
    std::set<QString> given;
    for (const auto& [word, value] : commandLine.options()) {
        const QString name = word.mid(2); // without its "--"
        given.insert(name);
        const auto own = std::find_if(ownOptions.cbegin(), ownOptions.cend(),
                                      [&name](const CommandOption& o) { return o.name == name; });
        std::optional<QString> problem =
            own == ownOptions.cend() ? takeEngineOption(name, value, engine) : own->take(value);
        if (problem)
            return problem;
    }
    bool complete = given.count(kAircraftOption) > 0 && given.count(kEngineOption) > 0;
    for (const CommandOption& option : ownOptions)
        complete = complete && (!option.required || given.count(option.name) > 0);
    if (!complete)
        return requiredText;
    return std::nullopt;
}
