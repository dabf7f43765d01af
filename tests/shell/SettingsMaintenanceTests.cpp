#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "ProgramVersion.h"
#include "RegisterKeys.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class SettingsMaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsAndHome(); }

    static void store(const QString& key, const QVariant& value) {
        BrixAircraftSettings settings;
        settings.setValue(key, value);
    }
    static void removeKey(const QString& key) {
        BrixAircraftSettings settings;
        settings.remove(key);
    }
    static QVariant stored(const QString& key) {
        BrixAircraftSettings settings;
        return settings.value(key);
    }
};

} // namespace

TEST_F(SettingsMaintenanceTest, FirstStartWritesExactlyTheDefaults) {
    performSettingsMaintenance();

    BrixAircraftSettings settings;
    QStringList keys = settings.allKeys();
    keys.sort();
    QStringList expected = {
        QStringLiteral("Main Window"),
        QStringLiteral("Download"),
        QStringLiteral("Aircraft Information"),
        QStringLiteral("Clear Memory"),
        QStringLiteral("Other Functions"),
        QStringLiteral("Utilities"),
        QStringLiteral("Port"),
        QStringLiteral("IP Address"),
        QStringLiteral("EngineType_0"),
        QStringLiteral("EngineType_1"),
        QStringLiteral("LastAircraft"),
        QStringLiteral("DataDir"),
        QStringLiteral("Version"),
    };
    expected.sort();
    EXPECT_EQ(keys, expected);

    EXPECT_EQ(settings.value(QStringLiteral("Port")).toInt(), 4242);
    EXPECT_EQ(settings.value(QStringLiteral("IP Address")).toString(),
              QStringLiteral("192.168.0.1"));
    EXPECT_EQ(settings.value(QStringLiteral("EngineType_0")).toString(), QStringLiteral("CFM56-3"));
    EXPECT_EQ(settings.value(QStringLiteral("EngineType_1")).toString(), QStringLiteral("CFM56-7"));
    EXPECT_EQ(settings.value(QStringLiteral("LastAircraft")).toString(), QString());
    EXPECT_EQ(settings.value(QStringLiteral("DataDir")).toString(),
              QDir::homePath() + QStringLiteral("/ZELK-data"));
    EXPECT_EQ(settings.value(QStringLiteral("Version")).toString(),
              QString::fromLatin1(kProgramVersion));
    EXPECT_EQ(settings.value(QStringLiteral("Download")).toString(),
              QStringLiteral("Before starting the download please ensure:\r\n(1) The unit is "
                             "powered on\r\n(2) The unit front panel display is switched "
                             "off\r\n(3) The cable is plugged into the front connector of the "
                             "unit"));

    BrixCommonSettings common;
    EXPECT_TRUE(common.allKeys().isEmpty());
    EXPECT_FALSE(QFile::exists(common.fileName()));
}

TEST_F(SettingsMaintenanceTest, HelpTextsAndVersionAreRewrittenEveryStart) {
    performSettingsMaintenance();
    store(kMainWindowHelpKey, QStringLiteral("edited by hand"));
    removeKey(kOtherFunctionsHelpKey);
    store(kVersionKey, QStringLiteral("0.9.1"));
    performSettingsMaintenance();
    EXPECT_EQ(stored(kMainWindowHelpKey).toString(), kMainWindowHelpText);
    EXPECT_EQ(stored(kOtherFunctionsHelpKey).toString(), kOtherFunctionsHelpText);
    EXPECT_EQ(stored(kVersionKey).toString(), QString::fromLatin1(kProgramVersion));
}

// The last group of the part number is "10" and the major number, then the minor number and
// the revision in two digits; the program's own follows its version.
TEST(ProgramPartNumber, EndsWithTheNumbersOfTheVersion) {
    EXPECT_EQ(partNumberOfVersion(1, 2, 24), QStringLiteral("388-270-101-224"));
    EXPECT_EQ(partNumberOfVersion(1, 2, 5), QStringLiteral("388-270-101-205"));
    EXPECT_EQ(partNumberOfVersion(2, 0, 0), QStringLiteral("388-270-102-000"));
    EXPECT_EQ(programPartNumber(),
              partNumberOfVersion(kVersionMajor, kVersionMinor, kVersionRevision));
    EXPECT_EQ(
        programVersion(),
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
}

TEST_F(SettingsMaintenanceTest, CutEngineTypeListGetsItsDefaultsBack) {
    store(QStringLiteral("EngineType_0"), QStringLiteral("PW4000"));
    performSettingsMaintenance();
    EXPECT_EQ(stored(QStringLiteral("EngineType_0")).toString(), QStringLiteral("PW4000"));
    EXPECT_EQ(stored(QStringLiteral("EngineType_1")).toString(), QStringLiteral("CFM56-7"));

    removeKey(QStringLiteral("EngineType_0"));
    store(QStringLiteral("EngineType_1"), QString());
    store(QStringLiteral("EngineType_2"), QStringLiteral("V2500"));
    performSettingsMaintenance();
    EXPECT_EQ(stored(QStringLiteral("EngineType_0")).toString(), QStringLiteral("CFM56-3"));
    EXPECT_EQ(stored(QStringLiteral("EngineType_1")).toString(), QStringLiteral("CFM56-7"));
    EXPECT_EQ(stored(QStringLiteral("EngineType_2")).toString(), QStringLiteral("V2500"));
}

TEST_F(SettingsMaintenanceTest, UnusablePortIsReplacedAndAGoodOneKept) {
    const struct {
        QVariant value;
        int expected;
    } cases[] = {
        {0, 4242},
        {QStringLiteral("abc"), 4242},
        {QString(), 4242},
        {5000, 5000},
    };
    for (const auto& c : cases) {
        store(kPortKey, c.value);
        performSettingsMaintenance();
        EXPECT_EQ(stored(kPortKey).toInt(), c.expected) << c.value.toString().toStdString();
    }
}

TEST_F(SettingsMaintenanceTest, UserValuesSurviveAndEmptyOnesAreFilled) {
    store(kIpAddressKey, QStringLiteral("127.0.0.1"));
    store(kLastAircraftKey, QStringLiteral("F-GKXA"));
    store(kDataDirKey, QStringLiteral("relative/data"));
    performSettingsMaintenance();
    EXPECT_EQ(stored(kIpAddressKey).toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(stored(kLastAircraftKey).toString(), QStringLiteral("F-GKXA"));
    EXPECT_EQ(stored(kDataDirKey).toString(), QStringLiteral("relative/data"));

    store(kIpAddressKey, QString());
    store(kDataDirKey, QString());
    performSettingsMaintenance();
    EXPECT_EQ(stored(kIpAddressKey).toString(), QStringLiteral("192.168.0.1"));
    EXPECT_EQ(stored(kDataDirKey).toString(), defaultDataDirectory());
}
