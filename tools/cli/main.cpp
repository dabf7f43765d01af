// brix-cli: the program's core on the command line, for scripted checks, register work and
// end-to-end tests without a display.
#include "AircraftCommands.h"
#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "ArchiveCommand.h"
#include "BrixAircraftSettings.h"
#include "CommandLine.h"
#include "ConvertCommand.h"
#include "DataDirectoryPreparation.h"
#include "DownloadCommand.h"
#include "EraseMemoryCommand.h"
#include "FlightsCommand.h"
#include "HealthCommands.h"
#include "IndicatorsCommand.h"
#include "OrdersCommand.h"
#include "PlotCommand.h"
#include "ProgramFonts.h"
#include "QuietCommunicationView.h"
#include "ReportCommand.h"
#include "SeriesCommand.h"
#include "SettingsFiles.h"
#include "SettingsMaintenance.h"
#include "StartOfRun.h"
#include "StderrNotifier.h"
#include "StoreNames.h"
#include "TabulateCommand.h"
#include "TrendCommand.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UploadCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <memory>
#include <optional>

namespace {

const QString kUsage = QStringLiteral(
    "usage: brix-cli [--host H] [--port P] COMMAND [ARGUMENTS]\n"
    "\n"
    "  --host H, --port P   unit address for this run only (the settings are not changed)\n"
    "\n"
    "commands:\n"
    "  check                              communication check and the unit's part numbers\n"
    "  download ID [--engine N] [--timing]  download, convert and erase as the register asks\n"
    "  erase --engine N [--engine N] data|defect|accel ...\n"
    "                                     erase the named memories of the engines given\n"
    "  convert RESPONSE_FILE ID ENGINE    convert a saved download response into the three files\n"
    "  flights [--aircraft ID] [--engine 1|2] [--memory 0|1] [--newest] [--status]\n"
    "                                     flight slots of the stored raw flight data files\n"
    "  series --view steady|transient --param N [--bin B] [--sample S] [--flight F]\n"
    "      [--window W] FILE:SLOT...      a view of up to 10 flights as CSV\n"
    "  tabulate --view steady|transient --param N [--bin B] [--sample S] [--flight F]\n"
    "      [--window W] [--series I] [--range MIN MAX] FILE:SLOT...\n"
    "                                     one series' tabulation, as its window saves it\n"
    "  waterfall-csv --view steady|transient --flight F [--bin B] [--window W]\n"
    "      [--range MIN MAX] FILE:SLOT...  the waterfall's export of flight F as CSV\n"
    "  trend --aircraft ID --engine N --param P|INDICATOR [--stat max|mean] [--memory 0|1]\n"
    "                                     one value per stored flight of an engine, as CSV\n"
    "                                     (an indicator: rms, peak, crest, kurtosis, n1x1,\n"
    "                                     n2x1, bpfo, bpfi, bsf or ftf, from the index)\n"
    "  ci --aircraft ID --engine N [--memory 0|1] [--since yyyy-MM-dd] [--data-dir DIR]\n"
    "                                     the condition indicators of every stored flight\n"
    "  limits show [TYPE] | set TYPE --ci C --warning W --alarm A [--change X]\n"
    "      | clear TYPE --ci C | suggest TYPE --ci C [--apply]\n"
    "                                     an engine type's health limits per indicator\n"
    "  fleet [--format csv|json] [--data-dir DIR]\n"
    "                                     every aircraft and engine with its health, worst\n"
    "                                     first\n"
    "  orders --view steady|transient [--bin B] --sample S [--window W] FILE:SLOT\n"
    "                                     the shaft orders of one spectrum\n"
    "  plot --view steady|transient|trend --param N [the series options, or for the trend\n"
    "      --aircraft ID --engine N [--stat max|mean], N or an INDICATOR]\n"
    "      --out FILE.png|svg|pdf [--size WxH]\n"
    "                                     the viewer's chart drawn into a file\n"
    "  upload main|dsp|config FILE        load software or configuration into the unit\n"
    "  aircraft list                      registered aircraft, the selected one marked *\n"
    "  aircraft show ID                   one aircraft record\n"
    "  aircraft add ID                    register an aircraft\n"
    "  aircraft remove ID [--delete-files]  remove an aircraft; one with downloaded files\n"
    "                                     only with --delete-files\n"
    "  aircraft import FILE               import aircraft from a comma-separated file\n"
    "  aircraft set ID --engine N [--type T] [--sn S] [--date D] [--download on|off]\n"
    "      [--erase-data on|off] [--erase-history on|off] [--erase-accel on|off]\n"
    "      [--comments TEXT]\n"
    "  aircraft types | add-type T | remove-type T   the engine-type list\n"
    "  archive OUT                        pack the data directory into OUT (.gz)\n"
    "  report ID [--engine 1|2] [--since yyyy-MM-dd] --out FILE.pdf\n"
    "                                     the maintenance report of an aircraft as PDF\n");

struct Options {
    std::optional<QString> host;
    std::optional<int> port;
    QStringList command;
};

// Asking for help is not a mistake: the usage text goes to standard output, and the run succeeds.
bool asksForHelp(const QStringList& arguments) {
    static const QStringList helpWords{QStringLiteral("--help"), QStringLiteral("-h"),
                                       QStringLiteral("help")};
    return arguments.size() == 1 && helpWords.contains(arguments.first());
}

// The usage text alone: a mistyped command line gets no message of its own.
int usage() {
    printToStandardError(kUsage);
    return kExitUsageError;
}

// The global options before the command; the command and its words follow.
std::optional<Options> parseOptions(const QStringList& arguments, Notifier& notifier) {
    CommandLine commandLine({{QStringLiteral("host"), {}, QStringLiteral("H")},
                             {QStringLiteral("port"), {}, QStringLiteral("P")}});
    commandLine.setOptionsEndAtFirstArgument(true);
    if (commandLine.parse(arguments))
        return std::nullopt;
    Options options;
    for (const auto& [name, value] : commandLine.options()) {
        if (name == QStringLiteral("--host")) {
            if (const std::optional<QString> problem = addressProblem(value)) {
                notifier.critical(kErrorTitle, *problem);
                return std::nullopt;
            }
            options.host = value;
        } else {
            options.port = parsePort(value);
            if (!options.port) {
                notifier.critical(kErrorTitle, kPortRangeText);
                return std::nullopt;
            }
        }
    }
    options.command = commandLine.arguments();
    if (options.command.isEmpty())
        return std::nullopt;
    return options;
}

// The settings' address, or the one given for this run.
void loadAddress(UnitConnection& connection, const Options& options, Notifier& notifier) {
    connection.loadAddressFromSettings(notifier);
    UnitLink& link = connection.link();
    link.setAddress(options.host.value_or(link.host()), options.port.value_or(link.port()));
}

int runCheck(const Options& options, Notifier& notifier, QTextStream& out) {
    UnitConnection connection;
    loadAddress(connection, options, notifier);
    QuietCommunicationView view;
    if (!connection.checkCommunication(view, notifier)) {
        out << kUnableToCommunicateText << Qt::endl;
        return kExitFailed;
    }
    out << kCommunicationOkText << Qt::endl;
    // The part numbers are the unit's bytes.
    for (const QString& line : connection.partNumbers().headerLines())
        out << escapeControlCharacters(line) << Qt::endl;
    return kExitSuccess;
}

// Whether the command draws charts: the first word that is neither a global option nor its
// value is "plot" or "report".
bool drawsCharts(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (word == "--host" || word == "--port")
            ++i;
        else if (!word.startsWith("--host=") && !word.startsWith("--port="))
            return word == "plot" || word == "report";
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Charts are drawn by the viewer's widgets, offscreen unless a platform is asked for: no
    // display is needed.
    std::unique_ptr<QCoreApplication> application;
    if (drawsCharts(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
        // The same faces as the program's windows, for charts and reports that look alike.
        installProgramFontSubstitutions();
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    useApplicationStoreNames();
    StderrNotifier notifier;
    QTextStream out(stdout);

    if (asksForHelp(arguments)) {
        out << kUsage;
        return kExitSuccess;
    }
    const std::optional<Options> options = parseOptions(arguments, notifier);
    if (!options)
        return usage();

    // A settings file that cannot be read is left as it is, for its register to be recovered;
    // without it the run would take the default unit address.
    if (!prepareSettingsFiles(notifier))
        return kExitFailed;
    // Open for the whole command: every later opening of the store shares what this one has
    // read, so that a large register (some 54 MB for 10,000 aircraft) is read and parsed once
    // per command, not once per operation.
    const BrixAircraftSettings applicationStore;
    // The same preparation as the program's start, so that both see the same settings.
    performSettingsMaintenance();
    prepareDataDirectory(notifier);
    prepareForDataWork(QDir::homePath(), registerDataDirectory());

    const QString& command = options->command.first();
    if (command == QStringLiteral("check") && options->command.size() == 1)
        return runCheck(*options, notifier, out);
    if (command == QStringLiteral("download")) {
        UnitConnection connection;
        loadAddress(connection, *options, notifier);
        return runDownloadCommand(options->command.mid(1), connection, notifier, out);
    }
    if (command == QStringLiteral("erase")) {
        UnitConnection connection;
        loadAddress(connection, *options, notifier);
        return runEraseCommand(options->command.mid(1), connection, notifier, out);
    }
    if (command == QStringLiteral("convert"))
        return runConvertCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("flights"))
        return runFlightsCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("series"))
        return runSeriesCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("tabulate"))
        return runTabulateCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("waterfall-csv"))
        return runWaterfallCsvCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("trend"))
        return runTrendCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("ci"))
        return runIndicatorsCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("limits"))
        return runLimitsCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("fleet"))
        return runFleetCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("orders"))
        return runOrdersCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("plot"))
        return runPlotCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("upload")) {
        UnitConnection connection;
        loadAddress(connection, *options, notifier);
        return runUploadCommand(options->command.mid(1), connection, notifier, out);
    }
    if (command == QStringLiteral("aircraft"))
        return runAircraftCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("report"))
        return runReportCommand(options->command.mid(1), notifier, out);
    if (command == QStringLiteral("archive"))
        return runArchiveCommand(options->command.mid(1), notifier, out);
    return usage();
}
