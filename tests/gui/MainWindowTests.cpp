// The main window as the technician sees it: title screen, main menu, keys, the link
// check against the simulated unit, the download flow and the start arguments.
#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "Controls.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORAButton.h"
#include "KORACommDialog.h"
#include "KORAGroup.h"
#include "KORALib.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "PaintCounter.h"
#include "PrivilegeLevel.h"
#include "ProgramVersion.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "Screen.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"
#include "UnitLink.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kAircraft = QStringLiteral("F-GZLK");
constexpr int kRunBoundMs = 60000;

// The main window's link waits for the unit and no dialog is up.
bool waitingForTheUnit(KORAWindow* window) {
    return window->connection().link().statusCode() == LinkStatusWorking &&
           QApplication::activeModalWidget() == nullptr;
}

QString statusText(QWidget* window, const char* name) {
    auto* label = findControl<QLabel>(window, {QStringLiteral("StatusBar"), QLatin1String(name)});
    return label == nullptr ? QStringLiteral("<missing>") : label->text();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        setPrivilegeLevel(kFlightLineLevel);
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        KORAButton::setHelpDirectory(QString());
    }

    void TearDown() override { KORAButton::setHelpDirectory(QString()); }

    KORAWindow& open(const QStringList& arguments = {}) {
        window = std::make_unique<KORAWindow>(persist, notifier, arguments);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    QString screenName() const {
        return window->currentScreen() == nullptr ? QString()
                                                  : window->currentScreen()->objectName();
    }

    // Keys go to whatever control has the focus, as the technician's would.
    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != window.get())
            target = window.get();
        QTest::keyClick(target, key);
    }

    void registerAircraft() {
        ASSERT_TRUE(addAircraft(kAircraft, notifier));
        registerEngines(kAircraft, kAllOn, kAllOn);
        notifier.messages.clear();
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
};

TEST_F(MainWindowTest, OpensOnTheTitleScreen) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex "));
    EXPECT_EQ(screenName(), QStringLiteral("TitleWindow"));
    auto* back = findControl<QPushButton>(window.get(),
                                          {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")});
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), QStringLiteral("Exit (Esc)"));
    EXPECT_EQ(statusText(window.get(), "DATE"),
              QLocale::c().toString(QDate::currentDate(), QStringLiteral("dd-MMM-yyyy")));
    EXPECT_EQ(statusText(window.get(), "PRIVILEGE_LEVEL"), QStringLiteral("Flight Line"));
    auto* version = window->currentScreen()->findChild<QLabel*>(QStringLiteral("versionLabel"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains(QString::fromLatin1(kProgramVersion)));
    EXPECT_TRUE(version->text().contains(programPartNumber()));
    // Nothing was said and nothing sent to the unit while the window was built.
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
}

// The import file dialog costs more than the rest of the window: it is built by the first
// import, on the data folder with the import filter, and kept, so that the next import opens
// where the technician last picked a file.
TEST_F(MainWindowTest, TheImportDialogIsBuiltByTheFirstImportAndKeptForTheNext) {
    open();
    QTest::qWait(50);
    EXPECT_TRUE(window->findChildren<QFileDialog*>().isEmpty());

    const QString folder = dataDirectory + QStringLiteral("/imports");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile csv(folder + QStringLiteral("/fleet.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("D-ABCD,S1,CFM56-3,111111,2020\n");
    csv.close();
    QStringList opened;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        opened << dialog->directory().absolutePath() << dialog->nameFilters().join(';');
        chooseExistingFile(dialog, csv.fileName());
    });
    window->handleEvent(kImportAircraftCode);
    EXPECT_EQ(opened, (QStringList{dataDirectory, QStringLiteral("*.csv")}));
    EXPECT_TRUE(KORALibListAircraft().items.contains(QStringLiteral("D-ABCD")));

    opened.clear();
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        opened << dialog->directory().absolutePath();
        dialog->reject();
    });
    window->handleEvent(kImportAircraftCode);
    EXPECT_EQ(opened, QStringList{folder});
    EXPECT_EQ(window->findChildren<QFileDialog*>().size(), 1);
}

TEST_F(MainWindowTest, FirstStartWritesTheDefaultsAndLeavesTheCommonStoreEmpty) {
    {
        BrixAircraftSettings settings;
        settings.clear();
    }
    // Building the window writes the defaults, the unit's default address among them. The
    // window goes at once, so that nothing it owns can ever try that address.
    window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
    window.reset();
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
    BrixAircraftSettings settings;
    EXPECT_EQ(settings.value(QStringLiteral("Main Window")).toString(), kMainWindowHelpText);
    EXPECT_EQ(settings.value(QStringLiteral("Download")).toString(), kDownloadHelpText);
    EXPECT_EQ(settings.value(QStringLiteral("Clear Memory")).toString(), kClearMemoryHelpText);
    EXPECT_EQ(settings.value(QStringLiteral("Port")).toInt(), 4242);
    EXPECT_EQ(settings.value(QStringLiteral("IP Address")).toString(),
              QStringLiteral("192.168.0.1"));
    EXPECT_EQ(settings.value(QStringLiteral("EngineType_0")).toString(), QStringLiteral("CFM56-3"));
    EXPECT_EQ(settings.value(QStringLiteral("EngineType_1")).toString(), QStringLiteral("CFM56-7"));
    EXPECT_TRUE(settings.contains(QStringLiteral("LastAircraft")));
    EXPECT_TRUE(settings.contains(QStringLiteral("DataDir")));
    EXPECT_EQ(settings.value(QStringLiteral("Version")).toString(),
              QString::fromLatin1(kProgramVersion));
    EXPECT_TRUE(BrixCommonSettings().allKeys().isEmpty());
    EXPECT_TRUE(QDir(::dataDirectory() + QStringLiteral("/SW_uploads")).exists());
    EXPECT_TRUE(QDir(::dataDirectory() + QStringLiteral("/HW_config")).exists());
}

TEST_F(MainWindowTest, F5OnTheTitleScreenShowsTheMainMenu) {
    open();
    press(Qt::Key_F5);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Main Window"));
    Screen* menu = window->currentScreen();
    auto* textArea = menu->findChild<QTextBrowser*>(QStringLiteral("TextArea"));
    ASSERT_NE(textArea, nullptr);
    EXPECT_EQ(textArea->toPlainText(), kMainWindowHelpText);
    auto* plot = menu->findChild<KORAButton*>(QStringLiteral("B4"));
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->text(), QStringLiteral("Plot (F8)"));
    // Flight line: no utilities button, no aircraft menu.
    EXPECT_EQ(menu->findChild<KORAButton*>(QStringLiteral("B5")), nullptr);
    auto* aircraftMenu = window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"));
    ASSERT_NE(aircraftMenu, nullptr);
    EXPECT_FALSE(aircraftMenu->menuAction()->isEnabled());
    EXPECT_TRUE(menu->findChild<KORAButton*>(QStringLiteral("B1"))->hasFocus());
    // F9 does nothing at flight line.
    press(Qt::Key_F9);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(MainWindowTest, EscEndsTheProgramFromTheTitleScreenAndTheMainMenu) {
    open();
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    open();
    press(Qt::Key_F5);
    ASSERT_EQ(screenName(), QStringLiteral("MenuWindow"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(MainWindowTest, F4WithTheUnitAnsweringSaysCommunicationsOk) {
    open();
    press(Qt::Key_F4);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0], (RecordingNotifier::Message{
                                        QStringLiteral("information"), QStringLiteral(" Thalvex "),
                                        QStringLiteral("Communications OK")}));
    EXPECT_EQ(statusText(window.get(), "STATUS"), QStringLiteral("Communication OK!"));
    EXPECT_EQ(statusText(window.get(), "PART_NUMBER"), QString());
    EXPECT_EQ(statusText(window.get(), "SERIAL_NUMBER"), QString());
    ASSERT_FALSE(simulator.receivedCommands().isEmpty());
    EXPECT_EQ(simulator.receivedCommands().last().code, 1u);
}

TEST_F(MainWindowTest, F4WithNothingListeningShowsTheFailureDialog) {
    simulator.setRefuseConnections(true);
    open();
    QString dialogStatus;
    QString dialogBack;
    whenModal<KORACommDialog>([&](KORACommDialog* dialog) {
        dialogStatus = controlText(dialog->findChild<QWidget*>(QStringLiteral("STATUS_TEXT")));
        dialogBack = controlText(
            findControl<QWidget>(dialog, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")}));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    press(Qt::Key_F4);
    EXPECT_EQ(statusText(window.get(), "STATUS"),
              QStringLiteral("Unable to communicate with the unit.  Check cabling"));
    EXPECT_FALSE(dialogStatus.isEmpty());
    EXPECT_EQ(dialogBack, QStringLiteral("Back (Esc)"));
    // A failure is not followed by the success notice.
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The window goes on painting while the check waits for a slow or a silent unit, and tells
// the outcome as before.
TEST_F(MainWindowTest, TheWindowPaintsWhileTheCheckWaitsForTheUnit) {
    open();
    {
        SCOPED_TRACE("a slow unit, as at start-up");
        simulator.addFault({ReadPartNumbersCommand, FaultKind::Delay, 1500, {}, 1});
        const PaintCounter counter(window.get(),
                                   [this] { return waitingForTheUnit(window.get()); });
        EXPECT_TRUE(window->checkCommunication());
        EXPECT_GT(counter.paints(), 0);
        EXPECT_EQ(statusText(window.get(), "STATUS"), QStringLiteral("Communication OK!"));
    }
    {
        SCOPED_TRACE("F4, the unit silent");
        simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
        const PaintCounter counter(window.get(),
                                   [this] { return waitingForTheUnit(window.get()); });
        bool dialogShown = false;
        whenModal<KORACommDialog>([&](KORACommDialog* dialog) {
            dialogShown = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(Qt::Key_F4);
        EXPECT_TRUE(dialogShown);
        EXPECT_GT(counter.paints(), 0);
        EXPECT_EQ(statusText(window.get(), "STATUS"),
                  QStringLiteral("Unable to communicate with the unit.  Check cabling"));
        EXPECT_TRUE(notifier.messages.isEmpty());
    }
}

TEST_F(MainWindowTest, WithNoAircraftF5F6AndF7WarnAndLeaveTheMenu) {
    open();
    press(Qt::Key_F5);
    ASSERT_EQ(screenName(), QStringLiteral("MenuWindow"));
    for (Qt::Key key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7})
        press(key);
    const RecordingNotifier::Message warning{QStringLiteral("warning"), QStringLiteral(" Thalvex "),
                                             QStringLiteral("No aircraft found")};
    EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>({warning, warning, warning}));
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    // The download stopped before the link check.
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
}

TEST_F(MainWindowTest, ButtonHelpFollowsThePointerAndHidesWhenItsFileIsMissing) {
    open();
    press(Qt::Key_F5);
    Screen* menu = window->currentScreen();
    auto* download = menu->findChild<KORAButton*>(QStringLiteral("B1"));
    auto* help = menu->findChild<QLabel*>(QStringLiteral("HELP_TEXT"));
    ASSERT_TRUE(download != nullptr && help != nullptr);

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(download, &enter);
    QFile file(KORAButton::helpDirectory() + QStringLiteral("/KORA_AutoDownloadHelp.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(help->text(), QString::fromUtf8(file.readAll()).trimmed());
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(download->isHighlighted());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(download, &leave);
    download->clearFocus();
    EXPECT_FALSE(download->isHighlighted());

    QTemporaryDir withoutFiles;
    KORAButton::setHelpDirectory(withoutFiles.path());
    QCoreApplication::sendEvent(download, &enter);
    EXPECT_FALSE(help->isVisible());
}

TEST_F(MainWindowTest, TheChoiceToggleSelectsAndClearsAllFour) {
    open();
    press(Qt::Key_F5);
    // A screen with a choice group: four check boxes, then the toggle.
    auto* group = new KORAGroup(window->currentScreen());
    group->setObjectName(QStringLiteral("G_CHOICE"));
    auto* layout = new QVBoxLayout(group);
    QList<QCheckBox*> boxes;
    for (int i = 0; i < 4; ++i) {
        boxes.append(new QCheckBox(group));
        layout->addWidget(boxes.last());
    }
    auto* toggle = new QPushButton(QStringLiteral("Select ALL"), group);
    layout->addWidget(toggle);

    window->handleEvent(kSelectAllCode);
    EXPECT_EQ(toggle->text(), QStringLiteral("Clear ALL"));
    for (QCheckBox* box : boxes)
        EXPECT_TRUE(box->isChecked());
    boxes[1]->setChecked(false);
    window->handleEvent(kSelectAllCode);
    EXPECT_EQ(toggle->text(), QStringLiteral("Select ALL"));
    for (QCheckBox* box : boxes)
        EXPECT_FALSE(box->isChecked());
}

TEST_F(MainWindowTest, StartArgumentsPlaceTheWindowAndSetTheLevel) {
    open({QStringLiteral("-x10"), QStringLiteral("-y20"), QStringLiteral("-l2"),
          QStringLiteral("-p")});
    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);

    open({QStringLiteral("-x30"), QStringLiteral("-y40"), QStringLiteral("-l1"),
          QStringLiteral("-pqzpvx")});
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_EQ(privilegeLevel(), kAdministratorLevel);
    EXPECT_EQ(statusText(window.get(), "PRIVILEGE_LEVEL"), QStringLiteral("Administrator"));
    EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("PUI_PRIV_ADMINISTRATOR"))->isChecked());
    press(Qt::Key_F5);
    EXPECT_NE(window->currentScreen()->findChild<KORAButton*>(QStringLiteral("B5")), nullptr);
    EXPECT_TRUE(
        window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"))->menuAction()->isEnabled());

    // A wrong password, a first argument of another form, an unknown level.
    open({QStringLiteral("-y5"), QStringLiteral("-y40"), QStringLiteral("-l1"),
          QStringLiteral("-pwrong")});
    EXPECT_EQ(window->pos().x(), 0);
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);
    open({QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l7"),
          QStringLiteral("-pqzpvx")});
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);
    EXPECT_EQ(statusText(window.get(), "PRIVILEGE_LEVEL"), QStringLiteral("Flight Line"));
    // The maker's level takes its access code in any case.
    open({QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l0"),
          QStringLiteral("-pwynd_raxo")});
    EXPECT_EQ(privilegeLevel(), kMakerLevel);
    EXPECT_EQ(statusText(window.get(), "PRIVILEGE_LEVEL"), QStringLiteral("Orvantis"));
}

TEST_F(MainWindowTest, F1ShowsTheHelpPageOfTheScreen) {
    open();
    QString page;
    whenModal<QDialog>([&](QDialog* help) {
        if (auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HELP_PAGE")))
            page = browser->source().toString();
        help->accept();
    });
    press(Qt::Key_F1);
    EXPECT_EQ(page, QStringLiteral("HelpKORA.html"));
}

TEST_F(MainWindowTest, F5DownloadsBothEnginesThroughBothDialogs) {
    registerAircraft();
    open();
    press(Qt::Key_F5);
    ASSERT_EQ(screenName(), QStringLiteral("MenuWindow"));

    QString aircraftDialogTitle;
    bool aircraftMenuDisabledDuringDownload = false;
    QString downloadHelpShown;
    QStringList lines;
    QString activity;
    QString notice;
    QString button;
    whenModal<KORAAircraftInfoDialog>([&](KORAAircraftInfoDialog* dialog) {
        aircraftDialogTitle = dialog->windowTitle();
        aircraftMenuDisabledDuringDownload =
            !window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"))
                 ->menuAction()
                 ->isEnabled();
        downloadHelpShown =
            controlText(window->currentScreen()->findChild<QWidget*>(QStringLiteral("TextArea")));
        whenModal<KORAAutoDownload>([&](KORAAutoDownload* progress) {
            auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("B_CANCEL"));
            const bool done = QTest::qWaitFor(
                [&] { return cancel->text() == QStringLiteral("Done (F5)"); }, kRunBoundMs);
            EXPECT_TRUE(done) << "the download did not end";
            for (const char* group : {"G_ENGINE1", "G_ENGINE2"})
                for (int kind = 0; kind < 5; ++kind)
                    lines.append(controlText(findControl<QWidget>(
                        progress, {QLatin1String(group), QStringLiteral("LINE%1").arg(kind)})));
            activity = controlText(progress->findChild<QWidget*>(QStringLiteral("P_STATUS")));
            notice = controlText(progress->findChild<QWidget*>(QStringLiteral("P_NOTICE")));
            button = cancel->text();
            QTest::keyClick(cancel, Qt::Key_F5);
        });
        QTest::keyClick(dialog->findChild<QWidget*>(QStringLiteral("TAIL_NUMBER")), Qt::Key_F5);
    });
    press(Qt::Key_F5);

    EXPECT_EQ(aircraftDialogTitle, QStringLiteral(" Thalvex  - Download"));
    EXPECT_TRUE(aircraftMenuDisabledDuringDownload);
    // The text field shows the store's line ends as plain line breaks.
    EXPECT_EQ(downloadHelpShown,
              QString(kDownloadHelpText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ASSERT_EQ(lines.size(), 10);
    for (const QString& line : lines)
        EXPECT_TRUE(line.endsWith(QStringLiteral("... Completed"))) << line.toStdString();
    EXPECT_EQ(activity, QStringLiteral("Processing complete"));
    // Both engines got new flights: a verdict on each, and the aircraft's in the status bar.
    EXPECT_EQ(notice, QStringLiteral("Engine 1 health: No limits\nEngine 2 health: No limits"));
    EXPECT_EQ(statusText(window.get(), "STATUS"),
              QStringLiteral("%1 health: No limits").arg(kAircraft));
    EXPECT_EQ(button, QStringLiteral("Done (F5)"));
    for (int engine = 0; engine < 2; ++engine) {
        const QDir directory(engineDirectory(dataDirectory, kAircraft, engine + 1));
        EXPECT_EQ(directory.entryList({QStringLiteral("n4orig_*.raw")}, QDir::Files).size(), 1);
        EXPECT_EQ(directory.entryList({QStringLiteral("n4ss_*.dat")}, QDir::Files).size(), 1);
        EXPECT_EQ(directory.entryList({QStringLiteral("n4ts_*.dat")}, QDir::Files).size(), 1);
        EXPECT_TRUE(simulator.isErased(engine + 1, UnitMemory::Bearing4Data));
    }
    // Back on the main menu with its own help text; the response file is gone.
    EXPECT_EQ(controlText(window->currentScreen()->findChild<QWidget*>(QStringLiteral("TextArea"))),
              kMainWindowHelpText);
    EXPECT_FALSE(QFile::exists(window->connection().link().responseFile()));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(MainWindowTest, F5TypedAheadNeitherStartsAnotherDownloadNorCancelsTheOneStarted) {
    registerAircraft();
    open();
    press(Qt::Key_F5);
    ASSERT_EQ(screenName(), QStringLiteral("MenuWindow"));

    bool aircraftDialogWaited = false;
    auto ended = DownloadSequence::State::NotStarted;
    whenModal<KORAAircraftInfoDialog>([&](KORAAircraftInfoDialog* dialog) {
        aircraftDialogWaited = true;
        whenModal<KORAAutoDownload>([&](KORAAutoDownload* progress) {
            auto* button = progress->findChild<QPushButton*>(QStringLiteral("B_CANCEL"));
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return button->text() == QStringLiteral("Done (F5)"); }, kRunBoundMs));
            ended = progress->sequence().state();
            QTest::keyClick(button, Qt::Key_F5);
        });
        // The technician confirms, and types one more F5 while the download window is built.
        typeAhead(Qt::Key_F5);
        QTest::keyClick(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog,
                        Qt::Key_F5);
    });
    // Three quick F5 on the main menu: the program reads the second and the third only when
    // the communication check that the first started is over.
    typeAhead(Qt::Key_F5);
    typeAhead(Qt::Key_F5);
    press(Qt::Key_F5);

    EXPECT_TRUE(aircraftDialogWaited);
    EXPECT_EQ(ended, DownloadSequence::State::Done);
    int checks = 0;
    for (const ReceivedCommand& command : simulator.receivedCommands())
        checks += command.code == ReadPartNumbersCommand ? 1 : 0;
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace
