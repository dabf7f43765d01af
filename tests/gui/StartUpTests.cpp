// The start-up sequence: the window-resource files beside the program, the whole run from
// the first window to the end of the event loop.
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "Controls.h"
#include "KORACommDialog.h"
#include "KORAWindow.h"
#include "MessageBoxNotifier.h"
#include "ModalDriver.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "StartUp.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A program directory holding the resource files that are not left out.
QString programDirectoryWithout(const QTemporaryDir& directory, const QString& leftOut) {
    for (const QString& file : {kCommonResourceFile, kApplicationResourceFile, kHelpResourceFile}) {
        if (file != leftOut) {
            EXPECT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + file,
                                    directory.path() + file));
        }
    }
    return directory.path();
}

// A run of the program that does not end in time fails and has its windows closed.
class RunBound {
public:
    RunBound() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!expired_)
                ADD_FAILURE() << "the program did not end within " << kRunBoundMs << " ms";
            expired_ = true;
            // Until the program is back from its event loop: whatever it waits in is closed.
            timer_.setInterval(100);
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            QApplication::closeAllWindows();
            QCoreApplication::exit(1);
        });
        timer_.start(kRunBoundMs);
    }

private:
    static constexpr int kRunBoundMs = 30000;
    QTimer timer_;
    bool expired_ = false;
};

bool storesUntouched() {
    return BrixAircraftSettings().allKeys().isEmpty() && BrixCommonSettings().allKeys().isEmpty();
}

TEST(StartUp, EachMissingResourceFileEndsTheProgramBeforeAnySetting) {
    for (const QString& missing :
         {kCommonResourceFile, kApplicationResourceFile, kHelpResourceFile}) {
        resetSettingsAndHome();
        QTemporaryDir directory;
        const QString program = programDirectoryWithout(directory, missing);
        RecordingNotifier notifier;
        EXPECT_EQ(runProgram(program, {}, notifier), -1);
        ASSERT_EQ(notifier.messages.size(), 1) << missing.toStdString();
        EXPECT_EQ(notifier.messages[0],
                  (RecordingNotifier::Message{QStringLiteral("critical"), QStringLiteral("Error"),
                                              program + missing +
                                                  QStringLiteral(" could not be found.")}));
        EXPECT_TRUE(storesUntouched()) << missing.toStdString();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                    std::none_of(QApplication::topLevelWidgets().cbegin(),
                                 QApplication::topLevelWidgets().cend(),
                                 [](QWidget* w) { return w->isVisible(); }));
    }
}

TEST(StartUp, RunsFromTheFirstWindowToTheEndOfTheEventLoop) {
    resetSettingsAndHome();
    UnitSimulator simulator;
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    freshDataDirectory();
    {
        BrixCommonSettings common;
        common.setValue(QStringLiteral("PrivTimeout"), 120);
    }

    // The program checks the link once the window is drawn; then the technician leaves.
    QString statusAfterCheck;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<KORAWindow*>(widget);
            if (window == nullptr || !window->isVisible() || simulator.receivedCommands().isEmpty())
                continue;
            auto* status = window->findChild<QLabel*>(QStringLiteral("STATUS"));
            statusAfterCheck = status->text();
            QTest::keyClick(window, Qt::Key_Escape);
            closer.stop();
        }
    });
    closer.start();
    RecordingNotifier notifier;
    const RunBound bound;
    EXPECT_EQ(runProgram(QCoreApplication::applicationDirPath(), {}, notifier), 0);
    EXPECT_EQ(statusAfterCheck, QStringLiteral("Communication OK!"));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(inactivityTimeout(), 120);
    ASSERT_FALSE(simulator.receivedCommands().isEmpty());
    EXPECT_EQ(simulator.receivedCommands().first().code, 1u);
}

TEST(StartUp, AFailedFirstCheckShowsTheDialogAndTheProgramGoesOn) {
    resetSettingsAndHome();
    UnitSimulator simulator;
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    simulator.setRefuseConnections(true);
    freshDataDirectory();

    bool dialogShown = false;
    whenModal<KORACommDialog>([&](KORACommDialog* dialog) {
        dialogShown = true;
        findControl<QPushButton>(dialog, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")})
            ->click();
        // The program runs on; the technician leaves from the title screen.
        QTimer::singleShot(0, [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<KORAWindow*>(widget))
                    QTest::keyClick(window, Qt::Key_Escape);
        });
    });
    RecordingNotifier notifier;
    const RunBound bound;
    EXPECT_EQ(runProgram(QCoreApplication::applicationDirPath(), {}, notifier), 0);
    EXPECT_TRUE(dialogShown);
}

TEST(StartUp, MessagesAreBoxesWithOneButtonInTheMessageFont) {
    installMessageBoxFont();
    MessageBoxNotifier notifier;
    QString title;
    QString text;
    QFont font;
    QList<QAbstractButton*> buttons;
    bool parentless = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        font = box->font();
        buttons = box->buttons();
        parentless = box->parent() == nullptr;
        box->accept();
    });
    notifier.warning(QStringLiteral(" Thalvex "), QStringLiteral("No aircraft found"));
    EXPECT_EQ(title, QStringLiteral(" Thalvex "));
    EXPECT_EQ(text, QStringLiteral("No aircraft found"));
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_TRUE(parentless);
    EXPECT_EQ(font.family(), QStringLiteral("Helvetica [Cronyx]"));
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_TRUE(font.italic());
    EXPECT_EQ(font.weight(), QFont::Bold);
}

} // namespace
