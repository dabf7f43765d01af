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
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "StartUp.h"
#include "UnitConnection.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QExposeEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
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

KORAWindow* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<KORAWindow*>(widget))
            return window;
    return nullptr;
}

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

    // The program checks the link once the window is drawn; then the technician leaves. The
    // window goes on turning while the check waits for the unit, so the check's own texts show
    // until it has ended.
    QString statusAfterCheck;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        KORAWindow* window = mainWindow();
        if (window == nullptr || !window->isVisible() || simulator.receivedCommands().isEmpty())
            return;
        const QString status = window->findChild<QLabel*>(QStringLiteral("STATUS"))->text();
        if (status == kCheckingCommunicationText || status == kGettingPartNumbersText)
            return;
        statusAfterCheck = status;
        QTest::keyClick(window, Qt::Key_Escape);
        closer.stop();
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

// A window system that exposes the main window a while after it is shown, as a real
// display server does, and a record of what the window drew: "window" for the window
// itself, then each text of its status item as it was painted.
class LateExposureRecorder : public QObject {
public:
    static constexpr int kExposeLateMs = 300;

    LateExposureRecorder() { qApp->installEventFilter(this); }
    ~LateExposureRecorder() override { qApp->removeEventFilter(this); }

    QStringList drawn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        KORAWindow* window = mainWindow();
        if (window == nullptr)
            return false;
        if (event->type() == QEvent::Expose && !held_ && watched == window->windowHandle()) {
            held_ = true;
            QTimer::singleShot(kExposeLateMs, [handle = QPointer<QWindow>(window->windowHandle())] {
                if (handle.isNull())
                    return;
                QExposeEvent late(QRegion(QRect(QPoint(), handle->size())));
                QCoreApplication::sendEvent(handle, &late);
            });
            return true;
        }
        if (event->type() == QEvent::Paint && window->testAttribute(Qt::WA_Mapped)) {
            if (watched == window && !drawn.contains(QStringLiteral("window")))
                drawn.append(QStringLiteral("window"));
            auto* status = qobject_cast<QLabel*>(watched);
            if (status != nullptr && status->objectName() == QStringLiteral("STATUS") &&
                !status->text().isEmpty() && (drawn.isEmpty() || drawn.last() != status->text()))
                drawn.append(status->text());
        }
        return false;
    }

private:
    bool held_ = false;
};

TEST(StartUp, TheWindowIsDrawnBeforeTheFirstCheckAndShowsItsSteps) {
    resetSettingsAndHome();
    UnitSimulator simulator;
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    freshDataDirectory();
    // A unit slow to give its part numbers keeps the check waiting on this thread.
    simulator.addFault({ReadPartNumbersCommand, FaultKind::Delay, 1500, {}, 1});

    LateExposureRecorder recorder;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        KORAWindow* window = mainWindow();
        if (window == nullptr || window->findChild<QLabel*>(QStringLiteral("STATUS"))->text() !=
                                     QStringLiteral("Communication OK!"))
            return;
        closer.stop();
        QTest::keyClick(window, Qt::Key_Escape);
    });
    closer.start();
    RecordingNotifier notifier;
    const RunBound bound;
    EXPECT_EQ(runProgram(QCoreApplication::applicationDirPath(), {}, notifier), 0);
    // Both steps reached the screen while the check waited, after the window itself.
    EXPECT_EQ(recorder.drawn.mid(0, 3).join(u'|').toStdString(),
              "window|Checking communication status|Getting Part Numbers");
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
        QTimer::singleShot(0, [] { QTest::keyClick(mainWindow(), Qt::Key_Escape); });
    });
    RecordingNotifier notifier;
    const RunBound bound;
    EXPECT_EQ(runProgram(QCoreApplication::applicationDirPath(), {}, notifier), 0);
    EXPECT_TRUE(dialogShown);
}

TEST(StartUp, MessagesAreBoxesWithOneButtonInTheMessageFont) {
    // As in the program: the message font first, then the style sheet, whose first setting
    // replaces the application's style.
    qApp->setStyleSheet(QString());
    installMessageBoxFont();
    ASSERT_TRUE(applyStyleSheet(kCommonResourceRoot));
    MessageBoxNotifier notifier;
    QString title;
    QString text;
    QFont font;
    QList<QAbstractButton*> buttons;
    bool parentless = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        // The text as drawn: the style sheet that the tests load must not override it.
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            font = label->font();
        buttons = box->buttons();
        parentless = box->parent() == nullptr;
        box->accept();
    });
    notifier.warning(QStringLiteral(" Thalvex "), QStringLiteral("No aircraft found"));
    EXPECT_EQ(title, QStringLiteral(" Thalvex "));
    EXPECT_EQ(text, QStringLiteral("No aircraft found"));
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_TRUE(parentless);
    EXPECT_EQ(font.family().toStdString(), "Helvetica [Cronyx]");
    EXPECT_EQ(font.pointSize(), 11);
    const QFontInfo drawn(font);
    EXPECT_TRUE(drawn.italic());
    EXPECT_TRUE(drawn.bold());
}

} // namespace
