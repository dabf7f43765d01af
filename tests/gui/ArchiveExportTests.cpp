// The archive export from the main window's File menu: the save dialog, the busy dialog and
// the archive written, as the technician drives them.
#include "ApplicationSettings.h"
#include "ArchiveExportDialogs.h"
#include "BrixAircraftSettings.h"
#include "KORAWindow.h"
#include "ModalDriver.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Notes, with each message, whether the busy dialog was still in the way and what it said.
class BusyWatchingNotifier : public RecordingNotifier {
public:
    void critical(const QString& title, const QString& text) override {
        for (QProgressDialog* busy : window->findChildren<QProgressDialog*>()) {
            busyVisible = busyVisible || busy->isVisible();
            busyText = busy->labelText();
        }
        RecordingNotifier::critical(title, text);
    }

    QWidget* window = nullptr;
    bool busyVisible = false;
    QString busyText;
};

class ArchiveExportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        setPrivilegeLevel(kFlightLineLevel);
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
        notifier.window = window.get();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void chooseCompress() {
        auto* compress = window->findChild<QAction*>(QStringLiteral("PUI_FILE_COMPRESS"));
        ASSERT_NE(compress, nullptr);
        ASSERT_TRUE(compress->isEnabled());
        compress->trigger();
    }

    // Types the name into the save dialog, in the folder it opens in, and accepts it with
    // Enter. A bare name leaves the path completer nothing to offer.
    void answerSaveDialog(const QString& name) {
        whenModal<QFileDialog>([this, name](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            filters = dialog->nameFilters();
            folder = dialog->directory().absolutePath();
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

    UnitSimulator simulator;
    BusyWatchingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
    QString caption;
    QStringList filters;
    QString folder;
};

} // namespace

TEST_F(ArchiveExportWindowTest, ACancelledSaveDialogDoesNothing) {
    whenModal<QFileDialog>([this](QFileDialog* dialog) {
        caption = dialog->windowTitle();
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    chooseCompress();
    EXPECT_EQ(caption, QStringLiteral("Save as..."));
    EXPECT_EQ(filters, QStringList({QStringLiteral("Compressed Files (*.gz)")}));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.gz")}, QDir::Files).isEmpty());
}

TEST_F(ArchiveExportWindowTest, TheChosenFileInTheHomeReceivesTheDataDirectoryAndTellsItsSize) {
    // Started in the data directory, the save dialog would offer it as the archive's folder.
    const QString working = QDir::currentPath();
    const auto restore = qScopeGuard([&working] { QDir::setCurrent(working); });
    ASSERT_TRUE(QDir::setCurrent(dataDirectory));
    answerSaveDialog(QStringLiteral("backup"));
    chooseCompress();
    EXPECT_EQ(folder, QDir::homePath());
    const QString target = folder + QStringLiteral("/backup");
    const qint64 size = QFileInfo(target + QStringLiteral(".gz")).size();
    ASSERT_GT(size, 0);
    EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>(
                                     {{QStringLiteral("information"), QStringLiteral(" Thalvex "),
                                       QStringLiteral("Archive saved: %1.gz (%2 MB)")
                                           .arg(target, QString::number(size / 1e6, 'f', 1))}}));

    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("tzf"), target + QStringLiteral(".gz")});
    ASSERT_TRUE(tar.waitForFinished(30000));
    EXPECT_EQ(tar.exitCode(), 0);
    const QString name = QDir(dataDirectory).dirName();
    const QStringList members = QString::fromLocal8Bit(tar.readAllStandardOutput())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(members.contains(name + QStringLiteral("/SW_uploads/"))) << qPrintable(name);
    EXPECT_TRUE(members.contains(name + QStringLiteral("/HW_config/")));
}

TEST_F(ArchiveExportWindowTest, AFailureIsToldOnceTheBusyDialogHasGone) {
    const QString missing = QDir::homePath() + QStringLiteral("/missing");
    BrixAircraftSettings().setValue(kDataDirKey, missing);
    answerSaveDialog(QStringLiteral("backup.gz"));
    chooseCompress();

    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].kind, QStringLiteral("critical"));
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
    const QString text = notifier.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Failed to build archive file.: ")))
        << qPrintable(text);
    // Then tar's own first line, which names the missing folder.
    EXPECT_TRUE(text.contains(
        QStringLiteral(" -C %1 --anchored --no-wildcards --exclude=missing/.brix -- missing\n")
            .arg(QDir::homePath())))
        << qPrintable(text);
    EXPECT_TRUE(text.section(QLatin1Char('\n'), 1).contains(QStringLiteral("missing: ")))
        << qPrintable(text);
    EXPECT_FALSE(notifier.busyVisible);
    EXPECT_TRUE(notifier.busyText.startsWith(QStringLiteral("Archiving the data directory... ")))
        << qPrintable(notifier.busyText);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/backup.gz")));
}

TEST(ArchiveBusyDialog, NeitherEscNorClosingTakesItAwayWhileTheToolsRun) {
    const auto busy = createArchiveBusyDialog(nullptr, QFont());
    busy->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(busy.get()));
    QTest::keyClick(busy.get(), Qt::Key_Escape);
    EXPECT_TRUE(busy->isVisible());
    busy->close();
    EXPECT_TRUE(busy->isVisible());
    EXPECT_EQ(busy->windowModality(), Qt::ApplicationModal);
}
