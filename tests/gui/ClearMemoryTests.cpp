// The memory erase as the technician meets it: the "Clear Memory" screen of the main window,
// its question before the bearing 4 data goes, and the progress window against the
// simulated unit, driven by keys.
#include "ClearMemoryScreen.h"
#include "CommunicationView.h"
#include "Controls.h"
#include "KORAEraseProgress.h"
#include "KORAWindow.h"
#include "ModalDriver.h"
#include "PaintCounter.h"
#include "PrivilegeLevel.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "SettingsMaintenance.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kRunBoundMs = 60000;

const char* const kLineTexts[kEraseKindCount] = {"Bearing 4 Data Erase           ...",
                                                 "Defect Detection History Erase ...",
                                                 "Accel Line Defect History Erase..."};

QString line(int kind, const char* outcome) {
    return QString::fromLatin1(kLineTexts[kind]) + QString::fromLatin1(outcome);
}

QString shownLine(QWidget* dialog, int engineIndex, int kind) {
    return controlText(
        findControl<QWidget>(dialog, {QStringLiteral("G_ENGINE%1").arg(engineIndex + 1),
                                      QStringLiteral("LINE%1").arg(kind)}));
}

QString shown(QWidget* window, const char* name) {
    return controlText(window->findChild<QWidget*>(QLatin1String(name)));
}

class QuietView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override {}
};

class EraseWindows : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        freshDataDirectory();
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QFont normalFont{QStringLiteral("DejaVu Sans"), 13};
};

// The progress window on a link of its own -----------------------------------------------

class EraseProgressWindow : public EraseWindows {
protected:
    void SetUp() override {
        EraseWindows::SetUp();
        connection.loadAddressFromSettings(notifier);
        QuietView view;
        ASSERT_TRUE(connection.ensureWorker(view));
    }

    std::unique_ptr<KORAEraseProgress> open(const EraseRequests& requests,
                                            EraseTimeouts timeouts = {}) {
        auto dialog = std::make_unique<KORAEraseProgress>(connection.link(), requests, normalFont,
                                                          persist, notifier, nullptr, timeouts);
        EXPECT_TRUE(dialog->isBuilt());
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    bool waitForEnd(KORAEraseProgress& dialog) {
        return QTest::qWaitFor(
            [&] { return dialog.sequence().state() == EraseSequence::State::Done; }, kRunBoundMs);
    }

    UnitConnection connection;
};

TEST_F(EraseProgressWindow, NothingTickedShowsSixLinesNotRequestedAndTheFirstTickEndsIt) {
    auto dialog = open({});
    auto* done = dialog->findChild<QPushButton*>(QStringLiteral("B_DONE"));
    auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("STATUS"));
    ASSERT_NE(done, nullptr);
    ASSERT_NE(bar, nullptr);
    for (int engine = 0; engine < kEraseEngineCount; ++engine)
        for (int kind = 0; kind < kEraseKindCount; ++kind) {
            EXPECT_EQ(shownLine(dialog.get(), engine, kind), line(kind, "Not requested"));
            auto* label =
                findControl<QLabel>(dialog.get(), {QStringLiteral("G_ENGINE%1").arg(engine + 1),
                                                   QStringLiteral("LINE%1").arg(kind)});
            EXPECT_EQ(label->font().family(), QStringLiteral("Courier New"));
            EXPECT_EQ(label->font().pointSize(), 8);
        }
    EXPECT_EQ(done->text(), QStringLiteral("Done (F5)"));
    EXPECT_FALSE(done->isEnabled());

    ASSERT_TRUE(waitForEnd(*dialog));
    EXPECT_EQ(shown(dialog.get(), "P_STATUS"), QStringLiteral("Erase Processing complete"));
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(bar->text(), QStringLiteral("100%"));
    EXPECT_FALSE(progressFailed(bar));
    EXPECT_TRUE(done->isEnabled());
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
}

TEST_F(EraseProgressWindow, OnlyEngineTwoDataShowsItsProgressWhileItRuns) {
    simulator.addFault({EraseBearing4Command, FaultKind::Delay, 1500, {}, 1});
    auto dialog = open(EraseRequests{false, false, false, true, false, false});
    auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("STATUS"));
    // Engine 1's steps come before the erase and end at once; engine 2's others follow it.
    const QStringList running = {line(0, "Not requested"),
                                 line(1, "Not requested"),
                                 line(2, "Not requested"),
                                 line(0, ""),
                                 line(1, ""),
                                 line(2, "")};
    QStringList lines;
    for (int step = 0; step < 6; ++step)
        lines.append(shownLine(dialog.get(), step / 3, step % 3));
    EXPECT_EQ(lines, running);
    EXPECT_EQ(shown(dialog.get(), "P_STATUS"),
              QStringLiteral("Erasing Bearing 4 Data for Engine 2 (seconds spent performing erase "
                             "function)"));
    EXPECT_EQ(bar->maximum(), 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 1; }, kRunBoundMs));
    EXPECT_EQ(bar->text(), QString::number(bar->value())) << "seconds, not a percentage";

    ASSERT_TRUE(waitForEnd(*dialog));
    EXPECT_EQ(shownLine(dialog.get(), 1, 0), line(0, "Completed"));
    EXPECT_EQ(shownLine(dialog.get(), 1, 1), line(1, "Not requested"));
    EXPECT_EQ(shownLine(dialog.get(), 1, 2), line(2, "Not requested"));
    EXPECT_TRUE(simulator.isErased(2, UnitMemory::Bearing4Data));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
}

TEST_F(EraseProgressWindow, ASilentUnitTimesOutAndARefusalFails) {
    simulator.addFault({EraseBearing4HistoryCommand, FaultKind::NoAnswer, 0, {}, 1});
    simulator.addFault({EraseAccelHistoryCommand, FaultKind::AckError, 2, {}, 1});
    EraseTimeouts timeouts;
    timeouts.eraseHistoryTicks = 10;
    auto dialog = open(EraseRequests{false, true, true, false, false, false}, timeouts);
    ASSERT_TRUE(waitForEnd(*dialog));
    EXPECT_EQ(shownLine(dialog.get(), 0, 1), line(1, "Timeout"));
    EXPECT_EQ(shownLine(dialog.get(), 0, 2), line(2, "Failed"));
    EXPECT_EQ(shown(dialog.get(), "P_STATUS"),
              QStringLiteral("Erase Processing complete - 2 of 2 steps failed"));
    EXPECT_TRUE(progressFailed(dialog->findChild<QProgressBar*>(QStringLiteral("STATUS"))));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::AccelHistory));
}

TEST_F(EraseProgressWindow, F5DoesNothingBeforeTheEndAndClosesAfterIt) {
    simulator.addFault({EraseAccelHistoryCommand, FaultKind::Delay, 1000, {}, 1});
    KORAEraseProgress dialog(connection.link(), EraseRequests{false, false, true}, normalFont,
                             persist, notifier);
    bool openAfterEarlyF5 = false;
    QString lineAfterEarlyF5;
    whenModal<KORAEraseProgress>([&](KORAEraseProgress* shownDialog) {
        QTest::keyClick(shownDialog, Qt::Key_F5);
        openAfterEarlyF5 = shownDialog->isVisible();
        lineAfterEarlyF5 = shownLine(shownDialog, 0, 2);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return shownDialog->sequence().state() == EraseSequence::State::Done; },
            kRunBoundMs));
        QTest::keyClick(shownDialog, Qt::Key_F5);
    });
    EXPECT_EQ(dialog.runModal(), kAcceptedResult);
    EXPECT_TRUE(openAfterEarlyF5);
    EXPECT_EQ(lineAfterEarlyF5, line(2, ""));
    EXPECT_EQ(shownLine(&dialog, 0, 2), line(2, "Completed"));
}

TEST_F(EraseProgressWindow, ClosingDuringAnEraseFreesTheLink) {
    simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
    {
        auto dialog = open(EraseRequests{true});
        ASSERT_TRUE(simulator.waitForCommands(1, 10000));
        dialog->close();
    }
    QuietView view;
    EXPECT_TRUE(connection.checkCommunication(view, notifier))
        << "the worker still waits for the erase's answer";
}

// The window paints while a silent unit keeps it waiting, and Esc closes it at once.
TEST_F(EraseProgressWindow, TheWindowPaintsWhileTheUnitIsSilentAndEscActsAtOnce) {
    simulator.addFault({EraseBearing4Command, FaultKind::NoAnswer, 0, {}, 1});
    auto dialog = open(EraseRequests{true});
    KORAEraseProgress* target = dialog.get();
    const PaintCounter counter(
        target, [target] { return target->sequence().state() == EraseSequence::State::Running; });
    ASSERT_TRUE(simulator.waitForCommands(1, kRunBoundMs));
    QTest::qWait(500);
    EXPECT_GT(counter.paints(), 0);

    QElapsedTimer due;
    qint64 escLateMs = -1;
    due.start();
    QTimer::singleShot(0, target, [&] {
        escLateMs = due.elapsed();
        QTest::keyClick(target, Qt::Key_Escape);
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return escLateMs >= 0; }, kRunBoundMs));
    EXPECT_LT(escLateMs, 200);
    EXPECT_FALSE(target->isVisible());
    EXPECT_EQ(target->sequence().state(), EraseSequence::State::Cancelled);
}

// The screen in the main window -----------------------------------------------------------

class ClearMemoryScreenTest : public EraseWindows {
protected:
    void SetUp() override {
        EraseWindows::SetUp();
        ASSERT_TRUE(addAircraft(QStringLiteral("F-GZLK"), notifier));
        notifier.messages.clear();
        window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        press(Qt::Key_F5);
        press(Qt::Key_F7);
        ASSERT_EQ(screenName(), QStringLiteral("ClearData"));
    }

    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != window.get())
            target = window.get();
        QTest::keyClick(target, key);
    }

    QString screenName() const {
        return window->currentScreen() == nullptr ? QString()
                                                  : window->currentScreen()->objectName();
    }

    void tick(const QList<const char*>& boxes) {
        for (const char* name : boxes) {
            auto* box = window->currentScreen()->findChild<QCheckBox*>(QLatin1String(name));
            ASSERT_NE(box, nullptr) << name;
            box->setChecked(true);
        }
    }

    bool aircraftMenuEnabled() const {
        return window->findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO"))
            ->menuAction()
            ->isEnabled();
    }

    // Runs the erase with F5 and returns the six lines of the progress window at its end.
    QStringList eraseWithF5() {
        QStringList lines;
        whenModal<KORAEraseProgress>([&](KORAEraseProgress* dialog) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return dialog->sequence().state() == EraseSequence::State::Done; },
                kRunBoundMs));
            for (int engine = 0; engine < kEraseEngineCount; ++engine)
                for (int kind = 0; kind < kEraseKindCount; ++kind)
                    lines.append(shownLine(dialog, engine, kind));
            QTest::keyClick(dialog, Qt::Key_F5);
        });
        press(Qt::Key_F5);
        return lines;
    }

    std::unique_ptr<KORAWindow> window;
};

TEST_F(ClearMemoryScreenTest, F7ShowsTheScreenAndF8EscAndCancelGoBack) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Clear Memory"));
    EXPECT_EQ(window->helpContext(), QStringLiteral("HelpClearData"));
    EXPECT_EQ(shown(window->currentScreen(), "TextArea"),
              QString(kClearMemoryHelpText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_FALSE(aircraftMenuEnabled());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("ENG1_ERASE_B4D"));

    // Back on the main menu the level decides about the aircraft menu again.
    setPrivilegeLevel(kAdministratorLevel);
    press(Qt::Key_F8);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(aircraftMenuEnabled()) << "the administrator's menu comes back";
    press(Qt::Key_F7);
    press(Qt::Key_Escape);
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    press(Qt::Key_F7);
    QTest::mouseClick(window->currentScreen()->findChild<QPushButton*>(QStringLiteral("B_CANCEL")),
                      Qt::LeftButton);
    QTest::qWait(1); // the replaced screen goes once its click is handled
    EXPECT_EQ(screenName(), QStringLiteral("MenuWindow"));
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(ClearMemoryScreenTest, HistoriesAloneEraseAtOnceWithoutACheckFirst) {
    tick({"ENG1_ERASE_DDH", "ENG2_ERASE_ADDH"});
    const QStringList lines = eraseWithF5();
    EXPECT_EQ(lines, QStringList({line(0, "Not requested"), line(1, "Completed"),
                                  line(2, "Not requested"), line(0, "Not requested"),
                                  line(1, "Not requested"), line(2, "Completed")}));
    EXPECT_TRUE(notifier.messages.isEmpty()) << "nothing is asked";
    QList<quint32> codes;
    for (const ReceivedCommand& command : simulator.receivedCommands())
        codes.append(command.code);
    EXPECT_EQ(codes, QList<quint32>({102, 103})) << "no part-number check before";
    EXPECT_EQ(screenName(), QStringLiteral("ClearData"));
    EXPECT_TRUE(window->currentScreen()
                    ->findChild<QCheckBox*>(QStringLiteral("ENG1_ERASE_DDH"))
                    ->isChecked())
        << "the screen stays as it was";
}

struct QuestionCase {
    const char* name;
    QList<const char*> boxes;
    const char* text;
};

class DataEraseQuestion : public ClearMemoryScreenTest,
                          public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(DataEraseQuestion, NoStartsNothingAndYesErases) {
    const QuestionCase& row = GetParam();
    tick(row.boxes);
    const RecordingNotifier::Message question{
        QStringLiteral("question"), QStringLiteral("Clear Memory"), QString::fromLatin1(row.text)};
    notifier.answers = {false};
    press(Qt::Key_F5);
    EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>{question});
    EXPECT_EQ(notifier.questionDefaults,
              QList<Notifier::DefaultAnswer>{Notifier::DefaultAnswer::No});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(simulator.receivedCommands().isEmpty());

    notifier.answers = {true};
    const QStringList lines = eraseWithF5();
    EXPECT_EQ(notifier.messages.size(), 2);
    EXPECT_EQ(lines.count(line(0, "Completed")), int(row.boxes.size()));
    for (const char* box : row.boxes) {
        const int engine = box[3] - '0'; // "ENG<n>_..."
        EXPECT_TRUE(simulator.isErased(engine, UnitMemory::Bearing4Data)) << box;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Engines, DataEraseQuestion,
    ::testing::Values(QuestionCase{"One",
                                   {"ENG1_ERASE_B4D"},
                                   "Erase the bearing 4 data of engine 1? Data that has not been "
                                   "downloaded is lost."},
                      QuestionCase{"Two",
                                   {"ENG2_ERASE_B4D"},
                                   "Erase the bearing 4 data of engine 2? Data that has not been "
                                   "downloaded is lost."},
                      QuestionCase{"Both",
                                   {"ENG1_ERASE_B4D", "ENG2_ERASE_B4D"},
                                   "Erase the bearing 4 data of engine 1 and engine 2? Data that "
                                   "has not been downloaded is lost."}),
    [](const ::testing::TestParamInfo<QuestionCase>& info) { return info.param.name; });

} // namespace
