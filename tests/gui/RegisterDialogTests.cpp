// The aircraft menu of the main window as the administrator uses it: the four register
// dialogs, the import through the file dialog, and the notices when there is nothing to
// remove.
#include "AircraftPaths.h"
#include "BearingGeometryStore.h"
#include "BrixAircraftSettings.h"
#include "DisplayFonts.h"
#include "FixedText.h"
#include "KORAAddAircraftDialog.h"
#include "KORAAddEngineTypeDialog.h"
#include "KORABearingDialog.h"
#include "KORALib.h"
#include "KORARemoveAircraftDialog.h"
#include "KORARemoveEngineTypeDialog.h"
#include "KORAWindow.h"
#include "MessageBoxNotifier.h"
#include "ModalDriver.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "Screen.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>

namespace {

using Message = RecordingNotifier::Message;

Message error(const QString& text) {
    return {QStringLiteral("critical"), QStringLiteral("Error"), text};
}

Message notice(const QString& text) {
    return {QStringLiteral("warning"), QStringLiteral(" Thalvex "), text};
}

QStringList listed(QWidget* dialog, const char* name) {
    QStringList items;
    auto* list = dialog->findChild<QListWidget*>(QLatin1String(name));
    for (int row = 0; list != nullptr && row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

QString selected(QWidget* dialog, const char* name) {
    auto* list = dialog->findChild<QListWidget*>(QLatin1String(name));
    return list == nullptr || list->currentItem() == nullptr ? QString()
                                                             : list->currentItem()->text();
}

// Types into a text field over whatever it held.
void retype(QWidget* dialog, const char* field, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(field));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

// A dialog that a key should have closed fails the test instead of holding it.
void closeIfStillOpen(QWidget* dialog) {
    if (!dialog->isVisible())
        return;
    ADD_FAILURE() << "the dialog is still open";
    dialog->close();
}

// Keys go where the focus is, as the technician's would.
void press(QWidget* dialog, Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr && target->window() == dialog ? target : dialog, key);
}

class RegisterDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        // The aircraft menu is the administrator's: started at that level with the password.
        window = std::make_unique<KORAWindow>(
            persist, notifier,
            QStringList{QStringLiteral("-x0"), QStringLiteral("-y0"), QStringLiteral("-l1"),
                        QStringLiteral("-pqzpvx")});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F5);
        notifier.messages.clear();
    }

    void TearDown() override { setPrivilegeLevel(kFlightLineLevel); }

    // Opens the aircraft menu with a click on its title and chooses the item by its
    // underlined letter.
    void choose(const char* item, Qt::Key letter) {
        auto* menuBar = window->findChild<QMenuBar*>(QStringLiteral("PULL_DOWN_MENU"));
        auto* menu = window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"));
        ASSERT_TRUE(menuBar != nullptr && menu != nullptr);
        ASSERT_TRUE(menu->menuAction()->isEnabled());
        ASSERT_TRUE(window->findChild<QAction*>(QLatin1String(item))->isEnabled());
        QTest::mouseClick(menuBar, Qt::LeftButton, {},
                          menuBar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, kModalBoundMs))
            << "the aircraft menu did not open";
        QTest::keyClick(menu, letter);
    }

    void chooseAddAircraft() { choose("PUI_AI_ADD", Qt::Key_A); }
    void chooseRemoveAircraft() { choose("PUI_AI_REMOVE", Qt::Key_R); }
    void chooseImport() { choose("PUI_AI_IMPORT", Qt::Key_I); }
    void chooseAddEngineType() { choose("PUI_AI_ADD_ENGINE_TYPE", Qt::Key_E); }
    void chooseRemoveEngineType() { choose("PUI_AI_REMOVE_ENGINE_TYPE", Qt::Key_T); }
    void chooseBearing() { choose("PUI_AI_BEARING", Qt::Key_B); }

    // The technician's next key, as the window system delivers it: to the window that has the
    // keyboard or to the pop-up that holds it. F6 on the main menu shows the aircraft
    // information screen, and Esc there goes back.
    void expectTheMainWindowTakesTheNextKey(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return QGuiApplication::focusWindow() == window->windowHandle(); },
            kModalBoundMs))
            << "the main window did not take the keyboard back";
        if (QWindow* focus = QGuiApplication::focusWindow())
            QTest::keyClick(focus, Qt::Key_F6);
        ASSERT_NE(window->currentScreen(), nullptr);
        EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("AircraftInfo"));
        // A pop-up left open would spoil the next case too.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QTest::keyClick(window.get(), Qt::Key_Escape);
    }

    void setEngineTypes(const QStringList& types) {
        BrixAircraftSettings settings;
        for (const QString& key : settings.childKeys())
            if (key.startsWith(QStringLiteral("EngineType_")))
                settings.remove(key);
        for (int index = 0; index < types.size(); ++index)
            settings.setValue(QStringLiteral("EngineType_%1").arg(index), types[index]);
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
};

TEST_F(RegisterDialogTest, AddAircraftRefusesAMissingOrRegisteredIdAndStaysOpen) {
    QStringList firstList;
    bool listDisabledWhenEmpty = false;
    bool fieldHasNormalFont = false;
    whenModal<KORAAddAircraftDialog>([&](KORAAddAircraftDialog* dialog) {
        firstList = listed(dialog, "CURRENT_AIRCRAFT");
        listDisabledWhenEmpty =
            !dialog->findChild<QListWidget*>(QStringLiteral("CURRENT_AIRCRAFT"))->isEnabled();
        fieldHasNormalFont =
            dialog->findChild<QLineEdit*>(QStringLiteral("NEW_AIRCRAFT_ID"))->font() ==
            readDisplayFonts().normal;
        retype(dialog, "NEW_AIRCRAFT_ID", QStringLiteral("F-GZLK"));
        press(dialog, Qt::Key_F5);
    });
    chooseAddAircraft();
    EXPECT_TRUE(firstList.isEmpty());
    EXPECT_TRUE(listDisabledWhenEmpty);
    EXPECT_TRUE(fieldHasNormalFont);
    EXPECT_EQ(KORALibListAircraft().items, QStringList{QStringLiteral("F-GZLK")});
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("LastAircraft")).toString(),
              QStringLiteral("F-GZLK"));
    EXPECT_TRUE(QFileInfo(engineDirectory(dataDirectory, QStringLiteral("F-GZLK"), 2)).isDir());
    EXPECT_TRUE(notifier.messages.isEmpty());

    QStringList secondList;
    QList<bool> openAfter;
    QString cutToSixteen;
    whenModal<KORAAddAircraftDialog>([&](KORAAddAircraftDialog* dialog) {
        secondList = listed(dialog, "CURRENT_AIRCRAFT");
        press(dialog, Qt::Key_F5);
        openAfter.append(dialog->isVisible());
        retype(dialog, "NEW_AIRCRAFT_ID", QStringLiteral("f-gzlk"));
        press(dialog, Qt::Key_F5);
        openAfter.append(dialog->isVisible());
        retype(dialog, "NEW_AIRCRAFT_ID", QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        cutToSixteen = dialog->findChild<QLineEdit*>(QStringLiteral("NEW_AIRCRAFT_ID"))->text();
        press(dialog, Qt::Key_F8);
    });
    chooseAddAircraft();
    EXPECT_EQ(secondList, QStringList{QStringLiteral("F-GZLK")});
    EXPECT_EQ(openAfter, (QList<bool>{true, true}));
    EXPECT_EQ(notifier.messages,
              (QList<Message>{error(QStringLiteral("No aircraftID specified")),
                              error(QStringLiteral("Aircraft ID \"F-GZLK\" already exists"))}));
    EXPECT_EQ(cutToSixteen, QStringLiteral("ABCDEFGHIJKLMNOP"));
    // Cancel added nothing.
    EXPECT_EQ(KORALibCountAircraft(), 1);
}

TEST_F(RegisterDialogTest, AddEngineTypeRefusesAnEmptyOrListedTypeAndAppendsANewOne) {
    setEngineTypes({QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")});
    QStringList shown;
    QString firstSelected;
    QList<bool> openAfter;
    whenModal<KORAAddEngineTypeDialog>([&](KORAAddEngineTypeDialog* dialog) {
        shown = listed(dialog, "CURRENT_ENGINE");
        firstSelected = selected(dialog, "CURRENT_ENGINE");
        press(dialog, Qt::Key_F5);
        openAfter.append(dialog->isVisible());
        retype(dialog, "NEW_ENGINE", QStringLiteral("cfm56-7"));
        press(dialog, Qt::Key_F5);
        openAfter.append(dialog->isVisible());
        retype(dialog, "NEW_ENGINE", QStringLiteral("CFM56-5B"));
        press(dialog, Qt::Key_F5);
    });
    chooseAddEngineType();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")}));
    EXPECT_EQ(firstSelected, QStringLiteral("CFM56-3"));
    EXPECT_EQ(openAfter, (QList<bool>{true, true}));
    EXPECT_EQ(notifier.messages,
              (QList<Message>{error(QStringLiteral("No engine type specified")),
                              error(QStringLiteral("Engine Type \"CFM56-7\" already exists"))}));
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("EngineType_2")).toString(),
              QStringLiteral("CFM56-5B"));

    whenModal<KORAAddEngineTypeDialog>([&](KORAAddEngineTypeDialog* dialog) {
        retype(dialog, "NEW_ENGINE", QStringLiteral("GE90"));
        press(dialog, Qt::Key_Escape);
    });
    chooseAddEngineType();
    EXPECT_EQ(KORALibCountEngineTypes(), 3);
}

TEST_F(RegisterDialogTest, EnterAddsAsF5Does) {
    setEngineTypes({QStringLiteral("CFM56-3")});
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        const QString id =
            enter == Qt::Key_Return ? QStringLiteral("F-GZLK") : QStringLiteral("N2");
        whenModal<KORAAddAircraftDialog>([&](KORAAddAircraftDialog* dialog) {
            retype(dialog, "NEW_AIRCRAFT_ID", id);
            press(dialog, enter);
            closeIfStillOpen(dialog);
        });
        chooseAddAircraft();
        EXPECT_TRUE(KORALibListAircraft().items.contains(id)) << id.toStdString();

        const QString type =
            enter == Qt::Key_Return ? QStringLiteral("GE90") : QStringLiteral("GE9X");
        whenModal<KORAAddEngineTypeDialog>([&](KORAAddEngineTypeDialog* dialog) {
            retype(dialog, "NEW_ENGINE", type);
            press(dialog, enter);
            closeIfStillOpen(dialog);
        });
        chooseAddEngineType();
        EXPECT_TRUE(KORALibListEngineTypes().contains(type)) << type.toStdString();
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(RegisterDialogTest, TheMainWindowTakesTheNextKeyAfterEveryKindOfDialog) {
    ASSERT_TRUE(addAircraft(QStringLiteral("F-GZLK"), notifier));
    writeFile(dataDirectory + QStringLiteral("/fleet.csv"), "N2\n");

    whenModal<KORAAddAircraftDialog>([](KORAAddAircraftDialog* dialog) {
        press(dialog, Qt::Key_F8);
        closeIfStillOpen(dialog);
    });
    chooseAddAircraft();
    expectTheMainWindowTakesTheNextKey("after the add aircraft dialog");

    // The program's message box, which has no parent; a key typed before it was shown does
    // not close it unread.
    bool boxWaited = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        boxWaited = true;
        box->accept();
    });
    typeAhead(Qt::Key_Return);
    MessageBoxNotifier().warning(QStringLiteral(" Thalvex "), QStringLiteral("No engine found"));
    EXPECT_TRUE(boxWaited);
    expectTheMainWindowTakesTheNextKey("after a message box");

    // The file dialog closed with its completion pop-up still open.
    bool popupShown = false;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_TRUE(name != nullptr && buttons != nullptr);
        // The completion lists the folder once the dialog has read it.
        popupShown = QTest::qWaitFor(
            [name] {
                name->clear();
                QTest::keyClicks(name, QStringLiteral("fle"));
                return QApplication::activePopupWidget() != nullptr;
            },
            kModalBoundMs);
        name->setText(QStringLiteral("fleet.csv"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        closeIfStillOpen(dialog);
    });
    chooseImport();
    EXPECT_TRUE(popupShown);
    EXPECT_TRUE(KORALibListAircraft().items.contains(QStringLiteral("N2")));
    expectTheMainWindowTakesTheNextKey("after the file dialog");
}

TEST_F(RegisterDialogTest, RemoveEngineTypeRemovesTheSelectedOneAndNoneLeftIsANotice) {
    setEngineTypes({QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")});
    QString firstSelected;
    whenModal<KORARemoveEngineTypeDialog>([&](KORARemoveEngineTypeDialog* dialog) {
        firstSelected = selected(dialog, "CURRENT_ENGINE");
        QTest::keyClick(dialog->findChild<QListWidget*>(QStringLiteral("CURRENT_ENGINE")),
                        Qt::Key_Down);
        press(dialog, Qt::Key_F5);
    });
    chooseRemoveEngineType();
    EXPECT_EQ(firstSelected, QStringLiteral("CFM56-3"));
    EXPECT_EQ(KORALibListEngineTypes(), QStringList{QStringLiteral("CFM56-3")});

    whenModal<KORARemoveEngineTypeDialog>(
        [&](KORARemoveEngineTypeDialog* dialog) { press(dialog, Qt::Key_F8); });
    chooseRemoveEngineType();
    EXPECT_EQ(KORALibListEngineTypes(), QStringList{QStringLiteral("CFM56-3")});

    whenModal<KORARemoveEngineTypeDialog>(
        [&](KORARemoveEngineTypeDialog* dialog) { press(dialog, Qt::Key_F5); });
    chooseRemoveEngineType();
    EXPECT_EQ(KORALibCountEngineTypes(), 0);
    EXPECT_TRUE(notifier.messages.isEmpty());

    // With none left the dialog does not open.
    chooseRemoveEngineType();
    EXPECT_EQ(notifier.messages, QList<Message>{notice(QStringLiteral("No engine found"))});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(RegisterDialogTest, RemoveAircraftAsksBeforeDeletingDownloadedFiles) {
    struct Case {
        const char* what;
        bool withFiles;
        bool answer;
        bool removed;
    };
    const Case cases[] = {
        {"files, yes", true, true, true},
        {"files, no", true, false, false},
        {"no files", false, true, true},
    };
    const QString id = QStringLiteral("F-GZLK");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(addAircraft(QStringLiteral("N1"), notifier));
        ASSERT_TRUE(addAircraft(id, notifier));
        const QString engine1 = engineDirectory(dataDirectory, id, 1);
        if (c.withFiles) {
            writeFile(engine1 + QStringLiteral("/n4orig_1.raw"), "raw");
            writeFile(engine1 + QStringLiteral("/n4ss_1.dat"), "ss");
        }
        notifier.messages.clear();
        notifier.answers = {c.answer};
        notifier.questionDefaults.clear();

        QString preselected;
        bool openAfterOk = false;
        whenModal<KORARemoveAircraftDialog>([&](KORARemoveAircraftDialog* dialog) {
            preselected = selected(dialog, "CURRENT_AIRCRAFT");
            press(dialog, Qt::Key_F5);
            openAfterOk = dialog->isVisible();
            if (openAfterOk)
                press(dialog, Qt::Key_F8);
        });
        chooseRemoveAircraft();

        // The last aircraft added is the one offered.
        EXPECT_EQ(preselected, id);
        EXPECT_EQ(openAfterOk, !c.removed);
        QList<Message> expected;
        if (c.withFiles) {
            expected.append({QStringLiteral("question"), QStringLiteral("Remove Aircraft"),
                             QStringLiteral("Aircraft \"F-GZLK\" has 2 downloaded files in %1. "
                                            "Remove the aircraft and delete these files?")
                                 .arg(aircraftDirectory(dataDirectory, id))});
            EXPECT_EQ(notifier.questionDefaults,
                      QList<Notifier::DefaultAnswer>{Notifier::DefaultAnswer::No});
        }
        EXPECT_EQ(notifier.messages, expected);
        EXPECT_EQ(registeredAircraftId(id).isEmpty(), c.removed);
        EXPECT_EQ(QFileInfo::exists(aircraftDirectory(dataDirectory, id)), !c.removed);
        if (c.withFiles && !c.removed) {
            EXPECT_TRUE(QFileInfo::exists(engine1 + QStringLiteral("/n4orig_1.raw")));
        }
        EXPECT_EQ(registeredAircraftId(QStringLiteral("N1")), QStringLiteral("N1"));

        KORALibDeleteAircraft(id, notifier);
        KORALibDeleteAircraft(QStringLiteral("N1"), notifier);
    }
}

TEST_F(RegisterDialogTest, RemoveAircraftWithNoneRegisteredIsANotice) {
    chooseRemoveAircraft();
    EXPECT_EQ(notifier.messages, QList<Message>{notice(QStringLiteral("No aircraft found"))});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(RegisterDialogTest, ImportReadsThePickedFileAndCancelDoesNothing) {
    ASSERT_TRUE(addAircraft(QStringLiteral("F-GZLK"), notifier));
    registerEngines(QStringLiteral("F-GZLK"), kAllOn, kAllOn);
    writeFile(dataDirectory + QStringLiteral("/fleet.csv"),
              "# line station fleet\n"
              "\n"
              "f-gzlk,LS01,CFM56-7,874513,2019-04-02,CFM56-7,874514,2019-04-03,checked\n"
              "# added this month\n"
              "N2\n");
    QString startFolder;
    QString filter;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        startFolder = dialog->directory().absolutePath();
        filter = dialog->nameFilters().join(';');
        typeFileNameAndReturn(dialog, QStringLiteral("fleet.csv"));
    });
    chooseImport();
    EXPECT_EQ(startFolder, dataDirectory);
    EXPECT_EQ(filter, QStringLiteral("*.csv"));
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("information"), QStringLiteral(" Thalvex "),
                   QStringLiteral("Imported 2 aircraft: 1 added, 1 replaced\nReplaced: F-GZLK")}}));
    notifier.messages.clear();

    // One aircraft whatever the letter case: the registered spelling keeps the new record,
    // with its switches off.
    QStringList ids = KORALibListAircraft().items;
    ids.sort();
    EXPECT_EQ(ids, (QStringList{QStringLiteral("F-GZLK"), QStringLiteral("N2")}));
    const AircraftRecord replaced = KORALibReadAircraft(QStringLiteral("F-GZLK"));
    EXPECT_EQ(readFixedText(replaced.aircraftId), QStringLiteral("F-GZLK"));
    EXPECT_EQ(readFixedText(replaced.shopId), QStringLiteral("LS01"));
    EXPECT_EQ(readFixedText(replaced.engines[1].serialNumber), QStringLiteral("874514"));
    EXPECT_EQ(replaced.engines[0].downloadBearing4, 0);
    EXPECT_EQ(replaced.engines[1].eraseAccelHistory, 0);
    const AircraftRecord following = KORALibReadAircraft(QStringLiteral("N2"));
    // The fields N2's line lacks are those of the line before it.
    EXPECT_EQ(readFixedText(following.shopId), QStringLiteral("LS01"));
    EXPECT_TRUE(QFileInfo(engineDirectory(dataDirectory, QStringLiteral("N2"), 2)).isDir());
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("LastAircraft")).toString(),
              QStringLiteral("N2"));

    // Cancelled: nothing is read, nothing is said.
    BrixAircraftSettings().setValue(QStringLiteral("LastAircraft"), QStringLiteral("F-GZLK"));
    whenModal<QFileDialog>([](QFileDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    chooseImport();
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("LastAircraft")).toString(),
              QStringLiteral("F-GZLK"));
    EXPECT_EQ(KORALibCountAircraft(), 2);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace

namespace {

QString fieldText(QWidget* dialog, const char* name) {
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name));
    return edit == nullptr ? QStringLiteral("(none)") : edit->text();
}

TEST_F(RegisterDialogTest, BearingShowsSavesRefusesAndClearsTheChosenTypesGeometry) {
    setEngineTypes({QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")});
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"),
                                     {.elements = 16,
                                      .ballDiameter = 7.9,
                                      .pitchDiameter = 46,
                                      .contactAngleDegrees = 0,
                                      .shaft = BearingShaft::N1},
                                     notifier));
    QStringList texts;
    QStringList shownForSecond;
    QString helpContext;
    QList<bool> openAfter;
    whenModal<KORABearingDialog>([&](KORABearingDialog* dialog) {
        texts = {dialog->windowTitle(), dialog->findChild<QPushButton*>("B_OK")->text(),
                 dialog->findChild<QPushButton*>("B_CLEAR")->text(),
                 dialog->findChild<QPushButton*>("B_CANCEL")->text(),
                 fieldText(dialog, "E_ELEMENTS")};
        helpContext = dialog->helpContext();
        QTest::keyClick(dialog->findChild<QListWidget*>(QStringLiteral("CURRENT_ENGINE")),
                        Qt::Key_Down);
        shownForSecond = {fieldText(dialog, "E_ELEMENTS"), fieldText(dialog, "E_BALL_DIAMETER"),
                          fieldText(dialog, "E_PITCH_DIAMETER"),
                          fieldText(dialog, "E_CONTACT_ANGLE"),
                          dialog->findChild<QComboBox*>(QStringLiteral("C_SHAFT"))->currentText()};
        retype(dialog, "E_PITCH_DIAMETER", QStringLiteral("7.9"));
        press(dialog, Qt::Key_F5);
        openAfter.append(dialog->isVisible());
        retype(dialog, "E_PITCH_DIAMETER", QStringLiteral("46.5"));
        retype(dialog, "E_CONTACT_ANGLE", QStringLiteral("12,5"));
        press(dialog, Qt::Key_F5);
    });
    chooseBearing();
    EXPECT_EQ(texts,
              (QStringList{" Thalvex  - Bearing", "Save (F5)", "Clear (F6)", "Cancel (F8)", ""}));
    EXPECT_EQ(helpContext, QStringLiteral("HelpBearing"));
    EXPECT_EQ(shownForSecond, (QStringList{"16", "7.9", "46", "0", "N1"}));
    EXPECT_EQ(openAfter, QList<bool>{true});
    EXPECT_EQ(notifier.messages,
              QList<Message>{error(
                  QStringLiteral("The pitch diameter must be a number above the ball diameter"))});
    const std::optional<BearingGeometry> saved = readBearingGeometry(QStringLiteral("CFM56-7"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->pitchDiameter, 46.5);
    EXPECT_EQ(saved->contactAngleDegrees, 12.5);
    EXPECT_EQ(saved->shaft, BearingShaft::N1);
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-3")));

    // Cancel keeps it; Clear removes the chosen type's geometry.
    const auto editAndPress = [this](Qt::Key key) {
        whenModal<KORABearingDialog>([key](KORABearingDialog* dialog) {
            QTest::keyClick(dialog->findChild<QListWidget*>(QStringLiteral("CURRENT_ENGINE")),
                            Qt::Key_Down);
            retype(dialog, "E_ELEMENTS", QStringLiteral("99"));
            press(dialog, key);
        });
        chooseBearing();
    };
    editAndPress(Qt::Key_F8);
    ASSERT_TRUE(readBearingGeometry(QStringLiteral("CFM56-7")));
    EXPECT_EQ(readBearingGeometry(QStringLiteral("CFM56-7"))->elements, 16);
    editAndPress(Qt::Key_F6);
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-7")));
    EXPECT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
