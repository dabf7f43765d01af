// The two windows of the automatic download, built from their forms and driven by keys and
// clicks: the pre-download window against the register, the progress window against the
// simulated unit.
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "BrixAircraftSettings.h"
#include "CommunicationView.h"
#include "Controls.h"
#include "DownloadSequence.h"
#include "EventCodes.h"
#include "FixedText.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORALib.h"
#include "ModalDriver.h"
#include "PaintCounter.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisterKeys.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kAircraft = QStringLiteral("F-GZLK");
const QString kOtherAircraft = QStringLiteral("D-ABCD");
// Bound of a whole run against the simulator; a run on loopback takes a few seconds.
constexpr int kRunBoundMs = 60000;

const char* const kSwitchBoxes[] = {"DOWNLOAD_B4D", "ERASE_B4D", "ERASE_DDH", "ERASE_ADDH"};

QString group(int engine) {
    return QStringLiteral("G_ENGINE%1").arg(engine);
}

template <typename T>
T* control(QWidget* root, const QStringList& path) {
    T* found = findControl<T>(root, path);
    EXPECT_NE(found, nullptr) << qPrintable(path.join(QLatin1Char('/')));
    return found;
}

QCheckBox* switchBox(QWidget* dialog, int engine, int index) {
    return control<QCheckBox>(
        dialog, {group(engine),
                 QStringLiteral("ENG%1_%2").arg(engine).arg(QLatin1String(kSwitchBoxes[index]))});
}

QString line(int kind, const QString& outcome) {
    static const char* const texts[] = {
        "Bearing 4 Data Download          ... ", "Bearing 4 Post-Processing        ... ",
        "Bearing 4 Data Memory Erase      ... ", "Bearing 4 Defect History Erase   ... ",
        "Accel Line Defect History Erase  ... "};
    return QString::fromLatin1(texts[kind]) + outcome;
}

QStringList filesIn(const QString& directory, const QString& pattern) {
    return QDir(directory).entryList({pattern}, QDir::Files);
}

// The register with two engine types and the aircraft under test.
class DownloadWindows : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        dataDirectory = freshDataDirectory();
        ASSERT_TRUE(addAircraft(kAircraft, notifier));
        ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-3"), notifier));
        ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
        ASSERT_TRUE(notifier.messages.isEmpty());
    }

    RecordingNotifier notifier;
    QString dataDirectory;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QFont normalFont{QStringLiteral("DejaVu Sans"), 13};
    QFont midFont{QStringLiteral("DejaVu Sans"), 15};
};

// The pre-download window ------------------------------------------------------------------

class AircraftInfoWindow : public DownloadWindows {};

TEST_F(AircraftInfoWindow, ListsTheRegisterAndShowsTheSelectedAircraft) {
    ASSERT_TRUE(addAircraft(kOtherAircraft, notifier));
    AircraftRecord stored = registerEngines(kAircraft, {true, false, true, false},
                                            {false, true, false, true}, "874211", "AB-99");
    writeFixedText(stored.engines[0].engineType, QStringLiteral("CFM56-3"));
    writeFixedText(stored.engines[0].installDate, QStringLiteral("12-Mar-2024"));
    writeFixedText(stored.engines[1].installDate, QStringLiteral("03-Jan-2021"));
    writeFixedText(stored.comments, QStringLiteral("Borescope due\nat next A check"));
    ASSERT_TRUE(KORALibWriteAircraft(kAircraft, stored));
    BrixAircraftSettings().setValue(kLastAircraftKey, kAircraft);

    AircraftRecord buffer;
    KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
    ASSERT_TRUE(dialog.isBuilt());
    auto* list = control<QListWidget>(&dialog, {QStringLiteral("TAIL_NUMBER")});
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown.append(list->item(row)->text());
    EXPECT_EQ(shown, KORALibListAircraft().items);
    EXPECT_EQ(shown.size(), 2);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), kAircraft) << "the last aircraft is selected";
    EXPECT_EQ(dialog.selectedAircraft(), kAircraft);
    EXPECT_EQ(buffer.toBytes(), stored.toBytes()) << "the buffer holds the selected aircraft";

    const QString types[] = {QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")};
    const QString serials[] = {QStringLiteral("874211"), QStringLiteral("AB-99")};
    const QString dates[] = {QStringLiteral("12-Mar-2024"), QStringLiteral("03-Jan-2021")};
    const bool switches[2][4] = {{true, false, true, false}, {false, true, false, true}};
    for (int engine = 1; engine <= 2; ++engine) {
        auto* type = control<QComboBox>(&dialog, {group(engine), QStringLiteral("TYPE")});
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(type->currentText(), types[engine - 1]) << engine;
        QStringList offered;
        for (int i = 0; i < type->count(); ++i)
            offered.append(type->itemText(i));
        EXPECT_EQ(offered, QStringList({QStringLiteral("CFM56-3"), QStringLiteral("CFM56-7")}));
        EXPECT_EQ(controlText(control<QLineEdit>(&dialog, {group(engine), QStringLiteral("SN")})),
                  serials[engine - 1]);
        EXPECT_EQ(controlText(
                      control<QLineEdit>(&dialog, {group(engine), QStringLiteral("INSTALL_DATE")})),
                  dates[engine - 1]);
        for (int index = 0; index < 4; ++index) {
            QCheckBox* box = switchBox(&dialog, engine, index);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isChecked(), switches[engine - 1][index]) << engine << " " << index;
            EXPECT_EQ(box->isEnabled(), switches[engine - 1][index])
                << "a switch that is off cannot be chosen: " << engine << " " << index;
        }
    }
    EXPECT_EQ(controlText(control<QPlainTextEdit>(&dialog, {QStringLiteral("T_COMMENTS")})),
              QStringLiteral("Borescope due\nat next A check"));
    EXPECT_EQ(QFontInfo(control<QLineEdit>(&dialog, {group(1), QStringLiteral("SN")})->font())
                  .pointSize(),
              13)
        << "the controls use the normal font";

    // Another aircraft replaces every field; none of the first one's is left behind.
    list->setCurrentRow(int(shown.indexOf(kOtherAircraft)));
    EXPECT_EQ(dialog.selectedAircraft(), kOtherAircraft);
    EXPECT_EQ(readFixedText(buffer.aircraftId), kOtherAircraft);
    for (int engine = 1; engine <= 2; ++engine) {
        EXPECT_EQ(controlText(control<QComboBox>(&dialog, {group(engine), QStringLiteral("TYPE")})),
                  QString());
        EXPECT_EQ(controlText(control<QLineEdit>(&dialog, {group(engine), QStringLiteral("SN")})),
                  QString());
        for (int index = 0; index < 4; ++index) {
            EXPECT_FALSE(switchBox(&dialog, engine, index)->isChecked());
            EXPECT_FALSE(switchBox(&dialog, engine, index)->isEnabled());
        }
    }
    EXPECT_EQ(controlText(control<QPlainTextEdit>(&dialog, {QStringLiteral("T_COMMENTS")})),
              QString());
}

TEST_F(AircraftInfoWindow, SwitchesCannotBeUntickedSinceTheRunFollowsTheRegister) {
    registerEngines(kAircraft, kAllOn, kAllOff);
    AircraftRecord buffer;
    KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QCheckBox* erase = switchBox(&dialog, 1, 1);
    ASSERT_NE(erase, nullptr);
    ASSERT_TRUE(erase->isChecked());
    QTest::mouseClick(erase, Qt::LeftButton);
    EXPECT_TRUE(erase->isChecked()) << "a click would promise a memory kept that is erased";
    QTest::keyClick(erase, Qt::Key_Space);
    EXPECT_TRUE(erase->isChecked()) << "so would the space bar";
    dialog.hide();
}

TEST_F(AircraftInfoWindow, ShortSerialNumberOfAnEngineToBeDownloadedKeepsTheWindowOpen) {
    registerEngines(kAircraft, {true, false, false, false}, kAllOff);
    AircraftRecord buffer;
    KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
    bool checked = false;
    whenModal<KORAAircraftInfoDialog>([&](KORAAircraftInfoDialog* shown) {
        auto* serial = control<QLineEdit>(shown, {group(1), QStringLiteral("SN")});
        auto* comments = control<QPlainTextEdit>(shown, {QStringLiteral("T_COMMENTS")});
        ASSERT_TRUE(serial != nullptr && comments != nullptr);
        serial->clear();
        QTest::keyClicks(serial, QStringLiteral("12"));
        comments->setPlainText(QStringLiteral("kept"));
        QTest::keyClick(serial, Qt::Key_F5);

        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_EQ(
            notifier.messages[0],
            (RecordingNotifier::Message{
                QStringLiteral("critical"), QStringLiteral("Error"),
                QStringLiteral("Invalid engine 1 serial number.\n\nEnter min. 3 characters.")}));
        EXPECT_TRUE(shown->isVisible()) << "the technician corrects the number";
        const AircraftRecord stored = KORALibReadAircraft(kAircraft);
        EXPECT_EQ(readFixedText(stored.engines[0].serialNumber), QStringLiteral("12"))
            << "the edits are kept all the same";
        EXPECT_EQ(readFixedText(stored.comments), QStringLiteral("kept"));
        checked = true;
        QTest::keyClick(serial, Qt::Key_F8);
    });
    EXPECT_EQ(dialog.runModal(), kRejectedResult);
    EXPECT_TRUE(checked);

    // Without a download of engine 1 the same number goes through.
    AircraftRecord record = KORALibReadAircraft(kAircraft);
    record.engines[0].downloadBearing4 = 0;
    ASSERT_TRUE(KORALibWriteAircraft(kAircraft, record));
    notifier.messages.clear();
    KORAAircraftInfoDialog again(normalFont, buffer, persist, notifier);
    whenModal<KORAAircraftInfoDialog>([](KORAAircraftInfoDialog* shown) {
        QTest::keyClick(control<QLineEdit>(shown, {group(1), QStringLiteral("SN")}), Qt::Key_F5);
    });
    EXPECT_EQ(again.runModal(), kAcceptedResult);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(readFixedText(buffer.engines[0].serialNumber), QStringLiteral("12"));
}

TEST_F(AircraftInfoWindow, ChoosingAnEngineTypeSetsItForTheOtherEngine) {
    registerEngines(kAircraft, kAllOff, kAllOff);
    AircraftRecord record = KORALibReadAircraft(kAircraft);
    writeFixedText(record.engines[0].engineType, QStringLiteral("CFM56-3"));
    writeFixedText(record.engines[1].engineType, QStringLiteral("CFM56-3"));
    ASSERT_TRUE(KORALibWriteAircraft(kAircraft, record));

    AircraftRecord buffer;
    KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
    auto* type1 = control<QComboBox>(&dialog, {group(1), QStringLiteral("TYPE")});
    auto* type2 = control<QComboBox>(&dialog, {group(2), QStringLiteral("TYPE")});
    ASSERT_TRUE(type1 != nullptr && type2 != nullptr);
    const auto choose = [](QComboBox* combo, const QString& text) {
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << qPrintable(text);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };

    choose(type2, QStringLiteral("CFM56-7"));
    EXPECT_EQ(type1->currentText(), QStringLiteral("CFM56-7"));
    // The other way round, choosing the type engine 1 already shows.
    type2->setCurrentText(QStringLiteral("CFM56-3"));
    choose(type1, QStringLiteral("CFM56-7"));
    EXPECT_EQ(type2->currentText(), QStringLiteral("CFM56-7"));
    EXPECT_EQ(type1->currentText(), QStringLiteral("CFM56-7"));

    whenModal<KORAAircraftInfoDialog>(
        [](KORAAircraftInfoDialog* shown) { QTest::keyClick(shown, Qt::Key_F5); });
    EXPECT_EQ(dialog.runModal(), kAcceptedResult);
    for (const AircraftRecord& held : {buffer, KORALibReadAircraft(kAircraft)})
        for (const EngineRecord& engine : held.engines)
            EXPECT_EQ(readFixedText(engine.engineType), QStringLiteral("CFM56-7"));
}

TEST_F(AircraftInfoWindow, F5StoresTheEditsCutToTheirFieldsF8AndEscDiscardThem) {
    registerEngines(kAircraft, kAllOff, kAllOff);
    BrixAircraftSettings().setValue(kLastAircraftKey, QStringLiteral("nothing registered"));
    const QString longComment(3000, QLatin1Char('c'));
    AircraftRecord buffer;
    {
        KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
        whenModal<KORAAircraftInfoDialog>([&](KORAAircraftInfoDialog* shown) {
            auto* type = control<QComboBox>(shown, {group(2), QStringLiteral("TYPE")});
            auto* serial = control<QLineEdit>(shown, {group(2), QStringLiteral("SN")});
            auto* date = control<QLineEdit>(shown, {group(1), QStringLiteral("INSTALL_DATE")});
            auto* comments = control<QPlainTextEdit>(shown, {QStringLiteral("T_COMMENTS")});
            ASSERT_TRUE(type != nullptr && serial != nullptr && date != nullptr &&
                        comments != nullptr);
            type->lineEdit()->clear();
            QTest::keyClicks(type->lineEdit(), QStringLiteral("CFM56-7B26E-LONGER"));
            serial->clear();
            QTest::keyClicks(serial, QStringLiteral("SN-1234567890"));
            QTest::keyClicks(date, QStringLiteral("Tuesday 12 March 2024 09:00"));
            comments->setPlainText(longComment);
            EXPECT_EQ(type->currentText(), QStringLiteral("CFM56-7B26E-LONG"));
            EXPECT_EQ(serial->text(), QStringLiteral("SN-1234567"));
            EXPECT_EQ(date->text(), QStringLiteral("Tuesday 12 March 202"));
            QTest::keyClick(comments, Qt::Key_F5);
        });
        ASSERT_EQ(dialog.runModal(), kAcceptedResult);
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(readFixedText(buffer.engines[1].engineType), QStringLiteral("CFM56-7B26E-LONG"));
    EXPECT_EQ(readFixedText(buffer.engines[1].serialNumber), QStringLiteral("SN-1234567"));
    EXPECT_EQ(readFixedText(buffer.engines[0].installDate), QStringLiteral("Tuesday 12 March 202"));
    EXPECT_EQ(readFixedText(buffer.comments), longComment.left(2048));
    EXPECT_EQ(KORALibReadAircraft(kAircraft).toBytes(), buffer.toBytes()) << "stored as confirmed";
    EXPECT_EQ(BrixAircraftSettings().value(kLastAircraftKey).toString(), kAircraft);

    for (const Qt::Key key : {Qt::Key_F8, Qt::Key_Escape}) {
        KORAAircraftInfoDialog dialog(normalFont, buffer, persist, notifier);
        whenModal<KORAAircraftInfoDialog>([key](KORAAircraftInfoDialog* shown) {
            auto* serial = control<QLineEdit>(shown, {group(2), QStringLiteral("SN")});
            ASSERT_NE(serial, nullptr);
            serial->setText(QStringLiteral("ZZZ"));
            QTest::keyClick(serial, key);
        });
        EXPECT_EQ(dialog.runModal(), kRejectedResult) << key;
        EXPECT_EQ(readFixedText(KORALibReadAircraft(kAircraft).engines[1].serialNumber),
                  QStringLiteral("SN-1234567"))
            << key;
    }
}

// The progress window --------------------------------------------------------------------

class SilentCommunicationView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override {}
};

// What the window showed while it ran, looked at whenever the event loop turns, also from
// within a conversion when the window lets it turn.
struct Observed {
    QStringList activities;
    QStringList barTexts;
    QList<std::pair<int, QString>> erasingBars; // maximum and text while erasing
};

class ProgressWindow : public DownloadWindows {
protected:
    void SetUp() override {
        DownloadWindows::SetUp();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        connection.loadAddressFromSettings(notifier);
        ASSERT_TRUE(connection.checkCommunication(communicationView, notifier));
        simulator.clearReceivedCommands();
        ASSERT_TRUE(notifier.messages.isEmpty());
    }

    std::unique_ptr<KORAAutoDownload> openWindow(const AircraftRecord& record,
                                                 DownloadSequence::Options options = {}) {
        auto window = std::make_unique<KORAAutoDownload>(
            connection.link(), connection.partNumbers(), record, normalFont, midFont, persist,
            notifier, nullptr, options);
        activity = control<QLabel>(window.get(), {QStringLiteral("P_STATUS")});
        bar = control<QProgressBar>(window.get(), {QStringLiteral("STATUS")});
        button = control<QPushButton>(window.get(), {QStringLiteral("B_CANCEL")});
        return window;
    }

    QString lineText(QWidget* window, int engine, int kind) {
        auto* label = control<QLabel>(window, {group(engine), QStringLiteral("LINE%1").arg(kind)});
        return label == nullptr ? QStringLiteral("<missing>") : label->text();
    }

    // Watches the window while the event loop turns; `react` may act on what it sees.
    void observe(std::function<void()> react = {}) {
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [this, react] {
            if (activity == nullptr || bar == nullptr)
                return;
            if (observed.activities.isEmpty() || observed.activities.last() != activity->text())
                observed.activities.append(activity->text());
            if (observed.barTexts.isEmpty() || observed.barTexts.last() != bar->text())
                observed.barTexts.append(bar->text());
            if (activity->text().startsWith(QStringLiteral("Erasing"))) {
                const std::pair<int, QString> shown{bar->maximum(), bar->text()};
                if (observed.erasingBars.isEmpty() || observed.erasingBars.last() != shown)
                    observed.erasingBars.append(shown);
            }
            // The technician acts only on a window that is shown: the run starts when the
            // window is made, and may turn a while before it shows.
            if (react && activity->window()->isVisible())
                react();
        });
        poll.start();
    }

    bool waitForDone(int boundMs = kRunBoundMs) {
        const bool done = QTest::qWaitFor(
            [this] { return button != nullptr && button->text() == QStringLiteral("Done (F5)"); },
            boundMs);
        if (!done)
            ADD_FAILURE() << "the run did not end within " << boundMs << " ms";
        return done;
    }

    QList<quint32> codesReceived() const {
        QList<quint32> codes;
        for (const ReceivedCommand& command : simulator.receivedCommands())
            codes.append(command.code);
        return codes;
    }

    void expectConvertedFiles(int engine) {
        const QString directory = engineDirectory(dataDirectory, kAircraft, engine);
        EXPECT_EQ(filesIn(directory, QStringLiteral("n4orig_*.raw")).size(), 1) << engine;
        EXPECT_EQ(filesIn(directory, QStringLiteral("n4ss_*.dat")).size(), 1) << engine;
        EXPECT_EQ(filesIn(directory, QStringLiteral("n4ts_*.dat")).size(), 1) << engine;
    }

    // The unit goes first when a test ends, so that a worker still waiting on it is released.
    UnitConnection connection;
    UnitSimulator simulator;
    SilentCommunicationView communicationView;
    QPointer<QLabel> activity;
    QPointer<QProgressBar> bar;
    QPointer<QPushButton> button;
    QTimer poll;
    Observed observed;
};

TEST_F(ProgressWindow, FullRunOfBothEnginesShowsEveryStepAndSavesTheFiles) {
    // Each erase takes a moment, as the unit's do, so that the window turns while it waits
    // even on a busy machine; an instant answer could end the step before the watch sees it.
    for (const quint32 erase :
         {EraseBearing4Command, EraseBearing4HistoryCommand, EraseAccelHistoryCommand})
        simulator.addFault({erase, FaultKind::Delay, 150, {}, SimulatorFault::kAlways});
    auto window = openWindow(registerEngines(kAircraft, kAllOn, kAllOn));
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Download"));
    observe();
    QString shownLines[2][5];
    QString finalActivity;
    int finalValue = -1;
    QString finalBarText;
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        if (!waitForDone()) {
            shown->close();
            return;
        }
        for (int engine = 0; engine < 2; ++engine)
            for (int kind = 0; kind < 5; ++kind)
                shownLines[engine][kind] = lineText(shown, engine + 1, kind);
        finalActivity = activity->text();
        finalValue = bar->value();
        finalBarText = bar->text();
        QTest::keyClick(bar, Qt::Key_F5);
    });
    EXPECT_EQ(window->runModal(), kAcceptedResult);
    poll.stop();

    for (int engine = 0; engine < 2; ++engine)
        for (int kind = 0; kind < 5; ++kind)
            EXPECT_EQ(shownLines[engine][kind], line(kind, QStringLiteral("Completed")))
                << engine << " " << kind;
    EXPECT_EQ(finalActivity, QStringLiteral("Processing complete"));
    EXPECT_FALSE(progressFailed(bar));
    EXPECT_EQ(finalValue, 100);
    EXPECT_EQ(finalBarText, QStringLiteral("100%"));
    for (const char* activityText :
         {"Downloading Bearing 4 Data for Engine 1", "Post-processing Bearing 4 Data for Engine 1",
          "Erasing Bearing 4 Data for Engine 1 (seconds spent performing erase function)",
          "Erasing Bearing 4 Defect Detection History for Engine 2 (seconds spent performing "
          "erase function)",
          "Erasing Accel line defect detection history for Engine 2 (seconds spent performing "
          "erase function)"})
        EXPECT_TRUE(observed.activities.contains(QString::fromLatin1(activityText)))
            << activityText << " was never seen; the conversion must let the window paint";
    // The erases count seconds against their time-outs.
    EXPECT_TRUE(observed.erasingBars.contains(std::pair(300, QStringLiteral("0"))));
    EXPECT_TRUE(observed.erasingBars.contains(std::pair(60, QStringLiteral("0"))));
    EXPECT_TRUE(observed.barTexts.contains(QStringLiteral("0%")));

    for (int engine = 1; engine <= 2; ++engine) {
        expectConvertedFiles(engine);
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4Data));
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4History));
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::AccelHistory));
    }
    EXPECT_TRUE(notifier.messages.isEmpty());

    // The lines are padded into columns: only a fixed-pitch font keeps them aligned.
    auto* firstLine = control<QLabel>(window.get(), {group(1), QStringLiteral("LINE0")});
    ASSERT_NE(firstLine, nullptr);
    const QFontInfo lineFont(firstLine->font());
    EXPECT_TRUE(lineFont.fixedPitch()) << qPrintable(lineFont.family());
    EXPECT_EQ(lineFont.pointSize(), 9);
}

TEST_F(ProgressWindow, F5DuringTheDownloadCancelsItAndDropsTheTransfer) {
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 1, {}, 1});
    auto window = openWindow(registerEngines(kAircraft, kAllOn, kAllOn));
    UnitLink& link = connection.link();
    QString buttonWhileRunning;
    QString activityWhileRunning;
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        if (!QTest::qWaitFor([&link] { return link.bytesReceived > 1000; }, 10000)) {
            ADD_FAILURE() << "the download did not start";
            shown->close();
            return;
        }
        buttonWhileRunning = button->text();
        activityWhileRunning = activity->text();
        QTest::keyClick(bar, Qt::Key_F5);
    });
    EXPECT_EQ(window->runModal(), kRejectedResult);

    EXPECT_EQ(buttonWhileRunning, QStringLiteral("Cancel (F5)"));
    EXPECT_EQ(activityWhileRunning, QStringLiteral("Downloading Bearing 4 Data for Engine 1"));
    EXPECT_TRUE(link.abortRequested());
    EXPECT_EQ(window->sequence().state(), DownloadSequence::State::Cancelled);
    EXPECT_EQ(lineText(window.get(), 1, 0), line(0, QStringLiteral("Not performed - cancelled")));
    // The window's timer is stopped: nothing more is sent whatever the link does now.
    QTest::qWait(3 * DownloadSequence::kTickMs);
    EXPECT_EQ(codesReceived(), QList<quint32>({DownloadBearing4Command}));
    EXPECT_TRUE(QDir(engineDirectory(dataDirectory, kAircraft, 1)).isEmpty());
}

TEST_F(ProgressWindow, ClosingTheWindowDuringAConversionKeepsTheDataAndErasesNothing) {
    // Engine 1's data comes once the window is surely shown, so that its conversion is the
    // one closed.
    simulator.addFault({DownloadBearing4Command, FaultKind::Delay, 500, {}, 1});
    auto window = openWindow(registerEngines(kAircraft, kAllOn, kAllOn));
    KORAAutoDownload* target = window.get();
    bool closed = false;
    // The close box is used while engine 1's data is being converted; seeing the conversion
    // at all means the window kept its event loop turning.
    observe([&] {
        if (!closed && activity->text().startsWith(QStringLiteral("Post-processing"))) {
            closed = true;
            target->close();
        }
    });
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        const bool settled = QTest::qWaitFor(
            [&] { return closed || button->text() == kDoneButtonText; }, kRunBoundMs);
        if (!settled || !closed) {
            ADD_FAILURE() << "the conversion never let the window take a close";
            shown->close();
        }
    });
    EXPECT_EQ(window->runModal(), kRejectedResult);
    poll.stop();
    ASSERT_TRUE(closed);

    EXPECT_EQ(window->sequence().state(), DownloadSequence::State::Cancelled);
    QTest::qWait(3 * DownloadSequence::kTickMs);
    EXPECT_EQ(codesReceived(), QList<quint32>({DownloadBearing4Command}))
        << "no erase follows a cancelled run";
    EXPECT_EQ(simulator.eraseCount(1, UnitMemory::Bearing4Data), 0);
    EXPECT_EQ(lineText(window.get(), 1, 0), line(0, QStringLiteral("Completed")));
    EXPECT_EQ(lineText(window.get(), 1, 2), line(2, QStringLiteral("Not performed - cancelled")));
    expectConvertedFiles(1);
}

// The window paints while engine 1's data is converted, and a Cancel during engine 2's
// conversion says so at once; the window closes once that conversion's files are on disk.
TEST_F(ProgressWindow, TheWindowPaintsDuringAConversionAndItsCancelActsAtOnce) {
    // Engine 1's data comes once the window is surely shown, so that it can paint.
    simulator.addFault({DownloadBearing4Command, FaultKind::Delay, 500, {}, 1});
    auto window = openWindow(registerEngines(kAircraft, kAllOn, kAllOn));
    KORAAutoDownload* target = window.get();
    const PaintCounter counter(target, [target] {
        return target->sequence().isConverting() &&
               target->sequence().currentStepIndex() < DownloadSequence::kStepsPerEngine;
    });
    const QString engine2 = QStringLiteral("Post-processing Bearing 4 Data for Engine 2");
    bool cancelScheduled = false;
    qint64 cancelLateMs = -1;
    bool convertingAtCancel = false;
    QString lineAtCancel;
    QElapsedTimer due;
    observe([&] {
        if (cancelScheduled || activity->text() != engine2)
            return;
        cancelScheduled = true;
        due.start();
        QTimer::singleShot(0, target, [&] {
            cancelLateMs = due.elapsed();
            convertingAtCancel = target->sequence().isConverting();
            QTest::mouseClick(button, Qt::LeftButton);
            lineAtCancel = lineText(target, 2, 1);
        });
    });
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        if (!QTest::qWaitFor([&] { return cancelLateMs >= 0; }, kRunBoundMs)) {
            ADD_FAILURE() << "engine 2's conversion was never seen";
            shown->close();
        }
    });
    EXPECT_EQ(window->runModal(), kRejectedResult);
    poll.stop();

    EXPECT_GT(counter.paints(), 0) << "no paint while engine 1's data was converted";
    EXPECT_TRUE(convertingAtCancel);
    EXPECT_LT(cancelLateMs, 200);
    EXPECT_EQ(lineAtCancel, line(1, QStringLiteral("Not performed - cancelled")));
    EXPECT_FALSE(window->sequence().isConverting());
    expectConvertedFiles(1);
    expectConvertedFiles(2);
    EXPECT_EQ(simulator.eraseCount(2, UnitMemory::Bearing4Data), 0);
}

TEST_F(ProgressWindow, UnansweredEraseTimesOutAndTheRunGoesOn) {
    simulator.addFault({EraseBearing4HistoryCommand, FaultKind::NoAnswer, 0, {}, 1});
    DownloadSequence::Options options;
    options.eraseHistoryTicks = 30;
    auto window =
        openWindow(registerEngines(kAircraft, {false, false, true, true}, kAllOff), options);
    observe();
    QString shownLines[2][5];
    QString finalActivity;
    bool barFailed = false;
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        if (!waitForDone()) {
            shown->close();
            return;
        }
        for (int engine = 0; engine < 2; ++engine)
            for (int kind = 0; kind < 5; ++kind)
                shownLines[engine][kind] = lineText(shown, engine + 1, kind);
        finalActivity = activity->text();
        barFailed = progressFailed(bar);
        QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(window->runModal(), kAcceptedResult);
    poll.stop();

    EXPECT_EQ(finalActivity, QStringLiteral("Processing complete - 1 of 2 steps failed"));
    EXPECT_TRUE(barFailed) << "the bar turns red";
    EXPECT_EQ(shownLines[0][3], line(3, QStringLiteral("Timeout")));
    EXPECT_EQ(shownLines[0][4], line(4, QStringLiteral("Completed")));
    for (int kind = 0; kind < 3; ++kind)
        EXPECT_EQ(shownLines[0][kind], line(kind, QStringLiteral("Not requested")));
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_EQ(shownLines[1][kind], line(kind, QStringLiteral("Not requested")));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::AccelHistory));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4History));

    // Three seconds counted up on a bar of three.
    QList<std::pair<int, QString>> historyErase;
    for (const auto& shown : observed.erasingBars)
        if (shown.first == 3)
            historyErase.append(shown);
    EXPECT_EQ(historyErase, (QList<std::pair<int, QString>>{{3, QStringLiteral("0")},
                                                            {3, QStringLiteral("1")},
                                                            {3, QStringLiteral("2")},
                                                            {3, QStringLiteral("3")}}));
}

TEST_F(ProgressWindow, AllSwitchesOffOpensDone) {
    auto window = openWindow(registerEngines(kAircraft, kAllOff, kAllOff));
    QString shownButton;
    QString shownActivity;
    QString shownNotice;
    QString shownLines[2][5];
    whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
        shownButton = button->text();
        shownActivity = activity->text();
        auto* notice = control<QLabel>(shown, {QStringLiteral("P_NOTICE")});
        if (notice != nullptr && notice->isVisible())
            shownNotice = notice->text();
        for (int engine = 0; engine < 2; ++engine)
            for (int kind = 0; kind < 5; ++kind)
                shownLines[engine][kind] = lineText(shown, engine + 1, kind);
        QTest::keyClick(button, Qt::Key_F5);
    });
    EXPECT_EQ(window->runModal(), kAcceptedResult);
    EXPECT_EQ(shownButton, QStringLiteral("Done (F5)"));
    EXPECT_EQ(shownActivity, QStringLiteral("Processing complete"));
    EXPECT_EQ(shownNotice, QStringLiteral("Nothing is set to be downloaded or erased for F-GZLK "
                                          "(Utilities, Download page)"));
    for (int engine = 0; engine < 2; ++engine)
        for (int kind = 0; kind < 5; ++kind)
            EXPECT_EQ(shownLines[engine][kind], line(kind, QStringLiteral("Not requested")));
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
}

TEST_F(ProgressWindow, AWindowDestroyedWhileRunningDropsItsTransfer) {
    simulator.addFault({DownloadBearing4Command, FaultKind::Trickle, 1, {}, 1});
    auto window = openWindow(registerEngines(kAircraft, kAllOn, kAllOff));
    ASSERT_TRUE(window->sequence().isRunning());
    ASSERT_TRUE(simulator.waitForCommands(1, 10000));
    window.reset();
    EXPECT_TRUE(connection.link().abortRequested());
}

} // namespace

// After a download that brought data, "Report (F6)" hands the aircraft to the report and the
// window stays; a run without data, or a window given no report, offers none.
TEST_F(ProgressWindow, ReportF6OffersTheDownloadedAircraftsReportWithoutLeaving) {
    struct Case {
        EngineSwitches engine1;
        bool withAction;
        bool offered;
    };
    for (const Case& c : {Case{kDownloadOnly, true, true}, Case{kAllOff, true, false},
                          Case{kDownloadOnly, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.engine1.download << c.withAction);
        auto window = openWindow(registerEngines(kAircraft, c.engine1, kAllOff));
        QStringList reported;
        if (c.withAction)
            window->setReportAction([&](QWidget* parent, const QString& aircraftId) {
                EXPECT_EQ(parent, window.get());
                reported.append(aircraftId);
            });
        bool shownDuringRun = true;
        bool shownAtEnd = false;
        QString shownText;
        QStringList overlapped;
        bool stillOpen = false;
        whenModal<KORAAutoDownload>([&](KORAAutoDownload* shown) {
            auto* report = shown->findChild<QPushButton*>(QStringLiteral("B_REPORT"));
            shownDuringRun = report != nullptr && report->isVisible();
            if (!waitForDone()) {
                shown->close();
                return;
            }
            shownAtEnd = report != nullptr && report->isVisible();
            shownText = report != nullptr ? report->text() : QString();
            if (shownAtEnd) {
                // Laid out with the window's buttons, over none of its texts and controls.
                QTest::qWait(1);
                const QRect place(report->mapTo(shown, QPoint(0, 0)), report->size());
                for (QWidget* control : shown->findChildren<QWidget*>()) {
                    const bool leaf = qobject_cast<QLabel*>(control) != nullptr ||
                                      qobject_cast<QAbstractButton*>(control) != nullptr ||
                                      qobject_cast<QProgressBar*>(control) != nullptr ||
                                      qobject_cast<QGroupBox*>(control) != nullptr;
                    const QRect at(control->mapTo(shown, QPoint(0, 0)), control->size());
                    if (leaf && control != report && control->isVisible() && at.intersects(place))
                        overlapped.append(control->objectName());
                }
            }
            QTest::keyClick(button, Qt::Key_F6);
            stillOpen = shown->isVisible();
            QTest::keyClick(button, Qt::Key_F5);
        });
        EXPECT_EQ(window->runModal(), kAcceptedResult);
        EXPECT_EQ(shownAtEnd, c.offered);
        EXPECT_TRUE(stillOpen);
        if (c.offered) {
            EXPECT_FALSE(shownDuringRun);
            EXPECT_EQ(shownText, QStringLiteral("Report (F6)"));
            EXPECT_TRUE(overlapped.isEmpty()) << overlapped.join(QLatin1Char(' ')).toStdString();
            EXPECT_EQ(reported, QStringList{kAircraft});
        } else {
            EXPECT_TRUE(reported.isEmpty());
        }
    }
}
