// Every window fits a 1366x768 laptop screen and a large monitor with nothing clipped: in
// the program's fonts and style sheet, at its smallest size and at a large one, each
// label, button and field gets at least the room its text needs.
#include "ApplicationSettings.h"
#include "ArchiveExportDialogs.h"
#include "BrixAdminLoginDialog.h"
#include "DisplayFonts.h"
#include "HelpAboutDialog.h"
#include "KORAAddAircraftDialog.h"
#include "KORAAddEngineTypeDialog.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORACommDialog.h"
#include "KORAEraseProgress.h"
#include "KORARemoveAircraftDialog.h"
#include "KORARemoveEngineTypeDialog.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "PasswordDialog.h"
#include "Plot2D.h"
#include "PrivilegeLevel.h"
#include "RawFlightFiles.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "SelectDialog.h"
#include "SettingsSandbox.h"
#include "SetupDialog.h"
#include "TabulateInfoWindow.h"
#include "UnitConnection.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A laptop screen less the task bar, and a large monitor.
constexpr QSize kLaptop(1366, 728);
constexpr QSize kLargeMonitor(2560, 1400);
// A 1024x600 screen less a title bar and a task bar.
constexpr QSize kSmallScreen(1024, 540);
constexpr quint16 kNobodyListens = 1;

// The controls whose text the window would cut.
QStringList clippedControls(QWidget* window) {
    QStringList clipped;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        // The text field inside a combo box is sized by the combo box.
        if (!control->isVisibleTo(window) || qobject_cast<QComboBox*>(control->parent()))
            continue;
        const bool textControl = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                 qobject_cast<QLineEdit*>(control) != nullptr ||
                                 (qobject_cast<QLabel*>(control) != nullptr &&
                                  !static_cast<QLabel*>(control)->wordWrap());
        if (!textControl)
            continue;
        const QSize needed = control->minimumSizeHint();
        if (control->width() < needed.width() || control->height() < needed.height())
            clipped.append(QStringLiteral("%1 (%2x%3 < %4x%5)")
                               .arg(control->objectName())
                               .arg(control->width())
                               .arg(control->height())
                               .arg(needed.width())
                               .arg(needed.height()));
    }
    return clipped;
}

void expectFits(QWidget* window, const char* what) {
    window->show();
    const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
    EXPECT_LE(smallest.width(), kLaptop.width()) << what;
    EXPECT_LE(smallest.height(), kLaptop.height()) << what;
    for (const QSize size : {smallest, window->size().boundedTo(kLaptop), kLargeMonitor}) {
        window->resize(size);
        QTest::qWait(1);
        EXPECT_TRUE(clippedControls(window).isEmpty())
            << what << " at " << size.width() << "x" << size.height() << ": "
            << clippedControls(window).join(QStringLiteral(", ")).toStdString();
    }
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        // Nothing here talks to a unit; should anything try, it finds loopback and no one.
        pointSettingsAtSimulator(kNobodyListens);
        freshDataDirectory();
        ASSERT_TRUE(addAircraft(QStringLiteral("F-GZLK"), notifier));
    }

    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    DisplayFonts fonts = readDisplayFonts();
};

TEST_F(LayoutTest, TheMainWindowFitsOnEveryScreen) {
    setPrivilegeLevel(kFlightLineLevel);
    {
        KORAWindow window(persist, notifier,
                          {QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l1"),
                           QStringLiteral("-pqzpvx")});
        expectFits(&window, "title screen");
        window.handleEvent(kShowMainMenuCode);
        expectFits(&window, "main menu at the administrator level");
        window.handleEvent(kAircraftInformationCode);
        ASSERT_EQ(window.currentScreen()->objectName(), QStringLiteral("AircraftInfo"));
        expectFits(&window, "aircraft information");
        window.handleEvent(kUtilitiesCode);
        auto* notebook =
            window.currentScreen()->findChild<QTabWidget*>(QStringLiteral("UTILITIES_NOTEBOOK"));
        ASSERT_NE(notebook, nullptr);
        for (const char* page :
             {"utilities: download", "utilities: communications", "utilities: firmware"}) {
            expectFits(&window, page);
            notebook->setCurrentIndex(notebook->currentIndex() + 1);
        }
    }
    KORAWindow window(persist, notifier, {});
    window.handleEvent(kShowMainMenuCode);
    expectFits(&window, "main menu at flight line");
    window.handleEvent(kMemoryEraseCode);
    expectFits(&window, "clear memory screen");
}

TEST_F(LayoutTest, TheDialogsFitOnEveryScreen) {
    AircraftRecord record;
    KORAAircraftInfoDialog aircraft(fonts.normal, record, persist, notifier);
    expectFits(&aircraft, "pre-download dialog");

    UnitConnection connection;
    KORAAutoDownload progress(connection.link(), connection.partNumbers(), AircraftRecord{},
                              fonts.normal, fonts.mid, persist, notifier);
    expectFits(&progress, "progress dialog");

    KORAEraseProgress erase(connection.link(), EraseRequests{}, fonts.normal, persist, notifier);
    expectFits(&erase, "erase progress dialog");

    KORACommDialog communication(fonts.normal, persist);
    expectFits(&communication, "communication failure dialog");

    KORAAddAircraftDialog addAircraftDialog(fonts.normal, persist, notifier);
    expectFits(&addAircraftDialog, "add aircraft dialog");
    KORARemoveAircraftDialog removeAircraftDialog(fonts.normal, persist, notifier);
    expectFits(&removeAircraftDialog, "remove aircraft dialog");
    KORAAddEngineTypeDialog addEngineTypeDialog(fonts.normal, persist, notifier);
    expectFits(&addEngineTypeDialog, "add engine type dialog");
    KORARemoveEngineTypeDialog removeEngineTypeDialog(fonts.normal, persist, notifier);
    expectFits(&removeEngineTypeDialog, "remove engine type dialog");
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(LayoutTest, ThePrivilegeAndAboutDialogsFitOnEveryScreen) {
    UserPersist commonPersist(resourcePath(kCommonResourceRoot));
    BrixAdminLoginDialog login(fonts.normal, commonPersist, notifier);
    expectFits(&login, "administrator login");
    HelpAboutDialog about(fonts.normal, commonPersist, notifier);
    expectFits(&about, "about box");
    PasswordDialog password;
    expectFits(&password, "new password dialog");
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(LayoutTest, TheArchiveBusyDialogFitsWithItsLongestText) {
    const auto busy = createArchiveBusyDialog(nullptr, fonts.normal);
    busy->setLabelText(kCompressingText.arg(99999));
    expectFits(busy.get(), "archive busy dialog");
}

TEST_F(LayoutTest, TheViewerWindowsFitOnEveryScreen) {
    writeViewerRawFile(dataDirectory(), flightNumbers(10));
    whenModal<SelectDialog>([](SelectDialog* dialog) {
        expectFits(dialog, "flight selection");
        // The count at its longest and the newest-download box ticked.
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("FLIGHT_LIST"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("B_NEWEST_ONLY"))->click();
        list->selectAll();
        ASSERT_EQ(dialog->findChild<QLabel*>(QStringLiteral("SELECTED_COUNT"))->text(),
                  QStringLiteral("10 of 10 selected"));
        expectFits(dialog, "flight selection with ten flights selected");
        const QSize smallest = dialog->minimumSizeHint().expandedTo(dialog->minimumSize());
        EXPECT_LE(smallest.width(), kSmallScreen.width());
        EXPECT_LE(smallest.height(), kSmallScreen.height());
        QTest::keyClick(list, Qt::Key_F5);
    });
    Plot2D viewer(persist, fonts.normal, notifier);
    ASSERT_EQ(viewer.flights().size(), 10);
    viewer.handleEvent(kOpenViewerEvent);
    expectFits(&viewer, "plot window");
    expectFits(viewer.chartDialog(), "chart export dialog");

    SetupDialog setup(
        {}, viewer.flights(), [](int, quint32) {}, fonts.normal, persist, notifier);
    expectFits(&setup, "setup dialog");
    // With the longest parameter name in the alert field's label.
    SetupState trendState;
    trendState.trend = true;
    trendState.alertApplies = true;
    trendState.alertParameter = parameterMenuText(ParameterType::TR4RDeviation);
    SetupDialog trendSetup(
        trendState, viewer.flights(), [](int, quint32) {}, fonts.normal, persist, notifier);
    expectFits(&trendSetup, "setup dialog of the trend");

    viewer.findChild<QAbstractButton*>(QStringLiteral("B_TREND"))->click();
    ASSERT_TRUE(viewer.trendShown());
    expectFits(&viewer, "plot window in the trend view");

    viewer.handleEvent(kTabulateEvent);
    ASSERT_NE(viewer.tabulateWindow(), nullptr);
    expectFits(viewer.tabulateWindow(), "tabulation window");
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace
