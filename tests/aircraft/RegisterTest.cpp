#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "FixedText.h"
#include "KORALib.h"
#include "RegisterFixture.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class RegisterTest : public RegisterFixture {
protected:
    static void registerAircraft(const QStringList& ids) {
        for (const QString& id : ids) {
            AircraftRecord record;
            writeFixedText(record.aircraftId, id);
            ASSERT_TRUE(KORALibWriteAircraft(id, record));
        }
    }
    static void setEngineTypes(const QMap<int, QString>& types) {
        for (auto it = types.begin(); it != types.end(); ++it)
            setValue(QStringLiteral("EngineType_%1").arg(it.key()), it.value());
    }
    QString inData(const QString& name) const { return dataDirectory + '/' + name; }
};

TEST_F(RegisterTest, ListingSelectsTheLastAircraftOnlyWhenItIsRegisteredAsSpelled) {
    EXPECT_EQ(KORALibCountAircraft(), 0);
    EXPECT_EQ(KORALibListAircraft().selectedIndex, -1);

    registerAircraft({"A1", "B2", "C3"});
    EXPECT_EQ(KORALibCountAircraft(), 3);
    setValue(kLastAircraftKey, QStringLiteral("C3"));
    const AircraftList list = KORALibListAircraft();
    ASSERT_EQ(list.items.size(), 3);
    EXPECT_EQ(list.items[list.selectedIndex], QStringLiteral("C3"));

    setValue(kLastAircraftKey, QStringLiteral("c3"));
    EXPECT_EQ(KORALibListAircraft().selectedIndex, 0);
    setValue(kLastAircraftKey, QStringLiteral("C3"));
    ASSERT_TRUE(KORALibDeleteAircraft(QStringLiteral("C3"), notifier));
    EXPECT_EQ(KORALibListAircraft().selectedIndex, 0);
}

TEST_F(RegisterTest, RecordsAreStoredWholeAndReadBackWithZerosForWhatIsMissing) {
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("NONE")).toBytes(), QByteArray(2699, '\0'));
    setValue(kAircraftInfoPrefix + QStringLiteral("SHORT"), QByteArray("SHORT"));
    EXPECT_EQ(KORALibReadAircraft(QStringLiteral("SHORT")).toBytes(), zeroRecordWith("SHORT"));

    AircraftRecord record;
    record.engines[1].eraseAccelHistory = 1;
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("N1"), record));
    EXPECT_EQ(value(kAircraftInfoPrefix + QStringLiteral("N1")).toByteArray(), record.toBytes());
    // Either separator would turn the identifier into a settings group.
    EXPECT_FALSE(KORALibWriteAircraft(QStringLiteral("a/b"), record));
    EXPECT_FALSE(KORALibWriteAircraft(QStringLiteral("a\\b"), record));
    EXPECT_EQ(KORALibCountAircraft(), 2);
}

TEST_F(RegisterTest, EngineTypeRemovalClosesTheGap) {
    setEngineTypes({{0, "A"}, {1, "B"}, {2, "C"}});
    EXPECT_FALSE(KORALibRemoveEngineType(QStringLiteral("b")));
    EXPECT_FALSE(KORALibRemoveEngineType(QStringLiteral("X")));
    EXPECT_EQ(KORALibListEngineTypes(), (QStringList{"A", "B", "C"}));

    EXPECT_TRUE(KORALibRemoveEngineType(QStringLiteral("B")));
    EXPECT_EQ(value(QStringLiteral("EngineType_1")).toString(), QStringLiteral("C"));
    EXPECT_FALSE(contains(QStringLiteral("EngineType_2")));
    EXPECT_EQ(KORALibListEngineTypes(), (QStringList{"A", "C"}));
}

TEST_F(RegisterTest, ListingStopsAtAGapWhileCountingTakesEveryKey) {
    setEngineTypes({{0, "A"}, {2, "C"}});
    setValue(QStringLiteral("enginetype_5"), QStringLiteral("not counted"));
    EXPECT_EQ(KORALibListEngineTypes(), QStringList{"A"});
    EXPECT_EQ(KORALibCountEngineTypes(), 2);
}

TEST_F(RegisterTest, CheckDirReportsEachFailureWithThePathAsPassed) {
    const QString missing = inData("a/b");
    EXPECT_FALSE(KORALibCheckDir(missing, false, notifier));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(KORALibCheckDir(missing, true, notifier));
    EXPECT_TRUE(KORALibCheckDir(missing, false, notifier));
    writeFile(inData("file"), "x");
    EXPECT_FALSE(KORALibCheckDir(inData("file/sub"), true, notifier));
    EXPECT_EQ(
        notifier.messages,
        (Messages{
            error(QStringLiteral("Directory \"%1\" not found").arg(missing)),
            error(QStringLiteral("Unable to create directory \"%1\"").arg(inData("file/sub")))}));
}

TEST_F(RegisterTest, CheckDirRefusesADirectoryWithoutWriteAccess) {
    const QString locked = inData("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    if (!lock(locked)) {
        unlock(locked);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    EXPECT_FALSE(KORALibCheckDir(locked, false, notifier));
    unlock(locked);
    EXPECT_EQ(
        notifier.messages,
        Messages{error(QStringLiteral("No read/write access to directory \"%1\"").arg(locked))});
}

TEST_F(RegisterTest, BuildAircraftDirStopsAtTheFirstAircraftThatFails) {
    registerAircraft({"A1", "B2"});
    const QStringList order = KORALibListAircraft().items;
    ASSERT_TRUE(QDir().mkpath(dataDirectory));
    const QString first = inData(order[0] + QStringLiteral("_data"));
    writeFile(first, "in the way");
    EXPECT_FALSE(KORALibBuildAircraftDir(dataDirectory, notifier));
    EXPECT_EQ(notifier.messages,
              (Messages{error(QStringLiteral("Unable to create directory \"%1\"").arg(first)),
                        error(QStringLiteral(
                            "KORALibBuildAircraftDir(): Failed to create aircraft directory"))}));
    EXPECT_FALSE(QFileInfo::exists(inData(order[1] + QStringLiteral("_data"))));

    QFile::remove(first);
    ASSERT_TRUE(QDir().mkpath(first));
    writeFile(first + QStringLiteral("/engine_2"), "in the way");
    notifier.messages.clear();
    EXPECT_FALSE(KORALibBuildAircraftDir(dataDirectory, notifier));
    EXPECT_EQ(
        notifier.messages.value(1),
        error(QStringLiteral("KORALibBuildAircraftDir(): Failed to create engine directory")));

    QFile::remove(first + QStringLiteral("/engine_2"));
    notifier.messages.clear();
    EXPECT_TRUE(KORALibBuildAircraftDir(dataDirectory, notifier));
    EXPECT_TRUE(QFileInfo(inData(order[1] + QStringLiteral("_data/engine_2"))).isDir());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(RegisterTest, DeleteRemovesTheDirectoryWithItsFilesAndTheRecord) {
    registerAircraft({"N1", "N2"});
    ASSERT_TRUE(KORALibBuildAircraftDir(dataDirectory, notifier));
    writeFile(engineDirectory(QStringLiteral("N1"), 1) + QStringLiteral("/n4orig1.raw"), "data");
    ASSERT_TRUE(QDir().mkpath(inData("N1_data/extra/x")));

    EXPECT_TRUE(KORALibDeleteAircraft(QStringLiteral("N1"), notifier));
    EXPECT_FALSE(QFileInfo::exists(inData("N1_data")));
    EXPECT_TRUE(QFileInfo(inData("N2_data/engine_2")).isDir());
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N2"});
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(RegisterTest, DeleteNeverReachesOutsideTheDataDirectoryOrAnUnregisteredOne) {
    // A sibling of the data directory that "../victim" would name.
    const QString victim = QDir::homePath() + QStringLiteral("/victim_data");
    ASSERT_TRUE(QDir().mkpath(victim));
    ASSERT_TRUE(QDir().mkpath(inData("GHOST_data")));
    EXPECT_FALSE(KORALibDeleteAircraft(QStringLiteral("../victim"), notifier));
    EXPECT_FALSE(KORALibDeleteAircraft(QStringLiteral("..\\victim"), notifier));
    EXPECT_TRUE(KORALibDeleteAircraft(QStringLiteral("GHOST"), notifier));
    EXPECT_TRUE(QFileInfo(victim).isDir());
    EXPECT_TRUE(QFileInfo(inData("GHOST_data")).isDir());
    ASSERT_EQ(notifier.messages.size(), 2);
    EXPECT_EQ(notifier.messages[0],
              error(QStringLiteral("Aircraft ID \"../victim\" is not valid: it holds \"/\", which "
                                   "a directory name cannot hold")));
}

TEST_F(RegisterTest, DeleteRemovesOnlyTheLinkWhenTheAircraftDirectoryIsOne) {
    const QString outside = QDir::homePath() + QStringLiteral("/outside");
    ASSERT_TRUE(QDir().mkpath(outside + QStringLiteral("/sub")));
    writeFile(outside + QStringLiteral("/sub/precious.txt"), "keep");
    registerAircraft({"LNK"});
    ASSERT_TRUE(QDir().mkpath(dataDirectory));
    ASSERT_TRUE(QFile::link(outside, inData("LNK_data")));

    EXPECT_TRUE(KORALibDeleteAircraft(QStringLiteral("LNK"), notifier));
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("/sub/precious.txt")));
    EXPECT_FALSE(QFileInfo(inData("LNK_data")).isSymLink());
    EXPECT_EQ(KORALibCountAircraft(), 0);
}

TEST_F(RegisterTest, DeleteDropsAnEntryWhoseNameIsRefusedWithoutTouchingDirectories) {
    setValue(kAircraftInfoPrefix + QStringLiteral("a..b"), QByteArray("a..b"));
    ASSERT_TRUE(QDir().mkpath(inData("a..b_data")));
    EXPECT_TRUE(KORALibDeleteAircraft(QStringLiteral("a..b"), notifier));
    EXPECT_EQ(KORALibCountAircraft(), 0);
    EXPECT_TRUE(QFileInfo(inData("a..b_data")).isDir());
    EXPECT_FALSE(KORALibDeleteAircraft(QString(), notifier));
    EXPECT_TRUE(notifier.messages.size() == 1) << "only the blank identifier is reported";
}

TEST_F(RegisterTest, DeleteReportsADirectoryItCannotRemoveAndDropsTheRecordAnyway) {
    registerAircraft({"N1"});
    ASSERT_TRUE(KORALibBuildAircraftDir(dataDirectory, notifier));
    const QString engine = inData("N1_data/engine_1");
    writeFile(engine + QStringLiteral("/n4orig1.raw"), "data");
    if (!lock(engine)) {
        unlock(engine);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    EXPECT_FALSE(KORALibDeleteAircraft(QStringLiteral("N1"), notifier));
    unlock(engine);
    EXPECT_EQ(notifier.messages,
              Messages{error(QStringLiteral("Unable to fully delete this aircraft directory"))});
    EXPECT_EQ(KORALibCountAircraft(), 0);
}

TEST_F(RegisterTest, PathsAreAbsoluteWithSlashesWhateverTheDataDirectoryLooksLike) {
    setCurrentDataDirectory(QStringLiteral("rel\\data"));
    EXPECT_EQ(engineDirectory(QStringLiteral("N1"), 2),
              QDir::currentPath() + QStringLiteral("/rel/data/N1_data/engine_2"));
    // Nothing taken yet: the "DataDir" setting, never the file system root.
    setCurrentDataDirectory(QString());
    EXPECT_EQ(aircraftDirectory(QStringLiteral("N1")), inData("N1_data"));
}

} // namespace
