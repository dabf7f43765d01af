#include "RegisterEditing.h"
#include "FixedText.h"
#include "KORALib.h"
#include "RegisterFixture.h"

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

TEST_F(RegisterEditingTest, EngineTypesAreAppendedOnceWhateverTheLetterCase) {
    setValue(QStringLiteral("EngineType_0"), QStringLiteral("CFM56-3"));
    setValue(QStringLiteral("EngineType_1"), QStringLiteral("CFM56-7"));
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-5B"), notifier));
    EXPECT_EQ(value(QStringLiteral("EngineType_2")).toString(), QStringLiteral("CFM56-5B"));

    EXPECT_FALSE(addEngineType(QString(), notifier));
    EXPECT_FALSE(addEngineType(QStringLiteral("cfm56-7"), notifier));
    EXPECT_FALSE(addEngineType(QStringLiteral("ABCDEFGHIJKLMNOPQ"), notifier));
    EXPECT_EQ(notifier.messages,
              (Messages{error(QStringLiteral("No engine type specified")),
                        error(QStringLiteral("Engine Type \"CFM56-7\" already exists")),
                        error(QStringLiteral("Engine Type \"ABCDEFGHIJKLMNOPQ\" is not valid: an "
                                             "engine type holds at most 16 characters of 8-bit "
                                             "text"))}));
    EXPECT_EQ(KORALibCountEngineTypes(), 3);
}

} // namespace
