#include "AircraftCommands.h"

#include "AircraftMessages.h"
#include "AircraftRecord.h"
#include "BearingGeometryStore.h"
#include "CommandLine.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterEditing.h"

#include <QHash>
#include <QTextStream>

#include <functional>
#include <optional>

namespace {

const QString kUsageText = QStringLiteral(
    "usage: brix-cli aircraft COMMAND\n"
    "  list                  registered aircraft, one a line; \"*\" marks the selected one\n"
    "  show ID               the aircraft's record, one \"field: value\" line each\n"
    "  add ID                register an aircraft\n"
    "  remove ID [--delete-files]\n"
    "                        remove an aircraft and its data directory; an aircraft with\n"
    "                        downloaded files is removed only with --delete-files\n"
    "  import FILE           import aircraft from a comma-separated file\n"
    "  set ID [--engine N] [--type T] [--sn S] [--date D] [--download on|off]\n"
    "         [--erase-data on|off] [--erase-history on|off] [--erase-accel on|off]\n"
    "         [--comments TEXT]\n"
    "                        change a record; engine fields need --engine 1 or 2\n"
    "  types                 engine types, one a line\n"
    "  add-type TYPE         append an engine type\n"
    "  remove-type TYPE      remove an engine type\n"
    "  bearing TYPE          the engine type's bearing geometry, one \"field: value\" line each\n"
    "  bearing TYPE --elements N --ball-diameter D --pitch-diameter P\n"
    "          --contact-angle DEG --shaft n1|n2\n"
    "                        set it (all five values; the diameters in any one length unit,\n"
    "                        the shaft that turns the inner race)\n"
    "  bearing TYPE --clear  remove it");
const QString kUnknownCommandText = QStringLiteral("Unknown command \"%1\"");
const QString kWrongArgumentsText = QStringLiteral("Wrong arguments for \"%1\"");
const QString kTwoEnginesText = QStringLiteral(
    "Only one --engine may be given; set the other engine with a command of its own");
const QString kBadSwitchText = QStringLiteral("%1 takes on or off, not \"%2\"");
const QString kEngineNeededText = QStringLiteral("%1 needs --engine 1 or 2");
const QString kNothingToSetText = QStringLiteral("Nothing to set");
const QString kValueTooLongText =
    QStringLiteral("The value of %1 is longer than %2 characters; nothing was changed");
const QString kValueNotEightBitText =
    QStringLiteral("The value of %1 holds a character that the aircraft record cannot store; "
                   "nothing was changed");
const QString kDeleteFilesOption = QStringLiteral("--delete-files");
const QString kNoBearingText = QStringLiteral("Engine type \"%1\" has no bearing geometry");
const QString kBearingValuesNeededText =
    QStringLiteral("A bearing needs all of --elements, --ball-diameter, --pitch-diameter, "
                   "--contact-angle and --shaft");
const QString kClearAloneText = QStringLiteral("--clear takes no other option");
const QString kBadShaftText = QStringLiteral("--shaft takes n1 or n2, not \"%1\"");
const QString kClearOption = QStringLiteral("--clear");
const QString kShaftOption = QStringLiteral("--shaft");
const QStringList kBearingValueOptions = {
    QStringLiteral("--elements"), QStringLiteral("--ball-diameter"),
    QStringLiteral("--pitch-diameter"), QStringLiteral("--contact-angle"), kShaftOption};
const QString kFilesKeptText =
    QStringLiteral("Aircraft \"%1\" was kept with its files; give --delete-files to remove it");

int usageError(Notifier& notifier, const QString& problem) {
    return reportUsageError(notifier, problem, kUsageText);
}

// One line per value, whatever the value holds, and nothing that drives the terminal.
QString escaped(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return escapeControlCharacters(text);
}

QString onOff(std::uint8_t value) {
    return value != 0 ? QStringLiteral("on") : QStringLiteral("off");
}

// The registered spelling, or a reported failure.
std::optional<QString> registeredOrReport(const QString& id, Notifier& notifier) {
    const QString registered = registeredAircraftId(id);
    if (registered.isEmpty()) {
        notifier.critical(kErrorTitle, kAircraftNotFoundText.arg(id));
        return std::nullopt;
    }
    return registered;
}

int listAircraft(QTextStream& out) {
    const AircraftList list = KORALibListAircraft();
    for (int index = 0; index < list.items.size(); ++index)
        out << (index == list.selectedIndex ? "* " : "  ") << escaped(list.items[index]) << '\n';
    return kExitSuccess;
}

int showAircraft(const QString& id, Notifier& notifier, QTextStream& out) {
    const std::optional<QString> registered = registeredOrReport(id, notifier);
    if (!registered)
        return kExitFailed;
    const AircraftRecord record = KORALibReadAircraft(*registered);
    out << "aircraftId: " << escaped(readFixedText(record.aircraftId)) << '\n';
    out << "shopId: " << escaped(readFixedText(record.shopId)) << '\n';
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        const EngineRecord& block = record.engines[engine];
        const QString prefix = QStringLiteral("engine%1.").arg(engine + 1);
        out << prefix << "type: " << escaped(readFixedText(block.engineType)) << '\n';
        out << prefix << "serialNumber: " << escaped(readFixedText(block.serialNumber)) << '\n';
        out << prefix << "installDate: " << escaped(readFixedText(block.installDate)) << '\n';
        out << prefix << "download: " << onOff(block.downloadBearing4) << '\n';
        out << prefix << "eraseData: " << onOff(block.eraseBearing4) << '\n';
        out << prefix << "eraseHistory: " << onOff(block.eraseBearing4History) << '\n';
        out << prefix << "eraseAccel: " << onOff(block.eraseAccelHistory) << '\n';
    }
    out << "comments: " << escaped(readFixedText(record.comments)) << '\n';
    return kExitSuccess;
}

// The notifier answers the question about downloaded files with no: --delete-files is the yes.
int removeRegisteredAircraft(const QString& id, DownloadedFiles files, Notifier& notifier) {
    const std::optional<QString> registered = registeredOrReport(id, notifier);
    if (!registered)
        return kExitFailed;
    const AircraftRemoval removal = removeAircraft(*registered, notifier, files);
    if (removal == AircraftRemoval::Kept)
        notifier.critical(kErrorTitle, kFilesKeptText.arg(*registered));
    return removal == AircraftRemoval::Removed ? kExitSuccess : kExitFailed;
}

// A change that "set" makes once every option has been checked, so that a refused option
// leaves the record as it was.
using RecordChange = std::function<void(AircraftRecord&)>;

// Refuses what the field cannot hold whole rather than cutting it.
bool checkText(const QString& option, const QString& value, int capacity, Notifier& notifier) {
    if (value.size() > capacity) {
        notifier.critical(kErrorTitle, kValueTooLongText.arg(option, QString::number(capacity)));
        return false;
    }
    if (!fitsFixedText(value, capacity)) {
        notifier.critical(kErrorTitle, kValueNotEightBitText.arg(option));
        return false;
    }
    return true;
}

std::optional<std::uint8_t> parseSwitch(const QString& value) {
    if (value == QStringLiteral("on"))
        return 1;
    if (value == QStringLiteral("off"))
        return 0;
    return std::nullopt;
}

const QStringList kSetValueOptions = {
    QStringLiteral("engine"),        QStringLiteral("type"),        QStringLiteral("sn"),
    QStringLiteral("date"),          QStringLiteral("download"),    QStringLiteral("erase-data"),
    QStringLiteral("erase-history"), QStringLiteral("erase-accel"), QStringLiteral("comments")};

int setAircraft(const QStringList& arguments, Notifier& notifier) {
    const QString& command = arguments[0];
    if (arguments.size() < 2)
        return usageError(notifier, kWrongArgumentsText.arg(command));
    // Taken as it stands: an identifier may begin with "-".
    const QString& id = arguments[1];

    QList<QCommandLineOption> definitions;
    for (const QString& name : kSetValueOptions)
        definitions.append({name, {}, QStringLiteral("VALUE")});
    CommandLine commandLine(definitions);
    if (const std::optional<QString> problem = commandLine.parse(arguments.mid(2)))
        return usageError(notifier, *problem);
    if (!commandLine.arguments().isEmpty())
        return usageError(notifier, kUnknownOptionText.arg(commandLine.arguments().first()));

    int engine = -1;
    QList<QPair<QString, QString>> options;
    for (const auto& [option, value] : commandLine.options()) {
        if (option == QStringLiteral("--engine")) {
            if (value != QStringLiteral("1") && value != QStringLiteral("2"))
                return usageError(notifier, kBadEngineText.arg(value));
            // One engine a command: a second one would take the first one's values.
            if (engine >= 0)
                return usageError(notifier, kTwoEnginesText);
            engine = value.toInt() - 1;
        } else {
            options.append({option, value});
        }
    }
    if (options.isEmpty())
        return usageError(notifier, kNothingToSetText);

    // Texts are checked once the whole command line has been understood, so that a usage
    // error is the only message a mistyped command gets.
    QList<std::function<bool()>> textChecks;
    const auto checkLater = [&](const QString& option, const QString& value, std::size_t size) {
        const int capacity = static_cast<int>(size) - 1;
        textChecks.append([&notifier, option, value, capacity] {
            return checkText(option, value, capacity, notifier);
        });
    };
    QList<RecordChange> changes;
    for (const auto& [option, value] : options) {
        if (option == QStringLiteral("--comments")) {
            checkLater(option, value, sizeof(AircraftRecord::comments));
            changes.append([value](AircraftRecord& r) { writeFixedText(r.comments, value); });
            continue;
        }
        using EngineChange = std::function<void(EngineRecord&)>;
        EngineChange change;
        if (option == QStringLiteral("--type")) {
            checkLater(option, value, sizeof(EngineRecord::engineType));
            change = [value](EngineRecord& e) { writeFixedText(e.engineType, value); };
        } else if (option == QStringLiteral("--sn")) {
            checkLater(option, value, sizeof(EngineRecord::serialNumber));
            change = [value](EngineRecord& e) { writeFixedText(e.serialNumber, value); };
        } else if (option == QStringLiteral("--date")) {
            checkLater(option, value, sizeof(EngineRecord::installDate));
            change = [value](EngineRecord& e) { writeFixedText(e.installDate, value); };
        } else {
            std::uint8_t EngineRecord::*field = nullptr;
            if (option == QStringLiteral("--download"))
                field = &EngineRecord::downloadBearing4;
            else if (option == QStringLiteral("--erase-data"))
                field = &EngineRecord::eraseBearing4;
            else if (option == QStringLiteral("--erase-history"))
                field = &EngineRecord::eraseBearing4History;
            else if (option == QStringLiteral("--erase-accel"))
                field = &EngineRecord::eraseAccelHistory;
            else
                return usageError(notifier, kUnknownOptionText.arg(option));
            const std::optional<std::uint8_t> on = parseSwitch(value);
            if (!on)
                return usageError(notifier, kBadSwitchText.arg(option, value));
            change = [field, on](EngineRecord& e) { e.*field = *on; };
        }
        if (engine < 0)
            return usageError(notifier, kEngineNeededText.arg(option));
        changes.append([change, engine](AircraftRecord& r) { change(r.engines[engine]); });
    }
    for (const auto& check : textChecks) {
        if (!check())
            return kExitFailed;
    }

    const std::optional<QString> registered = registeredOrReport(id, notifier);
    if (!registered)
        return kExitFailed;
    AircraftRecord record = KORALibReadAircraft(*registered);
    for (const RecordChange& change : changes)
        change(record);
    return KORALibWriteAircraft(*registered, record) ? kExitSuccess : kExitFailed;
}

int removeEngineType(const QString& type, Notifier& notifier) {
    if (!KORALibRemoveEngineType(type)) {
        notifier.critical(kErrorTitle, kEngineTypeNotFoundText.arg(type));
        return kExitFailed;
    }
    return kExitSuccess;
}

int showBearing(const QString& type, QTextStream& out) {
    const std::optional<BearingGeometry> geometry = readBearingGeometry(type);
    if (!geometry) {
        out << escaped(kNoBearingText.arg(type)) << '\n';
        return kExitSuccess;
    }
    out << "elements: " << geometry->elements << '\n';
    out << "ball-diameter: " << bearingNumberText(geometry->ballDiameter) << '\n';
    out << "pitch-diameter: " << bearingNumberText(geometry->pitchDiameter) << '\n';
    out << "contact-angle: " << bearingNumberText(geometry->contactAngleDegrees) << '\n';
    out << "shaft: " << bearingShaftName(geometry->shaft).toLower() << '\n';
    return kExitSuccess;
}

// Shows, sets or clears the geometry of a registered type (exact spelling, as remove-type).
// The whole command line is understood before the register is looked at.
int bearing(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    const QString& command = arguments[0];
    if (arguments.size() < 2)
        return usageError(notifier, kWrongArgumentsText.arg(command));
    // Taken as it stands: a type may begin with "-".
    const QString& type = arguments[1];
    QList<QCommandLineOption> definitions{QCommandLineOption(kClearOption.mid(2))};
    for (const QString& option : kBearingValueOptions)
        definitions.append({option.mid(2), {}, QStringLiteral("VALUE")});
    CommandLine commandLine(definitions);
    if (const std::optional<QString> problem = commandLine.parse(arguments.mid(2)))
        return usageError(notifier, *problem);
    if (!commandLine.arguments().isEmpty())
        return usageError(notifier, kUnknownOptionText.arg(commandLine.arguments().first()));
    QHash<QString, QString> values;
    bool clear = false;
    for (const auto& [option, value] : commandLine.options()) {
        if (option == kClearOption)
            clear = true;
        else if (kBearingValueOptions.contains(option))
            values.insert(option, value);
        else
            return usageError(notifier, kUnknownOptionText.arg(option));
    }
    if (clear && !values.isEmpty())
        return usageError(notifier, kClearAloneText);
    if (!clear && !values.isEmpty() && values.size() != kBearingValueOptions.size())
        return usageError(notifier, kBearingValuesNeededText);
    std::optional<BearingShaft> shaft;
    if (!values.isEmpty()) {
        const QString name = values.value(kShaftOption);
        for (const BearingShaft candidate : {BearingShaft::N1, BearingShaft::N2}) {
            if (name.compare(bearingShaftName(candidate), Qt::CaseInsensitive) == 0)
                shaft = candidate;
        }
        if (!shaft)
            return usageError(notifier, kBadShaftText.arg(name));
    }

    if (!KORALibListEngineTypes().contains(type)) {
        notifier.critical(kErrorTitle, kEngineTypeNotFoundText.arg(type));
        return kExitFailed;
    }
    if (clear) {
        clearBearingGeometry(type);
        return kExitSuccess;
    }
    if (values.isEmpty())
        return showBearing(type, out);
    const BearingGeometry geometry = bearingGeometryFromText(
        values.value(kBearingValueOptions[0]), values.value(kBearingValueOptions[1]),
        values.value(kBearingValueOptions[2]), values.value(kBearingValueOptions[3]), *shaft);
    return writeBearingGeometry(type, geometry, notifier) ? kExitSuccess : kExitFailed;
}

} // namespace

int runAircraftCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    if (arguments.isEmpty())
        return usageError(notifier, kWrongArgumentsText.arg(QStringLiteral("aircraft")));
    const QString& command = arguments[0];
    const qsizetype count = arguments.size();
    const auto wrongArguments = [&] {
        return usageError(notifier, kWrongArgumentsText.arg(command));
    };

    if (command == QStringLiteral("set"))
        return setAircraft(arguments, notifier);
    if (command == QStringLiteral("bearing"))
        return bearing(arguments, notifier, out);
    // The identifier is taken as it stands, as it may begin with "-"; the option follows it.
    if (command == QStringLiteral("remove") && count == 3) {
        if (arguments[2] != kDeleteFilesOption)
            return usageError(notifier, kUnknownOptionText.arg(arguments[2]));
        return removeRegisteredAircraft(arguments[1], DownloadedFiles::Delete, notifier);
    }
    if (command == QStringLiteral("help") || command == QStringLiteral("--help")) {
        out << kUsageText << '\n';
        return kExitSuccess;
    }
    if (command == QStringLiteral("list") || command == QStringLiteral("types")) {
        if (count != 1)
            return wrongArguments();
        if (command == QStringLiteral("list"))
            return listAircraft(out);
        for (const QString& type : KORALibListEngineTypes())
            out << escaped(type) << '\n';
        return kExitSuccess;
    }

    static const QStringList kOneArgumentCommands = {
        QStringLiteral("show"),   QStringLiteral("add"),      QStringLiteral("remove"),
        QStringLiteral("import"), QStringLiteral("add-type"), QStringLiteral("remove-type")};
    if (!kOneArgumentCommands.contains(command))
        return usageError(notifier, kUnknownCommandText.arg(command));
    if (count != 2)
        return wrongArguments();
    const QString& argument = arguments[1];
    if (command == QStringLiteral("show"))
        return showAircraft(argument, notifier, out);
    if (command == QStringLiteral("add"))
        return addAircraft(argument, notifier) ? kExitSuccess : kExitFailed;
    if (command == QStringLiteral("remove"))
        return removeRegisteredAircraft(argument, DownloadedFiles::Ask, notifier);
    // The import tells what it changed in its own notice.
    if (command == QStringLiteral("import"))
        return KORALibImportAircraft(argument, notifier) < 0 ? kExitFailed : kExitSuccess;
    if (command == QStringLiteral("add-type"))
        return addEngineType(argument, notifier) ? kExitSuccess : kExitFailed;
    return removeEngineType(argument, notifier);
}
