#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "DataDirectoryPreparation.h"
#include "KORALib.h"
#include "RecordingNotifier.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class DataDirectoryPreparationTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        savedWorkingDirectory = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(savedWorkingDirectory); }

    static void storeDataDir(const QString& value) {
        BrixAircraftSettings settings;
        settings.setValue(kDataDirKey, value);
    }

    QString savedWorkingDirectory;
    RecordingNotifier notifier;
};

bool isDir(const QString& path) {
    return QFileInfo(path).isDir();
}

} // namespace

TEST_F(DataDirectoryPreparationTest, FirstStartBuildsTheWholeLayout) {
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("F-GKXA"), AircraftRecord{}));
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("N123"), AircraftRecord{}));
    performSettingsMaintenance();

    ASSERT_TRUE(prepareDataDirectory(notifier));
    const QString data = QDir::homePath() + QStringLiteral("/ZELK-data");
    EXPECT_EQ(currentDataDirectory(), data);
    EXPECT_TRUE(isDir(data + QStringLiteral("/SW_uploads")));
    EXPECT_TRUE(isDir(data + QStringLiteral("/HW_config")));
    for (const QString& id : {QStringLiteral("F-GKXA"), QStringLiteral("N123")}) {
        EXPECT_TRUE(isDir(data + '/' + id + QStringLiteral("_data/engine_1")));
        EXPECT_TRUE(isDir(data + '/' + id + QStringLiteral("_data/engine_2")));
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(DataDirectoryPreparationTest, RelativeAndBackslashedPathsBecomeAbsolute) {
    QDir::home().mkpath(QStringLiteral("work"));
    ASSERT_TRUE(QDir::setCurrent(QDir::homePath() + QStringLiteral("/work")));
    storeDataDir(QStringLiteral("flights\\zelk"));

    ASSERT_TRUE(prepareDataDirectory(notifier));
    const QString expected = QDir::homePath() + QStringLiteral("/work/flights/zelk");
    EXPECT_EQ(currentDataDirectory(), expected);
    EXPECT_TRUE(isDir(expected + QStringLiteral("/HW_config")));
}

TEST_F(DataDirectoryPreparationTest, OverlongPathIsRefusedNotCut) {
    const QString base = QDir::homePath() + '/';
    const QString longest = base + QString(kMaxDataDirLength - base.size(), 'd');
    const QString tooLong = longest + 'x';

    storeDataDir(tooLong);
    EXPECT_FALSE(prepareDataDirectory(notifier));
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0],
              (RecordingNotifier::Message{
                  QStringLiteral("critical"), QStringLiteral("Error"),
                  QStringLiteral("The data directory \"") + tooLong.left(200) +
                      QStringLiteral("...\" is longer than 259 characters. Choose a shorter "
                                     "\"DataDir\" setting.")}));
    EXPECT_TRUE(currentDataDirectory().isEmpty());
    // Neither the path nor a cut-down copy of it was created.
    EXPECT_FALSE(QFileInfo::exists(tooLong));
    EXPECT_FALSE(QFileInfo::exists(longest));

    notifier.messages.clear();
    storeDataDir(longest);
    EXPECT_TRUE(prepareDataDirectory(notifier));
    EXPECT_EQ(currentDataDirectory(), longest);
    EXPECT_TRUE(isDir(longest));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(DataDirectoryPreparationTest, FailedCheckStopsTheRemainingSteps) {
    // A file where the data directory should be.
    const QString data = QDir::homePath() + QStringLiteral("/blocked");
    {
        QFile file(data);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    storeDataDir(data);
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("F-GKXA"), AircraftRecord{}));

    EXPECT_FALSE(prepareDataDirectory(notifier));
    EXPECT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages.value(0).title, QStringLiteral("Error"));
    EXPECT_EQ(currentDataDirectory(), data);
    EXPECT_FALSE(isDir(data + QStringLiteral("/SW_uploads")));
}
