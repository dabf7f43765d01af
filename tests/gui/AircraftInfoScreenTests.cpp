// The aircraft information screen in the main window, driven by keys and clicks: what it
// shows, when it saves, the question on a change of aircraft, cancel and the engine types.
#include "AircraftInfoScreen.h"
#include "BrixAircraftSettings.h"
#include "Controls.h"
#include "FixedText.h"
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

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kFirst = QStringLiteral("F-GZLK");
const QString kSecond = QStringLiteral("D-ABCD");

QString group(int engine) {
    return QStringLiteral("G_ENGINE%1").arg(engine);
}

QByteArray storedBytes(const QString& id) {
    return BrixAircraftSettings().value(kAircraftInfoPrefix + id).toByteArray();
}

QString lastAircraft() {
    return BrixAircraftSettings().value(kLastAircraftKey).toString();
}

class AircraftInfoScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        setPrivilegeLevel(kFlightLineLevel);
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        performSettingsMaintenance();
        for (const QString& id : {kFirst, kSecond})
            ASSERT_TRUE(addAircraft(id, notifier));
        registerEngines(kFirst, kAllOn, kAllOn, "874211", "874212");
        registerEngines(kSecond, kAllOff, kAllOff, "555001", "555002");
        notifier.messages.clear();
    }

    // The main window on the aircraft information screen.
    void openScreen() {
        window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        press(Qt::Key_F5);
        press(Qt::Key_F6);
        ASSERT_NE(screen(), nullptr);
    }

    AircraftInfoScreen* screen() const {
        return qobject_cast<AircraftInfoScreen*>(window->currentScreen());
    }

    template <typename T>
    T* control(const QStringList& path) const {
        T* found = findControl<T>(window->currentScreen(), path);
        EXPECT_NE(found, nullptr) << qPrintable(path.join(QLatin1Char('/')));
        return found;
    }
    QLineEdit* serialNumber(int engine) const {
        return control<QLineEdit>({group(engine), QStringLiteral("SN")});
    }
    QComboBox* type(int engine) const {
        return control<QComboBox>({group(engine), QStringLiteral("TYPE")});
    }
    QListWidget* aircraftList() const {
        return control<QListWidget>({QStringLiteral("TAIL_NUMBER")});
    }

    // Keys go to whatever control has the focus, as the technician's would.
    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != window.get())
            target = window.get();
        QTest::keyClick(target, key);
    }

    void select(const QString& id) {
        const QList<QListWidgetItem*> items = aircraftList()->findItems(id, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        aircraftList()->setCurrentItem(items.first());
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
};

TEST_F(AircraftInfoScreenTest, F6ShowsTheLastAircraftWithItsRecordAndItsHelp) {
    BrixAircraftSettings().setValue(kLastAircraftKey, kSecond);
    openScreen();
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Aircraft Information"));
    EXPECT_EQ(window->helpContext(), QStringLiteral("HelpAircraftInfo"));
    auto* back = findControl<QPushButton>(window.get(),
                                          {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")});
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), QStringLiteral("Back (Esc)"));
    auto* help = control<QTextBrowser>({QStringLiteral("TextArea")});
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->toPlainText(), kAircraftInformationHelpText);

    ASSERT_EQ(aircraftList()->count(), 2);
    EXPECT_EQ(aircraftList()->currentItem()->text(), kSecond);
    EXPECT_EQ(serialNumber(1)->text(), QStringLiteral("555001"));
    EXPECT_EQ(serialNumber(2)->text(), QStringLiteral("555002"));
    EXPECT_EQ(type(1)->currentText(), QStringLiteral("CFM56-7"));
    EXPECT_EQ(type(1)->count(), 2) << "the engine-type list";
    EXPECT_TRUE(notifier.messages.isEmpty());

    // Esc and F8 both go back to the main menu.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_F8}) {
        press(key);
        EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow")) << key;
        press(Qt::Key_F6);
        ASSERT_NE(screen(), nullptr);
    }
}

TEST_F(AircraftInfoScreenTest, SavingWritesOnlyAChangedRecordCutToItsFields) {
    // A stored value shorter than a record shows that nothing was written over it.
    const QByteArray shortValue = storedBytes(kFirst).left(400);
    BrixAircraftSettings().setValue(kAircraftInfoPrefix + kFirst, shortValue);
    BrixAircraftSettings().setValue(kLastAircraftKey, kFirst);
    openScreen();
    press(Qt::Key_F5);
    control<QPushButton>({QStringLiteral("B_SAVE")})->click();
    EXPECT_EQ(storedBytes(kFirst), shortValue);
    EXPECT_TRUE(notifier.messages.isEmpty());

    serialNumber(2)->setFocus();
    serialNumber(2)->clear();
    QTest::keyClicks(serialNumber(2), QStringLiteral("SN-1234567890"));
    type(1)->lineEdit()->clear();
    QTest::keyClicks(type(1)->lineEdit(), QStringLiteral("CFM56-7B26E-LONGER"));
    const QString longComment(3000, QLatin1Char('c'));
    control<QPlainTextEdit>({QStringLiteral("T_COMMENTS")})->setPlainText(longComment);
    EXPECT_EQ(control<QPlainTextEdit>({QStringLiteral("T_COMMENTS")})->toPlainText().size(), 2048)
        << "cut as it is typed, so the screen shows what is saved";
    serialNumber(2)->setFocus();
    press(Qt::Key_F5);

    const AircraftRecord stored = KORALibReadAircraft(kFirst);
    EXPECT_EQ(storedBytes(kFirst).size(), AircraftRecord::kSize);
    EXPECT_EQ(readFixedText(stored.engines[1].serialNumber), QStringLiteral("SN-1234567"));
    EXPECT_EQ(readFixedText(stored.engines[0].engineType), QStringLiteral("CFM56-7B26E-LONG"));
    EXPECT_EQ(readFixedText(stored.comments), longComment.left(2048));
    EXPECT_EQ(readFixedText(stored.aircraftId), kFirst);
    EXPECT_NE(stored.engines[0].downloadBearing4, 0) << "the switches are not the screen's";
    EXPECT_TRUE(notifier.messages.isEmpty()) << "F5 saves without asking";
}

TEST_F(AircraftInfoScreenTest, ChangingTheAircraftOffersTheEditsForSaving) {
    const AircraftRecord original = KORALibReadAircraft(kFirst);
    for (const bool yes : {true, false}) {
        ASSERT_TRUE(KORALibWriteAircraft(kFirst, original));
        BrixAircraftSettings().setValue(kLastAircraftKey, kFirst);
        notifier.messages.clear();
        notifier.questionDefaults.clear();
        openScreen();
        serialNumber(1)->setText(QStringLiteral("EDITED"));
        notifier.answers = {yes};
        select(kSecond);

        const RecordingNotifier::Message question{
            QStringLiteral("question"), QStringLiteral("Save"), QStringLiteral("Save Changes")};
        EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>({question})) << yes;
        EXPECT_EQ(notifier.questionDefaults.value(0), Notifier::DefaultAnswer::Yes);
        EXPECT_EQ(readFixedText(KORALibReadAircraft(kFirst).engines[0].serialNumber),
                  yes ? QStringLiteral("EDITED") : QStringLiteral("874211"));
        // The selected aircraft is shown either way and becomes the last aircraft.
        EXPECT_EQ(screen()->shownAircraft(), kSecond);
        EXPECT_EQ(serialNumber(1)->text(), QStringLiteral("555001"));
        EXPECT_EQ(lastAircraft(), kSecond);

        // Without edits, another change asks nothing.
        notifier.messages.clear();
        select(kFirst);
        EXPECT_TRUE(notifier.messages.isEmpty());
        window.reset();
    }
}

TEST_F(AircraftInfoScreenTest, CancelAndLeavingDropTheEdits) {
    BrixAircraftSettings().setValue(kLastAircraftKey, kFirst);
    openScreen();
    const QByteArray before = storedBytes(kFirst);
    serialNumber(1)->setText(QStringLiteral("EDITED"));
    control<QPlainTextEdit>({QStringLiteral("T_COMMENTS")})->setPlainText(QStringLiteral("x"));
    control<QPushButton>({QStringLiteral("B_CANCEL")})->click();
    EXPECT_EQ(serialNumber(1)->text(), QStringLiteral("874211"));
    EXPECT_TRUE(control<QPlainTextEdit>({QStringLiteral("T_COMMENTS")})->toPlainText().isEmpty());

    serialNumber(1)->setText(QStringLiteral("EDITED"));
    serialNumber(1)->setFocus();
    press(Qt::Key_Escape);
    EXPECT_EQ(window->currentScreen()->objectName(), QStringLiteral("MenuWindow"));
    EXPECT_EQ(storedBytes(kFirst), before);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(AircraftInfoScreenTest, ChoosingAnEngineTypeSetsItForTheOtherEngineToo) {
    openScreen();
    const auto choose = [](QComboBox* combo, const QString& text) {
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << qPrintable(text);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    choose(type(2), QStringLiteral("CFM56-3"));
    EXPECT_EQ(type(1)->currentText(), QStringLiteral("CFM56-3"));
    choose(type(1), QStringLiteral("CFM56-7"));
    EXPECT_EQ(type(2)->currentText(), QStringLiteral("CFM56-7"));
    press(Qt::Key_F5);
    for (const EngineRecord& engine : KORALibReadAircraft(screen()->shownAircraft()).engines)
        EXPECT_EQ(readFixedText(engine.engineType), QStringLiteral("CFM56-7"));
}

TEST_F(AircraftInfoScreenTest, TabGoesThroughOneEngineAndOnToTheOther) {
    openScreen();
    auto* date1 = control<QLineEdit>({group(1), QStringLiteral("INSTALL_DATE")});
    date1->setFocus();
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), type(2));
    press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), date1);
    press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), serialNumber(1));
}

TEST_F(AircraftInfoScreenTest, AnImportUnderTheScreenShowsTheRegisterAsItIsNow) {
    BrixAircraftSettings().setValue(kLastAircraftKey, kFirst);
    openScreen();
    serialNumber(1)->setText(QStringLiteral("EDITED"));
    // In the folder the file dialog opens on.
    const QString file = dataDirectory + QStringLiteral("/fleet.csv");
    const auto import = [this, &file](const QByteArray& lines) {
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly | QIODevice::Truncate));
        csv.write(lines);
        csv.close();
        // The window keeps its dialog, and the dialog the name last chosen: the field is
        // emptied first.
        whenModal<QFileDialog>([](QFileDialog* dialog) {
            typeFileNameAndReturn(dialog, QStringLiteral("fleet.csv"));
        });
        window->handleEvent(kImportAircraftCode);
    };

    // Another aircraft changes and one is added: the shown one keeps its edits.
    import("D-ABCD,S1,CFM56-3,111111,2020\nG-NEWW,S2,CFM56-3,222222,2021\n");
    EXPECT_EQ(aircraftList()->count(), 3);
    EXPECT_EQ(aircraftList()->currentItem()->text(), kFirst);
    EXPECT_EQ(screen()->shownAircraft(), kFirst);
    EXPECT_EQ(serialNumber(1)->text(), QStringLiteral("EDITED"));

    // The shown aircraft is replaced: the screen shows what is stored, and leaving it asks
    // nothing, so that no old value is written back.
    import("F-GZLK,S3,CFM56-3,333333,2022\n");
    EXPECT_EQ(serialNumber(1)->text(), QStringLiteral("333333"));
    notifier.messages.clear();
    select(kSecond);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(readFixedText(KORALibReadAircraft(kFirst).engines[0].serialNumber),
              QStringLiteral("333333"));
}

} // namespace
