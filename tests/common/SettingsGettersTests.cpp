#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

class SettingsGetters : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsAndHome(); }
};

TEST_F(SettingsGetters, FontsComeFromTheCommonStoreWithTheirDefaults) {
    FontSetting normal;
    readFontSetting(NormalFont, normal);
    EXPECT_EQ(normal.family, QStringLiteral("Arial"));
    EXPECT_EQ(normal.pointSize, 12);
    EXPECT_EQ(normal.weight, 1);
    EXPECT_EQ(normal.slant, 1);

    FontSetting small;
    readFontSetting(SmallFont, small);
    EXPECT_EQ(small.pointSize, 8);
    EXPECT_EQ(small.weight, 0);
    EXPECT_EQ(small.slant, 0);

    {
        BrixCommonSettings settings;
        settings.setValue(QStringLiteral("MidFont"), QStringLiteral("Times"));
        settings.setValue(QStringLiteral("MidFontPointSize"), 16);
    }
    FontSetting mid;
    readFontSetting(MidFont, mid);
    EXPECT_EQ(mid.family, QStringLiteral("Times"));
    EXPECT_EQ(mid.pointSize, 16);

    FontSetting untouched;
    readFontSetting(4, untouched);
    EXPECT_TRUE(untouched.family.isEmpty());
    EXPECT_TRUE(BrixCommonSettings().childKeys().size() == 2) << "reading writes nothing";
}

TEST_F(SettingsGetters, PasswordDefaultsUntilOneIsStored) {
    EXPECT_EQ(storedPassword(), QStringLiteral("qzpvx"));
    BrixCommonSettings().setValue(QStringLiteral("Password"), QStringLiteral("n3w"));
    EXPECT_EQ(storedPassword(), QStringLiteral("n3w"));
}

TEST_F(SettingsGetters, DataDirectoryIsWrittenWhenMissingAndAlwaysAbsolute) {
    EXPECT_EQ(dataDirectory(), QDir::homePath() + QStringLiteral("/ZELK-data"));
    EXPECT_EQ(BrixAircraftSettings().value(kDataDirKey).toString(),
              QDir::homePath() + QStringLiteral("/ZELK-data"));

    BrixAircraftSettings().setValue(kDataDirKey, QStringLiteral("relative/data"));
    EXPECT_EQ(dataDirectory(), QDir::currentPath() + QStringLiteral("/relative/data"));

    BrixAircraftSettings().setValue(kDataDirKey, QStringLiteral("\\\\server\\share\\data"));
    EXPECT_FALSE(dataDirectory().contains(QLatin1Char('\\')));
}

} // namespace
