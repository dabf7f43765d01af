// The settings files as the start finds them: damaged ones are refused and left as they
// are, the password store is kept from other users, and long values are cut in messages.
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "RecordingNotifier.h"
#include "SettingsFiles.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

namespace {

int modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

// Files and folders are made as a default umask makes them, readable by everyone.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        QFile::remove(commonStoreFile());
        previousMask_ = ::umask(022);
    }
    void TearDown() override { ::umask(previousMask_); }

    // What a regular file holds; nothing for anything else, which is never opened.
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                          : QByteArray();
    }

private:
    mode_t previousMask_ = 0;
};

TEST_F(SettingsFiles, AreWhereTheStoresKeepThem) {
    EXPECT_EQ(applicationStoreFile(), BrixAircraftSettings().fileName());
    EXPECT_EQ(commonStoreFile(), BrixCommonSettings().fileName());
}

TEST_F(SettingsFiles, ThePasswordStoreIsCreatedAndKeptForItsOwnerOnly) {
    QDir(QFileInfo(commonStoreFile()).absolutePath()).removeRecursively();
    storePassword(QStringLiteral("Kestrel9"));
    EXPECT_EQ(storedPassword(), QStringLiteral("Kestrel9"));
    const QString folder = QFileInfo(commonStoreFile()).absolutePath();
    EXPECT_EQ(modeOf(commonStoreFile()), 0600);
    EXPECT_EQ(modeOf(folder), 0700);

    // A store left readable by an earlier version is tightened at the next start.
    ASSERT_EQ(::chmod(QFile::encodeName(commonStoreFile()).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    RecordingNotifier notifier;
    EXPECT_TRUE(prepareSettingsFiles(notifier));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(modeOf(commonStoreFile()), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
}

struct DamagedRow {
    const char* name;
    void (*damage)(const QString& path);
    QString reason;
};

class DamagedSettingsFile : public SettingsFiles,
                            public ::testing::WithParamInterface<DamagedRow> {};

// The start reports the file and reads or writes nothing of it; a FIFO is not opened, so it
// cannot hold the start.
TEST_P(DamagedSettingsFile, EndsTheStartAndStaysAsItWas) {
    BrixAircraftSettings().setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
    const QString path = applicationStoreFile();
    ASSERT_TRUE(QFile::remove(path));
    GetParam().damage(path);
    const QByteArray before = contents(path);

    RecordingNotifier notifier;
    EXPECT_FALSE(prepareSettingsFiles(notifier));
    EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>(
                                     {{QStringLiteral("critical"), QStringLiteral("Error"),
                                       QStringLiteral("The settings file %1 cannot be "
                                                      "read: %2")
                                           .arg(path, GetParam().reason)}}));
    EXPECT_EQ(contents(path), before);
    QFile::remove(path);
    QDir(path).removeRecursively();
}

void writeGarbled(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nIP Address=127.0.0.1\n[AircraftInfo\nAC100=\x01\x02\n");
}

void makeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

void makeFolder(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(path));
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettingsFile,
    ::testing::Values(DamagedRow{"Garbled", writeGarbled,
                                 QStringLiteral("its contents are not in the settings format")},
                      DamagedRow{"Fifo", makeFifo, QStringLiteral("it is not a regular file")},
                      DamagedRow{"Folder", makeFolder, QStringLiteral("it is not a regular file")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
