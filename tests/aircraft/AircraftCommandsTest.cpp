#include "AircraftCommands.h"
#include "AircraftPaths.h"
#include "BearingGeometryStore.h"
#include "KORALib.h"
#include "RegisterFixture.h"

#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class AircraftCommandsTest : public RegisterFixture {
protected:
    int run(const QStringList& arguments) {
        output.clear();
        QTextStream out(&output);
        return runAircraftCommand(arguments, notifier, out);
    }
    QString output;
};

TEST_F(AircraftCommandsTest, RecordRoundTripsThroughAddSetShowAndRemove) {
    ASSERT_EQ(run({"add", "N123"}), 0);
    ASSERT_EQ(run({"set", "N123", "--engine", "2", "--type", "CFM56-7", "--sn", "874513", "--date",
                   "2019-04-02", "--download", "on", "--erase-accel", "on"}),
              0);
    ASSERT_EQ(run({"set", "n123", "--comments", "line one\nback\\slash"}), 0);
    ASSERT_EQ(run({"show", "N123"}), 0);
    EXPECT_EQ(output, QStringLiteral("aircraftId: N123\n"
                                     "shopId: \n"
                                     "engine1.type: \n"
                                     "engine1.serialNumber: \n"
                                     "engine1.installDate: \n"
                                     "engine1.download: off\n"
                                     "engine1.eraseData: off\n"
                                     "engine1.eraseHistory: off\n"
                                     "engine1.eraseAccel: off\n"
                                     "engine2.type: CFM56-7\n"
                                     "engine2.serialNumber: 874513\n"
                                     "engine2.installDate: 2019-04-02\n"
                                     "engine2.download: on\n"
                                     "engine2.eraseData: off\n"
                                     "engine2.eraseHistory: off\n"
                                     "engine2.eraseAccel: on\n"
                                     "comments: line one\\nback\\\\slash\n"));
    ASSERT_EQ(run({"set", "N123", "--engine", "2", "--download", "off"}), 0);
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("N123")).engines[1].downloadBearing4, 0);

    ASSERT_EQ(run({"remove", "N123"}), 0);
    EXPECT_EQ(KORALibCountAircraft(), 0);
    EXPECT_FALSE(QFileInfo::exists(aircraftDirectory(QStringLiteral("N123"))));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(AircraftCommandsTest, ListMarksTheSelectedAircraft) {
    EXPECT_EQ(run({"list"}), 0);
    EXPECT_EQ(output, QString());
    ASSERT_EQ(run({"add", "B2"}), 0);
    ASSERT_EQ(run({"add", "A1"}), 0);
    EXPECT_EQ(run({"list"}), 0);
    // Store order, the last added aircraft selected.
    QString expected;
    for (const QString& id : KORALibListAircraft().items)
        expected +=
            (id == QStringLiteral("A1") ? QStringLiteral("* ") : QStringLiteral("  ")) + id + '\n';
    EXPECT_EQ(output, expected);

    ASSERT_EQ(run({"remove", "A1"}), 0);
    EXPECT_EQ(run({"list"}), 0);
    EXPECT_EQ(output, QStringLiteral("* B2\n"));
}

TEST_F(AircraftCommandsTest, UnregisteredAircraftAndRefusedValuesFailWithAMessage) {
    ASSERT_EQ(run({"add", "N1"}), 0);
    EXPECT_EQ(run({"show", "N2"}), 1);
    EXPECT_EQ(run({"remove", "N2"}), 1);
    EXPECT_EQ(run({"set", "N2", "--comments", "x"}), 1);
    EXPECT_EQ(run({"set", "N1", "--engine", "1", "--sn", "12345678901"}), 1);
    EXPECT_EQ(run({"add", "N1"}), 1);
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  error(QStringLiteral("Aircraft ID \"N2\" not found")),
                  error(QStringLiteral("Aircraft ID \"N2\" not found")),
                  error(QStringLiteral("Aircraft ID \"N2\" not found")),
                  error(QStringLiteral(
                      "The value of --sn is longer than 10 characters; nothing was changed")),
                  error(QStringLiteral("Aircraft ID \"N1\" already exists"))}));
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("N1")).engines[0].serialNumber[0], '\0');
}

TEST_F(AircraftCommandsTest, UsageErrorsChangeNothing) {
    ASSERT_EQ(run({"add", "N1"}), 0);
    const QList<QStringList> wrong = {
        {},
        {"fly"},
        {"list", "extra"},
        {"show"},
        {"set", "N1"},
        {"set", "N1", "--type", "CFM56-7"},
        {"set", "N1", "--engine", "3", "--type", "X"},
        {"set", "N1", "--engine", "1", "--download", "yes"},
        {"set", "N1", "--engine", "1", "--colour", "red"},
        {"set", "N1", "--engine", "1", "--sn"},
        {"set", "N1", "--engine", "1", "--sn", "AAA", "--engine", "2", "--sn", "BBB"},
    };
    for (const QStringList& arguments : wrong) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        notifier.messages.clear();
        EXPECT_EQ(run(arguments), 2);
        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
        EXPECT_TRUE(notifier.messages[0].text.contains(QStringLiteral("usage: brix-cli aircraft")));
    }
    QByteArray expected(2699, '\0');
    expected.replace(0, 2, "N1");
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("N1")).toBytes(), expected);
}

TEST_F(AircraftCommandsTest, RemoveDeletesDownloadedFilesOnlyWithDeleteFiles) {
    ASSERT_EQ(run({"add", "N1"}), 0);
    const QString file = engineDirectory(QStringLiteral("N1"), 1) + QStringLiteral("/n4orig_1.raw");
    writeFile(file, "raw");
    // brix-cli answers every question with no.
    notifier.answers = {false};
    EXPECT_EQ(run({"remove", "N1"}), 1);
    EXPECT_EQ(notifier.messages,
              (Messages{{QStringLiteral("question"), QStringLiteral("Remove Aircraft"),
                         QStringLiteral("Aircraft \"N1\" has 1 downloaded files in %1. Remove the "
                                        "aircraft and delete these files?")
                             .arg(aircraftDirectory(QStringLiteral("N1")))},
                        error(QStringLiteral("Aircraft \"N1\" was kept with its files; give "
                                             "--delete-files to remove it"))}));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(KORALibCountAircraft(), 1);

    notifier.messages.clear();
    EXPECT_EQ(run({"remove", "N1", "--force"}), 2);
    EXPECT_EQ(KORALibCountAircraft(), 1);

    notifier.messages.clear();
    notifier.answers = {false};
    EXPECT_EQ(run({"remove", "n1", "--delete-files"}), 0);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(aircraftDirectory(QStringLiteral("N1"))));
    EXPECT_EQ(KORALibCountAircraft(), 0);
}

TEST_F(AircraftCommandsTest, ImportAndEngineTypeCommands) {
    const QString path = QDir::homePath() + QStringLiteral("/fleet.csv");
    writeFile(path, "N1,S1\nN2,S2\n");
    EXPECT_EQ(run({"import", path}), 0);
    EXPECT_EQ(output, QString());
    EXPECT_EQ(notifier.messages,
              (Messages{{QStringLiteral("information"), QStringLiteral(" Thalvex "),
                         QStringLiteral("Imported 2 aircraft: 2 added, 0 replaced")}}));
    EXPECT_EQ(run({"import", path + QStringLiteral(".missing")}), 1);

    ASSERT_EQ(run({"add-type", "CFM56-3"}), 0);
    ASSERT_EQ(run({"add-type", "CFM56-7"}), 0);
    EXPECT_EQ(run({"add-type", "cfm56-3"}), 1);
    EXPECT_EQ(run({"remove-type", "CFM56-3"}), 0);
    EXPECT_EQ(run({"remove-type", "CFM56-3"}), 1);
    EXPECT_EQ(run({"types"}), 0);
    EXPECT_EQ(output, QStringLiteral("CFM56-7\n"));
    EXPECT_EQ(notifier.messages.last(), error(QStringLiteral("Engine Type \"CFM56-3\" not found")));
}

// A FIFO would block the import for ever and a device might never end; neither is opened.
TEST_F(AircraftCommandsTest, ImportRefusesAnythingButARegularFile) {
    const QString fifo = QDir::homePath() + QStringLiteral("/fleet.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A folder whose path is longer than a message repeats.
    const QString folder = QDir::homePath() + QLatin1Char('/') + QString(230, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QList<QPair<QString, QString>> pathsAndEchoes = {{fifo, fifo},
                                                           {folder, folder.left(200) + "..."}};
    for (const auto& [path, echo] : pathsAndEchoes) {
        SCOPED_TRACE(path.toStdString());
        notifier.messages.clear();
        EXPECT_EQ(run({"import", path}), 1);
        EXPECT_EQ(notifier.messages,
                  Messages{error(echo + " is not a regular file; nothing was imported.")});
    }
    EXPECT_EQ(KORALibCountAircraft(), 0);
}

// The bearing of an engine type: set with all five values, shown a line each, cleared, and
// removed with its type; a refused or incomplete command stores nothing.
TEST_F(AircraftCommandsTest, BearingIsShownSetClearedAndRefused) {
    ASSERT_EQ(run({"add-type", "CFM56-7"}), 0);
    const QStringList set = {"bearing",         "CFM56-7", "--elements",       "16",
                             "--ball-diameter", "7.9",     "--pitch-diameter", "46",
                             "--contact-angle", "-15",     "--shaft",          "n1"};
    ASSERT_EQ(run(set), 0);
    EXPECT_EQ(output, QString());
    ASSERT_EQ(run({"bearing", "CFM56-7"}), 0);
    EXPECT_EQ(output, QStringLiteral("elements: 16\n"
                                     "ball-diameter: 7.9\n"
                                     "pitch-diameter: 46\n"
                                     "contact-angle: -15\n"
                                     "shaft: n1\n"));

    struct Refusal {
        QStringList arguments;
        int exitCode;
        QString message; // the first line
    };
    const auto with = [&set](int index, const QString& value) {
        QStringList arguments = set;
        arguments[index] = value;
        return arguments;
    };
    const Refusal refusals[] = {
        {with(3, "0"), 1, "The number of rolling elements must be at least 1"},
        {with(5, "-2"), 1, "The ball diameter must be a number above 0"},
        {with(7, "7.9"), 1, "The pitch diameter must be a number above the ball diameter"},
        {with(9, "90"), 1, "The contact angle must be a number between -90 and 90 degrees"},
        {with(1, "CFM56-3"), 1, "Engine Type \"CFM56-3\" not found"},
        {with(11, "n3"), 2, "--shaft takes n1 or n2, not \"n3\""},
        {set.mid(0, 10), 2,
         "A bearing needs all of --elements, --ball-diameter, --pitch-diameter, "
         "--contact-angle and --shaft"},
        {set + QStringList{"--clear"}, 2, "--clear takes no other option"},
        {set + QStringList{"--bogus"}, 2, "Unknown option \"--bogus\""},
        {{"bearing"}, 2, "Wrong arguments for \"bearing\""},
        {{"bearing", "CFM56-3"}, 1, "Engine Type \"CFM56-3\" not found"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.arguments.join(' ').toStdString());
        notifier.messages.clear();
        EXPECT_EQ(run(refusal.arguments), refusal.exitCode);
        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
        EXPECT_EQ(notifier.messages[0].text.section('\n', 0, 0), refusal.message);
        const std::optional<BearingGeometry> kept = readBearingGeometry(QStringLiteral("CFM56-7"));
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->elements, 16);
        EXPECT_EQ(kept->contactAngleDegrees, -15.0);
    }

    ASSERT_EQ(run({"bearing", "CFM56-7", "--clear"}), 0);
    ASSERT_EQ(run({"bearing", "CFM56-7"}), 0);
    EXPECT_EQ(output, QStringLiteral("Engine type \"CFM56-7\" has no bearing geometry\n"));
    ASSERT_EQ(run(with(11, "N2")), 0);
    EXPECT_EQ(readBearingGeometry(QStringLiteral("CFM56-7"))->shaft, BearingShaft::N2);
    ASSERT_EQ(run({"remove-type", "CFM56-7"}), 0);
    ASSERT_EQ(run({"add-type", "CFM56-7"}), 0);
    ASSERT_EQ(run({"bearing", "CFM56-7"}), 0);
    EXPECT_EQ(output, QStringLiteral("Engine type \"CFM56-7\" has no bearing geometry\n"));
}

} // namespace
