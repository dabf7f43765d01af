// Every window fits the screens of 1024x600, 1366x768 and 1920x1080 with nothing clipped: in
// the program's fonts and style sheet, at its smallest size, as it opens and maximised, each
// label and button shows its whole text and each window its whole title. The pictures taken
// on the way are kept in the build tree, one folder per font set.
#include "ApplicationSettings.h"
#include "ArchiveExportDialogs.h"
#include "BrixAdminLoginDialog.h"
#include "Controls.h"
#include "DisplayFonts.h"
#include "FleetHealthWindow.h"
#include "FlightIndex.h"
#include "HelpAboutDialog.h"
#include "IndicatorTrendView.h"
#include "IndicatorTrendWindow.h"
#include "KORAAddAircraftDialog.h"
#include "KORAAddEngineTypeDialog.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORABearingDialog.h"
#include "KORACommDialog.h"
#include "KORAEraseProgress.h"
#include "KORALimitsDialog.h"
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
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

// The screens every window is tried on, by the area a window has on each when maximised: the
// screen less a title bar and a task bar.
struct Screen {
    const char* name;
    QSize area;
};
constexpr Screen kScreens[] = {{"1024x600", QSize(1024, 540)},
                               {"1366x768", QSize(1366, 708)},
                               {"1920x1080", QSize(1920, 1020)}};
constexpr QSize kSmallScreen = kScreens[0].area;
// The main window's own smallest size, as it opens: on a 1024x600 screen it leaves room for
// its title bar. No screen it shows may need more.
constexpr QSize kMainWindowSmallest(1024, 560);
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

// The lines of a control's text as drawn: a button draws "&x" as an underlined x.
QStringList shownLines(QString text, bool mnemonic) {
    if (mnemonic)
        text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    return text.split(QLatin1Char('\n'));
}

int widestLine(const QFontMetrics& metrics, const QStringList& lines) {
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The room a button leaves its text: the style's contents rectangle less its icon.
int buttonTextRoom(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QStyle::SubElement contents =
        qobject_cast<QCheckBox*>(button) != nullptr      ? QStyle::SE_CheckBoxContents
        : qobject_cast<QRadioButton*>(button) != nullptr ? QStyle::SE_RadioButtonContents
                                                         : QStyle::SE_PushButtonContents;
    int room = button->style()->subElementRect(contents, &option, button).width();
    // The gap Qt leaves between a button's icon and its text.
    constexpr int kIconGap = 4;
    if (!button->icon().isNull())
        room -= button->iconSize().width() + kIconGap;
    return room;
}

// The labels and buttons (push, check, radio) that show less than their whole text: a line
// wider than the room inside them, or wrapped lines taller than the label.
QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics(control->font());
        QString text;
        int advance = 0;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            text = label->text();
            const bool rich = label->textFormat() == Qt::RichText ||
                              (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
            if (text.isEmpty() || rich)
                continue;
            if (label->wordWrap()) {
                // A pixel lost to the rounding of the line spacing cuts nothing of the text.
                constexpr int kLineRounding = 1;
                if (label->heightForWidth(label->width()) > label->height() + kLineRounding)
                    cut.append(QStringLiteral("%1 \"%2\" (wrapped %3 > %4 high)")
                                   .arg(label->objectName(), text)
                                   .arg(label->heightForWidth(label->width()))
                                   .arg(label->height()));
                continue;
            }
            advance = widestLine(metrics, shownLines(text, label->buddy() != nullptr));
            room =
                label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (qobject_cast<QToolButton*>(button) != nullptr || button->text().isEmpty())
                continue;
            text = button->text();
            advance = widestLine(metrics, shownLines(text, true));
            room = buttonTextRoom(button);
        } else {
            continue;
        }
        if (advance > room)
            cut.append(QStringLiteral("%1 \"%2\" (%3 > %4)")
                           .arg(control->objectName(), text)
                           .arg(advance)
                           .arg(room));
    }
    return cut;
}

// The folder of this run's pictures: one per font set, named after its fontconfig file.
QString screenshotFolder() {
    const QString config = qEnvironmentVariable("FONTCONFIG_FILE");
    const QString fontSet =
        config.isEmpty() ? QStringLiteral("program-faces") : QFileInfo(config).completeBaseName();
    return QStringLiteral(BRIX_SCREENSHOT_DIR "/") + fontSet;
}

// A picture of the window as it is now, named after what it shows and where.
void saveScreenshot(QWidget* window, const char* what, const QString& where) {
    const QString name =
        QString::fromLatin1(what).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")),
                                          QStringLiteral("-")) +
        QLatin1Char('@') + where + QStringLiteral(".png");
    ASSERT_TRUE(QDir().mkpath(screenshotFolder()));
    EXPECT_TRUE(window->grab().save(QDir(screenshotFolder()).filePath(name))) << what;
}

// Lets the window take what the window system says (a shown window takes the focus, and its
// focused button shows its help), then lay itself out: a layout request climbs one level of
// nesting per round.
void settle() {
    QTest::qWait(1);
    constexpr int kNestingRounds = 12;
    for (int round = 0; round < kNestingRounds; ++round)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void expectWhole(QWidget* window, const char* what, const QString& where) {
    settle();
    const std::string at = std::string(what) + " at " + where.toStdString() + " (" +
                           std::to_string(window->width()) + "x" +
                           std::to_string(window->height()) + "): ";
    EXPECT_TRUE(clippedControls(window).isEmpty())
        << at << clippedControls(window).join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(cutTexts(window).isEmpty())
        << at << cutTexts(window).join(QStringLiteral(", ")).toStdString();
}

// Every menu of fixed entries lists them in one column on the screen the window is on: a
// menu taller than the screen is wrapped into columns, its entries no longer in one list.
// The viewer's data status menu has two entries for each flight shown; with many flights it
// takes a second column, as a list that grows with the data may.
void expectMenusInOneColumn(QWidget* window, const char* what) {
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        if (menu->objectName() == QLatin1String("PUI_DATA_STATUS"))
            continue;
        std::optional<int> column;
        for (QAction* action : menu->actions()) {
            if (!action->isVisible())
                continue;
            const int x = menu->actionGeometry(action).x();
            EXPECT_EQ(x, column.value_or(x))
                << what << ": the menu \"" << menu->title().toStdString() << "\" wraps at \""
                << action->text().toStdString() << "\"";
            column = x;
        }
    }
}

// The window opens as the program opens it, with its whole title; it can be made as small as
// `limit`; and at its smallest, as opened and maximised on each screen, every text in it is
// whole, and its menus are single lists. A picture is taken as opened and on each screen.
void expectFits(QWidget* window, const char* what, QSize limit = kSmallScreen) {
    placeWindow(window);
    window->show();
    EXPECT_GE(window->width(), titleBarWidth(window))
        << what << ": \"" << window->windowTitle().toStdString() << "\" is cut";
    expectWhole(window, what, QStringLiteral("its opening size"));
    expectMenusInOneColumn(window, what);
    saveScreenshot(window, what, QStringLiteral("opened"));
    const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
    EXPECT_LE(smallest.width(), limit.width()) << what;
    EXPECT_LE(smallest.height(), limit.height()) << what;
    window->resize(smallest);
    expectWhole(window, what, QStringLiteral("its smallest size"));
    // As small as a user can make it: a smallest size set on the window wins over its layout's.
    window->resize(QSize(1, 1));
    expectWhole(window, what, QStringLiteral("the smallest size it allows"));
    for (const Screen& screen : kScreens) {
        window->resize(screen.area);
        expectWhole(window, what, QLatin1String(screen.name));
        saveScreenshot(window, what, QLatin1String(screen.name));
    }
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The windows open on the smallest screen (the test's platform is set up so).
        ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1024, 600));
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
        expectFits(&window, "title screen", kMainWindowSmallest);
        window.handleEvent(kShowMainMenuCode);
        expectFits(&window, "main menu at the administrator level", kMainWindowSmallest);
        window.handleEvent(kAircraftInformationCode);
        ASSERT_EQ(window.currentScreen()->objectName(), QStringLiteral("AircraftInfo"));
        expectFits(&window, "aircraft information", kMainWindowSmallest);
        window.handleEvent(kUtilitiesCode);
        auto* notebook =
            window.currentScreen()->findChild<QTabWidget*>(QStringLiteral("UTILITIES_NOTEBOOK"));
        ASSERT_NE(notebook, nullptr);
        for (const char* page :
             {"utilities: download", "utilities: communications", "utilities: firmware"}) {
            expectFits(&window, page, kMainWindowSmallest);
            notebook->setCurrentIndex(notebook->currentIndex() + 1);
        }
    }
    KORAWindow window(persist, notifier, {});
    window.handleEvent(kShowMainMenuCode);
    expectFits(&window, "main menu at flight line", kMainWindowSmallest);
    window.handleEvent(kMemoryEraseCode);
    expectFits(&window, "clear memory screen", kMainWindowSmallest);
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
    KORABearingDialog bearingDialog(fonts.normal, persist, notifier);
    expectFits(&bearingDialog, "bearing dialog");
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(LayoutTest, TheHealthWindowsFitOnEveryScreen) {
    KORALimitsDialog limits(fonts.normal, persist, notifier);
    expectFits(&limits, "limits dialog");

    // The widest cells: a long type, serial number and the longest state word.
    FleetRow row;
    row.aircraftId = QStringLiteral("F-GZLK");
    row.engineNumber = 2;
    row.engineType = QStringLiteral("CFM56-7B27E/F");
    row.serialNumber = QStringLiteral("874212-0001");
    row.lastDownload = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    row.flights = 12500;
    row.suspect = 12;
    row.health.state = HealthState::Warning;
    row.health.driving = Indicator::Kurtosis;
    row.health.value = 4.12345;
    row.health.limit = 4;
    row.health.flightsToAlarm = 123;
    FleetRow unjudged = row;
    unjudged.health = EngineHealth{};
    unjudged.health.state = HealthState::NoReadings;
    FleetHealthWindow fleet(fonts.normal, persist, notifier,
                            [&] {
                                return QList<FleetRow>{row, unjudged};
                            },
                            {});
    expectFits(&fleet, "fleet health window");

    QList<IndexedFlight> flights(40);
    for (int position = 0; position < flights.size(); ++position) {
        flights[position].flightNumber = position + 1;
        flights[position].indicators[Indicator::Kurtosis] = 3 + 0.02 * position;
    }
    IndicatorTrendWindow trend(buildIndicatorTrendView(
        flights, row.aircraftId, 2, Indicator::Kurtosis,
        IndicatorLimits{.warning = 3.5, .alarm = 4.5, .change = std::nullopt}));
    expectFits(&trend, "fleet health trend");
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
        QTest::keyClick(list, Qt::Key_F5);
    });
    Plot2D viewer(SelectDialog::chooseFlights(fonts.normal, persist, notifier), persist,
                  fonts.normal, notifier);
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

    // The tabulation window opens over the viewer, on the screen.
    const QRect available = viewer.screen()->availableGeometry();
    QRect viewerFrame = viewer.frameGeometry();
    viewerFrame.moveCenter(available.center());
    viewer.move(viewerFrame.topLeft());
    viewer.handleEvent(kTabulateEvent);
    ASSERT_NE(viewer.tabulateWindow(), nullptr);
    EXPECT_TRUE(available.contains(viewer.tabulateWindow()->frameGeometry()));
    EXPECT_EQ(viewer.tabulateWindow()->frameGeometry().center(), viewer.frameGeometry().center());
    expectFits(viewer.tabulateWindow(), "tabulation window");
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace
