// Privilege levels as the technician meets them: the privilege menu and its login, the
// fall-back to flight line after a time without input, the password change, the about box
// and the user guide.
#include "ApplicationSettings.h"
#include "BrixAdminLoginDialog.h"
#include "BrixCommonSettings.h"
#include "Controls.h"
#include "DataFolder.h"
#include "HelpAboutDialog.h"
#include "KORAButton.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "PasswordDialog.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "Screen.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"
#include "UserGuide.h"
#include "UserPersist.h"
#include "UtilitiesScreen.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr quint16 kNobodyListens = 1;
constexpr int kWaitBoundMs = 5000;
using Message = RecordingNotifier::Message;

const Message kInvalidPassword{QStringLiteral("critical"), QStringLiteral("Invalid password"),
                               QStringLiteral("Invalid password")};
const Message kRevertMessage{QStringLiteral("warning"), QStringLiteral("Privilege Level Change"),
                             QStringLiteral("Reverting to Flight-Line level due to inactivity")};

Message changePasswordWarning(const char* text) {
    return {QStringLiteral("warning"), QStringLiteral("Change Password"), QLatin1String(text)};
}

// Takes the desktop's "open this file" requests instead of a PDF reader.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class PrivilegeTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        pointSettingsAtSimulator(kNobodyListens);
        freshDataDirectory();
        setPrivilegeLevel(kFlightLineLevel);
        setInactivityTimeout(kDefaultPrivTimeout);
        KORAButton::setHelpDirectory(QString());
    }

    void TearDown() override { setInactivityTimeout(kDefaultPrivTimeout); }

    KORAWindow& open(const QStringList& arguments = {}) {
        window.reset();
        window = std::make_unique<KORAWindow>(persist, notifier, arguments);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The watch reads this clock alone: time moves only when a test says so.
        window->inactivityWatch().setClock([this] { return now; });
        return *window;
    }

    KORAWindow& openAsAdministrator() {
        return open({QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l1"),
                     QStringLiteral("-pqzpvx")});
    }

    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QLatin1String(name));
    }
    bool aircraftMenuEnabled() const {
        return window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"))
            ->menuAction()
            ->isEnabled();
    }
    QString levelShown() const {
        auto* label = findControl<QLabel>(
            window.get(), {QStringLiteral("StatusBar"), QStringLiteral("PRIVILEGE_LEVEL")});
        return label == nullptr ? QStringLiteral("<missing>") : label->text();
    }
    QString screenName() const {
        return window->currentScreen() == nullptr ? QString()
                                                  : window->currentScreen()->objectName();
    }
    bool utilitiesButtonShown() const {
        return window->currentScreen()->findChild<KORAButton*>(QStringLiteral("B5")) != nullptr;
    }

    // The level, its name, its marks and what the main window offers at it agree.
    void expectLevel(int level) {
        EXPECT_EQ(privilegeLevel(), level);
        EXPECT_EQ(levelShown(), privilegeName(level));
        EXPECT_EQ(action("PUI_PRIV_ADMINISTRATOR")->isChecked(), level == kAdministratorLevel);
        EXPECT_EQ(action("PUI_PRIV_FLIGHTLINE")->isChecked(), level == kFlightLineLevel);
    }

    // Chooses Administrator and answers the login with `passwords` in turn, each confirmed
    // with Enter; the dialog must stay open after each but the last.
    void logIn(const QStringList& passwords) {
        whenModal<BrixAdminLoginDialog>([&](BrixAdminLoginDialog* dialog) {
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("PASSWORD"));
            ASSERT_NE(field, nullptr);
            EXPECT_EQ(field->echoMode(), QLineEdit::Password);
            for (const QString& password : passwords) {
                const qsizetype before = notifier.messages.size();
                field->clear();
                QTest::keyClicks(field, password);
                QTest::keyClick(field, Qt::Key_Return);
                if (&password == &passwords.constLast())
                    break;
                EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.messages.size() > before; },
                                            kWaitBoundMs));
                EXPECT_TRUE(dialog->isVisible()) << password.toStdString();
            }
        });
        action("PUI_PRIV_ADMINISTRATOR")->trigger();
    }

    // Fails when a modal window shows up while `step` runs, and closes it.
    void expectNoModal(const std::function<void()>& step) {
        bool seen = false;
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = true;
                modal->close();
            }
        });
        guard.start(kModalPollMs);
        step();
        QTest::qWait(3 * kModalPollMs);
        EXPECT_FALSE(seen);
    }

    // Runs the change-password flow: `current` answers the first question (cancelled when
    // null), then `entries` fill the new password and its verification (cancelled when
    // empty).
    void changePasswordWith(const char* current, const QStringList& entries = {}) {
        whenModal<QInputDialog>([=](QInputDialog* input) {
            EXPECT_EQ(input->windowTitle(), QStringLiteral("Change Password"));
            EXPECT_EQ(input->labelText(), QStringLiteral("Enter current password:"));
            EXPECT_EQ(input->textEchoMode(), QLineEdit::Password);
            EXPECT_TRUE(input->textValue().isEmpty());
            // Wide enough for the window system to show the whole title.
            EXPECT_GE(input->width(), titleBarWidth(input));
            if (current == nullptr) {
                input->reject();
                return;
            }
            if (QString::fromLatin1(current) == storedPassword())
                whenModal<PasswordDialog>([=](PasswordDialog* dialog) {
                    EXPECT_GE(dialog->width(), titleBarWidth(dialog));
                    if (entries.isEmpty()) {
                        QTest::mouseClick(
                            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                            Qt::LeftButton);
                        return;
                    }
                    QTest::keyClicks(
                        dialog->findChild<QLineEdit*>(QStringLiteral("passwdLineEdit")),
                        entries.value(0));
                    QTest::keyClicks(
                        dialog->findChild<QLineEdit*>(QStringLiteral("verifyLineEdit")),
                        entries.value(1));
                    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")),
                                      Qt::LeftButton);
                });
            input->setTextValue(QString::fromLatin1(current));
            input->accept();
        });
        action("PUI_PRIV_CHANGE_PASSWD")->trigger();
    }

    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    std::unique_ptr<KORAWindow> window;
    qint64 now = 1000;
};

TEST_F(PrivilegeTest, TheMenusOfThisWindowAreOffered) {
    open();
    for (const char* name : {"PUI_PRIV_ADMINISTRATOR", "PUI_PRIV_FLIGHTLINE",
                             "PUI_PRIV_CHANGE_PASSWD", "PUI_HELP_USER_GUIDE", "PUI_HELP_ABOUT"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(PrivilegeTest, LoginTakesTheStoredPasswordExactlyAndOpensTheAdministratorFunctions) {
    open();
    logIn({QStringLiteral("QZPVX"), QStringLiteral("wrong"), QStringLiteral("qzpvx")});
    EXPECT_EQ(notifier.messages, QList<Message>({kInvalidPassword, kInvalidPassword}));
    expectLevel(kAdministratorLevel);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(utilitiesButtonShown());
    EXPECT_TRUE(aircraftMenuEnabled());
    window->handleEvent(kUtilitiesCode);
    EXPECT_EQ(screenName(), QStringLiteral("Utilities"));

    // Back to flight line: the main menu without utilities, and F9 does nothing there.
    action("PUI_PRIV_FLIGHTLINE")->trigger();
    expectLevel(kFlightLineLevel);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_FALSE(utilitiesButtonShown());
    EXPECT_FALSE(aircraftMenuEnabled());
    QTest::keyClick(window.get(), Qt::Key_F9);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
}

TEST_F(PrivilegeTest, EveryWayOutOfTheLoginKeepsFlightLine) {
    const std::function<void(BrixAdminLoginDialog*)> ways[] = {
        [](BrixAdminLoginDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); },
        [](BrixAdminLoginDialog* dialog) { QTest::keyClick(dialog, Qt::Key_F8); },
        [](BrixAdminLoginDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("B_CANCEL")),
                              Qt::LeftButton);
        },
        [](BrixAdminLoginDialog* dialog) { dialog->close(); },
    };
    open();
    for (const auto& way : ways) {
        whenModal<BrixAdminLoginDialog>(way);
        action("PUI_PRIV_ADMINISTRATOR")->trigger();
        expectLevel(kFlightLineLevel);
        EXPECT_EQ(screenName(), QStringLiteral("TitleWindow"));
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(PrivilegeTest, AdministratorAgainOrFromTheMakersLevelNeedsNoLogin) {
    ASSERT_TRUE(addAircraft(QStringLiteral("F-GZLK"), notifier));
    notifier.messages.clear();
    openAsAdministrator();
    window->handleEvent(kShowMainMenuCode);
    window->handleEvent(kMemoryEraseCode);
    ASSERT_EQ(screenName(), QStringLiteral("ClearData"));
    ASSERT_FALSE(aircraftMenuEnabled());
    expectNoModal([&] { action("PUI_PRIV_ADMINISTRATOR")->trigger(); });
    // Nothing changed: the erase screen stays, and so does its disabled aircraft menu.
    expectLevel(kAdministratorLevel);
    EXPECT_EQ(screenName(), QStringLiteral("ClearData"));
    EXPECT_FALSE(aircraftMenuEnabled());

    // The maker's access code is taken in any mix of letter case.
    open({QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l0"),
          QStringLiteral("-pWyNd_RaXo")});
    EXPECT_EQ(privilegeLevel(), kMakerLevel);
    EXPECT_EQ(levelShown(), QStringLiteral("Orvantis"));
    expectNoModal([&] { action("PUI_PRIV_ADMINISTRATOR")->trigger(); });
    expectLevel(kAdministratorLevel);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(PrivilegeTest, ThePasswordChangeSaysWhatWentWrongAndKeepsTheLevel) {
    open();
    struct Case {
        const char* current;
        QStringList entries;
        QList<Message> said;
    };
    const Case refused[] = {
        {nullptr, {}, {}},
        {"", {}, {changePasswordWarning("Incorrect password.")}},
        {"QZPVX", {}, {changePasswordWarning("Incorrect password.")}},
        {"qzpvx", {}, {}},
        {"qzpvx", {QString(), QString()}, {changePasswordWarning("Invalid password.")}},
        {"qzpvx",
         {QStringLiteral("Kestrel9"), QStringLiteral("kestrel9")},
         {changePasswordWarning("Passwords don't match.")}},
    };
    for (const Case& step : refused) {
        notifier.messages.clear();
        changePasswordWith(step.current, step.entries);
        EXPECT_EQ(notifier.messages, step.said) << (step.current ? step.current : "(cancelled)");
        EXPECT_FALSE(BrixCommonSettings().contains(kPasswordKey));
    }

    notifier.messages.clear();
    changePasswordWith("qzpvx", {QStringLiteral("Kestrel9"), QStringLiteral("Kestrel9")});
    EXPECT_EQ(notifier.messages,
              QList<Message>({{QStringLiteral("information"), QStringLiteral("Change Password"),
                               QStringLiteral("The password has been changed.")}}));
    EXPECT_EQ(BrixCommonSettings().value(kPasswordKey).toString(), QStringLiteral("Kestrel9"));
    expectLevel(kFlightLineLevel);
    EXPECT_EQ(screenName(), QStringLiteral("TitleWindow"));

    // The new password opens the administrator level; the old one no longer does.
    notifier.messages.clear();
    logIn({QStringLiteral("qzpvx"), QStringLiteral("Kestrel9")});
    EXPECT_EQ(notifier.messages, QList<Message>({kInvalidPassword}));
    expectLevel(kAdministratorLevel);
}

TEST_F(PrivilegeTest, ThePasswordDialogIsBuiltAsDrawn) {
    PasswordDialog dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("PasswordDialog"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Change Password"));
    const std::pair<const char*, const char*> labels[] = {
        {"label", "Please enter the new password:"},
        {"label_2", "Password:"},
        {"label_3", "Verify:"},
    };
    for (const auto& [name, text] : labels)
        EXPECT_EQ(dialog.findChild<QLabel*>(QLatin1String(name))->text(), QLatin1String(text));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->text(), "OK");
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"))->text(), "Cancel");
    QStringList order;
    for (QWidget* widget = dialog.findChild<QWidget*>(QStringLiteral("passwdLineEdit"));
         order.size() < 4; widget = widget->nextInFocusChain())
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
    EXPECT_EQ(order,
              QStringList({QStringLiteral("passwdLineEdit"), QStringLiteral("verifyLineEdit"),
                           QStringLiteral("okButton"), QStringLiteral("cancelButton")}));
    for (const char* name : {"passwdLineEdit", "verifyLineEdit"})
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QLatin1String(name))->echoMode(),
                  QLineEdit::Password);
}

// With the time-out at 0 and at 1 second, the level falls back in the first second after
// the time-out has passed, not in the second it runs out.
TEST_F(PrivilegeTest, InactivityFallsBackToFlightLineOnceTheTimeOutHasPassed) {
    for (const int timeout : {0, 1}) {
        setInactivityTimeout(timeout);
        notifier.messages.clear();
        openAsAdministrator();
        window->handleEvent(kShowMainMenuCode);
        now += timeout;
        window->handleEvent(kTimerTickCode);
        EXPECT_TRUE(notifier.messages.isEmpty()) << timeout;
        EXPECT_EQ(privilegeLevel(), kAdministratorLevel) << timeout;

        now += 1;
        window->handleEvent(kTimerTickCode);
        EXPECT_EQ(notifier.messages, QList<Message>({kRevertMessage})) << timeout;
        expectLevel(kFlightLineLevel);
        EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
        EXPECT_FALSE(utilitiesButtonShown());
        EXPECT_FALSE(aircraftMenuEnabled());
    }
}

TEST_F(PrivilegeTest, KeysAndClicksCountAsInputThePointerAloneDoesNot) {
    setInactivityTimeout(1);
    openAsAdministrator();
    auto* back = findControl<QPushButton>(window.get(),
                                          {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")});
    const std::function<void()> inputs[] = {
        [&] { QTest::keyClick(window.get(), Qt::Key_A); },
        [&] { QTest::mouseClick(window->currentScreen(), Qt::RightButton); },
    };
    // Two seconds after the last input the level would fall back; each input, one second
    // into them, keeps it.
    for (const auto& input : inputs) {
        now += 1;
        input();
        now += 1;
        window->handleEvent(kTimerTickCode);
        EXPECT_TRUE(notifier.messages.isEmpty());
    }
    now += 1;
    QTest::mouseMove(back);
    QTest::mouseMove(window->currentScreen());
    now += 1;
    window->handleEvent(kTimerTickCode);
    EXPECT_EQ(notifier.messages, QList<Message>({kRevertMessage}));
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);

    // At flight line nothing is watched, however long it stays quiet.
    notifier.messages.clear();
    now += 100000;
    window->handleEvent(kTimerTickCode);
    QTest::qWait(250);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// The watch looks neither at the input nor at the time inside a modal dialog; the first tick
// after it has closed judges the time since the last input outside it.
TEST_F(PrivilegeTest, AModalDialogHoldsTheWatchUntilItCloses) {
    setInactivityTimeout(1);
    openAsAdministrator();
    whenModal<HelpAboutDialog>([&](HelpAboutDialog* about) {
        now += 10;
        QTest::keyClick(about, Qt::Key_A);
        window->handleEvent(kTimerTickCode);
        QTest::qWait(250);
        EXPECT_TRUE(notifier.messages.isEmpty());
        EXPECT_EQ(privilegeLevel(), kAdministratorLevel);
        QTest::keyClick(about, Qt::Key_Escape);
    });
    action("PUI_HELP_ABOUT")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifier.messages.isEmpty(); }, kWaitBoundMs));
    EXPECT_EQ(notifier.messages, QList<Message>({kRevertMessage}));
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);
}

TEST_F(PrivilegeTest, AnUploadIsNotCutShortByTheWatch) {
    setInactivityTimeout(1);
    openAsAdministrator();
    window->handleEvent(kShowMainMenuCode);
    window->handleEvent(kUtilitiesCode);
    auto* utilities = qobject_cast<UtilitiesScreen*>(window->currentScreen());
    ASSERT_NE(utilities, nullptr);
    emit utilities->uploadRunning(true);
    now += 60;
    window->handleEvent(kTimerTickCode);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(screenName(), QStringLiteral("Utilities"));

    emit utilities->uploadRunning(false);
    now += 1;
    window->handleEvent(kTimerTickCode);
    EXPECT_EQ(notifier.messages, QList<Message>({kRevertMessage}));
    EXPECT_EQ(privilegeLevel(), kFlightLineLevel);
}

TEST_F(PrivilegeTest, TheAboutBoxShowsThePartNumber) {
    open();
    QString title;
    QString version;
    whenModal<HelpAboutDialog>([&](HelpAboutDialog* about) {
        title = about->windowTitle();
        version = controlText(about->findChild<QWidget*>(QStringLiteral("P_VERSION")));
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("B_OK")), Qt::LeftButton);
    });
    action("PUI_HELP_ABOUT")->trigger();
    EXPECT_EQ(title, QStringLiteral(" Thalvex "));
    EXPECT_EQ(version, QStringLiteral("BRIX - PNR: ") + programPartNumber());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(PrivilegeTest, TheUserGuideOpensBesideTheProgramOrSaysWhy) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString programDirectory = root.path() + QStringLiteral("/bin");
    const QString guide = programDirectory + QStringLiteral("/../doc/DOC-814-Rev1.pdf");
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("bin")));
    open();
    window->setProgramDirectory(programDirectory);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");

    action("PUI_HELP_USER_GUIDE")->trigger();
    EXPECT_EQ(notifier.messages,
              QList<Message>({{QStringLiteral("warning"), QStringLiteral("Warning"),
                               QStringLiteral("File not found: ") + guide}}));
    EXPECT_TRUE(catcher.urls.isEmpty());

    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("doc")));
    QFile file(guide);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
    file.close();
    notifier.messages.clear();
    action("PUI_HELP_USER_GUIDE")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(catcher.urls,
              QList<QUrl>({QUrl::fromLocalFile(root.path() + "/doc/DOC-814-Rev1.pdf")}));

    // A desktop that has nothing to open a PDF with.
    openUserGuide(programDirectory, notifier, [](const QUrl&) { return false; });
    EXPECT_EQ(notifier.messages,
              QList<Message>({{QStringLiteral("warning"), QStringLiteral("Warning"),
                               QStringLiteral("No PDF reader is available to open ") + guide}}));
}

TEST_F(PrivilegeTest, OpenDataFolderHandsTheDataDirectoryToTheDesktopOrSaysWhy) {
    open();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    action("PUI_FILE_OPEN_DATA_FOLDER")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    const QString folder = QDir(dataDirectory()).absolutePath();
    EXPECT_EQ(action("PUI_FILE_OPEN_DATA_FOLDER")->text(), QStringLiteral("Open &Data Folder"));
    EXPECT_EQ(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(folder)}));
    EXPECT_TRUE(notifier.messages.isEmpty());

    openDataFolder(notifier, [](const QUrl&) { return false; });
    EXPECT_EQ(notifier.messages,
              QList<Message>({{QStringLiteral("warning"), QStringLiteral("Warning"),
                               QStringLiteral("No file manager is available to show ") + folder}}));
}

} // namespace

#include "PrivilegeTests.moc"
