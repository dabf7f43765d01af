// The health windows as the technician and the engineer use them: the Limits dialog's
// Suggest, Save and refusals, the Fleet Health window's order, sorting, filter and Enter, the
// trend it opens with its limit lines, and the main menu's F10.
#include "BrixAircraftSettings.h"
#include "CraftedRawFile.h"
#include "FleetHealthModel.h"
#include "FleetHealthWindow.h"
#include "FlightIndex.h"
#include "FlightRecord.h"
#include "HealthLimits.h"
#include "IndicatorTrendView.h"
#include "IndicatorTrendWindow.h"
#include "KORALimitsDialog.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "PlotWindow.h"
#include "PrivilegeLevel.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"
#include "UserPersist.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <cmath>
#include <memory>

namespace {

using Message = RecordingNotifier::Message;

const QString kType = QStringLiteral("CFM56-7");

void retype(QWidget* dialog, const char* field, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(field));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

QString fieldText(QWidget* dialog, const char* name) {
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name));
    return edit == nullptr ? QStringLiteral("(none)") : edit->text();
}

void press(QWidget* window, Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr && target->window() == window ? target : window, key);
}

class LimitsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        dataDirectory = freshDataDirectory();
        BrixAircraftSettings().setValue(QStringLiteral("EngineType_0"), kType);
        for (const QString& id : {QStringLiteral("AC1"), QStringLiteral("AC2")}) {
            ASSERT_TRUE(addAircraft(id, notifier));
            registerEngines(id, kAllOn, kAllOn);
        }
        // rms 1, 2, 3 on AC1's engine 1 and 4, 5 on AC2's engine 2; AC1's engine 2 has one
        // suspect flight far above them, which no suggestion may take in.
        writeFlights(QStringLiteral("AC1"), 1, {1, 2, 3});
        writeFlights(QStringLiteral("AC2"), 2, {4, 5});
        writeFlights(QStringLiteral("AC1"), 2, {100}, true);
        notifier.messages.clear();
    }

    void writeFlights(const QString& aircraft, int engine, const QList<float>& rms,
                      bool suspect = false) {
        CraftedRawFile file;
        file.aircraftId = aircraft;
        file.engineNumber = engine;
        for (int slot = 0; slot < rms.size(); ++slot) {
            CraftedSlot crafted = CraftedSlot::filled(slot, slot + 1, 0, 1.0f);
            crafted.rows[valueOf(ParameterType::N1)].fill(rms[slot]);
            if (suspect)
                crafted.rows[valueOf(ParameterType::A4R)].fill(-1.0f);
            file.flightSlots.append(crafted);
        }
        const QString folder =
            QStringLiteral("%1/%2_data/engine_%3").arg(dataDirectory, aircraft).arg(engine);
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(
            writeCraftedRawFile(folder + QStringLiteral("/n4orig_01MAR2006_1000.raw"), file));
    }

    // The index over those files, rms being each flight's N1.
    KORALimitsDialog::IndexOpener opener() {
        return [this] {
            FlightIndexInputs inputs;
            inputs.indicators = [](const FlightRecord& record,
                                   const std::optional<BearingGeometry>&) {
                IndicatorValues values;
                values[Indicator::Rms] = record.steadyStateValue(valueOf(ParameterType::N1), 0);
                return values;
            };
            inputs.engineType = [](const QString&, int) { return kType; };
            return std::make_unique<FlightIndex>(dataDirectory, inputs, notifier);
        };
    }

    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QString dataDirectory;
};

// mean 3, population sigma sqrt(2): warning 3 + 3 sqrt(2), alarm 3 + 6 sqrt(2).
TEST_F(LimitsDialogTest, SuggestFillsTheFieldsStoresNothingAndSaveRefusesImpossibleLimits) {
    KORALimitsDialog dialog(QFont(), persist, notifier, nullptr, opener());
    ASSERT_TRUE(dialog.isBuilt());
    QStringList texts;
    QStringList suggested;
    QList<bool> storedBeforeSave;
    QList<bool> openAfterRefusal;
    whenModal<KORALimitsDialog>([&](KORALimitsDialog* shown) {
        texts = {shown->windowTitle(), shown->findChild<QPushButton*>("B_SUGGEST")->text(),
                 shown->findChild<QComboBox*>("C_INDICATOR")->itemText(3), shown->helpContext()};
        auto* indicator = shown->findChild<QComboBox*>("C_INDICATOR");
        indicator->setCurrentIndex(3); // kurtosis: no flight has a value
        press(shown, Qt::Key_F7);
        indicator->setCurrentIndex(0);
        press(shown, Qt::Key_F7);
        suggested = {fieldText(shown, "E_WARNING"), fieldText(shown, "E_ALARM"),
                     fieldText(shown, "E_CHANGE"),
                     shown->findChild<QLabel*>("SUGGESTED_FROM")->text()};
        storedBeforeSave.append(readIndicatorLimits(kType, Indicator::Rms).has_value());
        retype(shown, "E_ALARM", QStringLiteral("7"));
        press(shown, Qt::Key_F5);
        openAfterRefusal.append(shown->isVisible());
        retype(shown, "E_ALARM", QStringLiteral("12,5"));
        retype(shown, "E_CHANGE", QStringLiteral("a lot"));
        press(shown, Qt::Key_F5);
        openAfterRefusal.append(shown->isVisible());
        retype(shown, "E_CHANGE", QStringLiteral("0.5"));
        press(shown, Qt::Key_F5);
    });
    EXPECT_EQ(dialog.runModal(), kAcceptedResult);
    EXPECT_EQ(texts, (QStringList{" Thalvex  - Limits", "Suggest (F7)", "kurtosis", "HelpLimits"}));
    EXPECT_EQ(suggested, (QStringList{"7.24264", "11.4853", "", "from 5 flights of 2 engines"}));
    EXPECT_EQ(storedBeforeSave, QList<bool>{false});
    EXPECT_EQ(openAfterRefusal, (QList<bool>{true, true}));
    const QString error = QStringLiteral("Error");
    EXPECT_EQ(
        notifier.messages,
        (QList<Message>{{QStringLiteral("warning"), QStringLiteral(" Thalvex "),
                         QStringLiteral("No stored flight of an engine of type \"CFM56-7\" has a "
                                        "value of kurtosis")},
                        {QStringLiteral("critical"), error,
                         QStringLiteral("The warning level must be below the alarm level")},
                        {QStringLiteral("critical"), error,
                         QStringLiteral("The critical change must be a finite number above 0")}}));
    const std::optional<IndicatorLimits> saved = readIndicatorLimits(kType, Indicator::Rms);
    ASSERT_TRUE(saved);
    EXPECT_EQ(healthNumberText(saved->warning), QStringLiteral("7.24264"));
    EXPECT_EQ(saved->alarm, 12.5);
    EXPECT_EQ(saved->change, std::optional<double>(0.5));
}

// The fleet as the window is given it: worst first.
FleetRow row(const char* aircraft, int engine, HealthState state, int flights,
             std::optional<Indicator> driving = std::nullopt, double value = 0, double limit = 0) {
    FleetRow made;
    made.aircraftId = QString::fromLatin1(aircraft);
    made.engineNumber = engine;
    made.engineType = kType;
    made.flights = flights;
    made.health.state = state;
    if (driving) {
        made.health.driving = driving;
        made.health.value = value;
        made.health.limit = limit;
    }
    return made;
}

class FleetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        rows = {row("AC2", 2, HealthState::Alarm, 100, Indicator::Kurtosis, 9.5, 8),
                row("AC1", 1, HealthState::Warning, 9, Indicator::Rms, 0.7, 0.6),
                row("AC3", 1, HealthState::Normal, 10, Indicator::Rms, 0.2, 0.6),
                row("AC4", 2, HealthState::NoLimits, 0)};
        window = std::make_unique<FleetHealthWindow>(
            QFont(), persist, notifier, [this] { return rows; },
            [this](const FleetRow& opened) {
                trends.append(
                    QStringLiteral("%1 %2").arg(opened.aircraftId).arg(opened.engineNumber));
            });
        ASSERT_TRUE(window->isBuilt());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QStringList shown(int column) const {
        QStringList cells;
        QAbstractItemModel* model = window->table()->model();
        for (int position = 0; position < model->rowCount(); ++position)
            cells.append(model->index(position, column).data().toString());
        return cells;
    }

    void clickHeader(int column) {
        QHeaderView* header = window->table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }

    QList<FleetRow> rows;
    QStringList trends;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    std::unique_ptr<FleetHealthWindow> window;
};

TEST_F(FleetWindowTest, ShowsTheWorstFirstAndSortsNumbersAsNumbersAndStatesBySeverity) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Thalvex  - Fleet Health"));
    EXPECT_EQ(shown(FleetHealthModel::StateColumn),
              (QStringList{"\u2716 Alarm", "\u25B2 Warning", "\u2713 Normal", "\u25CB No limits"}));
    EXPECT_EQ(shown(FleetHealthModel::IndicatorColumn),
              (QStringList{"kurtosis", "rms", "rms", ""}));
    EXPECT_EQ(window->table()->model()->headerData(FleetHealthModel::FlightsToAlarmColumn,
                                                   Qt::Horizontal),
              QStringLiteral("To Alarm"));

    clickHeader(FleetHealthModel::FlightsColumn);
    EXPECT_EQ(shown(FleetHealthModel::FlightsColumn), (QStringList{"0", "9", "10", "100"}));
    clickHeader(FleetHealthModel::FlightsColumn);
    EXPECT_EQ(shown(FleetHealthModel::FlightsColumn), (QStringList{"100", "10", "9", "0"}));
    clickHeader(FleetHealthModel::StateColumn);
    EXPECT_EQ(shown(FleetHealthModel::AircraftColumn), (QStringList{"AC4", "AC3", "AC1", "AC2"}));
    clickHeader(FleetHealthModel::ValueColumn);
    EXPECT_EQ(shown(FleetHealthModel::ValueColumn), (QStringList{"", "0.2", "0.7", "9.5"}));
}

TEST_F(FleetWindowTest, FiltersByAnyCellAndEnterOpensTheTrendOfTheCurrentRow) {
    auto* filter = window->findChild<QLineEdit*>(QStringLiteral("E_FILTER"));
    auto* count = window->findChild<QLabel*>(QStringLiteral("ROW_COUNT"));
    auto* trend = window->findChild<QPushButton*>(QStringLiteral("B_TREND"));
    EXPECT_EQ(count->text(), QStringLiteral("4 of 4 engines"));
    QTest::keyClicks(filter, QStringLiteral("warn"));
    EXPECT_EQ(shown(FleetHealthModel::AircraftColumn), QStringList{"AC1"});
    EXPECT_EQ(count->text(), QStringLiteral("1 of 4 engines"));
    // Enter from the filter field opens the one row left.
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_EQ(trends, QStringList{"AC1 1"});

    // A refresh keeps the filter and reads the new rows.
    rows.append(row("AC5", 1, HealthState::Warning, 3, Indicator::Peak, 2, 1));
    QTest::keyClick(filter, Qt::Key_F5);
    EXPECT_EQ(shown(FleetHealthModel::AircraftColumn), (QStringList{"AC1", "AC5"}));

    filter->clear();
    window->table()->setFocus();
    window->table()->setCurrentIndex(window->table()->model()->index(2, 0));
    QTest::keyClick(window->table(), Qt::Key_Enter);
    EXPECT_EQ(trends, (QStringList{"AC1 1", "AC3 1"}));
    // A row without a driving indicator has no trend to open.
    window->table()->setCurrentIndex(window->table()->model()->index(3, 0));
    EXPECT_FALSE(trend->isEnabled());
    QTest::keyClick(window->table(), Qt::Key_Enter);
    const QModelIndex first = window->table()->model()->index(0, 0);
    // A double click is a press, a release, then the second press.
    QTest::mouseClick(window->table()->viewport(), Qt::LeftButton, {},
                      window->table()->visualRect(first).center());
    QTest::mouseDClick(window->table()->viewport(), Qt::LeftButton, {},
                       window->table()->visualRect(first).center());
    EXPECT_EQ(trends, (QStringList{"AC1 1", "AC3 1", "AC2 2"}));
    QTest::keyClick(window->table(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST(IndicatorTrendWindowTest, DrawsTheWarningAndAlarmLimitsInsideTheShownRange) {
    QList<IndexedFlight> flights(3);
    for (int position = 0; position < flights.size(); ++position) {
        flights[position].flightNumber = position + 1;
        if (position != 1)
            flights[position].indicators[Indicator::Kurtosis] = 3 + position;
    }
    const IndicatorLimits limits{.warning = 5.5, .alarm = 8, .change = std::nullopt};
    IndicatorTrendWindow window(
        buildIndicatorTrendView(flights, QStringLiteral("AC1"), 2, Indicator::Kurtosis, limits));
    PlotWindow* plot = window.plotWindow();
    EXPECT_EQ(plot->view().series.value(0).x, (QList<double>{1, 3}));
    EXPECT_EQ(plot->yAxisTitle(), QStringLiteral("kurtosis"));
    EXPECT_EQ(plot->view().headerLine1, QStringLiteral("Trend: AC1: Engine 2"));
    EXPECT_EQ(plot->warningLineY(), 5.5);
    EXPECT_EQ(plot->alarmLineY(), 8);
    EXPECT_TRUE(std::isnan(plot->alertLineY()));
    EXPECT_GE(plot->chart()->yAxis->range().upper, 8);
}

} // namespace

namespace {

// F10 on the main menu opens the window over the register's index, one row per registered
// engine; asked again, it brings the same window to the front.
TEST_F(LimitsDialogTest, F10OnTheMainMenuOpensTheFleetOfTheRegister) {
    UnitSimulator simulator;
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    KORAWindow main(persist, notifier, QStringList{QStringLiteral("-x0"), QStringLiteral("-y0")});
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F5);
    QTest::keyClick(&main, Qt::Key_F10);
    FleetHealthWindow* fleet = main.fleetHealthWindow();
    ASSERT_NE(fleet, nullptr);
    EXPECT_TRUE(fleet->isVisible());
    EXPECT_EQ(fleet->shownRowCount(), 4);
    ASSERT_NE(fleet->shownRow(0), nullptr);
    EXPECT_EQ(fleet->shownRow(0)->health.state, HealthState::NoLimits);
    main.handleEvent(kFleetHealthCode);
    EXPECT_EQ(main.fleetHealthWindow(), fleet);
    EXPECT_TRUE(notifier.messages.isEmpty());
    fleet->close();
}

} // namespace
