#include "RegisterEditing.h"
#include "FixedText.h"
#include "KORALib.h"
#include "RegisterFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using RegisterEditingTest = RegisterFixture;

TEST_F(RegisterEditingTest, AddRegistersAZeroRecordMakesItLastAndCreatesItsDirectories) {
    ASSERT_TRUE(addAircraft(QStringLiteral("N123ab"), notifier));
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("N123ab")).toBytes(), zeroRecordWith("N123ab"));
    EXPECT_EQ(value(kLastAircraftKey).toString(), QStringLiteral("N123ab"));
    EXPECT_TRUE(QFileInfo(dataDirectory + QStringLiteral("/N123ab_data/engine_2")).isDir());

    EXPECT_FALSE(addAircraft(QString(), notifier));
    EXPECT_FALSE(addAircraft(QStringLiteral("  \t"), notifier));
    EXPECT_FALSE(addAircraft(QStringLiteral("n123AB"), notifier));
    EXPECT_EQ(notifier.messages,
              (Messages{error(QStringLiteral("No aircraftID specified")),
                        error(QStringLiteral("No aircraftID specified")),
                        error(QStringLiteral("Aircraft ID \"N123ab\" already exists"))}));
    EXPECT_EQ(KORALibCountAircraft(), 1);
}

TEST_F(RegisterEditingTest, AddKeepsTheRecordWhenItsDirectoryCannotBeMade) {
    ASSERT_TRUE(QDir().mkpath(dataDirectory));
    writeFile(dataDirectory + QStringLiteral("/N9_data"), "in the way");
    EXPECT_FALSE(addAircraft(QStringLiteral("N9"), notifier));
    EXPECT_EQ(notifier.messages, Messages{error(QStringLiteral("Unable to create directory "
                                                               "\"%1/N9_data\"")
                                                    .arg(dataDirectory))});
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N9"});
}

TEST_F(RegisterEditingTest, RefusedIdsLeaveNothingOnDiskOrInTheStore) {
    const QString reserved = QStringLiteral("it holds \"%1\", which a directory name cannot hold");
    const QString dotDot =
        QStringLiteral("it holds \"..\", which could lead outside the data directory");
    const QString control = QStringLiteral("it holds a control character");
    const QList<QPair<QString, QString>> cases = {
        {"../escape", reserved.arg('/')},
        {"a\\b", reserved.arg('\\')},
        {"..", dotDot},
        {"N1..2", dotDot},
        {"N1\tX", control},
        {QStringLiteral("N1\u0085"), control},
        {"N1:X", reserved.arg(':')},
        {"N1*", reserved.arg('*')},
        {"N<1", reserved.arg('<')},
        {"N>1", reserved.arg('>')},
        {"\"N1", reserved.arg('"')},
        {"N1|2", reserved.arg('|')},
        {"N1?", reserved.arg('?')},
        {QStringLiteral("N1\u20ac"),
         QStringLiteral("it holds a character that the aircraft record cannot store")},
        {"ABCDEFGHIJKLMNOPQ", QStringLiteral("it is longer than 16 characters")},
    };
    for (const auto& [id, reason] : cases) {
        SCOPED_TRACE(id.toStdString());
        notifier.messages.clear();
        EXPECT_FALSE(addAircraft(id, notifier));
        EXPECT_EQ(
            notifier.messages,
            Messages{error(QStringLiteral("Aircraft ID \"%1\" is not valid: %2").arg(id, reason))});
    }
    EXPECT_EQ(KORALibCountAircraft(), 0);
    EXPECT_FALSE(contains(kLastAircraftKey));
    EXPECT_TRUE(strayEntries().isEmpty()) << strayEntries().join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(dataDirectory));

    // Sixteen characters is what the dialog takes.
    EXPECT_TRUE(addAircraft(QStringLiteral("ABCDEFGHIJKLMNOP"), notifier));
}

TEST_F(RegisterEditingTest, EngineTypesAreAppendedOnceWhateverTheLetterCaseAndCutToTheField) {
    setValue(QStringLiteral("EngineType_0"), QStringLiteral("CFM56-3"));
    setValue(QStringLiteral("EngineType_1"), QStringLiteral("CFM56-7"));
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-5B"), notifier));
    EXPECT_EQ(value(QStringLiteral("EngineType_2")).toString(), QStringLiteral("CFM56-5B"));
    // Longer than the record's field: kept as far as it fits, and compared as kept.
    ASSERT_TRUE(addEngineType(QStringLiteral("ABCDEFGHIJKLMNOPQ"), notifier));
    EXPECT_EQ(value(QStringLiteral("EngineType_3")).toString(), QStringLiteral("ABCDEFGHIJKLMNOP"));

    EXPECT_FALSE(addEngineType(QString(), notifier));
    EXPECT_FALSE(addEngineType(QStringLiteral("cfm56-7"), notifier));
    EXPECT_FALSE(addEngineType(QStringLiteral("abcdefghijklmnopXYZ"), notifier));
    EXPECT_FALSE(addEngineType(QStringLiteral("CFM56-\u20ac"), notifier));
    EXPECT_EQ(
        notifier.messages,
        (Messages{error(QStringLiteral("No engine type specified")),
                  error(QStringLiteral("Engine Type \"CFM56-7\" already exists")),
                  error(QStringLiteral("Engine Type \"ABCDEFGHIJKLMNOP\" already exists")),
                  error(QStringLiteral("Engine Type \"CFM56-\u20ac\" is not valid: it holds a "
                                       "character that the aircraft record cannot store"))}));
    EXPECT_EQ(KORALibCountEngineTypes(), 4);
}

// What removing an aircraft does with the files downloaded below its directory (the
// dialog's answers and an aircraft without files are driven in the widget tests).
TEST_F(RegisterEditingTest, RemovalAsksOnceBeforeDeletingDownloadedFiles) {
    struct Case {
        const char* what;
        QList<bool> answers;
        DownloadedFiles files;
        AircraftRemoval result;
        bool asked;
    };
    const Case cases[] = {
        {"asked, yes", {true}, DownloadedFiles::Ask, AircraftRemoval::Removed, true},
        {"asked, no", {false}, DownloadedFiles::Ask, AircraftRemoval::Kept, true},
        {"delete without asking",
         {false},
         DownloadedFiles::Delete,
         AircraftRemoval::Removed,
         false},
    };
    const QString id = QStringLiteral("N1");
    const QString directory = dataDirectory + QStringLiteral("/N1_data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(addAircraft(id, notifier));
        writeFile(directory + QStringLiteral("/engine_1/n4orig_1.raw"), "raw");
        writeFile(directory + QStringLiteral("/engine_2/n4ts_1.dat"), "ts");
        ASSERT_TRUE(QDir().mkpath(directory + QStringLiteral("/engine_2/old")));
        writeFile(directory + QStringLiteral("/engine_2/old/.kept"), "hidden");
        EXPECT_EQ(downloadedFileCount(id), 3);
        notifier.messages.clear();
        notifier.questionDefaults.clear();
        notifier.answers = c.answers;

        EXPECT_EQ(removeAircraft(id, notifier, c.files), c.result);
        const bool removed = c.result == AircraftRemoval::Removed;
        EXPECT_EQ(KORALibCountAircraft(), removed ? 0 : 1);
        EXPECT_EQ(QFileInfo::exists(directory + QStringLiteral("/engine_2/old/.kept")), !removed);
        Messages expected;
        if (c.asked)
            expected.append({QStringLiteral("question"), QStringLiteral("Remove Aircraft"),
                             QStringLiteral("Aircraft \"N1\" has 3 downloaded files in %1. Remove "
                                            "the aircraft and delete these files?")
                                 .arg(directory)});
        EXPECT_EQ(notifier.messages, expected);
        if (c.asked) {
            EXPECT_EQ(notifier.questionDefaults,
                      QList<Notifier::DefaultAnswer>{Notifier::DefaultAnswer::No});
        }
        KORALibDeleteAircraft(id, notifier);
    }
}

TEST_F(RegisterEditingTest, FilesAreCountedOnlyWhereTheRemovalWouldDeleteThem) {
    // Not registered: the removal leaves the directory alone.
    ASSERT_TRUE(QDir().mkpath(dataDirectory + QStringLiteral("/GHOST_data/engine_1")));
    writeFile(dataDirectory + QStringLiteral("/GHOST_data/engine_1/n4orig_1.raw"), "raw");
    EXPECT_EQ(downloadedFileCount(QStringLiteral("GHOST")), 0);
    // A link: only the link goes, never what it points to.
    const QString outside = QDir::homePath() + QStringLiteral("/outside");
    ASSERT_TRUE(QDir().mkpath(outside));
    writeFile(outside + QStringLiteral("/precious.raw"), "keep");
    setValue(kAircraftInfoPrefix + QStringLiteral("LNK"), zeroRecordWith("LNK"));
    ASSERT_TRUE(QFile::link(outside, dataDirectory + QStringLiteral("/LNK_data")));
    EXPECT_EQ(downloadedFileCount(QStringLiteral("LNK")), 0);
    EXPECT_EQ(removeAircraft(QStringLiteral("LNK"), notifier), AircraftRemoval::Removed);
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("/precious.raw")));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace
