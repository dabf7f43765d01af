// The maintenance report from the main window's File menu: the aircraft dialog, the save
// dialog and the PDF written, as the technician drives them with the keyboard.
#include "BrixAircraftSettings.h"
#include "KORAWindow.h"
#include "ModalDriver.h"
#include "PrivilegeLevel.h"
#include "RawFlightFiles.h"
#include "RecordingNotifier.h"
#include "RegisterKeys.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class MaintenanceReportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        setPrivilegeLevel(kFlightLineLevel);
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        dataDirectory = freshDataDirectory();
        registerEngines(QStringLiteral("AC-OTHER"), kAllOff, kAllOff);
        registerEngines(kViewerTestAircraft, kAllOff, kAllOff, "SN-4711", "SN-4712");
        ASSERT_FALSE(writeViewerRawFile(dataDirectory, {301, 302, 303}, {302}).isEmpty());
        window = std::make_unique<KORAWindow>(persist, notifier, QStringList());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void chooseReport() {
        auto* action = window->findChild<QAction*>(QStringLiteral("PUI_FILE_REPORT"));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QStringLiteral("&Maintenance Report..."));
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
    }

    // Picks `aircraft` in the aircraft dialog with the arrow keys and Enter, then types
    // `name` into the save dialog.
    void answerDialogs(const QString& aircraft, const QString& name) {
        whenModal<QInputDialog>([this, aircraft, name](QInputDialog* dialog) {
            items = dialog->comboBoxItems();
            firstChoice = dialog->textValue();
            if (aircraft.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            whenModal<QFileDialog>([this, name](QFileDialog* save) {
                folder = save->directory().absolutePath();
                filters = save->nameFilters();
                auto* edit = save->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (edit == nullptr) {
                    ADD_FAILURE() << "the save dialog has no file name field";
                    save->reject();
                    return;
                }
                edit->clear();
                QTest::keyClicks(edit, name);
                QTest::keyClick(edit, Qt::Key_Return);
            });
            // A dialog left open would hold the test until it times out.
            QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr || focus->window() != dialog) {
                ADD_FAILURE() << "the aircraft dialog does not have the keyboard";
                dialog->reject();
                return;
            }
            // Once down the whole list is the most the choice can take.
            for (qsizetype presses = 0; dialog->textValue() != aircraft && presses < items.size();
                 ++presses)
                QTest::keyClick(focus, Qt::Key_Down);
            QTest::keyClick(focus, Qt::Key_Return);
        });
    }

    QString pdfText(const QString& path) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(30000));
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    UnitSimulator simulator;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
    std::unique_ptr<KORAWindow> window;
    QStringList items;
    QString firstChoice;
    QString folder;
    QStringList filters;
};

} // namespace

TEST_F(MaintenanceReportWindowTest, TheChosenAircraftsReportIsWrittenWithPdfAdded) {
    BrixAircraftSettings().setValue(kLastAircraftKey, QStringLiteral("AC-OTHER"));
    answerDialogs(kViewerTestAircraft, QStringLiteral("work-order"));
    chooseReport();
    EXPECT_EQ(items, (QStringList{QStringLiteral("AC-OTHER"), kViewerTestAircraft}));
    EXPECT_EQ(firstChoice, QStringLiteral("AC-OTHER"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("PDF Files (*.pdf)")});
    EXPECT_TRUE(notifier.messages.isEmpty());
    const QString text = pdfText(folder + QStringLiteral("/work-order.pdf"));
    for (const QString& expected : {QStringLiteral("Maintenance Report: F-GZLK"),
                                    QStringLiteral("S/N SN-4711"), QStringLiteral("S/N SN-4712"),
                                    QStringLiteral("Flight 0301"), QStringLiteral("Flight 0303")})
        EXPECT_TRUE(text.contains(expected)) << qPrintable(expected);
    const QString suspect = text.section(QStringLiteral("Suspect flights"), 1, 1);
    EXPECT_TRUE(suspect.contains(QStringLiteral("Flight 0302")));
    EXPECT_FALSE(suspect.section(QStringLiteral("Trend of A4R"), 0, 0)
                     .contains(QStringLiteral("Flight 0301")));
}

TEST_F(MaintenanceReportWindowTest, EscInTheAircraftDialogWritesNothing) {
    answerDialogs({}, {});
    chooseReport();
    EXPECT_FALSE(items.isEmpty());
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(QDir::home().entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
}
