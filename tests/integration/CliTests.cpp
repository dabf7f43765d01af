// brix-cli as a technician's script runs it: a process of its own, with a home and settings
// folder of its own that point at the simulated unit before it starts.
#include "AircraftPaths.h"
#include "CraftedRawFile.h"
#include "FlightSelection.h"
#include "ProgramVersion.h"
#include "ShaftOrders.h"
#include "SimulatorRawFile.h"
#include "Trend.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class BrixCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(simulator.start());
        writeSetting(QStringLiteral("IP Address"), QStringLiteral("127.0.0.1"));
        writeSetting(QStringLiteral("Port"), simulator.port());
    }

    QString configHome() const { return home.path() + QStringLiteral("/config"); }

    void writeSetting(const QString& key, const QVariant& value) {
        QSettings settings(configHome() + QStringLiteral("/Orvantis/ZELK.conf"),
                           QSettings::IniFormat);
        settings.setValue(key, value);
    }

    QVariant readSetting(const QString& key) {
        QSettings settings(configHome() + QStringLiteral("/Orvantis/ZELK.conf"),
                           QSettings::IniFormat);
        return settings.value(key);
    }

    CliRun cli(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           home.path() + QStringLiteral("/cache"));
        // Dates in local time read the same on every machine.
        environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        // The desktop session's private folder, which the chart drawing looks for.
        const QString runtime = home.path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(BRIX_CLI_PATH), arguments);
        CliRun run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "brix-cli did not end";
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QTemporaryDir home;
    UnitSimulator simulator;
};

TEST_F(BrixCli, CheckPrintsThePartNumbers) {
    const CliRun run = cli({QStringLiteral("check")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("Communication OK!\n"
                                      "Boot Main S/W PN:         ZK4711-BT-0102  \n"
                                      "Main Software PN:         ZK4712-SW-0305-C\n"
                                      "Boot DSP Software PN:     ZK4721-BT-0201  \n"
                                      "DSP Software PN:          ZK4722-SW-0410  \n"
                                      "CMFI Table PN:            ZK4730-CF-0007  \n"));
    // The start wrote the program's defaults but kept the unit's address.
    EXPECT_EQ(readSetting(QStringLiteral("IP Address")).toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(readSetting(QStringLiteral("Version")).toString(),
              QString::fromLatin1(kProgramVersion));
    EXPECT_TRUE(QDir(home.path() + QStringLiteral("/ZELK-data/SW_uploads")).exists());
}

TEST_F(BrixCli, CheckWithoutUnitFails) {
    simulator.setRefuseConnections(true);
    const CliRun run = cli({QStringLiteral("check")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QStringLiteral("Unable to communicate with the unit.  Check cabling\n"));
    QFile log(home.path() + QStringLiteral("/brixCom.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("error: TCPHandler_(): EstablishConnection() failed."));
}

TEST_F(BrixCli, AddressOptionsApplyToOneRunOnly) {
    writeSetting(QStringLiteral("Port"), 1); // nothing listens there
    const CliRun run =
        cli({QStringLiteral("--port"), QString::number(simulator.port()), QStringLiteral("check")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(readSetting(QStringLiteral("Port")).toInt(), 1);

    EXPECT_EQ(
        cli({QStringLiteral("--port"), QStringLiteral("x"), QStringLiteral("check")}).exitCode, 2);
    EXPECT_EQ(cli({QStringLiteral("--host")}).exitCode, 2);
    EXPECT_EQ(cli({}).exitCode, 2);
    EXPECT_EQ(cli({QStringLiteral("frobnicate")}).exitCode, 2);
}

// The unit is given by its dotted IPv4 address: a name or a wrong number is refused before
// anything connects.
TEST_F(BrixCli, AHostThatIsNotAnIpv4AddressIsRefusedAndNothingConnects) {
    const QString refused =
        QStringLiteral("Error: The setting \"IP Address\" holds %1, which is not an IPv4 address. "
                       "Correct the address in the communication settings.\n");
    const CliRun option =
        cli({QStringLiteral("--host"), QStringLiteral("127.0.0.999"), QStringLiteral("check")});
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_TRUE(option.err.startsWith(refused.arg(QStringLiteral("127.0.0.999"))))
        << qPrintable(option.err);
    EXPECT_EQ(simulator.connectionsAccepted(), 0);
}

// A settings file that cannot be read ends every command before it reads, writes or
// connects: its defaults would mean the default unit address, and a rewrite would lose the
// register that it still holds.
TEST_F(BrixCli, DamagedSettingsEndTheRunAndStayAsTheyWere) {
    const QString path = configHome() + QStringLiteral("/Orvantis/ZELK.conf");
    const QByteArray garbled =
        "[General]\nIP Address=127.0.0.1\nPort=" + QByteArray::number(simulator.port()) +
        "\n[AircraftInfo\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(garbled);
    file.close();
    const CliRun run = cli({QStringLiteral("check")});
    EXPECT_EQ(run.exitCode, 1);
    const QString unreadable = QStringLiteral("Error: The settings file %1 cannot be read: %2\n");
    EXPECT_EQ(run.err, unreadable.arg(path, QStringLiteral("its contents are not in the "
                                                           "settings format")));
    EXPECT_EQ(simulator.connectionsAccepted(), 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbled);
}

TEST_F(BrixCli, RegisterRoundTrip) {
    EXPECT_EQ(
        cli({QStringLiteral("aircraft"), QStringLiteral("add"), QStringLiteral("F-GZLK")}).exitCode,
        0);
    const CliRun duplicate =
        cli({QStringLiteral("aircraft"), QStringLiteral("add"), QStringLiteral("f-gzlk")});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_EQ(duplicate.err, QStringLiteral("Error: Aircraft ID \"F-GZLK\" already exists\n"));
    const CliRun empty = cli({QStringLiteral("aircraft"), QStringLiteral("add"), QString()});
    EXPECT_EQ(empty.err, QStringLiteral("Error: No aircraftID specified\n"));
    const CliRun escape =
        cli({QStringLiteral("aircraft"), QStringLiteral("add"), QStringLiteral("../etc")});
    EXPECT_EQ(escape.exitCode, 1);
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/etc_data")).exists());

    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("set"), QStringLiteral("F-GZLK"),
                   QStringLiteral("--engine"), QStringLiteral("2"), QStringLiteral("--sn"),
                   QStringLiteral("874212"), QStringLiteral("--download"), QStringLiteral("on")})
                  .exitCode,
              0);
    const CliRun show =
        cli({QStringLiteral("aircraft"), QStringLiteral("show"), QStringLiteral("F-GZLK")});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_TRUE(show.out.contains(QStringLiteral("engine2.serialNumber: 874212\n")));
    EXPECT_TRUE(show.out.contains(QStringLiteral("engine2.download: on\n")));
    EXPECT_TRUE(show.out.contains(QStringLiteral("engine1.download: off\n")));
    EXPECT_TRUE(QDir(home.path() + QStringLiteral("/ZELK-data/F-GZLK_data/engine_2")).exists());

    EXPECT_EQ(
        cli({QStringLiteral("aircraft"), QStringLiteral("add"), QStringLiteral("N123")}).exitCode,
        0);
    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("list")}).out,
              QStringLiteral("  F-GZLK\n* N123\n"));

    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("remove"), QStringLiteral("F-GZLK")})
                  .exitCode,
              0);
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/ZELK-data/F-GZLK_data")).exists());
    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("list")}).out,
              QStringLiteral("* N123\n"));
}

TEST_F(BrixCli, ImportAndEngineTypes) {
    const QString file = home.path() + QStringLiteral("/fleet.csv");
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("# fleet\r\nF-GZLA, AF01, CFM56-7, 874001, 2021-04-01, CFM56-7, 874002, "
              "2021-04-02, spare engine on 2\r\n\r\nF-GZLB\r\n");
    csv.close();
    const CliRun run = cli({QStringLiteral("aircraft"), QStringLiteral("import"), file});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.err, QStringLiteral(" Thalvex : Imported 2 aircraft: 2 added, 0 replaced\n"));
    const CliRun second =
        cli({QStringLiteral("aircraft"), QStringLiteral("show"), QStringLiteral("F-GZLB")});
    EXPECT_TRUE(second.out.contains(QStringLiteral("shopId: AF01\n"))) << "taken from F-GZLA";
    EXPECT_TRUE(second.out.contains(QStringLiteral("comments: spare engine on 2\n")));
    const CliRun first =
        cli({QStringLiteral("aircraft"), QStringLiteral("show"), QStringLiteral("F-GZLA")});
    EXPECT_TRUE(first.out.contains(QStringLiteral("comments: spare engine on 2\n")));

    EXPECT_EQ(
        cli({QStringLiteral("aircraft"), QStringLiteral("add-type"), QStringLiteral("LEAP-1B")})
            .exitCode,
        0);
    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("types")}).out,
              QStringLiteral("CFM56-3\nCFM56-7\nLEAP-1B\n"));
    EXPECT_EQ(readSetting(QStringLiteral("EngineType_2")).toString(), QStringLiteral("LEAP-1B"));
    EXPECT_EQ(
        cli({QStringLiteral("aircraft"), QStringLiteral("remove-type"), QStringLiteral("CFM56-3")})
            .exitCode,
        0);
    EXPECT_EQ(cli({QStringLiteral("aircraft"), QStringLiteral("types")}).out,
              QStringLiteral("CFM56-7\nLEAP-1B\n"));
}

// A file's bytes reach the terminal only as text: escape sequences, bells and C1 controls are
// shown as "\x1b" and the like, in messages and in printed fields alike.
TEST_F(BrixCli, ControlCharactersFromAFileAreShownEscaped) {
    const QString file = home.path() + QStringLiteral("/fleet.csv");
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("\x1b[2J\x1b]0;X\x07, AF01\n"
              "F-GZLC, AF02, , , , , , , caf\xe9\x07 \x9b"
              "2J\tend\n");
    csv.close();
    const CliRun run = cli({QStringLiteral("aircraft"), QStringLiteral("import"), file});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, QStringLiteral("Warning: Line 1: Aircraft ID \"\\x1b[2J\\x1b]0;X\\x07\" "
                                      "is not valid: it holds a control character; the line "
                                      "was skipped\n"
                                      " Thalvex : Imported 1 aircraft: 1 added, 0 replaced\n"))
        << qPrintable(run.err);
    const CliRun show =
        cli({QStringLiteral("aircraft"), QStringLiteral("show"), QStringLiteral("F-GZLC")});
    EXPECT_TRUE(show.out.contains(QString::fromUtf8("comments: caf\u00e9\\x07 \\x9b2J\\x09end\n")))
        << qPrintable(show.out);
    for (const QString& printed : {run.err, show.out}) {
        for (const QChar character : printed)
            EXPECT_TRUE(character >= QChar(0xa0) ||
                        (character >= QChar(0x20) && character < QChar(0x7f)) ||
                        character == QLatin1Char('\n'))
                << int(character.unicode());
    }
}

// Names that look like placeholders are printed as they are.
TEST_F(BrixCli, DataDirectoryMessageKeepsPlaceholderLikeNames) {
    const QString path = home.path() + QStringLiteral("/%1%2/") + QString(260, QLatin1Char('d'));
    writeSetting(QStringLiteral("DataDir"), path);
    const CliRun run = cli({QStringLiteral("aircraft"), QStringLiteral("types")});
    // The message repeats the setting's first 200 characters.
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Error: The data directory \"") + path.left(200) +
                                   QStringLiteral("...\" is longer than 259 characters.")))
        << qPrintable(run.err);
}

// Every command shares the same reading of its words: exit code 2 and the problem as the
// first line on standard error, and single-dash words are arguments, never options.
TEST_F(BrixCli, UsageErrorsAndArgumentsOfEveryCommand) {
    const QString usageLine =
        QStringLiteral("usage: brix-cli [--host H] [--port P] COMMAND [ARGUMENTS]");
    const QList<std::pair<QStringList, QString>> usageErrors = {
        {{"download"}, "Error: No aircraft ID given"},
        {{"download", "N1", "--engine"}, "Error: --engine takes 1 or 2, not \"\""},
        {{"download", "N1", "N2"}, "Error: Unknown option \"N2\""},
        {{"flights", "--memory", "2"}, "Error: --memory takes 0 or 1, not \"2\""},
        {{"flights", "--aircraft"}, "Error: Option \"--aircraft\" needs a value"},
        {{"flights", "--colour", "red"}, "Error: Unknown option \"--colour\""},
        {{"series", "--view", "steady", "--param", "6", "a.raw:0", "--flight"},
         "Error: --flight needs a value"},
        {{"series", "--view", "up", "--param", "6", "a.raw:0"},
         "Error: --view takes steady or transient, not \"up\""},
        {{"tabulate", "--view", "steady", "--param", "6", "a.raw:0", "--range", "1"},
         "Error: --range needs a value"},
        {{"waterfall-csv", "--view", "steady", "--param", "15", "a.raw:0"},
         "Error: Unknown option \"--param\""},
        {{"trend", "--aircraft", "AC001", "--engine", "1"},
         "Error: --aircraft, --engine and --param are required"},
        {{"trend", "--aircraft", "AC001", "--engine", "1", "--param", "13"},
         "Error: --param takes 0 to 12 or an indicator (rms, peak, crest, kurtosis, n1x1, n2x1, "
         "bpfo, bpfi, bsf, ftf), not \"13\""},
        {{"trend", "--aircraft", "AC001", "--engine", "1", "--stat", "max", "--param", "kurtosis"},
         "Error: --stat does not apply to the indicator kurtosis: its value per flight is the "
         "maximum over the flight's bins"},
        {{"trend", "--aircraft", "AC001", "--engine", "1", "--param", "6", "--stat", "median"},
         "Error: --stat takes max or mean, not \"median\""},
        {{"trend", "--aircraft", "AC001", "--engine", "3", "--param", "6"},
         "Error: --engine takes 1 or 2, not \"3\""},
        {{"trend", "--aircraft", "AC001", "--engine", "1", "--param", "6", "--memory", "2"},
         "Error: --memory takes 0 or 1, not \"2\""},
        {{"ci", "--aircraft", "AC001"}, "Error: --aircraft and --engine are required"},
        {{"ci", "--aircraft", "AC001", "--engine", "1", "--since", "5 March"},
         "Error: --since takes a date yyyy-MM-dd, not \"5 March\""},
        {{"ci", "--aircraft", "AC001", "--engine", "1", "--memory", "2"},
         "Error: --memory takes 0 or 1, not \"2\""},
        {{"orders", "--view", "steady", "a.raw:0"}, "Error: --view and --sample are required"},
        {{"orders", "--view", "steady", "--sample", "3", "a.raw:0", "b.raw:1"},
         "Error: orders takes one FILE:SLOT"},
        {{"orders", "--view", "steady", "--sample", "3", "--param", "14", "a.raw:0"},
         "Error: Unknown option \"--param\""},
        {{"aircraft", "set", "N1", "--engine", "1", "--colour", "red"},
         "Error: Unknown option \"--colour\""},
        {{"aircraft", "set", "N1", "--engine", "1", "--sn"},
         "Error: Option \"--sn\" needs a value"},
        {{"convert", "a", "b"}, "Error: usage: brix-cli convert RESPONSE_FILE ID ENGINE"},
        {{"erase", "data"}, "Error: No engine given"},
        {{"erase", "--engine", "1"}, "Error: No memory to erase given"},
        {{"erase", "--engine", "3", "data"}, "Error: --engine takes 1 or 2, not \"3\""},
        {{"erase", "--engine", "1", "all"},
         "Error: Unknown memory \"all\": use data, defect or accel"},
        {{"--port", "0", "check"}, "Error: The port must be a number from 1 to 65535"},
        {{"--bogus", "1", "check"}, usageLine},
        {{"check", "--port", "1"}, usageLine},
        {{"limits", "set", "T700", "--ci", "vibes", "--warning", "1", "--alarm", "2"},
         "Error: \"vibes\" is no indicator; the indicators are rms, peak, crest, kurtosis, "
         "n1x1, n2x1, bpfo, bpfi, bsf and ftf"},
        {{"limits", "set", "T700", "--ci", "rms", "--warning", "1"},
         "Error: --warning and --alarm are required"},
        {{"limits", "suggest", "T700"}, "Error: --ci is required"},
        {{"limits", "clear", "--ci", "rms"}, "Error: limits clear needs an engine type"},
        {{"limits", "show", "T700", "--ci", "rms"}, "Error: Unknown option \"--ci\""},
        {{"limits", "raise"}, "Error: Unknown command \"raise\""},
        {{"fleet", "--format", "xml"}, "Error: --format takes csv or json, not \"xml\""},
    };
    for (const auto& [arguments, firstLine] : usageErrors) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.section(QLatin1Char('\n'), 0, 0), firstLine);
        EXPECT_TRUE(run.out.isEmpty());
    }

    const QList<QStringList> accepted = {
        {"aircraft", "add", "-N1"},
        {"aircraft", "set", "-N1", "--engine", "1", "--sn", "-5", "--comments", "--x"},
        {"flights", "--aircraft", "-N1", "--status"},
    };
    for (const QStringList& arguments : accepted)
        EXPECT_EQ(cli(arguments).exitCode, 0) << arguments.join(' ').toStdString();
    const CliRun show = cli({"aircraft", "show", "-N1"});
    EXPECT_TRUE(show.out.contains(QStringLiteral("engine1.serialNumber: -5\n")));
    EXPECT_TRUE(show.out.contains(QStringLiteral("comments: --x\n")));
}

// Help asked for is printed on standard output and the run succeeds, without the settings or
// the data directory being touched; a help word among other words is still a usage error.
TEST_F(BrixCli, HelpIsPrintedOnStandardOutput) {
    for (const char* word : {"--help", "-h", "help"}) {
        SCOPED_TRACE(word);
        const CliRun run = cli({QString::fromLatin1(word)});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.startsWith(
            QStringLiteral("usage: brix-cli [--host H] [--port P] COMMAND [ARGUMENTS]\n")));
        EXPECT_TRUE(run.out.contains(QStringLiteral("\n  aircraft list ")));
        EXPECT_TRUE(run.err.isEmpty());
    }
    EXPECT_FALSE(readSetting(QStringLiteral("Version")).isValid());
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/ZELK-data")).exists());

    const CliRun mixed = cli({QStringLiteral("check"), QStringLiteral("--help")});
    EXPECT_EQ(mixed.exitCode, 2);
    EXPECT_TRUE(mixed.out.isEmpty());
}

// The erase prints each of the six lines as the progress window shows it; a refused erase
// ends the run with status 1.
TEST_F(BrixCli, EraseNamesEachStepAndFailsWhenTheUnitRefusesOne) {
    const CliRun run = cli({QStringLiteral("erase"), QStringLiteral("--engine"),
                            QStringLiteral("2"), QStringLiteral("--engine"), QStringLiteral("1"),
                            QStringLiteral("data"), QStringLiteral("accel")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("Engine 1: Bearing 4 Data Erase           ...Completed\n"
                                      "Engine 1: Defect Detection History Erase ...Not requested\n"
                                      "Engine 1: Accel Line Defect History Erase...Completed\n"
                                      "Engine 2: Bearing 4 Data Erase           ...Completed\n"
                                      "Engine 2: Defect Detection History Erase ...Not requested\n"
                                      "Engine 2: Accel Line Defect History Erase...Completed\n"
                                      "Erase Processing complete\n"));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4History));

    simulator.addFault({102, FaultKind::AckError, 2, {}, 1});
    const CliRun refused = cli({QStringLiteral("erase"), QStringLiteral("--engine"),
                                QStringLiteral("1"), QStringLiteral("defect")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.contains(
        QStringLiteral("Engine 1: Defect Detection History Erase ...Failed\n")));
    EXPECT_TRUE(
        refused.out.endsWith(QStringLiteral("Erase Processing complete - 1 of 1 steps failed\n")));
}

// The words that spell "ZK4730-CF-0009"; the simulated unit takes the hexadecimal digits of
// their first 8 bytes as the new part number.
const QByteArray kNamedImage = "5A4B3437 33302D43\n462D3030 30390000\n";

TEST_F(BrixCli, UploadPrintsEachPacketAndEndsAsTheUploadEnds) {
    const QString restart = QStringLiteral("BRIX: Please unplug the cable and restart the box to "
                                           "synchronize the TALB and the RENB boards\n");
    const struct {
        const char* name;
        const char* kind;
        QByteArray file;
        std::optional<SimulatorFault> fault;
        int exitCode;
        QString out;
        QString err;
    } cases[] = {
        {"configuration in two packets",
         "config",
         kNamedImage + QByteArray("1\n").repeated(1277),
         {},
         0,
         QStringLiteral("Uploading packet 1 of 2\nUploading packet 2 of 2\nUpload complete\n"
                        "Main Software PN:  ZK4712-SW-0305-C\n"
                        "DSP Software PN:     ZK4722-SW-0410\n"
                        "CMFI Table PN:     5A4B343733302D43\n"),
         {}},
        {"main software asks for the restart",
         "main",
         kNamedImage,
         {},
         0,
         QStringLiteral("Uploading packet 1 of 1\nUpload complete\n"
                        "Main Software PN:  5A4B343733302D43\n"
                        "DSP Software PN:     ZK4722-SW-0410\n"
                        // the unit keeps the configuration of the case before
                        "CMFI Table PN:     5A4B343733302D43\n"),
         restart},
        {"refused packet", "dsp", kNamedImage, SimulatorFault{242, FaultKind::AckError, 5, {}, 1},
         1, QStringLiteral("Uploading packet 1 of 1\nUpload failed at packet 1 of 1\n"),
         QStringLiteral("Upload Failed: Upload failed at packet 1 of 1\n")},
        {"no words",
         "dsp",
         "image of the DSP software\n",
         {},
         1,
         QStringLiteral("The file holds no data to upload\n"),
         QStringLiteral("Upload Error: The file holds no data to upload\n")},
        // The check before the upload reads the part numbers; the read after it is refused.
        {"part numbers not read back", "config", kNamedImage,
         SimulatorFault{1, FaultKind::AckError, 3, {}, 1, 1}, 1,
         QStringLiteral("Uploading packet 1 of 1\n"
                        "Upload complete, but the part numbers could not be read back: Invalid "
                        "response detected, or unit returned error\n"
                        "Main Software PN:  5A4B343733302D43\n"
                        "DSP Software PN:     ZK4722-SW-0410\n"
                        "CMFI Table PN:     not read\n"),
         QStringLiteral("Warning: Upload complete, but the part numbers could not be read back: "
                        "Invalid response detected, or unit returned error\n")},
    };
    const QString path = home.path() + QStringLiteral("/image.dat");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        simulator.clearFaults();
        if (c.fault)
            simulator.addFault(*c.fault);
        const CliRun run = cli({QStringLiteral("upload"), QLatin1String(c.kind), path});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out) << qPrintable(run.out);
        // The link's own diagnostic of a refused packet comes first.
        EXPECT_TRUE(run.err.endsWith(c.err)) << qPrintable(run.err);
    }

    const CliRun unknownKind = cli({QStringLiteral("upload"), QStringLiteral("flash"), path});
    EXPECT_EQ(unknownKind.exitCode, 2);
    EXPECT_TRUE(unknownKind.err.startsWith(
        QStringLiteral("Error: Unknown upload \"flash\": main, dsp or config")));
    EXPECT_EQ(cli({QStringLiteral("upload"), QStringLiteral("main")}).exitCode, 2);
}

TEST_F(BrixCli, ArchivePrintsTheArchiveAndItsSize) {
    const QString target = home.path() + QStringLiteral("/backup");
    const CliRun run = cli({QStringLiteral("archive"), target});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const QString written = target + QStringLiteral(".gz");
    EXPECT_EQ(run.out, QStringLiteral("%1 %2 bytes\n").arg(written).arg(QFileInfo(written).size()));
    EXPECT_GT(QFileInfo(written).size(), 0);

    // A target below a file cannot be written; the usage errors end with 2.
    const QString blocked = written + QStringLiteral("/inner.gz");
    const CliRun failed = cli({QStringLiteral("archive"), blocked});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out, QString());
    EXPECT_EQ(failed.err, QStringLiteral("Error: Failed to save archive file.: %1\n").arg(blocked));
    // Inside the data directory, each archive would hold the ones before it.
    const QString data = home.path() + QStringLiteral("/ZELK-data");
    const CliRun inside = cli({QStringLiteral("archive"), data + QStringLiteral("/backup")});
    EXPECT_EQ(inside.exitCode, 1);
    EXPECT_EQ(inside.err,
              QStringLiteral("Error: The archive cannot be saved inside the folder it archives: "
                             "%1\n")
                  .arg(data));
    EXPECT_EQ(QDir(data).entryList({QStringLiteral("backup*")}, QDir::Files), QStringList());
    for (const QStringList& words :
         {QStringList{QStringLiteral("archive")},
          QStringList{QStringLiteral("archive"), QStringLiteral("a"), QStringLiteral("b")},
          QStringList{QStringLiteral("archive"), QStringLiteral("--level"), QStringLiteral("a")}}) {
        const CliRun usage = cli(words);
        EXPECT_EQ(usage.exitCode, 2) << qPrintable(words.join(' '));
        EXPECT_TRUE(usage.err.contains(QStringLiteral("usage: brix-cli archive OUT")));
    }
}

// The waterfall export and a tabulation as a script gets them: on standard output, nothing
// on standard error; a waterfall asked of tabulate is refused.
TEST_F(BrixCli, WaterfallCsvAndTabulationOfAStoredFlight) {
    const QString raw = home.path() + QStringLiteral("/n4orig_engine1.raw");
    ASSERT_TRUE(writeSimulatorRawFile(raw, QStringLiteral("AC001"), 1, {{3, 1234}}));
    const QString slot = raw + QStringLiteral(":3");

    const CliRun csv = cli({"waterfall-csv", "--view", "steady", "--flight", "1234", slot});
    EXPECT_EQ(csv.exitCode, 0) << qPrintable(csv.err);
    EXPECT_TRUE(csv.err.isEmpty());
    const QStringList lines = csv.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4 + 512 + 1);
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"Flight Number: 1234", "Steady State Frequency Spectra: AC001: Engine 1",
                           "Pre-Defect", "Flight # 1234"}));
    EXPECT_EQ(lines[4], QStringLiteral("0") + QStringLiteral(",0").repeated(26));
    EXPECT_TRUE(lines[515].startsWith(QStringLiteral("4873.3,")));

    const CliRun tabulation = cli({"tabulate", "--view", "transient", "--param", "0", slot});
    EXPECT_EQ(tabulation.exitCode, 0) << qPrintable(tabulation.err);
    EXPECT_TRUE(tabulation.out.startsWith(
        QStringLiteral("Selected Flight: Flight 1234\nTransient Data: AC001: Engine 1  "
                       "Pre-Defect\nA4R_avg  \nParameter: A4R_avg\n\n")));
    EXPECT_EQ(tabulation.out.count(QLatin1Char('\n')), 5 + 4);

    const CliRun refused = cli({"tabulate", "--view", "steady", "--param", "15", slot});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_EQ(refused.err,
              QStringLiteral("Error: The waterfall has no tabulation: use waterfall-csv\n"));
}

// The trend as a script gets it: the core's points as CSV, dates in local time, the files left
// out named on standard error.
TEST_F(BrixCli, TrendPrintsTheCoresPoints) {
    qputenv("TZ", "UTC");
    tzset();
    const QString data = home.path() + QStringLiteral("/ZELK-data");
    const QString directory = engineDirectory(data, QStringLiteral("AC001"), 1);
    ASSERT_TRUE(QDir().mkpath(directory));
    CraftedRawFile older;
    older.creationTime = 1141568000;
    older.flightSlots = {CraftedSlot::filled(0, 12, 0, 0.5f), CraftedSlot::filled(1, 11, 1, 1)};
    older.flightSlots[1].rows[6][3] = -1;
    ASSERT_TRUE(writeCraftedRawFile(directory + QStringLiteral("/n4orig_a.raw"), older));
    CraftedRawFile newer = older;
    newer.creationTime += 86400;
    newer.flightSlots = {CraftedSlot::filled(4, 12, 0, 0.75f)};
    newer.flightSlots[0].rows[9][0] = 12345.5f;
    ASSERT_TRUE(writeCraftedRawFile(directory + QStringLiteral("/n4orig_b.raw"), newer));
    CraftedRawFile cut = newer;
    cut.size = 1000;
    ASSERT_TRUE(writeCraftedRawFile(directory + QStringLiteral("/n4orig_c.raw"), cut));

    for (const auto& [statistic, word] :
         {std::pair{TrendStatistic::Maximum, "max"}, std::pair{TrendStatistic::Mean, "mean"}}) {
        SCOPED_TRACE(word);
        const CliRun run =
            cli({"trend", "--aircraft", "AC001", "--engine", "1", "--param", "9", "--stat", word});
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
        const TrendResult core =
            computeTrend(data, {QStringLiteral("AC001"), 1, ParameterType::N2, statistic, {}});
        ASSERT_EQ(core.points.size(), 2);
        QString expected = QStringLiteral("flight,date,memory,value,status\n");
        for (const TrendPoint& point : core.points)
            expected += QStringLiteral("%1,%2,%3,%4,%5\n")
                            .arg(point.flightNumber)
                            .arg(trendDateText(point.creationTime))
                            .arg(valueOf(point.memoryType))
                            .arg(point.value, 0, 'g', 9)
                            .arg(dataStatusText(point.status));
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, QStringLiteral("Warning: 1 file skipped: 1 truncated\n"));
    }
    const CliRun maximum = cli({"trend", "--aircraft", "AC001", "--engine", "1", "--param", "9"});
    EXPECT_EQ(maximum.out, QStringLiteral("flight,date,memory,value,status\n"
                                          "11,2006-03-05 14:13,1,1,Suspect\n"
                                          "12,2006-03-06 14:13,0,12345.5,OK\n"));
    const CliRun postDefect =
        cli({"trend", "--aircraft", "AC001", "--engine", "1", "--param", "6", "--memory", "1"});
    EXPECT_EQ(postDefect.out, QStringLiteral("flight,date,memory,value,status\n"
                                             "11,2006-03-05 14:13,1,1,Suspect\n"));
    const CliRun none = cli({"trend", "--aircraft", "AC002", "--engine", "2", "--param", "0"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, QStringLiteral("flight,date,memory,value,status\n"));
    EXPECT_TRUE(none.err.isEmpty());
}

// The indicators of every flight, from the index: each flight once from its newest download,
// values as "%.6g", empty cells where a value cannot be computed.
TEST_F(BrixCli, IndicatorsPrintOneLinePerFlightFromTheIndex) {
    qputenv("TZ", "UTC");
    tzset();
    const QString data = home.path() + QStringLiteral("/ZELK-data");
    const QString directory = engineDirectory(data, QStringLiteral("AC001"), 1);
    ASSERT_TRUE(QDir().mkpath(directory));
    CraftedRawFile older;
    older.flightSlots = {CraftedSlot::filled(0, 12, 0, 0.5f), CraftedSlot::filled(1, 11, 1, 1)};
    older.flightSlots[1].rows[6][3] = -1;
    ASSERT_TRUE(writeCraftedRawFile(directory + QStringLiteral("/n4orig_a.raw"), older));
    CraftedRawFile newer = older;
    newer.creationTime += 86400;
    newer.flightSlots = {CraftedSlot::filled(4, 12, 0, 0.75f)};
    const QString newerPath = directory + QStringLiteral("/n4orig_b.raw");
    ASSERT_TRUE(writeCraftedRawFile(newerPath, newer));
    // Bin 0 of the newer flight 12 alternates between +1000 and -1000 counts: rms and peak
    // 1000 x 200/65535 G, crest and kurtosis 1; the other bins are silent.
    QFile file(newerPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray record(2 * 1024, '\0');
    for (int sample = 0; sample < 1024; ++sample)
        qToLittleEndian(qint16(sample % 2 ? -1000 : 1000), record.data() + 2 * sample);
    ASSERT_TRUE(file.seek(RawFlightDataLayout::kHeaderSize + 4 * RawFlightDataLayout::kRecordSize +
                          RawFlightDataLayout::kBinTimeOffset));
    ASSERT_EQ(file.write(record), record.size());
    file.close();

    const QString header =
        QStringLiteral("flight,date,memory,status,rms,peak,crest,kurtosis,n1x1,n2x1,bpfo,bpfi,bsf,"
                       "ftf\n");
    const QString flight11 = QStringLiteral("11,2006-03-05 14:13,1,Suspect,0,0,,,,,,,,\n");
    const QString flight12 = QStringLiteral("12,2006-03-06 14:13,0,OK,3.0518,3.0518,1,1,,,,,,\n");
    const QList<std::pair<QStringList, QString>> cases = {
        {{}, header + flight11 + flight12},
        {{"--memory", "1"}, header + flight11},
        {{"--since", "2006-03-06"}, header + flight12},
        {{"--since", "2006-03-07"}, header},
    };
    for (const auto& [options, expected] : cases) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const CliRun run = cli(QStringList{"ci", "--aircraft", "AC001", "--engine", "1"} + options);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, expected);
        EXPECT_TRUE(run.err.isEmpty()) << qPrintable(run.err);
    }
    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("/.brix/index.sqlite")));
}

// The viewer's chart of each view drawn into the file its extension names, at the size given.
TEST_F(BrixCli, PlotDrawsEachViewIntoAFile) {
    const QString directory =
        engineDirectory(home.path() + QStringLiteral("/ZELK-data"), QStringLiteral("AC001"), 1);
    ASSERT_TRUE(QDir().mkpath(directory));
    const QString raw = directory + QStringLiteral("/n4orig_a.raw");
    ASSERT_TRUE(writeSimulatorRawFile(raw, QStringLiteral("AC001"), 1, {{3, 1234}, {4, 1235}}));
    const QStringList flightSlots{raw + QStringLiteral(":3"), raw + QStringLiteral(":4")};
    const QString folder = home.path() + QStringLiteral("/charts/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        QStringList view;
        const char* file;
        QByteArray magic;
        QSize pngSize;
    } cases[] = {
        {QStringList{"--view", "steady", "--param", "6", "--size", "800x500"} + flightSlots,
         "a.png", "\x89PNG", QSize(800, 500)},
        {QStringList{"--view", "steady", "--param", "13", "--sample", "2"} + flightSlots, "b.PNG",
         "\x89PNG", QSize(1366, 768)},
        {QStringList{"--view", "transient", "--param", "0"} + flightSlots, "c.svg", "<?xml", {}},
        {{"--view", "trend", "--param", "6", "--aircraft", "AC001", "--engine", "1", "--stat",
          "mean"},
         "d.pdf",
         "%PDF",
         {}},
    };
    for (const auto& c : cases) {
        const QString path = folder + QString::fromLatin1(c.file);
        SCOPED_TRACE(qPrintable(path));
        const CliRun run = cli(QStringList{"plot", "--out", path} + c.view);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
        EXPECT_EQ(run.out, path + QLatin1Char('\n'));
        EXPECT_TRUE(run.err.isEmpty()) << qPrintable(run.err);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.read(c.magic.size()), c.magic);
        if (c.pngSize.isValid()) {
            EXPECT_EQ(QImage(path).size(), c.pngSize);
        }
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {folder + QStringLiteral("d.pdf")});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(info.readAllStandardOutput().contains("Pages:           1\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);

    // Mistakes of the command line, then a file that cannot be written.
    const QStringList steady{"plot", "--view", "steady", "--param", "6", flightSlots.first()};
    const struct {
        QStringList arguments;
        int exitCode;
        const char* error;
    } refused[] = {
        {steady, 2, "Error: --view, --param and --out are required"},
        {steady + QStringList{"--out", "x.jpg"}, 2,
         "Error: --out takes a file ending in .png, .svg or .pdf, not \"x.jpg\""},
        {steady + QStringList{"--out", "x.png", "--size", "10x10"}, 2,
         "Error: --size takes WIDTHxHEIGHT, 16 to 10000 each, not \"10x10\""},
        {QStringList{"plot", "--view", "trend", "--param", "6", "--aircraft", "AC001", "--engine",
                     "1", "--out", "x.png", flightSlots.first()},
         2, "Error: Unknown option \""},
        {steady + QStringList{"--out", folder + "none/x.png"}, 1,
         "Export Chart: Couldn't export the chart to "},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(qPrintable(r.arguments.join(QLatin1Char(' '))));
        const CliRun run = cli(r.arguments);
        EXPECT_EQ(run.exitCode, r.exitCode);
        EXPECT_TRUE(run.err.startsWith(QString::fromLatin1(r.error))) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("x.png")));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4);
}

// The order table of a stored flight's spectrum is the core's, line for line.
TEST_F(BrixCli, OrdersPrintTheCoresTable) {
    const QString raw = home.path() + QStringLiteral("/n4orig_engine1.raw");
    ASSERT_TRUE(writeSimulatorRawFile(raw, QStringLiteral("AC001"), 1));
    const QList<FlightListElement> listed = listRawFlightDataFile(raw);
    ASSERT_FALSE(listed.isEmpty());
    const std::optional<FlightDataElement> flight = loadFlightSlot(listed.first());
    ASSERT_TRUE(flight);
    const QString slot = raw + QStringLiteral(":%1").arg(listed.first().slot);

    for (const auto& [plotType, view, bin, sample, window] :
         {std::tuple{PlotType::SteadyState, "steady", 0, 5, 0},
          std::tuple{PlotType::Transient, "transient", 2, 7, 1}}) {
        SCOPED_TRACE(view);
        PlotSelection selection;
        selection.plotType = plotType;
        selection.parameterType = ParameterType::Fft;
        selection.transientBin = bin;
        selection.sample = sample;
        selection.windowType = window;
        const QList<FlightDataElement> flights = {*flight};
        const QList<ShaftOrder> orders =
            viewShaftOrders(buildPlotView(selection, flights), selection, flights, 0);
        ASSERT_EQ(orders.size(), 4);
        const CliRun run =
            cli({"orders", "--view", view, "--bin", QString::number(bin), "--sample",
                 QString::number(sample), "--window", QString::number(window), slot});
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
        EXPECT_TRUE(run.err.isEmpty());
        EXPECT_EQ(run.out, shaftOrderTableText(orders, false));
        EXPECT_EQ(run.out.count(QLatin1Char('\n')), 4);
    }
    const CliRun missing = cli({"orders", "--view", "steady", "--sample", "0", raw + ":19"});
    EXPECT_EQ(missing.exitCode, 1);
}

// With a bearing registered for the engine type that the file's header names, the order table
// goes on with the four defect frequencies in the same columns; without one it stops after
// the shaft orders.
TEST_F(BrixCli, OrdersListTheBearingOfTheSlotsEngineType) {
    const QString raw = home.path() + QStringLiteral("/n4orig_engine2.raw");
    ASSERT_TRUE(writeSimulatorRawFile(raw, QStringLiteral("AC001"), 2));
    {
        QFile file(raw);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(21));
        ASSERT_EQ(file.write("GE90-115B", 10), 10);
    }
    const QList<FlightListElement> listed = listRawFlightDataFile(raw);
    ASSERT_FALSE(listed.isEmpty());
    const QStringList orders = {"orders", "--view",
                                "steady", "--sample",
                                "3",      raw + QStringLiteral(":%1").arg(listed.first().slot)};
    ASSERT_EQ(cli({"aircraft", "add-type", "GE90-115B"}).exitCode, 0);
    const CliRun without = cli(orders);
    EXPECT_EQ(without.out.count(QLatin1Char('\n')), 4);

    ASSERT_EQ(cli({"aircraft", "bearing", "GE90-115B", "--elements", "9", "--ball-diameter", "12",
                   "--pitch-diameter", "60", "--contact-angle", "10", "--shaft", "n2"})
                  .exitCode,
              0);
    const CliRun with = cli(orders);
    EXPECT_EQ(with.exitCode, 0) << qPrintable(with.err);
    // The shaft orders as before, then the four in the same columns as 1xN2, of their shaft.
    ASSERT_TRUE(with.out.startsWith(without.out));
    const QStringList added = with.out.mid(without.out.size()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(added.size(), 4) << qPrintable(with.out);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(added[i].left(5), QStringList({"BPFO ", "BPFI ", "BSF  ", "FTF  "})[i]);
    EXPECT_EQ(added[0].size(), without.out.section('\n', 2, 2).size());
}

// Limits set, refused, shown, suggested and cleared through brix-cli, and the fleet of this
// station and of another station's data directory, which is read without writing there.
TEST_F(BrixCli, LimitsAndTheFleet) {
    const QString data = home.path() + QStringLiteral("/ZELK-data");
    ASSERT_EQ(cli({"aircraft", "add-type", "T700"}).exitCode, 0);
    ASSERT_EQ(cli({"aircraft", "add", "AC001"}).exitCode, 0);
    for (const char* engine : {"1", "2"})
        ASSERT_EQ(cli({"aircraft", "set", "AC001", "--engine", engine, "--type", "T700", "--sn",
                       QStringLiteral("SN%1").arg(engine)})
                      .exitCode,
                  0);
    for (int engine = 1; engine <= 2; ++engine) {
        const QString directory = engineDirectory(data, QStringLiteral("AC001"), engine);
        ASSERT_TRUE(QDir().mkpath(directory));
        ASSERT_TRUE(writeSimulatorRawFile(directory + QStringLiteral("/n4orig_a.raw"),
                                          QStringLiteral("AC001"), engine));
    }

    const QStringList set = {"limits", "set", "T700", "--ci", "rms"};
    const QList<std::pair<QStringList, QString>> refused = {
        {{"--warning", "2", "--alarm", "2"}, "The warning level must be below the alarm level"},
        {{"--warning", "3", "--alarm", "2"}, "The warning level must be below the alarm level"},
        {{"--warning", "x", "--alarm", "2"}, "The warning and alarm levels must be finite numbers"},
        {{"--warning", "1", "--alarm", "1e999"},
         "The warning and alarm levels must be finite numbers"},
        {{"--warning", "1", "--alarm", "2", "--change", "0"},
         "The critical change must be a finite number above 0"},
    };
    for (const auto& [values, text] : refused) {
        SCOPED_TRACE(values.join(' ').toStdString());
        const CliRun run = cli(set + values);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, QStringLiteral("Error: ") + text + QLatin1Char('\n'));
    }
    EXPECT_EQ(
        cli({"limits", "set", "PW100", "--ci", "rms", "--warning", "1", "--alarm", "2"}).exitCode,
        1);
    const QString header = QStringLiteral("type,indicator,warning,alarm,change\n");
    EXPECT_EQ(cli({"limits", "show"}).out, header);

    ASSERT_EQ(
        cli(set + QStringList{"--warning", "0,5", "--alarm", "1.5", "--change", "0.25"}).exitCode,
        0);
    const CliRun suggest = cli({"limits", "suggest", "T700", "--ci", "kurtosis", "--apply"});
    EXPECT_EQ(suggest.exitCode, 0) << qPrintable(suggest.err);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^warning (\\S+) alarm (\\S+) from \\d+ flights of 2 "
                                          "engines\n$"))
            .match(suggest.out);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(suggest.out);
    EXPECT_EQ(cli({"limits", "show", "T700"}).out,
              header + QStringLiteral("T700,rms,0.5,1.5,0.25\nT700,kurtosis,%1,%2,\n")
                           .arg(match.captured(1), match.captured(2)));
    ASSERT_EQ(cli({"limits", "clear", "T700", "--ci", "rms"}).exitCode, 0);
    EXPECT_EQ(cli({"limits", "show", "T700"}).out.count(QLatin1Char('\n')), 2);

    const CliRun fleet = cli({"fleet"});
    EXPECT_EQ(fleet.exitCode, 0) << qPrintable(fleet.err);
    const QStringList lines = fleet.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << qPrintable(fleet.out);
    EXPECT_EQ(lines[0], QStringLiteral("aircraft,engine,type,serial,last_download,flights,suspect,"
                                       "state,indicator,value,limit,flights_to_alarm"));
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 12) << qPrintable(line);
        EXPECT_EQ(cells[2], QStringLiteral("T700"));
        EXPECT_TRUE(QStringList({"Normal", "Warning", "Alarm"}).contains(cells[7]));
        EXPECT_EQ(cells[8], QStringLiteral("kurtosis"));
    }
    const CliRun json = cli({"fleet", "--format", "json"});
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).array().size(), 2);

    // Another station's folder: one aircraft this station knows, one it does not.
    const QString shared = home.path() + QStringLiteral("/shared");
    const QString copied = engineDirectory(shared, QStringLiteral("AC001"), 1);
    ASSERT_TRUE(QDir().mkpath(copied));
    ASSERT_TRUE(QFile::copy(engineDirectory(data, QStringLiteral("AC001"), 1) +
                                QStringLiteral("/n4orig_a.raw"),
                            copied + QStringLiteral("/n4orig_a.raw")));
    ASSERT_TRUE(QDir().mkpath(engineDirectory(shared, QStringLiteral("AC009"), 1)));
    const CliRun foreign = cli({"fleet", "--data-dir", shared});
    EXPECT_EQ(foreign.exitCode, 0) << qPrintable(foreign.err);
    EXPECT_TRUE(foreign.out.contains(QStringLiteral("\nAC001,1,T700,SN1,")));
    EXPECT_TRUE(foreign.out.contains(QStringLiteral("\nAC009,1,,,,0,0,No limits,,,,\n")));
    EXPECT_TRUE(foreign.out.contains(QStringLiteral("\nAC001,2,T700,SN2,,0,0,No readings,,,,\n")));
    const QStringList ci = {"ci", "--aircraft", "AC001", "--engine", "1"};
    const CliRun own = cli(ci);
    EXPECT_EQ(cli(ci + QStringList{"--data-dir", shared}).out, own.out);
    EXPECT_GT(own.out.count(QLatin1Char('\n')), 1);
    // The trends read it as well, of an indicator and of a parameter.
    for (const char* parameter : {"kurtosis", "1"}) {
        const QStringList trend = {"trend", "--aircraft", "AC001",  "--engine",
                                   "1",     "--param",    parameter};
        const CliRun ownTrend = cli(trend);
        EXPECT_EQ(cli(trend + QStringList{"--data-dir", shared}).out, ownTrend.out) << parameter;
        EXPECT_GT(ownTrend.out.count(QLatin1Char('\n')), 1) << parameter;
    }
    EXPECT_FALSE(QFileInfo::exists(shared + QStringLiteral("/.brix")));
    EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"AC001_data", "AC009_data"}));

    const CliRun missing = cli({"fleet", "--data-dir", shared + QStringLiteral("/none")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("Error: \"%1/none\" is no folder\n").arg(shared));
    const CliRun noTrend = cli({"trend", "--aircraft", "AC001", "--engine", "1", "--param", "1",
                                "--data-dir", shared + QStringLiteral("/none")});
    EXPECT_EQ(noTrend.exitCode, 1);
    EXPECT_EQ(noTrend.err, missing.err);
}

} // namespace
