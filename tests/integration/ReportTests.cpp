// The maintenance report as a technician's script writes it: brix-cli in a process of its
// own, over generated raw files, the PDF read back with pdftotext and pdfinfo.
#include "AircraftPaths.h"
#include "CraftedRawFile.h"
#include "PdfWords.h"
#include "UnitSimulator.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

constexpr quint32 kFirstDownload = 1709251200;  // 2024-03-01 00:00 UTC
constexpr quint32 kSecondDownload = 1711929600; // 2024-04-01 00:00 UTC

class Report : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(simulator.start());
        QSettings settings(home.path() + QStringLiteral("/config/Orvantis/ZELK.conf"),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("IP Address"), QStringLiteral("127.0.0.1"));
        settings.setValue(QStringLiteral("Port"), simulator.port());
        settings.sync();
        ASSERT_EQ(run(QStringLiteral("brix-cli"), {"aircraft", "add", "AC001"}).exitCode, 0);
        for (const auto& [engine, serial] : {std::pair{"1", "SN-ONE-11"}, {"2", "SN-TWO-22"}})
            ASSERT_EQ(run(QStringLiteral("brix-cli"),
                          {"aircraft", "set", "AC001", "--engine", engine, "--type", "TX-9", "--sn",
                           serial, "--date", "2023-05-06"})
                          .exitCode,
                      0);
        // Engine 1: flights 101-103 in March, 104-105 in April, 104 suspect; engine 2: 201.
        writeDownload(1, QStringLiteral("n4orig_01MAR2024_0000.raw"), kFirstDownload,
                      {101, 102, 103}, {});
        writeDownload(1, QStringLiteral("n4orig_01APR2024_0000.raw"), kSecondDownload, {104, 105},
                      {104});
        writeDownload(2, QStringLiteral("n4orig_01MAR2024_0000.raw"), kFirstDownload, {201}, {});
        // The conversion's steady-state file beside the newest download, with the part numbers.
        QFile engineData(engineDirectory(data(), QStringLiteral("AC001"), 1) +
                         QStringLiteral("/n4ss_01APR2024_0000.dat"));
        ASSERT_TRUE(engineData.open(QIODevice::WriteOnly));
        engineData.write("----\nFile name:                n4ss_01APR2024_0000.dat\n"
                         "Main Software PN:         MAIN-77-A\n"
                         "DSP Software PN:          DSP-88-B\n");
    }

    QString data() const { return home.path() + QStringLiteral("/ZELK-data"); }

    void writeDownload(int engine, const QString& name, quint32 created,
                       const QList<qint32>& flights, const QList<qint32>& suspect) {
        const QString directory = engineDirectory(data(), QStringLiteral("AC001"), engine);
        ASSERT_TRUE(QDir().mkpath(directory));
        CraftedRawFile file;
        file.engineNumber = engine;
        file.creationTime = created;
        for (int slot = 0; slot < flights.size(); ++slot) {
            file.flightSlots.append(CraftedSlot::filled(slot, flights[slot], 0, 1.5f + slot));
            if (suspect.contains(flights[slot]))
                file.flightSlots.last().rows[6][3] = -1;
        }
        ASSERT_TRUE(writeCraftedRawFile(directory + QLatin1Char('/') + name, file));
    }

    // With a file size limit, a write beyond it falls short as on a full disk.
    ProcessRun run(const QString& program, const QStringList& arguments,
                   rlim_t fileSizeLimit = RLIM_INFINITY) {
        QProcess process;
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.path() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        if (!locale.isEmpty())
            environment.insert(QStringLiteral("LC_ALL"), locale);
        // The desktop session's private folder, which the chart drawing looks for.
        const QString runtime = home.path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process.setProcessEnvironment(environment);
        process.start(program == QStringLiteral("brix-cli") ? QStringLiteral(BRIX_CLI_PATH)
                                                            : program,
                      arguments);
        ProcessRun result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << qPrintable(program) << " did not end";
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    // The report's text, one string per page.
    QStringList pages(const QString& pdf) {
        const ProcessRun text = run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        EXPECT_EQ(text.exitCode, 0) << qPrintable(text.err);
        QStringList result = text.out.split(QLatin1Char('\f'));
        if (!result.isEmpty() && result.last().trimmed().isEmpty())
            result.removeLast();
        return result;
    }

    QString out(const QString& name) const { return home.path() + QLatin1Char('/') + name; }

    QTemporaryDir home;
    UnitSimulator simulator;
    QString locale; // the programs' own when empty
};

// The whole report: cover with the engines and part numbers, per engine its downloads,
// flights and suspect flights; every page numbered and headed with the aircraft.
TEST_F(Report, HoldsTheAircraftEnginesFlightsAndSuspectFlights) {
    const ProcessRun report =
        run(QStringLiteral("brix-cli"), {"report", "AC001", "--out", out("r.pdf")});
    ASSERT_EQ(report.exitCode, 0) << qPrintable(report.err);
    const QStringList text = pages(out("r.pdf"));
    ASSERT_GE(text.size(), 3); // the cover, then each engine from a page of its own
    for (int page = 0; page < text.size(); ++page) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(text[page].contains(QStringLiteral("Maintenance Report: AC001")));
        EXPECT_TRUE(
            text[page].contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(text.size())));
    }
    const ProcessRun info = run(QStringLiteral("pdfinfo"), {out("r.pdf")});
    EXPECT_TRUE(
        info.out.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(text.size()))));

    const QString all = text.join(QLatin1Char('\n'));
    for (const char* expected :
         {"Engine 1: type TX-9, S/N SN-ONE-11, installed 2023-05-06",
          "Engine 2: type TX-9, S/N SN-TWO-22, installed 2023-05-06", "Main Software PN: MAIN-77-A",
          "DSP Software PN: DSP-88-B", "n4orig_01MAR2024_0000.raw", "2024-04-01 00:00 2 flights",
          "n4orig_01APR2024_0000.raw, n4ss_01APR2024_0000.dat", "Trend of A4R",
          "Steady-state waterfall of the latest flight", "Trend of kurtosis (maximum per flight)",
          "Trend of bpfo (maximum per flight)"})
        EXPECT_TRUE(all.simplified().contains(QLatin1String(expected))) << expected;
    for (int flight : {101, 102, 103, 104, 105, 201})
        EXPECT_TRUE(all.contains(QStringLiteral("Flight 0%1").arg(flight))) << flight;
    // The suspect table of engine 1 names flight 104 alone; engine 2 has none.
    const QString engine1 = all.section(QStringLiteral("Suspect flights"), 1, 1);
    const QString suspect = engine1.section(QStringLiteral("Trend of A4R"), 0, 0);
    EXPECT_TRUE(suspect.contains(QStringLiteral("Flight 0104")));
    EXPECT_FALSE(suspect.contains(QStringLiteral("Flight 0105")));
    EXPECT_TRUE(all.section(QStringLiteral("Suspect flights"), 2, 2)
                    .contains(QStringLiteral("No suspect flights.")));
}

// A long history as a technician's copies leave it: many downloads, some under long names, and
// many suspect flights. Every word stays within the page's margins, the suspect list gives each
// suspect flight once with its reason instead of repeating its row of the flight list, no
// heading ends a page, an engine's A4R trend and waterfall share a page and so do its indicator
// trends.
TEST_F(Report, ALongHistoryReadsWellOnItsPages) {
    const QString longName =
        QStringLiteral("n4orig_01MAY2024_0000_copied_from_the_line_maintenance_laptop_before_the_"
                       "engine_change_and_kept_for_the_workshop_with_the_borescope_pictures.raw");
    QStringList names = {longName};
    for (int download = 0; download < 12; ++download)
        names.append(QStringLiteral("n4orig_%1MAY2024_0000 copy %2.raw")
                         .arg(download + 2, 2, 10, QLatin1Char('0'))
                         .arg(download));
    QList<qint32> suspect = {104};
    for (int download = 0; download < names.size(); ++download) {
        QList<qint32> flights;
        for (int slot = 0; slot < 4; ++slot)
            flights.append(qint32(300 + 4 * download + slot));
        suspect += {flights[1], flights[3]};
        writeDownload(1, names[download], kSecondDownload + 86400 * quint32(download + 30), flights,
                      suspect);
    }
    // On A4 and on Letter, whose pages are shorter.
    for (const auto& [language, pageWidth] :
         {std::pair{"en_GB.UTF-8", 595}, {"en_US.UTF-8", 612}}) {
        SCOPED_TRACE(language);
        locale = QString::fromLatin1(language);
        const ProcessRun report =
            run(QStringLiteral("brix-cli"), {"report", "AC001", "--out", out("long.pdf")});
        ASSERT_EQ(report.exitCode, 0) << qPrintable(report.err);
        QString error;
        const std::optional<QList<PdfPage>> pages = readPdfWords(out("long.pdf"), &error);
        ASSERT_TRUE(pages) << qPrintable(error);
        ASSERT_GE(pages->size(), 4);
        EXPECT_EQ(qRound(pages->first().width), pageWidth);

        constexpr double kMargin = 15 / 25.4 * 72; // points
        constexpr double kTolerance = 0.5;
        constexpr int kLinesAtABreak = 3;
        const QStringList headings = {"Unit part numbers",
                                      "Downloads",
                                      "Flights",
                                      "Suspect flights",
                                      "Trend of A4R (maximum per flight)",
                                      "Steady-state waterfall of the latest flight",
                                      "Trend of kurtosis (maximum per flight)",
                                      "Trend of bpfo (maximum per flight)"};
        QStringList suspectRows;
        QString text;
        QStringList foot; // the last lines of the page before
        bool inSuspectList = false;
        for (int index = 0; index < pages->size(); ++index) {
            SCOPED_TRACE(index + 1);
            const PdfPage& page = (*pages)[index];
            for (const PdfWord& word : page.words)
                EXPECT_TRUE(word.xMin >= kMargin - kTolerance &&
                            word.yMin >= kMargin - kTolerance &&
                            word.xMax <= page.width - kMargin + kTolerance &&
                            word.yMax <= page.height - kMargin + kTolerance)
                    << qPrintable(word.text) << " at " << word.xMin << "," << word.yMin << " - "
                    << word.xMax << "," << word.yMax;
            // The header above, the page number below.
            QList<PdfLine> body = pdfLines(page);
            ASSERT_GE(body.size(), 3);
            EXPECT_EQ(body.takeFirst().text, QStringLiteral("Maintenance Report: AC001"));
            EXPECT_EQ(body.takeLast().text,
                      QStringLiteral("Page %1 of %2").arg(index + 1).arg(pages->size()));
            EXPECT_FALSE(headings.contains(body.last().text)) << qPrintable(body.last().text);
            // Nothing at a page's foot is drawn again at the next page's head.
            for (const PdfLine& line : body.mid(0, kLinesAtABreak))
                EXPECT_FALSE(foot.contains(line.text)) << qPrintable(line.text);
            foot.clear();
            for (const PdfLine& line : body.mid(body.size() - kLinesAtABreak))
                foot.append(line.text);
            QString pageText;
            for (const PdfLine& line : std::as_const(body)) {
                pageText += line.text + QLatin1Char('\n');
                if (headings.contains(line.text))
                    inSuspectList = line.text == QStringLiteral("Suspect flights");
                else if (inSuspectList)
                    suspectRows.append(line.text);
            }
            EXPECT_EQ(pageText.count(QStringLiteral("Trend of A4R")),
                      pageText.count(QStringLiteral("Steady-state waterfall")));
            EXPECT_EQ(pageText.count(QStringLiteral("Trend of kurtosis")),
                      pageText.count(QStringLiteral("Trend of bpfo")));
            text += pageText;
        }
        // Each suspect flight once, with why it is suspect.
        suspectRows.removeAll(QStringLiteral("No suspect flights."));
        EXPECT_EQ(suspectRows.size(), suspect.size());
        for (const QString& row : std::as_const(suspectRows))
            EXPECT_TRUE(row.endsWith(
                QStringLiteral("negative, NaN or infinite values in the steady-state data")))
                << qPrintable(row);
        // The long name is wrapped, none of it lost.
        EXPECT_TRUE(
            QString(text).remove(QRegularExpression(QStringLiteral("\\s"))).contains(longName));
    }
}

// Each engine's Health section: without limits it says so; with limits on rms (0 in these
// silent records) each engine is Normal, its row gives the limits and its rms trend follows.
TEST_F(Report, JudgesEachEnginesHealthOnTheLimitsOfItsType) {
    for (const bool withLimits : {false, true}) {
        SCOPED_TRACE(withLimits);
        if (withLimits) {
            ASSERT_EQ(run(QStringLiteral("brix-cli"), {"aircraft", "add-type", "TX-9"}).exitCode,
                      0);
            ASSERT_EQ(run(QStringLiteral("brix-cli"), {"limits", "set", "TX-9", "--ci", "rms",
                                                       "--warning", "0.5", "--alarm", "1"})
                          .exitCode,
                      0);
        }
        const ProcessRun report =
            run(QStringLiteral("brix-cli"), {"report", "AC001", "--out", out("h.pdf")});
        ASSERT_EQ(report.exitCode, 0) << qPrintable(report.err);
        const QString all = pages(out("h.pdf")).join(QLatin1Char('\n')).simplified();
        for (int engine = 1; engine <= 2; ++engine) {
            const QString section = all.section(QStringLiteral("Health"), engine, engine);
            const QStringList expected =
                withLimits ? QStringList{QStringLiteral("Engine %1 health: Normal").arg(engine),
                                         "rms: Normal, latest 0, warning 0.5, alarm 1",
                                         "Trend of rms with its limits"}
                           : QStringList{QStringLiteral("Engine %1 health: No limits").arg(engine),
                                         "No limits are set for engine type TX-9."};
            for (const QString& line : expected)
                EXPECT_TRUE(section.contains(line)) << qPrintable(line);
        }
    }
}

// --engine keeps one engine; --since keeps the downloads and flights from that date on.
TEST_F(Report, FiltersByEngineAndDate) {
    struct Case {
        QStringList options;
        QStringList present;
        QStringList absent;
    };
    const QList<Case> cases = {
        {{"--engine", "2"}, {"Flight 0201", "SN-TWO-22"}, {"Flight 0101", "Engine 1:"}},
        {{"--engine", "1", "--since", "2024-03-15"},
         {"Flight 0104", "Flight 0105", "Downloads since 2024-03-15"},
         {"Flight 0101", "Flight 0103", "n4orig_01MAR2024_0000.raw", "Flight 0201"}},
        {{"--since", "2024-05-01"}, {"No downloads in the period."}, {"Flight 01", "Flight 02"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.options.join(QLatin1Char(' '))));
        const ProcessRun report =
            run(QStringLiteral("brix-cli"),
                QStringList{"report", "AC001", "--out", out("f.pdf")} + c.options);
        ASSERT_EQ(report.exitCode, 0) << qPrintable(report.err);
        const QString all = pages(out("f.pdf")).join(QLatin1Char('\n'));
        for (const QString& text : c.present)
            EXPECT_TRUE(all.contains(text)) << qPrintable(text);
        for (const QString& text : c.absent)
            EXPECT_FALSE(all.contains(text)) << qPrintable(text);
    }
}

// Mistakes and failures: reported, a non-zero exit, and no file (not even a partial one).
TEST_F(Report, RefusesAndReportsWithoutLeavingAFile) {
    // A directory where the PDF should go: written in full, the file cannot take its place.
    const QString directory = out("taken.pdf");
    ASSERT_TRUE(QDir().mkpath(directory));
    struct Case {
        QStringList arguments;
        int exitCode;
        QString message;
        QString path;
    };
    const QList<Case> cases = {
        {{"report", "AC001", "--out", directory}, 1, "taken.pdf", {}},
        {{"report", "AC001", "--out", out("missing/r.pdf")},
         1,
         "Maintenance Report",
         out("missing/r.pdf")},
        {{"report", "NOPE", "--out", out("n.pdf")}, 1, "is not registered", out("n.pdf")},
        {{"report", "AC001", "--since", "01/03/2024", "--out", out("d.pdf")},
         2,
         "--since takes a date yyyy-MM-dd",
         out("d.pdf")},
        {{"report", "AC001", "--engine", "3", "--out", out("e.pdf")},
         2,
         "--engine takes 1 or 2",
         out("e.pdf")},
        {{"report", "AC001"}, 2, "--out are required", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(QLatin1Char(' '))));
        const ProcessRun report = run(QStringLiteral("brix-cli"), c.arguments);
        EXPECT_EQ(report.exitCode, c.exitCode);
        EXPECT_TRUE(report.err.contains(c.message)) << qPrintable(report.err);
        if (!c.path.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(c.path));
        }
    }
    // Nothing of the attempts is left beside the target: no temporary file, no partial PDF.
    EXPECT_EQ(QDir(home.path())
                  .entryList({QStringLiteral("*.pdf*"), QStringLiteral("taken*")}, QDir::Files),
              QStringList());
}

// A full disk, or a target that is not a regular file: the report and the chart export are
// refused, nothing is left in the folder, and a FIFO or device node stays what it was.
TEST_F(Report, AnOutputThatCannotBeWrittenWholeIsRefusedAndLeavesNothing) {
    const QString folder = out("output");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QList<QPair<QStringList, QString>> commands = {
        {{"report", "AC001", "--out"}, "r.pdf"},
        {{"plot", "--view", "trend", "--param", "6", "--aircraft", "AC001", "--engine", "1",
          "--out"},
         "t.svg"},
    };
    for (const auto& [words, name] : commands) {
        SCOPED_TRACE(qPrintable(words.first()));
        const QString path = folder + QLatin1Char('/') + name;
        const ProcessRun full = run(QStringLiteral("brix-cli"), words + QStringList{path}, 4096);
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_TRUE(full.err.contains(path + QStringLiteral(": File too large")))
            << qPrintable(full.err);
        EXPECT_TRUE(full.out.isEmpty()) << qPrintable(full.out);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const ProcessRun fifo = run(QStringLiteral("brix-cli"), words + QStringList{path});
        EXPECT_EQ(fifo.exitCode, 1);
        EXPECT_TRUE(fifo.err.contains(
            path + QStringLiteral(": it exists and is not a regular file, so it is not replaced")))
            << qPrintable(fifo.err);
        struct stat node {};
        ASSERT_EQ(lstat(QFile::encodeName(path).constData(), &node), 0);
        EXPECT_TRUE(S_ISFIFO(node.st_mode));
        QFile::remove(path);
    }
}

// The part numbers come from the newest steady-state file whose header reads as one: a file
// with an endless line is skipped with a warning, and the one before it is read.
TEST_F(Report, AnEngineDataFileWithAnEndlessLineIsSkippedWithAWarning) {
    const QString directory = engineDirectory(data(), QStringLiteral("AC001"), 2);
    const QString endless = directory + QStringLiteral("/n4ss_02APR2024_0000.dat");
    QFile file(endless);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4 << 20, 'x') + "\nMain Software PN:         WRONG\n");
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();

    const ProcessRun report =
        run(QStringLiteral("brix-cli"), {"report", "AC001", "--out", out("r.pdf")});
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.err, QStringLiteral("Warning: %1 is left out of the part numbers: a line of "
                                         "it is longer than 1024 bytes\n")
                              .arg(endless))
        << qPrintable(report.err);
    const QString all = pages(out("r.pdf")).join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("Main Software PN: MAIN-77-A")));
    EXPECT_FALSE(all.contains(QStringLiteral("WRONG")));
}

} // namespace
