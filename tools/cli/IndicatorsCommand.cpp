#include "IndicatorsCommand.h"

#include "ApplicationSettings.h"
#include "CommandLine.h"
#include "EngineOptions.h"
#include "FlightIndex.h"
#include "HealthCommands.h"
#include "Notifier.h"
#include "Trend.h"

#include <QDate>
#include <QDateTime>
#include <QTextStream>

namespace {

const QString kIndicatorsUsageText = QStringLiteral(
    "usage: brix-cli ci --aircraft ID --engine N [--memory 0|1] [--since yyyy-MM-dd]\n"
    "  the condition indicators of every stored flight of the engine, as CSV\n"
    "  --aircraft ID   the aircraft (exact spelling)\n"
    "  --engine N      engine 1 or 2\n"
    "  --memory M      only pre-defect (0) or post-defect (1) memory\n"
    "  --since DATE    only the downloads created on or after the date\n"
    "  --data-dir DIR  another data directory, read without writing there");
const QString kIndicatorsRequiredText = QStringLiteral("--aircraft and --engine are required");
const QString kBadIndicatorsSinceText =
    QStringLiteral("--since takes a date yyyy-MM-dd, not \"%1\"");
const QString kIndicatorsCsvHeader = QStringLiteral("flight,date,memory,status");

struct IndicatorsRequest {
    EngineFlights engine;
    std::optional<QDate> since;
    std::optional<QString> dataDirectory;
};

std::optional<QString> parseIndicatorsRequest(const QStringList& arguments,
                                              IndicatorsRequest& request) {
    const QList<CommandOption> ownOptions = {
        {QStringLiteral("since"), QStringLiteral("DATE"),
         [&request](const QString& value) -> std::optional<QString> {
             const QDate date = QDate::fromString(value, Qt::ISODate);
             if (!date.isValid())
                 return kBadIndicatorsSinceText.arg(value);
             request.since = date;
             return std::nullopt;
         }},
        {QStringLiteral("data-dir"), QStringLiteral("DIR"),
         [&request](const QString& value) -> std::optional<QString> {
             request.dataDirectory = value;
             return std::nullopt;
         }},
    };
    return parseEngineOptions(arguments, ownOptions, kIndicatorsRequiredText, request.engine);
}

} // namespace

int runIndicatorsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    IndicatorsRequest request;
    if (const std::optional<QString> problem = parseIndicatorsRequest(arguments, request))
        return reportUsageError(notifier, *problem, kIndicatorsUsageText);
    // The download date is the local one, as the date column shows it.
    const std::optional<quint32> since =
        request.since ? std::optional(quint32(std::max<qint64>(
                            0, request.since->startOfDay(Qt::LocalTime).toSecsSinceEpoch())))
                      : std::nullopt;
    const std::unique_ptr<FlightIndex> index =
        request.dataDirectory
            ? openDataDirectory(*request.dataDirectory, notifier)
            : std::make_unique<FlightIndex>(dataDirectory(), registerIndexInputs(), notifier);
    if (!index)
        return kExitFailed;
    out << kIndicatorsCsvHeader;
    for (int indicator = 0; indicator < kIndicatorCount; ++indicator)
        out << ',' << indicatorName(indicator);
    out << '\n';
    for (const IndexedFlight& flight :
         index->flights(request.engine.aircraftId, request.engine.engineNumber,
                        request.engine.memoryType, since)) {
        out << flight.flightNumber << ',' << trendDateText(flight.creationTime) << ','
            << valueOf(flight.memoryType) << ',' << dataStatusText(flight.status);
        for (const std::optional<double>& value : flight.indicators.values)
            out << ',' << (value ? QString::asprintf("%.6g", *value) : QString());
        out << '\n';
    }
    out.flush();
    return kExitSuccess;
}
