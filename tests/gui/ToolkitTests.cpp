// The window layer: forms by name, the program's own classes, event codes and key maps.
#include "Controls.h"
#include "DialogWindow.h"
#include "EventCodes.h"
#include "HelpSystem.h"
#include "KORAButton.h"
#include "KORAGroup.h"
#include "ModalDriver.h"
#include "ProgramFonts.h"
#include "ResourceFiles.h"
#include "UserPersist.h"

#include <QCheckBox>
#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace {

class RecordingDialog : public DialogWindow {
public:
    int handleEvent(int code) override {
        codes.append(code);
        return 0;
    }
    QList<int> codes;
};

UserPersist& applicationForms() {
    static UserPersist persist(resourcePath(kApplicationResourceRoot));
    return persist;
}

TEST(UserPersist, BuildsFormsByNameWithTheProgramsOwnButtons) {
    std::unique_ptr<QWidget> menu(applicationForms().load(QStringLiteral("MenuWindow")));
    ASSERT_NE(menu, nullptr) << applicationForms().errorText().toStdString();
    EXPECT_EQ(menu->objectName(), QStringLiteral("MenuWindow"));
    for (const char* name : {"B1", "B2", "B3", "B4", "B5"})
        EXPECT_NE(menu->findChild<KORAButton*>(QLatin1String(name)), nullptr) << name;
}

TEST(UserPersist, ReportsMissingFormsAndFormsOfAnotherClass) {
    EXPECT_EQ(applicationForms().load(QStringLiteral("NoSuchWindow")), nullptr);
    EXPECT_TRUE(applicationForms().errorText().contains(QStringLiteral("NoSuchWindow")));

    // A dialog cannot be built into a main window.
    QMainWindow window;
    EXPECT_FALSE(applicationForms().loadInto(QStringLiteral("CommDialog"), &window));
    EXPECT_FALSE(applicationForms().errorText().isEmpty());

    RecordingDialog dialog;
    EXPECT_TRUE(applicationForms().loadInto(QStringLiteral("CommDialog"), &dialog));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("CommDialog"));
    EXPECT_NE(
        findControl<QPushButton>(&dialog, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")}),
        nullptr);
    // Level by level: a name below the wrong parent is not found.
    EXPECT_EQ(
        findControl<QPushButton>(&dialog, {QStringLiteral("STATUS_BAR"), QStringLiteral("B_BACK")}),
        nullptr);
}

TEST(EventCodes, ControlsSendTheirCodeOnceAndFollowARebinding) {
    RecordingDialog dialog;
    auto* button = new QPushButton(&dialog);
    bindCode(button, &dialog, 10004);
    bindCode(button, &dialog, 10005);
    button->click();
    EXPECT_EQ(dialog.codes, QList<int>({10005}));

    auto* list = new QListWidget(&dialog);
    list->addItems({QStringLiteral("A"), QStringLiteral("B")});
    bindCode(list, &dialog, 10017);
    list->setCurrentRow(1);
    EXPECT_EQ(dialog.codes, QList<int>({10005, 10017}));
}

TEST(KeyDispatcher, MappedKeysReachTheWindowBeforeTheFocusedControl) {
    RecordingDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* field = new QLineEdit(&dialog);
    layout->addWidget(field);
    dialog.keyMap().map(Qt::Key_F5, 10001);
    dialog.keyMap().map(Qt::Key_Escape, 10002);
    dialog.show();

    QTest::keyClick(field, Qt::Key_F5);
    QTest::keyClick(field, Qt::Key_Escape);
    // Unmapped keys and keys with modifiers go to the control.
    QTest::keyClick(field, Qt::Key_A);
    QTest::keyClick(field, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(dialog.codes, QList<int>({10001, 10002}));
    EXPECT_EQ(field->text(), QStringLiteral("a"));
    EXPECT_TRUE(dialog.isVisible());
}

// A window with a button, a group of three check boxes and another button, in this order on
// screen and in the focus chain.
struct GroupWindow {
    GroupWindow() {
        auto* layout = new QVBoxLayout(&window);
        before = new QPushButton(QStringLiteral("before"), &window);
        group = new KORAGroup(&window);
        // Made in reverse, so that their order on screen is not the order they were made in.
        for (int i = 2; i >= 0; --i)
            boxes[i] = new QCheckBox(QStringLiteral("box %1").arg(i), group);
        auto* groupLayout = new QVBoxLayout(group);
        for (QCheckBox* box : boxes)
            groupLayout->addWidget(box);
        after = new QPushButton(QStringLiteral("after"), &window);
        layout->addWidget(before);
        layout->addWidget(group);
        layout->addWidget(after);
        QWidget::setTabOrder(before, group);
        QWidget::setTabOrder(group, after);
        window.show();
    }
    void tabFrom(QWidget* control, bool forward) {
        control->setFocus();
        QTest::keyClick(control, forward ? Qt::Key_Tab : Qt::Key_Backtab);
    }

    QWidget window;
    QPushButton* before = nullptr;
    KORAGroup* group = nullptr;
    QCheckBox* boxes[3] = {};
    QPushButton* after = nullptr;
};

TEST(KORAGroup, TabFollowsTheGroupsOrderAndLeavesItAtItsEnds) {
    GroupWindow shown;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&shown.window));
    shown.tabFrom(shown.boxes[0], true);
    EXPECT_EQ(QApplication::focusWidget(), shown.boxes[1]);
    shown.tabFrom(shown.boxes[1], false);
    EXPECT_EQ(QApplication::focusWidget(), shown.boxes[0]);
    shown.tabFrom(shown.boxes[2], true);
    EXPECT_EQ(QApplication::focusWidget(), shown.after);
    shown.tabFrom(shown.boxes[0], false);
    EXPECT_EQ(QApplication::focusWidget(), shown.before);

    // The first box is the only one that can take the focus: Tab leaves the group at once.
    shown.boxes[1]->setEnabled(false);
    shown.boxes[2]->setFocusPolicy(Qt::NoFocus);
    shown.tabFrom(shown.boxes[0], true);
    EXPECT_EQ(QApplication::focusWidget(), shown.after);
    shown.tabFrom(shown.boxes[0], false);
    EXPECT_EQ(QApplication::focusWidget(), shown.before);
}

TEST(DialogWindow, ModalRunsAnswerAcceptedOrTheEndingCode) {
    RecordingDialog dialog;
    QTimer::singleShot(0, &dialog, [&] { dialog.endModal(kAcceptedResult); });
    EXPECT_EQ(dialog.runModal(), -2999);
    QTimer::singleShot(0, &dialog, [&] { dialog.reject(); });
    EXPECT_EQ(dialog.runModal(), kRejectedResult);
}

// A dialog and a window of the program open over the window they belong to, and never with
// part of their frame, above all the title bar, off the screen: near an edge they move inward.
TEST(PlaceWindow, OpensCentredOnItsOwnerAndInsideTheScreen) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // Where the owner's centre is, and which point of the frame is then where (the owner's
    // centre when none is given).
    struct Case {
        const char* what;
        QPoint ownerCentre;
        QPoint (QRect::*point)() const;
        std::optional<QPoint> expected;
    };
    const Case cases[] = {
        {"owner in the middle", available.center(), &QRect::center, std::nullopt},
        {"owner off the top left", available.topLeft(), &QRect::topLeft, available.topLeft()},
        {"owner off the bottom right", available.bottomRight(), &QRect::bottomRight,
         available.bottomRight()},
    };
    for (const Case& c : cases) {
        QWidget owner;
        owner.resize(300, 200);
        QRect ownerFrame = owner.frameGeometry();
        ownerFrame.moveCenter(c.ownerCentre);
        owner.move(ownerFrame.topLeft());
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        const QPoint expected = c.expected.value_or(owner.frameGeometry().center());

        RecordingDialog dialog;
        dialog.setParent(&owner, Qt::Dialog);
        dialog.setMinimumSize(200, 100);
        QRect frame;
        whenModal<QDialog>([&](QDialog* shown) {
            frame = shown->frameGeometry();
            shown->reject();
        });
        dialog.runModal();
        EXPECT_TRUE(available.contains(frame)) << c.what;
        EXPECT_EQ((frame.*c.point)(), expected) << c.what;

        QWidget window(&owner, Qt::Window);
        window.resize(250, 150);
        placeWindow(&window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(available.contains(window.frameGeometry())) << c.what;
        EXPECT_EQ((window.frameGeometry().*c.point)(), expected) << c.what;
    }
}

// A window opens wide enough for its title; one larger than the screen shrinks to it, and one
// that cannot keeps its title bar on it.
TEST(PlaceWindow, FitsTheTitleAndTheScreen) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget titled(nullptr, Qt::Window);
    titled.setWindowTitle(QStringLiteral("Change Password"));
    titled.resize(40, 40);
    placeWindow(&titled);
    EXPECT_GE(titled.width(), titleBarWidth(&titled));

    // Framed by the window system already, so that its frame is known.
    QWidget large(nullptr, Qt::Window);
    large.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&large));
    large.resize(available.size() * 2);
    placeWindow(&large);
    EXPECT_TRUE(available.contains(large.frameGeometry()));
    large.setMinimumSize(available.size() + QSize(100, 100));
    placeWindow(&large);
    EXPECT_EQ(large.frameGeometry().topLeft(), available.topLeft());
}

// A busy machine lets the driver's poll fall due before a shown dialog is activated; keys
// sent then would go to the window below it.
TEST(ModalDriver, DrivesAModalWindowOnlyWhenItHasTheKeyboard) {
    QWidget below;
    auto* belowEdit = new QLineEdit(&below);
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&below));
    belowEdit->setFocus();
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    QWidget* focus = nullptr;
    whenModal<QDialog>([&](QDialog* shown) {
        focus = QApplication::focusWidget();
        shown->accept();
    });
    QThread::msleep(3 * kModalPollMs);
    dialog.exec();
    EXPECT_EQ(focus, edit);
}

TEST(HelpSystem, KnowsThePagesOfTheHelpFile) {
    const HelpSystem help(resourcePath(kHelpResourceRoot), QStringLiteral("Help"));
    for (const char* context :
         {"HelpKORA", "HelpAutoDownload", "HelpAircraftInfo", "HelpClearData", "HelpUtilities"})
        EXPECT_TRUE(help.hasPage(QLatin1String(context))) << context;
    EXPECT_FALSE(help.hasPage(QStringLiteral("HelpNothing")));
    EXPECT_FALSE(help.hasPage(QString()));
}

// The machine's fontconfig picks other faces for these names where the URW base 35 faces are
// installed ("Times" is Nimbus Roman there); the program's choice wins over it. On a machine
// without the program's faces (the test font set that hides them) there is nothing to win.
TEST(ProgramFonts, TheNamedFamiliesResolveToTheProgramsFaces) {
    if (!QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
        GTEST_SKIP() << "the program's faces are not installed under this font set";
    const std::pair<const char*, const char*> expected[] = {
        {"Arial", "Liberation Sans"},
        {"Helvetica [Cronyx]", "Liberation Sans"},
        {"Times", "Liberation Serif"},
        {"Courier New", "Liberation Mono"}};
    for (const auto& [family, face] : expected)
        QFont::removeSubstitutions(QLatin1String(family));
    installProgramFontSubstitutions();
    for (const auto& [family, face] : expected) {
        QFont font{QLatin1String(family)};
        font.setPointSize(10);
        EXPECT_EQ(QFontInfo(font).family().toStdString(), face) << family;
    }
}

TEST(Controls, ProgressBarsShowValuesOrPercentages) {
    QProgressBar bar;
    bar.setRange(0, 300);
    bar.setValue(12);
    setProgressText(&bar, ProgressText::Value);
    EXPECT_EQ(bar.text(), QStringLiteral("12"));
    bar.setRange(0, 100);
    bar.setValue(40);
    setProgressText(&bar, ProgressText::Percent);
    EXPECT_EQ(bar.text(), QStringLiteral("40%"));
    EXPECT_EQ(progressText(&bar), ProgressText::Percent);
}

// The bar of a run with failed steps turns red under the program's style sheet, and back.
TEST(Controls, AFailedBarIsDrawnInTheStyleSheetsFailureColour) {
    QProgressBar bar;
    bar.setTextVisible(false);
    bar.resize(200, 24);
    bar.setValue(100);
    const auto drawn = [&bar] {
        return bar.grab().toImage().pixelColor(bar.width() / 2, bar.height() / 2);
    };
    const auto red = [](const QColor& colour) { return colour.red() > colour.blue() + 80; };
    EXPECT_FALSE(red(drawn()));
    setProgressFailed(&bar, true);
    EXPECT_TRUE(progressFailed(&bar));
    EXPECT_TRUE(red(drawn())) << drawn().name().toStdString();
    setProgressFailed(&bar, false);
    EXPECT_FALSE(red(drawn()));
}

} // namespace
