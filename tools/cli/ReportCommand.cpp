#include "ReportCommand.h"

#include "ApplicationSettings.h"
#include "CommandLine.h"
#include "KORALib.h"
#include "MaintenanceReport.h"
#include "Notifier.h"

#include <QTextStream>

namespace {

const QString kReportUsageText =
    QStringLiteral("usage: brix-cli report ID [--engine 1|2] [--since yyyy-MM-dd] --out FILE.pdf\n"
                   "  the maintenance report of an aircraft as PDF\n"
                   "  --engine N      only engine 1 or 2\n"
                   "  --since DATE    only the downloads created on or after the date\n"
                   "  --out FILE      the PDF to write");
const QString kReportRequiredText = QStringLiteral("one aircraft ID and --out are required");
const QString kBadSinceText = QStringLiteral("--since takes a date yyyy-MM-dd, not \"%1\"");
const QString kReportNotRegisteredText = QStringLiteral("Aircraft \"%1\" is not registered");
const QString kReportFailedTitle = QStringLiteral("Maintenance Report");

std::optional<QString> parse(const QStringList& arguments, ReportRequest& request,
                             QString& outPath) {
    CommandLine commandLine({{QStringLiteral("engine"), {}, QStringLiteral("N")},
                             {QStringLiteral("since"), {}, QStringLiteral("DATE")},
                             {QStringLiteral("out"), {}, QStringLiteral("FILE")}});
    if (std::optional<QString> problem = commandLine.parse(arguments))
        return problem;
    if (commandLine.arguments().size() != 1)
        return kReportRequiredText;
    request.aircraftId = commandLine.arguments().first();
    for (const auto& [name, value] : commandLine.options()) {
        if (name == QStringLiteral("--engine")) {
            bool ok = false;
            const int number = value.toInt(&ok);
            if (!ok || (number != 1 && number != 2))
                return kBadEngineText.arg(value);
            request.engineNumber = number;
        } else if (name == QStringLiteral("--since")) {
            const QDate date = QDate::fromString(value, Qt::ISODate);
            if (!date.isValid())
                return kBadSinceText.arg(value);
            request.since = date;
        } else {
            outPath = value;
        }
    }
    if (outPath.isEmpty())
        return kReportRequiredText;
    return std::nullopt;
}

} // namespace

int runReportCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    ReportRequest request;
    QString outPath;
    if (const std::optional<QString> problem = parse(arguments, request, outPath))
        return reportUsageError(notifier, *problem, kReportUsageText);
    const QString registered = registeredAircraftId(request.aircraftId);
    if (registered.isEmpty()) {
        notifier.critical(kReportFailedTitle, kReportNotRegisteredText.arg(request.aircraftId));
        return kExitFailed;
    }
    request.aircraftId = registered;
    const ReportContent content = collectReport(dataDirectory(), request);
    for (const QString& warning : content.warnings)
        notifier.warning(kWarningTitle, warning);
    QString error;
    if (!writeMaintenanceReport(content, reportPageSize(QLocale::system()), outPath, &error)) {
        notifier.critical(kReportFailedTitle, error);
        return kExitFailed;
    }
    out << outPath << Qt::endl;
    return kExitSuccess;
}
