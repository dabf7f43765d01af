// The utilities notebook in the main window, driven by keys and clicks: the download
// switches per aircraft, the unit's address and the firmware page's file choices.
#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "Controls.h"
#include "DisplayFonts.h"
#include "KORALib.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisterKeys.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"
#include "UserPersist.h"
#include "UtilitiesScreen.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kFirst = QStringLiteral("F-GZLK");
const QString kSecond = QStringLiteral("D-ABCD");

class UtilitiesScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        performSettingsMaintenance();
    }

    void registerTwoAircraft() {
        for (const QString& id : {kFirst, kSecond})
            ASSERT_TRUE(addAircraft(id, notifier));
        registerEngines(kFirst, kAllOn, kAllOn);
        registerEngines(kSecond, kDownloadOnly, kAllOff);
        BrixAircraftSettings().setValue(kLastAircraftKey, kFirst);
        notifier.messages.clear();
    }

    // The main window, on the main menu and then, with F9, on the utilities screen.
    void openScreen() {
        // The administrator level, as the start arguments give it.
        window = std::make_unique<KORAWindow>(
            persist, notifier,
            QStringList{QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l1"),
                        QStringLiteral("-pqzpvx")});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        press(Qt::Key_F5);
        press(Qt::Key_F9);
        ASSERT_NE(screen(), nullptr);
    }

    UtilitiesScreen* screen() const {
        return qobject_cast<UtilitiesScreen*>(window->currentScreen());
    }
    template <typename T>
    T* control(const QStringList& path) const {
        T* found = findControl<T>(window->currentScreen(), path);
        EXPECT_NE(found, nullptr) << qPrintable(path.join(QLatin1Char('/')));
        return found;
    }
    QTabWidget* notebook() const {
        return control<QTabWidget>({QStringLiteral("UTILITIES_NOTEBOOK")});
    }
    QCheckBox* box(const char* name, int engine) const {
        return control<QCheckBox>({QString::fromLatin1(name) + QString::number(engine)});
    }
    void showPage(int page) { notebook()->setCurrentIndex(page); }
    // The tool bar's button: the screen itself maps no F4.
    void checkCommunication() {
        auto* check = findControl<QPushButton>(
            window.get(), {QStringLiteral("TOOL_BAR"), QStringLiteral("B_CHECK_COMM")});
        ASSERT_NE(check, nullptr);
        check->click();
    }

    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != window.get())
            target = window.get();
        QTest::keyClick(target, key);
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
};

TEST_F(UtilitiesScreenTest, OpensOnThePageLeftLastWithItsTitleAndHelp) {
    registerTwoAircraft();
    openScreen();
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Utilities"));
    EXPECT_EQ(window->helpContext(), QStringLiteral("HelpUtilities"));
    ASSERT_EQ(notebook()->count(), 3);
    EXPECT_EQ(notebook()->tabText(0), QStringLiteral("Download"));
    EXPECT_EQ(notebook()->tabText(1), QStringLiteral("Communications"));
    EXPECT_EQ(notebook()->tabText(2), QStringLiteral("Firmware"));
    EXPECT_EQ(notebook()->currentIndex(), 0);
    // Every page in the normal font, the one shown first as well.
    const QFont normal = readDisplayFonts().normal;
    for (const QWidget* control : screen()->findChildren<QWidget*>()) {
        if (qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractButton*>(control)) {
            EXPECT_EQ(control->font().toString(), normal.toString())
                << qPrintable(control->objectName());
        }
    }
    auto* aircraftMenu = window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"));
    ASSERT_NE(aircraftMenu, nullptr);
    EXPECT_FALSE(aircraftMenu->menuAction()->isEnabled()) << "no register change under the screen";

    showPage(2);
    press(Qt::Key_Escape);
    EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(aircraftMenu->menuAction()->isEnabled());
    press(Qt::Key_F9);
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(notebook()->currentIndex(), 2);
}

TEST_F(UtilitiesScreenTest, DownloadSwitchesAreSavedOnApplyAndOnAChangeOfAircraft) {
    registerTwoAircraft();
    openScreen();
    auto* list = control<QListWidget>({QStringLiteral("AIRCRAFT_ID")});
    ASSERT_EQ(list->currentItem()->text(), kFirst);
    EXPECT_TRUE(box("B_ERASE_N4_E", 2)->isChecked());
    EXPECT_FALSE(control<QLabel>({QStringLiteral("P_NOTE")})->isVisibleTo(screen()));

    box("B_ERASE_N4_E", 2)->setChecked(false);
    list->setCurrentRow(list->row(list->findItems(kSecond, Qt::MatchExactly).first()));
    EXPECT_EQ(KORALibReadAircraft(kFirst).engines[1].eraseBearing4, 0) << "saved on the change";
    EXPECT_EQ(KORALibReadAircraft(kFirst).engines[1].eraseBearing4History, 1);
    EXPECT_TRUE(box("B_DOWN_N4_E", 1)->isChecked());
    EXPECT_FALSE(box("B_ERASE_N4_E", 1)->isChecked());

    // F5 saves the page shown.
    box("B_ERASE_ACCEL_DEFECT_E", 1)->setChecked(true);
    press(Qt::Key_F5);
    EXPECT_EQ(KORALibReadAircraft(kSecond).engines[0].eraseAccelHistory, 1);
    list->setCurrentRow(list->row(list->findItems(kFirst, Qt::MatchExactly).first()));
    EXPECT_FALSE(box("B_ERASE_N4_E", 2)->isChecked());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(UtilitiesScreenTest, WithoutAircraftTheDownloadPageIsDisabledAndTheOthersWork) {
    openScreen();
    auto* note = control<QLabel>({QStringLiteral("P_NOTE")});
    EXPECT_TRUE(note->isVisibleTo(screen()));
    EXPECT_FALSE(control<QListWidget>({QStringLiteral("AIRCRAFT_ID")})->isEnabled());
    EXPECT_FALSE(box("B_DOWN_N4_E", 1)->isEnabled());
    press(Qt::Key_F5);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(KORALibCountAircraft(), 0);

    showPage(1);
    EXPECT_TRUE(control<QLineEdit>({QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("PORT")})
                    ->isEnabled());
    EXPECT_EQ(
        control<QLineEdit>({QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("ADDRESS")})->text(),
        QStringLiteral("127.0.0.1"));
}

TEST_F(UtilitiesScreenTest, ANewPortIsUsedByTheNextCheckAndABadOneChangesNothing) {
    UnitSimulator other;
    ASSERT_TRUE(other.start());
    openScreen();
    checkCommunication(); // a worker on the first simulator
    ASSERT_FALSE(simulator.receivedCommands().isEmpty());
    notifier.messages.clear();
    showPage(1);
    auto* port = control<QLineEdit>({QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("PORT")});
    auto* address =
        control<QLineEdit>({QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("ADDRESS")});

    struct Refused {
        QString port;
        QString address;
        QString text;
    };
    const Refused refused[] = {
        {QStringLiteral("70000"), QStringLiteral("127.0.0.1"),
         QStringLiteral("The port must be a number from 1 to 65535")},
        {QStringLiteral("0"), QStringLiteral("127.0.0.1"),
         QStringLiteral("The port must be a number from 1 to 65535")},
        {QStringLiteral("port"), QStringLiteral("127.0.0.1"),
         QStringLiteral("The port must be a number from 1 to 65535")},
        {QString::number(other.port()), QString(),
         QStringLiteral("The unit address must be 1 to 31 characters")},
        {QString::number(other.port()), QStringLiteral("127.0.0.999"),
         QStringLiteral("The setting \"IP Address\" holds 127.0.0.999, which is not an IPv4 "
                        "address. Correct the address in the communication settings.")},
    };
    for (const Refused& entry : refused) {
        port->setText(entry.port);
        address->setText(entry.address);
        press(Qt::Key_F5);
        EXPECT_EQ(notifier.messages.value(0),
                  (RecordingNotifier::Message{QStringLiteral("critical"),
                                              QStringLiteral("Communications"), entry.text}))
            << qPrintable(entry.port);
        notifier.messages.clear();
        EXPECT_EQ(BrixAircraftSettings().value(kPortKey).toInt(), simulator.port());
        EXPECT_TRUE(window->connection().worker().isRunning()) << "nothing was stopped";
    }

    port->setText(QString::number(other.port()));
    address->setText(QStringLiteral("127.0.0.1"));
    control<QPushButton>({QStringLiteral("CommunicationsPage"), QStringLiteral("B_APPLY_CHANGES")})
        ->click();
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(BrixAircraftSettings().value(kPortKey).toInt(), other.port());
    EXPECT_FALSE(window->connection().worker().isRunning()) << "the old worker has ended";
    const auto before = simulator.receivedCommands().size();
    checkCommunication();
    EXPECT_EQ(simulator.receivedCommands().size(), before);
    ASSERT_FALSE(other.receivedCommands().isEmpty());
    EXPECT_EQ(other.receivedCommands().last().code, 1u);
}

TEST_F(UtilitiesScreenTest, FirmwareFileChoicesLastAndF5ChangesNothing) {
    registerTwoAircraft();
    ASSERT_TRUE(QDir().mkpath(dataDirectory + QStringLiteral("/HW_config")));
    const QString file = dataDirectory + QStringLiteral("/HW_config/config-0008.dat");
    QFile config(file);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("0000abcd 12345678\n");
    config.close();
    openScreen();
    checkCommunication();
    notifier.messages.clear();
    press(Qt::Key_Escape);
    press(Qt::Key_F9); // the screen shows the part numbers the check read
    showPage(2);
    EXPECT_EQ(control<QLabel>({QStringLiteral("DspProcessors"), QStringLiteral("ConfigurationPN"),
                               QStringLiteral("PN")})
                  ->text(),
              QStringLiteral("  ZK4730-CF-0007"));
    EXPECT_EQ(control<QLabel>({QStringLiteral("MainProcessor"), QStringLiteral("SoftwarePN"),
                               QStringLiteral("PN")})
                  ->text(),
              QStringLiteral("ZK4712-SW-0305-C"));

    // Starting an upload with no file chosen.
    control<QPushButton>({QStringLiteral("DspProcessors"), QStringLiteral("UpdateCfgButton")})
        ->click();
    EXPECT_EQ(notifier.messages.value(0),
              (RecordingNotifier::Message{QStringLiteral("warning"), QStringLiteral("Upload Error"),
                                          QStringLiteral("No upload file selected")}));

    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath(), dataDirectory + QStringLiteral("/HW_config"));
        EXPECT_TRUE(dialog->nameFilters().join(QString()).contains(QStringLiteral("*.dat")));
        chooseExistingFile(dialog, file);
    });
    control<QPushButton>({QStringLiteral("DspProcessors"), QStringLiteral("ConfigurationUpdate"),
                          QStringLiteral("UpdateButton")})
        ->click();
    const auto expectChoice = [this] {
        EXPECT_EQ(
            control<QLabel>({QStringLiteral("DspProcessors"), QStringLiteral("ConfigurationUpdate"),
                             QStringLiteral("UpdateFile")})
                ->text(),
            QStringLiteral("config-0008.dat"));
        EXPECT_EQ(control<QLabel>({QStringLiteral("DspProcessors"),
                                   QStringLiteral("ConfigurationStatus"), QStringLiteral("Status")})
                      ->text(),
                  QStringLiteral("Ready for Upload"));
    };
    expectChoice();

    // F5 on this page applies nothing: the register and the address stay as they were.
    const QByteArray record = KORALibReadAircraft(kFirst).toBytes();
    box("B_DOWN_N4_E", 1)->setChecked(false);
    notifier.messages.clear();
    press(Qt::Key_F5);
    EXPECT_EQ(KORALibReadAircraft(kFirst).toBytes(), record);
    EXPECT_TRUE(notifier.messages.isEmpty());

    press(Qt::Key_Escape);
    press(Qt::Key_F9);
    ASSERT_NE(screen(), nullptr);
    expectChoice();
}

TEST_F(UtilitiesScreenTest, FlightLineHasNoUtilities) {
    window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    press(Qt::Key_F5);
    press(Qt::Key_F9);
    EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow"));
    window->handleEvent(kUtilitiesCode);
    EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow"));
}

// The words that spell "ZK4730-CF-0009"; the simulated unit takes the hexadecimal digits of
// their first 8 bytes as its new part number of the kind uploaded.
const QByteArray kNamedImage = "5A4B3437 33302D43\n462D3030 30390000\n";
// Two packets at one a second, and the part-number read.
constexpr int kUploadBoundMs = 15000;

// One upload from the firmware page, from the choice of its file to its end.
struct FirmwareUpload {
    const char* group;
    const char* update;
    const char* startButton;
    const char* partNumberRow;
    quint32 command;
    const char* folder;
    bool programEnds;
    const char* target;
};

const FirmwareUpload kConfigurationUpload = {
    "DspProcessors", "ConfigurationUpdate", "UpdateCfgButton", "ConfigurationPN", 243, "/HW_config",
    false,           "DSP configuration"};

class FirmwareUploadTest : public UtilitiesScreenTest {
protected:
    // Chooses a two-packet image and presses the start button; the question before the
    // first packet is answered with `answer`.
    void chooseAndStart(const FirmwareUpload& c, bool answer) {
        ASSERT_TRUE(QDir().mkpath(dataDirectory + QLatin1String(c.folder)));
        QFile image(dataDirectory + QLatin1String(c.folder) + QStringLiteral("/image.dat"));
        ASSERT_TRUE(image.open(QIODevice::WriteOnly));
        // Two packets: the named words, then 1280 more.
        image.write(kNamedImage + QByteArray("1\n").repeated(1280));
        image.close();
        openScreen();
        showPage(2);
        whenModal<QFileDialog>(
            [&image](QFileDialog* dialog) { chooseExistingFile(dialog, image.fileName()); });
        control<QPushButton>(
            {QLatin1String(c.group), QLatin1String(c.update), QStringLiteral("UpdateButton")})
            ->click();
        notifier.messages.clear();
        notifier.answers = {answer};
        control<QPushButton>({QLatin1String(c.group), QLatin1String(c.startButton)})->click();
        EXPECT_EQ(notifier.messages.value(0),
                  (RecordingNotifier::Message{
                      QStringLiteral("question"), QStringLiteral(" Thalvex "),
                      QStringLiteral("Load image.dat into the %1 (2 packets)? The unit must stay "
                                     "powered until the upload ends.")
                          .arg(QLatin1String(c.target))}));
        EXPECT_EQ(notifier.questionDefaults.value(0), Notifier::DefaultAnswer::No);
        notifier.messages.clear();
    }

    QLabel* partNumber(const FirmwareUpload& c) const {
        return control<QLabel>(
            {QLatin1String(c.group), QLatin1String(c.partNumberRow), QStringLiteral("PN")});
    }

    void run(const FirmwareUpload& c) {
        chooseAndStart(c, true);
        auto* status = control<QLabel>({QStringLiteral("P_UPLOAD_PROGRESS")});
        EXPECT_EQ(status->text(), QStringLiteral("Uploading packet 1 of 2 (seconds spent "
                                                 "performing packet upload)"));
        auto* toolBar = window->findChild<QWidget*>(QStringLiteral("TOOL_BAR"));
        EXPECT_FALSE(toolBar->isEnabled()) << "nothing else reaches the unit meanwhile";
        EXPECT_FALSE(notebook()->tabBar()->isEnabled());
        press(Qt::Key_Escape);
        EXPECT_NE(screen(), nullptr) << "Esc does not leave a running upload";

        if (c.programEnds) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !window->isVisible(); }, kUploadBoundMs));
            EXPECT_EQ(notifier.messages.value(0),
                      (RecordingNotifier::Message{
                          QStringLiteral("information"), QStringLiteral("BRIX"),
                          QStringLiteral("Please unplug the cable and restart the box to "
                                         "synchronize the TALB and the RENB boards")}));
        } else {
            EXPECT_TRUE(QTest::qWaitFor(
                [status] { return status->text() == QStringLiteral("Upload complete"); },
                kUploadBoundMs))
                << qPrintable(status->text());
            EXPECT_TRUE(notifier.messages.isEmpty());
            EXPECT_TRUE(window->isVisible());
            EXPECT_TRUE(toolBar->isEnabled());
            EXPECT_EQ(partNumber(c)->text(), QStringLiteral("5A4B343733302D43"));
            press(Qt::Key_Escape);
            EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow"));
        }
        EXPECT_EQ(simulator.uploadedImage(c.command).size(), 2 * 1280);
    }
};

TEST_F(FirmwareUploadTest, AConfigurationUploadEndsWithTheNewPartNumberShown) {
    run(kConfigurationUpload);
}

TEST_F(FirmwareUploadTest, AMainProcessorUploadEndsWithTheRestartMessageAndTheProgram) {
    run({"MainProcessor", "SoftwareUpdate", "UpdateSwButton", "SoftwarePN", 240, "/SW_uploads",
         true, "main processor"});
}

TEST_F(FirmwareUploadTest, AnsweringNoSendsNothingAndLeavesThePageAsItWas) {
    chooseAndStart(kConfigurationUpload, false);
    EXPECT_TRUE(control<QLabel>({QStringLiteral("P_UPLOAD_PROGRESS")})->text().isEmpty());
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("TOOL_BAR"))->isEnabled());
    EXPECT_TRUE(notebook()->tabBar()->isEnabled());
    EXPECT_FALSE(screen()->isUploading());
    EXPECT_TRUE(notifier.messages.isEmpty());
    QTest::qWait(300);
    EXPECT_TRUE(simulator.uploadedImage(243).isEmpty());
}

// The unit took the image but refused the part-number read that follows.
TEST_F(FirmwareUploadTest, APartNumberNotReadBackIsShownAsNotRead) {
    chooseAndStart(kConfigurationUpload, true);
    simulator.addFault({1, FaultKind::AckError, 3, {}, 1});
    const QString text = QStringLiteral("Upload complete, but the part numbers could not be read "
                                        "back: Invalid response detected, or unit returned error");
    auto* status = control<QLabel>({QStringLiteral("P_UPLOAD_PROGRESS")});
    EXPECT_TRUE(QTest::qWaitFor([status, &text] { return status->text() == text; }, kUploadBoundMs))
        << qPrintable(status->text());
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("warning"), QStringLiteral("Warning"), text}}));
    EXPECT_EQ(partNumber(kConfigurationUpload)->text(), QStringLiteral("not read"));
    EXPECT_EQ(simulator.uploadedImage(243).size(), 2 * 1280);
}

} // namespace
