#include "ConvertCommand.h"

#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "CommandLine.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PartNumberRecord.h"
#include "ReformatData.h"

#include <QDateTime>
#include <QTextStream>

namespace {

const QString kConvertUsageText =
    QStringLiteral("usage: brix-cli convert RESPONSE_FILE ID ENGINE\n"
                   "  converts a saved download response of aircraft ID, engine 1 or 2, into\n"
                   "  the raw flight data file and the two engine data files of that engine");

} // namespace

int runConvertCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    if (arguments.size() != 3 ||
        (arguments[2] != QStringLiteral("1") && arguments[2] != QStringLiteral("2"))) {
        return reportUsageError(notifier, {}, kConvertUsageText);
    }
    const QString& responseFile = arguments[0];
    const QString id = registeredAircraftId(arguments[1]);
    if (id.isEmpty()) {
        notifier.critical(kErrorTitle, kAircraftNotFoundText.arg(arguments[1]));
        return kExitFailed;
    }
    const int engineIndex = arguments[2].toInt() - 1;
    const AircraftRecord aircraft = KORALibReadAircraft(id);
    // The unit is not asked for its part numbers here, so the files show them blank.
    const PartNumberRecord partNumbers;

    const ReformatResult result =
        ReformatData(responseFile, engineIndex, aircraft, registerDataDirectory(), partNumbers,
                     notifier, {}, false, QDateTime::currentDateTime());
    if (result.rawFileSaved)
        out << escapeControlCharacters(result.rawFilePath) << Qt::endl;
    if (result.steadyStateFileSaved)
        out << escapeControlCharacters(result.steadyStatePath) << Qt::endl;
    if (result.transientFileSaved)
        out << escapeControlCharacters(result.transientPath) << Qt::endl;
    return result.rawFileSaved && result.steadyStateFileSaved && result.transientFileSaved
               ? kExitSuccess
               : kExitFailed;
}
