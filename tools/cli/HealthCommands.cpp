#include "HealthCommands.h"

#include "AircraftMessages.h"
#include "ApplicationSettings.h"
#include "BearingGeometryStore.h"
#include "CommandLine.h"
#include "FleetHealth.h"
#include "FlightIndex.h"
#include "FlightIndicators.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "Notifier.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const QString kLimitsUsageText = QStringLiteral(
    "usage: brix-cli limits COMMAND\n"
    "  show [TYPE]           the limits of the type, or of every type, as CSV\n"
    "  set TYPE --ci C --warning W --alarm A [--change X]\n"
    "                        set one indicator's warning and alarm levels (the warning below\n"
    "                        the alarm) and, when given, its critical change from one flight\n"
    "                        to the next\n"
    "  clear TYPE --ci C     remove one indicator's limits\n"
    "  suggest TYPE --ci C [--apply]\n"
    "                        warning mean + 3 sigma and alarm mean + 6 sigma of the indicator\n"
    "                        over every flight of the type's engines, suspect flights left\n"
    "                        out; --apply stores them\n"
    "  C is one of rms, peak, crest, kurtosis, n1x1, n2x1, bpfo, bpfi, bsf, ftf");
const QString kFleetUsageText = QStringLiteral(
    "usage: brix-cli fleet [--format csv|json] [--data-dir DIR]\n"
    "  every aircraft and engine with its health, worst first\n"
    "  --format F      csv (the default) or json\n"
    "  --data-dir DIR  the aircraft folders of another data directory, read without writing\n"
    "                  there");
const QString kLimitsCsvHeader = QStringLiteral("type,indicator,warning,alarm,change");
const QString kLimitsCommandText = QStringLiteral("Unknown command \"%1\"");
const QString kLimitsTypeNeededText = QStringLiteral("limits %1 needs an engine type");
const QString kIndicatorNeededText = QStringLiteral("--ci is required");
const QString kLevelsNeededText = QStringLiteral("--warning and --alarm are required");
const QString kBadFormatText = QStringLiteral("--format takes csv or json, not \"%1\"");
// %1 the folder as given.
const QString kNotADataDirectoryText = QStringLiteral("\"%1\" is no folder");
const QString kShowCommand = QStringLiteral("show");
const QString kSetCommand = QStringLiteral("set");
const QString kClearCommand = QStringLiteral("clear");
const QString kSuggestCommand = QStringLiteral("suggest");

void printLimits(const QString& engineType, QTextStream& out) {
    for (const auto& [indicator, limits] : readEngineTypeLimits(engineType))
        out << escapeControlCharacters(engineType) << ',' << indicatorName(valueOf(indicator))
            << ',' << healthNumberText(limits.warning) << ',' << healthNumberText(limits.alarm)
            << ',' << (limits.change ? healthNumberText(*limits.change) : QString()) << '\n';
}

struct LimitsRequest {
    QString command;
    QString engineType;
    std::optional<Indicator> indicator;
    std::optional<QString> warning;
    std::optional<QString> alarm;
    std::optional<QString> change;
    bool apply = false;
};

std::optional<QString> parseLimitsRequest(const QStringList& arguments, LimitsRequest& request) {
    CommandLine commandLine({{QStringLiteral("ci"), {}, QStringLiteral("C")},
                             {QStringLiteral("warning"), {}, QStringLiteral("W")},
                             {QStringLiteral("alarm"), {}, QStringLiteral("A")},
                             {QStringLiteral("change"), {}, QStringLiteral("X")},
                             QCommandLineOption(QStringLiteral("apply"))});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    const QStringList& words = commandLine.arguments();
    if (words.isEmpty())
        return QString();
    request.command = words.first();
    if (request.command != kShowCommand && request.command != kSetCommand &&
        request.command != kClearCommand && request.command != kSuggestCommand)
        return kLimitsCommandText.arg(request.command);
    if (words.size() > 2)
        return kUnknownOptionText.arg(words[2]);
    if (words.size() == 2)
        request.engineType = words[1];
    else if (request.command != kShowCommand)
        return kLimitsTypeNeededText.arg(request.command);
    // Which options each command takes.
    const QStringList allowed =
        request.command == kSetCommand     ? QStringList{"--ci", "--warning", "--alarm", "--change"}
        : request.command == kClearCommand ? QStringList{"--ci"}
        : request.command == kSuggestCommand ? QStringList{"--ci", "--apply"}
                                             : QStringList{};
    for (const auto& [name, value] : commandLine.options()) {
        if (!allowed.contains(name))
            return kUnknownOptionText.arg(name);
        if (name == QStringLiteral("--ci")) {
            const std::optional<int> index = indicatorIndex(value);
            if (!index)
                return kUnknownIndicatorText.arg(value);
            request.indicator = static_cast<Indicator>(*index);
        } else if (name == QStringLiteral("--warning")) {
            request.warning = value;
        } else if (name == QStringLiteral("--alarm")) {
            request.alarm = value;
        } else if (name == QStringLiteral("--change")) {
            request.change = value;
        } else {
            request.apply = true;
        }
    }
    if (request.command != kShowCommand && !request.indicator)
        return kIndicatorNeededText;
    if (request.command == kSetCommand && (!request.warning || !request.alarm))
        return kLevelsNeededText;
    return std::nullopt;
}

int runSuggest(const LimitsRequest& request, Notifier& notifier, QTextStream& out) {
    const FlightIndex index(dataDirectory(), registerIndexInputs(), notifier);
    const std::optional<LimitSuggestion> suggestion =
        suggestLimits(index, request.engineType, *request.indicator);
    if (!suggestion) {
        notifier.critical(kErrorTitle,
                          kNoFlightsToSuggestFromText.arg(
                              request.engineType, indicatorName(valueOf(*request.indicator))));
        return kExitFailed;
    }
    out << limitSuggestionText(*suggestion) << '\n';
    if (!request.apply)
        return kExitSuccess;
    // The suggestion says nothing of the critical change; one already set stays.
    IndicatorLimits limits = suggestion->limits;
    if (const std::optional<IndicatorLimits> stored =
            readIndicatorLimits(request.engineType, *request.indicator))
        limits.change = stored->change;
    return writeIndicatorLimits(request.engineType, *request.indicator, limits, notifier)
               ? kExitSuccess
               : kExitFailed;
}

} // namespace

int runLimitsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    LimitsRequest request;
    if (const std::optional<QString> problem = parseLimitsRequest(arguments, request))
        return reportUsageError(notifier, *problem, kLimitsUsageText);
    const QStringList types = KORALibListEngineTypes();
    if (!request.engineType.isEmpty() && !types.contains(request.engineType)) {
        notifier.critical(kErrorTitle, kEngineTypeNotFoundText.arg(request.engineType));
        return kExitFailed;
    }
    int result = kExitSuccess;
    if (request.command == kShowCommand) {
        out << kLimitsCsvHeader << '\n';
        for (const QString& type :
             request.engineType.isEmpty() ? types : QStringList{request.engineType})
            printLimits(type, out);
    } else if (request.command == kSetCommand) {
        const IndicatorLimits limits{
            .warning = typedNumber(*request.warning),
            .alarm = typedNumber(*request.alarm),
            .change = request.change ? std::optional(typedNumber(*request.change)) : std::nullopt};
        result = writeIndicatorLimits(request.engineType, *request.indicator, limits, notifier)
                     ? kExitSuccess
                     : kExitFailed;
    } else if (request.command == kClearCommand) {
        clearIndicatorLimits(request.engineType, *request.indicator);
    } else {
        result = runSuggest(request, notifier, out);
    }
    out.flush();
    return result;
}

int runFleetCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    CommandLine commandLine({{QStringLiteral("format"), {}, QStringLiteral("F")},
                             {QStringLiteral("data-dir"), {}, QStringLiteral("DIR")}});
    if (const std::optional<QString> problem = commandLine.parse(arguments))
        return reportUsageError(notifier, *problem, kFleetUsageText);
    if (!commandLine.arguments().isEmpty())
        return reportUsageError(notifier, kUnknownOptionText.arg(commandLine.arguments().first()),
                                kFleetUsageText);
    bool json = false;
    std::optional<QString> foreignDirectory;
    for (const auto& [name, value] : commandLine.options()) {
        if (name == QStringLiteral("--format")) {
            if (value != QStringLiteral("csv") && value != QStringLiteral("json"))
                return reportUsageError(notifier, kBadFormatText.arg(value), kFleetUsageText);
            json = value == QStringLiteral("json");
        } else {
            foreignDirectory = value;
        }
    }
    QList<FleetRow> rows;
    if (foreignDirectory) {
        const std::unique_ptr<FlightIndex> index = openDataDirectory(*foreignDirectory, notifier);
        if (!index)
            return kExitFailed;
        rows = folderFleet(*foreignDirectory, *index);
    } else {
        const FlightIndex index(dataDirectory(), registerIndexInputs(), notifier);
        rows = registerFleet(index);
    }
    if (json)
        out << QString::fromUtf8(fleetJson(rows));
    else
        out << escapeControlCharacters(fleetCsv(rows), ControlCharacters::KeepLineBreaksAndTabs);
    out.flush();
    return kExitSuccess;
}

bool isDataDirectory(const QString& directory, Notifier& notifier) {
    if (QFileInfo(directory).isDir())
        return true;
    notifier.critical(kErrorTitle, kNotADataDirectoryText.arg(escapeControlCharacters(directory)));
    return false;
}

std::unique_ptr<FlightIndex> openDataDirectory(const QString& directory, Notifier& notifier) {
    return isDataDirectory(directory, notifier) ? openForeignIndex(directory, notifier) : nullptr;
}
