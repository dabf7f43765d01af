// The data viewer's windows driven as the technician drives them: the flight selection, the
// plot window's views, sample selector, data status and keys, the setup, the tabulation with
// its file, the waterfall's CSV export, and the main menu's way in. Raw flight data files
// are written byte by byte into a fresh data directory.
#include "ApplicationSettings.h"
#include "BearingGeometryStore.h"
#include "BrixAircraftSettings.h"
#include "Controls.h"
#include "FlightIndex.h"
#include "FlightSelection.h"
#include "KORAButton.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "ModalDriver.h"
#include "Plot2D.h"
#include "PlotWindow.h"
#include "PrivilegeLevel.h"
#include "RawFlightFiles.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "SelectDialog.h"
#include "SettingsSandbox.h"
#include "SetupDialog.h"
#include "TabulateInfoWindow.h"
#include "Tabulation.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QtEndian>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <cmath>
#include <functional>

namespace {

// Selects the first `count` flights of the selection dialog and confirms with F5.
void selectFlights(int count) {
    whenModal<SelectDialog>([count](SelectDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("FLIGHT_LIST"));
        for (int row = 0; row < count && row < list->count(); ++row)
            list->item(row)->setSelected(true);
        QTest::keyClick(list, Qt::Key_F5);
    });
}

// Names a file in the save dialog and accepts it with Enter.
void answerSaveDialog(const QString& path, QString* caption = nullptr,
                      QStringList* filters = nullptr, QString* folder = nullptr) {
    whenModal<QFileDialog>([=](QFileDialog* dialog) {
        if (caption != nullptr)
            *caption = dialog->windowTitle();
        if (filters != nullptr)
            *filters = dialog->nameFilters();
        if (folder != nullptr)
            *folder = dialog->directory().absolutePath();
        dialog->setDirectory(QFileInfo(path).absolutePath());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(QFileInfo(path).fileName());
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

// Sets steady-state value `type`, bin `bin` of slot `slot` in a file that
// writeViewerRawFile wrote.
void patchSteadyStateValue(const QString& path, int slot, int type, int bin, float value) {
    constexpr qint64 kHeaderSize = 304;
    constexpr qint64 kRecordSize = 137736;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(kHeaderSize + slot * kRecordSize + 4 * (26 * type + bin)));
    char bytes[4];
    qToLittleEndian(value, bytes);
    ASSERT_EQ(file.write(bytes, 4), 4);
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        pointSettingsAtSimulator(1);
        data = freshDataDirectory();
    }
    void TearDown() override { delete viewer.data(); }

    Plot2D& open(int flights, const QList<qint32>& suspect = {}, int select = 99) {
        writeViewerRawFile(data, flightNumbers(flights), suspect);
        return show(select);
    }
    // Opens the viewer on the files already written, selecting the first `select` flights.
    Plot2D& show(int select = 99) {
        selectFlights(select);
        viewer = new Plot2D(SelectDialog::chooseFlights(font, persist, notifier), persist, font,
                            notifier);
        EXPECT_TRUE(viewer->hasFlights());
        viewer->show();
        viewer->handleEvent(kOpenViewerEvent);
        viewer->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(viewer));
        return *viewer;
    }
    QList<QAbstractButton*> sampleButtons() const {
        QList<QAbstractButton*> buttons;
        for (int i = 1; i <= Plot2D::kSampleButtonCount; ++i)
            buttons.append(
                viewer->findChild<QAbstractButton*>(QStringLiteral("B_SAMPLE%1").arg(i)));
        return buttons;
    }
    QString sampleCaption() const {
        return viewer->findChild<QGroupBox*>(QStringLiteral("G_SAMPLE"))->title();
    }
    // The texts of the visible sample buttons, the checked one marked with "*".
    QStringList shownSamples() const {
        QStringList shown;
        for (QAbstractButton* button : sampleButtons())
            if (button->isVisibleTo(viewer))
                shown.append(button->text() +
                             (button->isChecked() ? QStringLiteral("*") : QString()));
        return shown;
    }
    QAction* item(const QString& name) const { return viewer->findChild<QAction*>(name); }
    void choose(ParameterType type) {
        item(QStringLiteral("PUI_PARAMETER%1").arg(valueOf(type)))->trigger();
    }
    int setting(const QString& key) const { return BrixAircraftSettings().value(key).toInt(); }
    // Runs the setup (Ctrl+D) with `steps` and closes it with Esc.
    void setUp(const std::function<void(SetupDialog*)>& steps) {
        whenModal<SetupDialog>([steps](SetupDialog* setup) {
            steps(setup);
            QTest::keyClick(setup, Qt::Key_Escape);
        });
        // Through the menu: a key goes to the active window, which on a busy machine may
        // still be the one just closed. Ctrl+D has a test of its own.
        item(QStringLiteral("PUI_DISPLAY"))->trigger();
    }
    // A key in the viewer, made the active window first (a tabulation or a dialog may have
    // taken that). A closed dialog hands the keys back to the window that was active before
    // it, the tabulation perhaps, and a tabulation shares the viewer's activation: only the
    // application's active window tells which of the two has the keys.
    void keyClick(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        viewer->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == viewer; }));
        QTest::keyClick(viewer, key, modifiers);
    }
    static void clickIn(SetupDialog* setup, const char* name) {
        setup->findChild<QAbstractButton*>(QLatin1String(name))->click();
    }
    // The tabulation's lines, rows and notes.
    QStringList tabulated() {
        item(QStringLiteral("PUI_TABULATE"))->trigger();
        QStringList lines;
        if (TabulateInfoWindow* table = viewer->tabulateWindow()) {
            auto* list = table->findChild<QListWidget*>(QStringLiteral("E_LIST"));
            for (int row = 0; row < list->count(); ++row)
                lines.append(list->item(row)->text());
        }
        return lines;
    }
    // Clicks point `point` of the current series in the chart, with Shift.
    void shiftClick(int series, int point) {
        PlotWindow* chart = viewer->plotWindow();
        QCoreApplication::processEvents();
        const double x = chart->view().series.at(series).x.at(point);
        const QPoint pixel(int(std::lround(chart->chart()->xAxis->coordToPixel(x))),
                           chart->chart()->axisRect()->center().y());
        QTest::mouseClick(chart->chart(), Qt::LeftButton, Qt::ShiftModifier, pixel);
    }

    QString data;
    RecordingNotifier notifier;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    QFont font;
    QPointer<Plot2D> viewer;
};

TEST_F(ViewerTest, FirstOpeningShowsSteadyStateA4RWithAnUnusedSampleSelector) {
    open(2);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Steady State 2-D Data Viewer"));
    EXPECT_EQ(viewer->selection().parameterType, ParameterType::A4R);
    EXPECT_TRUE(item(QStringLiteral("PUI_PARAMETER6"))->isChecked());
    EXPECT_TRUE(viewer->findChild<QAbstractButton*>(QStringLiteral("B_STEADY_STATE"))->isChecked());
    EXPECT_FALSE(viewer->xGrid() || viewer->yGrid());
    EXPECT_EQ(viewer->selection().windowType, 0);
    EXPECT_FALSE(
        viewer->findChild<QMenu*>(QStringLiteral("PDI_TRANSIENT_BIN"))->menuAction()->isEnabled());
    EXPECT_EQ(sampleCaption(), QStringLiteral("Unused"));
    EXPECT_EQ(shownSamples().size(), 26);
    EXPECT_EQ(shownSamples().first(), QStringLiteral("1*"));
    for (QAbstractButton* button : sampleButtons())
        EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(viewer->plotWindow()->view().series.size(), 2);
    EXPECT_EQ(viewer->plotWindow()->view().headerLine1,
              QStringLiteral("Steady State Data: F-GZLK: Engine 1"));
    EXPECT_EQ(viewer->findChild<QAbstractButton*>(QStringLiteral("B_GLOBAL_INDICATOR"))
                  ->property("indicator"),
              QStringLiteral("GoodData"));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(ViewerTest, SampleTwentyFallsBackToTheFirstTransientSample) {
    {
        BrixAircraftSettings settings;
        settings.setValue(kParameterTypeKey, valueOf(ParameterType::TimeHistory));
        settings.setValue(kLastSampleKey, 19);
    }
    open(2);
    EXPECT_EQ(sampleCaption(), QStringLiteral("Time History: Sample Number"));
    EXPECT_EQ(shownSamples().value(19), QStringLiteral("20*"));
    QTest::keyClick(viewer, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Transient 2-D Data Viewer"));
    EXPECT_EQ(shownSamples(), QStringList({"1*", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(setting(kLastSampleKey), 0);
    EXPECT_EQ(setting(kPlotTypeKey), 1);
    EXPECT_EQ(viewer->plotWindow()->view().footer, QStringLiteral("Sample Number 1: (TOC)"));
    // The transient view offers no TR4R averages; its bins apply from A4R on.
    EXPECT_FALSE(item(QStringLiteral("PUI_PARAMETER1"))->isEnabled());
    EXPECT_FALSE(item(QStringLiteral("PUI_PARAMETER2"))->isEnabled());
    EXPECT_TRUE(
        viewer->findChild<QMenu*>(QStringLiteral("PDI_TRANSIENT_BIN"))->menuAction()->isEnabled());
    // PgUp steps back over the types the view does not offer.
    for (int i = 0; i < 11; ++i)
        QTest::keyClick(viewer, Qt::Key_PageUp);
    EXPECT_EQ(viewer->selection().parameterType, ParameterType::A4RAverage);
    EXPECT_EQ(setting(kParameterTypeKey), 0);
    EXPECT_EQ(sampleCaption(), QStringLiteral("Unused"));
}

TEST_F(ViewerTest, TheWaterfallChoosesAmongTheLoadedFlights) {
    open(3);
    choose(ParameterType::Waterfall);
    EXPECT_EQ(sampleCaption(), QStringLiteral("Waterfall FFT: Flight Number"));
    EXPECT_EQ(shownSamples(), QStringList({"101*", "102", "103"}));
    EXPECT_EQ(setting(kLastFlightKey), 101);
    QTest::mouseClick(sampleButtons()[2], Qt::LeftButton);
    EXPECT_EQ(setting(kLastFlightKey), 103);
    EXPECT_EQ(viewer->plotWindow()->view().footer, QStringLiteral("Flight # 103"));
    EXPECT_EQ(viewer->plotWindow()->view().series.size(), 26);
}

// Two files may hold the same flight number: each button stands for its own flight.
TEST_F(ViewerTest, TheWaterfallsButtonNamesItsFlightWhenNumbersRepeat) {
    constexpr quint32 kLater = kViewerTestCreationTime + 86400;
    writeViewerRawFile(data, {101}, {}, QStringLiteral("n4orig_13MAR2024_0930.raw"), kLater);
    open(2);
    choose(ParameterType::Waterfall);
    ASSERT_EQ(shownSamples(), QStringList({"101*", "102", "101"}));
    QTest::mouseClick(sampleButtons()[2], Qt::LeftButton);
    EXPECT_EQ(viewer->selection().flightCreationTime, std::optional<quint32>(kLater));
    QTest::mouseClick(sampleButtons()[0], Qt::LeftButton);
    EXPECT_EQ(viewer->selection().flightCreationTime,
              std::optional<quint32>(kViewerTestCreationTime));
    EXPECT_EQ(setting(kLastFlightKey), 101);
}

TEST_F(ViewerTest, ANegativeA4RMakesTheDataSuspect) {
    open(2, {102});
    auto* indicator = viewer->findChild<QAbstractButton*>(QStringLiteral("B_GLOBAL_INDICATOR"));
    EXPECT_EQ(indicator->property("indicator"), QStringLiteral("BadData"));
    EXPECT_EQ(indicator->toolTip(),
              QStringLiteral("Suspect: negative, NaN or infinite values in flights 102"));
    QStringList lines;
    for (QAction* line : viewer->findChild<QMenu*>(QStringLiteral("PUI_DATA_STATUS"))->actions())
        lines.append(line->text());
    EXPECT_EQ(lines, QStringList({"Flight 101 - Steady State Status OK",
                                  "Flight 101 - Transient Data Status OK", QString(),
                                  "Flight 102 - Steady State Status Suspect",
                                  "Flight 102 - Transient Data Status OK"}));
}

TEST_F(ViewerTest, TheSetupHidesAFlightForEveryLaterParameter) {
    open(3);
    whenModal<SetupDialog>([](SetupDialog* setup) {
        QTest::mouseClick(setup->flightButtons()[2], Qt::LeftButton);
        QTest::mouseClick(setup->findChild<QAbstractButton*>(QStringLiteral("B_XGRID")),
                          Qt::LeftButton);
        QTest::keyClick(setup, Qt::Key_Escape);
    });
    QTest::keyClick(viewer, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(viewer->plotWindow()->seriesVisible(2));
    EXPECT_TRUE(viewer->plotWindow()->seriesVisible(1));
    EXPECT_TRUE(viewer->xGrid());
    EXPECT_TRUE(BrixAircraftSettings().value(kXGridKey).toBool());
    QTest::keyClick(viewer, Qt::Key_PageDown);
    EXPECT_EQ(viewer->selection().parameterType, ParameterType::TR4R);
    EXPECT_FALSE(viewer->plotWindow()->seriesVisible(2));
    viewer->handleValueEvent(kShowSeriesEvent, 2);
    EXPECT_TRUE(viewer->plotWindow()->seriesVisible(2));
}

TEST(SetupDialogTest, FiveFlightButtonsToARowAndEachChangeIsSentAtOnce) {
    QList<FlightDataElement> flights(7);
    for (int i = 0; i < flights.size(); ++i)
        flights[i].flightNumber = 201 + i;
    QList<std::pair<int, quint32>> sent;
    RecordingNotifier notifier;
    UserPersist persist(resourcePath(kApplicationResourceRoot));
    SetupState state{QList<bool>(7, true), false, true, 0, false};
    SetupDialog setup(
        state, flights,
        [&](int code, quint32 value) {
            sent.append({code, value});
        },
        QFont(), persist, notifier);
    auto* grid = qobject_cast<QGridLayout*>(
        setup.findChild<QGroupBox*>(QStringLiteral("G_FLIGHT"))->layout());
    ASSERT_EQ(setup.flightButtons().size(), 7);
    EXPECT_EQ(grid->rowCount(), 2);
    int row = 0, column = 0, span = 0;
    grid->getItemPosition(grid->indexOf(setup.flightButtons()[6]), &row, &column, &span, &span);
    EXPECT_EQ(std::pair(row, column), std::pair(1, 1));
    EXPECT_EQ(setup.flightButtons()[2]->text(), QStringLiteral("203"));
    setup.show();
    QTest::mouseClick(setup.flightButtons()[2], Qt::LeftButton);
    QTest::mouseClick(setup.flightButtons()[2], Qt::LeftButton);
    setup.findChild<QAbstractButton*>(QStringLiteral("B_YGRID"))->click();
    setup.findChild<QAbstractButton*>(QStringLiteral("B_WINDOW_HANN"))->click();
    EXPECT_EQ(sent, (QList<std::pair<int, quint32>>{{kShowSeriesEvent, 2u | kHideSeriesFlag},
                                                    {kShowSeriesEvent, 2u},
                                                    {kYGridEvent, 0u},
                                                    {kWindowTypeEvent, 1u}}));

    SetupDialog waterfall(
        {QList<bool>(7, true), false, false, 1, true}, flights, [](int, quint32) {}, QFont(),
        persist, notifier);
    EXPECT_FALSE(waterfall.findChild<QGroupBox*>(QStringLiteral("G_FLIGHT"))->isEnabled());
    EXPECT_TRUE(
        waterfall.findChild<QAbstractButton*>(QStringLiteral("B_WINDOW_HANN"))->isChecked());
}

TEST_F(ViewerTest, TheSelectionLoadsTenFlightsAndRefusesEleven) {
    writeViewerRawFile(data, flightNumbers(11));
    FlightSelection selection;
    SelectDialog dialog(selection, font, persist, notifier);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("FLIGHT_LIST"));
    ASSERT_EQ(list->count(), 11);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Flight: 0101   Date: 12-MAR-2024 (09:30)"));
    whenModal<SelectDialog>([&](SelectDialog*) {
        list->selectAll();
        QTest::keyClick(list, Qt::Key_F5);
        EXPECT_TRUE(dialog.isVisible());
        list->item(10)->setSelected(false);
        QTest::keyClick(list, Qt::Key_F5);
    });
    EXPECT_EQ(dialog.runModal(), kAcceptedResult);
    EXPECT_EQ(notifier.messages, (QList<RecordingNotifier::Message>{
                                     {QStringLiteral("critical"), QStringLiteral("Error"),
                                      QStringLiteral("Too many flights selected. "
                                                     "Maximum allowed is 10")}}));
    ASSERT_EQ(dialog.loadedFlights().size(), 10);
    EXPECT_EQ(dialog.loadedFlights().last().flightNumber, 110);
}

// The count follows the selection, OK without a flight asks for one and keeps the list, and
// "Newest download only" (off at first, then remembered) lists each flight once.
TEST_F(ViewerTest, TheSelectionCountsItsFlightsAndCanListTheNewestDownloadsOnly) {
    writeViewerRawFile(data, flightNumbers(3));
    writeViewerRawFile(data, {102}, {}, QStringLiteral("n4orig_13MAR2024_0930.raw"),
                       kViewerTestCreationTime + 86400);
    FlightSelection selection;
    SelectDialog dialog(selection, font, persist, notifier);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("FLIGHT_LIST"));
    auto* newest = dialog.findChild<QCheckBox*>(QStringLiteral("B_NEWEST_ONLY"));
    auto* count = dialog.findChild<QLabel*>(QStringLiteral("SELECTED_COUNT"));
    EXPECT_EQ(newest->text(), QStringLiteral("Newest download only"));
    EXPECT_FALSE(newest->isChecked());
    ASSERT_EQ(list->count(), 4);
    list->item(0)->setSelected(true);
    list->item(3)->setSelected(true);
    EXPECT_EQ(count->text(), QStringLiteral("2 of 10 selected"));

    // Flight 102 once, from the later file.
    QTest::mouseClick(newest, Qt::LeftButton);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Flight: 0102   Date: 13-MAR-2024 (09:30)"));
    EXPECT_EQ(count->text(), QStringLiteral("0 of 10 selected"));
    whenModal<SelectDialog>([&](SelectDialog*) {
        QTest::keyClick(list, Qt::Key_F5);
        EXPECT_TRUE(dialog.isVisible());
        list->item(2)->setSelected(true);
        QTest::keyClick(list, Qt::Key_F5);
    });
    EXPECT_EQ(dialog.runModal(), kAcceptedResult);
    EXPECT_EQ(notifier.messages, (QList<RecordingNotifier::Message>{
                                     {QStringLiteral("warning"), QStringLiteral("Warning"),
                                      QStringLiteral("Select at least one flight")}}));
    EXPECT_EQ(dialog.loadedFlights().value(0).creationTime(), kViewerTestCreationTime + 86400);
    FlightSelection again;
    EXPECT_TRUE(again.newestOnly());
}

TEST_F(ViewerTest, WithoutStoredFlightsTheViewerSaysSoAndStaysClosed) {
    EXPECT_TRUE(SelectDialog::chooseFlights(font, persist, notifier).isEmpty());
    EXPECT_EQ(notifier.messages, (QList<RecordingNotifier::Message>{
                                     {QStringLiteral("critical"), QStringLiteral("Error"),
                                      QStringLiteral("No data exists for plotting")}}));
}

TEST_F(ViewerTest, TheTabulationFollowsTheChartAndSavesItsRows) {
    open(2);
    item(QStringLiteral("PUI_TABULATE"))->trigger();
    TabulateInfoWindow* table = viewer->tabulateWindow();
    ASSERT_NE(table, nullptr);
    auto* list = table->findChild<QListWidget*>(QStringLiteral("E_LIST"));
    EXPECT_EQ(list->count(), 26);
    EXPECT_EQ(controlText(table->findChild<QWidget*>(QStringLiteral("P_TAG"))),
              QStringLiteral("Selected Flight: Flight 101"));
    // The legend, a zoom and the read-out.
    emit viewer->plotWindow()->seriesClicked(1);
    EXPECT_EQ(controlText(table->findChild<QWidget*>(QStringLiteral("P_TAG"))),
              QStringLiteral("Selected Flight: Flight 102"));
    viewer->plotWindow()->chart()->xAxis->setRange(5, 10);
    emit viewer->plotWindow()->rangeChanged();
    EXPECT_EQ(list->count(), 6);
    emit viewer->plotWindow()->pointPicked(6);
    EXPECT_EQ(list->currentRow(), 2);

    const QString name = QDir::homePath() + QStringLiteral("/table.TXT");
    answerSaveDialog(name);
    QTest::keyClick(table, Qt::Key_F5);
    EXPECT_EQ(readFile(name + QStringLiteral(".txt")), tabulationFileText(table->tabulation()));
    // Declined overwrite, then a target that cannot be written.
    notifier.answers = {false, true};
    answerSaveDialog(name);
    QTest::keyClick(table, Qt::Key_F5);
    QDir().mkpath(QDir::homePath() + QStringLiteral("/folder.txt"));
    answerSaveDialog(QDir::homePath() + QStringLiteral("/folder"));
    QTest::keyClick(table, Qt::Key_F5);
    using Message = RecordingNotifier::Message;
    const Message question{QStringLiteral("question"), QStringLiteral("Save To File"),
                           QStringLiteral("File already exists. Do you want to overwrite it?")};
    EXPECT_EQ(notifier.messages,
              (QList<Message>{question,
                              question,
                              {QStringLiteral("critical"), QStringLiteral("Save To File"),
                               QStringLiteral("Couldn't save tabulation data")}}));
    EXPECT_EQ(notifier.questionDefaults.value(0), Notifier::DefaultAnswer::No);

    // The waterfall has no tabulation window.
    choose(ParameterType::Waterfall);
    EXPECT_EQ(viewer->tabulateWindow(), nullptr);
}

TEST_F(ViewerTest, TheWaterfallExportsItsVisibleRangeAsCsv) {
    open(2);
    choose(ParameterType::Waterfall);
    QString caption, folder;
    QStringList filters;
    const QString name = QDir::homePath() + QStringLiteral("/fall.CSV");
    answerSaveDialog(name, &caption, &filters, &folder);
    QTest::keyClick(viewer, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(caption, QStringLiteral("Save Tabulated Data"));
    EXPECT_EQ(filters, QStringList({QStringLiteral("Text Files (*.csv)")}));
    EXPECT_EQ(folder, QDir(dataDirectory()).absolutePath());
    const PlotWindow& chart = *viewer->plotWindow();
    EXPECT_EQ(readFile(name + QStringLiteral(".csv")),
              waterfallCsvText(chart.view(), 101, chart.xMinimum(), chart.xMaximum()));
    EXPECT_TRUE(notifier.messages.isEmpty());

    QDir().mkpath(QDir::homePath() + QStringLiteral("/folder.csv"));
    answerSaveDialog(QDir::homePath() + QStringLiteral("/folder"));
    item(QStringLiteral("PUI_TABULATE"))->trigger();
    // The name with its extension is asked about like the tabulation's, then fails.
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("question"), QStringLiteral("Save To File"),
                   QStringLiteral("File already exists. Do you want to overwrite it?")},
                  {QStringLiteral("critical"), QStringLiteral("Save To File"),
                   QStringLiteral("Couldn't save tabulation data")}}));
}

TEST_F(ViewerTest, CtrlEAndEnterExportTheChartAsShownAndFailuresAreTold) {
    open(2);
    QString caption, folder;
    QStringList filters, saved;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        caption = dialog->windowTitle();
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                        Qt::Key_Return);
    });
    QTest::keyClick(viewer, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(caption, QStringLiteral("Export Chart"));
    EXPECT_EQ(filters,
              QStringList({QStringLiteral("PNG Image (*.png)"), QStringLiteral("SVG Image (*.svg)"),
                           QStringLiteral("PDF Document (*.pdf)")}));
    EXPECT_EQ(folder, QDir(dataDirectory()).absolutePath());
    saved = QDir(dataDirectory()).entryList({QStringLiteral("chart-*.png")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    const QWidget* chart = viewer->plotWindow()->chart();
    EXPECT_EQ(QImage(QDir(dataDirectory()).filePath(saved.first())).size(),
              chart->size() * chart->screen()->devicePixelRatio());
    EXPECT_TRUE(notifier.messages.isEmpty());

    // A size typed in the dialog; a name without extension takes the chosen type's.
    const QString pdf = QDir::homePath() + QStringLiteral("/sized");
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("P_CHART_SIZE"))->setText("640x400");
        dialog->selectNameFilter(QStringLiteral("PNG Image (*.png)"));
        dialog->setDirectory(QDir::homePath());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText(QStringLiteral("sized"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    item(QStringLiteral("PUI_EXPORT_CHART"))->trigger();
    EXPECT_EQ(QImage(pdf + QStringLiteral(".png")).size(), QSize(640, 400));

    // A size that is not one, then a folder where the file would go (the name without its
    // extension, which the dialog would otherwise open).
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("P_CHART_SIZE"))->setText("big");
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                        Qt::Key_Return);
    });
    item(QStringLiteral("PUI_EXPORT_CHART"))->trigger();
    const QString taken = QDir::homePath() + QStringLiteral("/taken.pdf");
    ASSERT_TRUE(QDir().mkpath(taken));
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("P_CHART_SIZE"))->clear();
        dialog->selectNameFilter(QStringLiteral("PDF Document (*.pdf)"));
        dialog->setDirectory(QDir::homePath());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText(QStringLiteral("taken"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    item(QStringLiteral("PUI_EXPORT_CHART"))->trigger();
    // The folder is refused before anything is asked about replacing it.
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("critical"), QStringLiteral("Export Chart"),
                   QStringLiteral("The size \"big\" is not WIDTHxHEIGHT with each from 16 to "
                                  "10000 pixels")},
                  {QStringLiteral("critical"), QStringLiteral("Export Chart"),
                   QStringLiteral("Couldn't export the chart to %1: it exists and is not a "
                                  "regular file, so it is not replaced")
                       .arg(taken)}}));
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_EQ(QDir(QDir::homePath()).entryList({QStringLiteral("taken*")}, QDir::AllEntries),
              QStringList({QStringLiteral("taken.pdf")}));
}

TEST_F(ViewerTest, F8AndB4OfTheMainMenuOpenTheViewerAndF1AndEscServeIt) {
    setPrivilegeLevel(kFlightLineLevel);
    KORAButton::setHelpDirectory(QString());
    writeViewerRawFile(data, flightNumbers(2));
    KORAWindow window(persist, notifier, {});
    window.show();
    window.handleEvent(kShowMainMenuCode);
    auto* b4 = window.currentScreen()->findChild<KORAButton*>(QStringLiteral("B4"));
    ASSERT_TRUE(b4 != nullptr && b4->isEnabled());
    whenModal<SelectDialog>([](SelectDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QTest::mouseClick(b4, Qt::LeftButton);
    EXPECT_EQ(window.findChild<Plot2D*>(), nullptr);

    selectFlights(1);
    QTest::keyClick(window.currentScreen(), Qt::Key_F8);
    auto* opened = window.findChild<Plot2D*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible() && opened->isWindow());
    EXPECT_EQ(opened->flights().size(), 1);
    QString page;
    whenModal<QDialog>([&](QDialog* help) {
        page = help->findChild<QTextBrowser*>(QStringLiteral("HELP_PAGE"))->source().toString();
        help->accept();
    });
    QTest::keyClick(opened, Qt::Key_F1);
    EXPECT_EQ(page, QStringLiteral("HelpViewer.html"));
    QPointer<Plot2D> closing(opened);
    QTest::keyClick(opened, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 5000));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// The flight selection runs before the viewer is built: a cancelled one leaves nothing built.
TEST_F(ViewerTest, TheMainWindowBuildsNoViewerWhileTheSelectionRuns) {
    setPrivilegeLevel(kFlightLineLevel);
    writeViewerRawFile(data, flightNumbers(2));
    KORAWindow window(persist, notifier, {});
    window.show();
    window.handleEvent(kShowMainMenuCode);
    qsizetype viewersDuringSelection = -1;
    whenModal<SelectDialog>([&](SelectDialog* dialog) {
        viewersDuringSelection = window.findChildren<Plot2D*>().size();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QTest::keyClick(window.currentScreen(), Qt::Key_F8);
    EXPECT_EQ(viewersDuringSelection, 0);
    EXPECT_TRUE(window.findChildren<Plot2D*>().isEmpty());
}

// The trend: every stored flight of the engine over all its files, not only the loaded ones.
TEST_F(ViewerTest, TheTrendShowsEveryStoredFlightOfTheEngineWithItsAlertLevel) {
    writeViewerRawFile(data, {201, 202, 203, 204, 205, 206, 207, 208}, {},
                       QStringLiteral("n4orig_13MAR2024_0930.raw"),
                       kViewerTestCreationTime + 86400);
    QFile junk(data + QStringLiteral("/F-GZLK_data/engine_1/junk.raw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("no flights") > 0);
    junk.close();
    open(8, {103}, 2);
    ASSERT_EQ(viewer->flights().size(), 2);
    QTest::keyClick(viewer, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Engine Trend Viewer"));
    EXPECT_TRUE(viewer->findChild<QAbstractButton*>(QStringLiteral("B_TREND"))->isChecked());
    EXPECT_FALSE(
        viewer->findChild<QAbstractButton*>(QStringLiteral("B_STEADY_STATE"))->isChecked());
    EXPECT_TRUE(BrixAircraftSettings().value(kTrendShownKey).toBool());
    EXPECT_EQ(setting(kPlotTypeKey), 0);

    const PlotWindow& chart = *viewer->plotWindow();
    ASSERT_EQ(chart.view().series.size(), 2);
    const PlotSeries& pre = chart.view().series[0];
    ASSERT_EQ(pre.x.size(), 16);
    EXPECT_EQ(pre.x.first(), 101);
    EXPECT_EQ(pre.x.last(), 208);
    // Room beside the first and last markers grows with the span of flight numbers.
    EXPECT_LT(chart.xMinimum(), 100.0);
    EXPECT_GT(chart.xMaximum(), 209.0);
    EXPECT_TRUE(chart.view().series[1].x.isEmpty());
    EXPECT_EQ(chart.xAxisTitle(), QStringLiteral("Flight Number"));
    // Slot s holds A4R s + 7 + 0.1 b in bin b: maximum s + 9.5; flight 103 is suspect.
    EXPECT_NEAR(pre.y[0], 9.5, 1e-5);
    EXPECT_EQ(chart.hollowPointCount(0), 1);
    EXPECT_EQ(pre.hollowPoints, QList<int>({2}));
    EXPECT_TRUE(std::isnan(chart.alertLineY()));

    // No samples, no transient bins, and only the parameters that have a trend.
    EXPECT_FALSE(viewer->findChild<QGroupBox*>(QStringLiteral("G_SAMPLE"))->isEnabled());
    EXPECT_FALSE(
        viewer->findChild<QMenu*>(QStringLiteral("PDI_TRANSIENT_BIN"))->menuAction()->isEnabled());
    for (int type = 0; type < kParameterTypeCount; ++type)
        EXPECT_EQ(item(QStringLiteral("PUI_PARAMETER%1").arg(type))->isEnabled(), type <= 12)
            << type;

    setUp([](SetupDialog* setup) {
        EXPECT_FALSE(setup->findChild<QGroupBox*>(QStringLiteral("G_FLIGHT"))->isEnabled());
        clickIn(setup, "B_TREND_MEAN");
        auto* level = setup->findChild<QLineEdit*>(QStringLiteral("E_ALERT_LEVEL"));
        EXPECT_TRUE(level->isEnabled());
        QTest::keyClicks(level, QStringLiteral("12,5x"));
    });
    // "12,5" was taken; the "x" made it no number and left the level as it was.
    EXPECT_EQ(viewer->trendStatistic(), TrendStatistic::Mean);
    EXPECT_EQ(setting(kTrendStatisticKey), 1);
    EXPECT_EQ(viewer->plotWindow()->view().footer, QStringLiteral("Mean over 26 bins"));
    EXPECT_NEAR(viewer->plotWindow()->view().series[0].y[0], 8.25, 1e-5);
    EXPECT_DOUBLE_EQ(viewer->plotWindow()->alertLineY(), 12.5);
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("Plot2D_Alert_6")).toDouble(), 12.5);

    // Means s + 8.25 above 12.5: slots 5 to 7 of both files.
    const QStringList lines = tabulated();
    EXPECT_EQ(lines.first().trimmed().left(13), QStringLiteral("Flight Number"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Flights above the alert level: 6")));
    const QStringList above = lines.filter(QRegularExpression(QStringLiteral("^Flight \\d{4}  ")));
    ASSERT_EQ(above.size(), 6);
    EXPECT_TRUE(above.first().startsWith(QStringLiteral("Flight 0106  ")));
    EXPECT_EQ(lines.last(), QStringLiteral("1 file skipped: 1 not a raw flight data file"));

    // Clearing the field removes the level.
    setUp([](SetupDialog* setup) {
        auto* level = setup->findChild<QLineEdit*>(QStringLiteral("E_ALERT_LEVEL"));
        EXPECT_EQ(level->text(), QStringLiteral("12.5"));
        level->selectAll();
        QTest::keyClick(level, Qt::Key_Delete);
    });
    EXPECT_TRUE(std::isnan(viewer->plotWindow()->alertLineY()));
    EXPECT_FALSE(BrixAircraftSettings().contains(QStringLiteral("Plot2D_Alert_6")));

    // The legend picks the memory type that the read-out and the tabulation follow.
    emit viewer->plotWindow()->seriesClicked(1);
    EXPECT_EQ(viewer->currentSeries(), 1);

    keyClick(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Steady State 2-D Data Viewer"));
    EXPECT_FALSE(BrixAircraftSettings().value(kTrendShownKey).toBool());
    EXPECT_EQ(viewer->plotWindow()->view().series.size(), 2);
}

// An indicator's trend comes from the index: its flight values there (here each slot's first
// A4R, s + 7), the record views and the statistic off while it is shown; a parameter type
// takes its place again.
TEST_F(ViewerTest, AnIndicatorOfTheParameterMenuShowsItsTrendFromTheIndex) {
    writeViewerRawFile(data, flightNumbers(3));
    FlightIndexInputs inputs;
    inputs.indicators = [](const FlightRecord& record, const std::optional<BearingGeometry>&) {
        double a4r[FlightRecord::kBinCount];
        record.steadyStateRow(valueOf(ParameterType::A4R), FlightRecord::kBinCount, a4r);
        IndicatorValues values;
        values[Indicator::Kurtosis] = a4r[0];
        return values;
    };
    ASSERT_EQ(FlightIndex(data, inputs, notifier).lastUpdate().read, 1);
    show(1);
    auto* indicators = viewer->findChild<QMenu*>(QStringLiteral("PDI_INDICATORS"));
    ASSERT_NE(indicators, nullptr);
    EXPECT_EQ(indicators->title(), QStringLiteral("Indicators"));
    QStringList names;
    for (const QAction* action : indicators->actions())
        names.append(action->text());
    EXPECT_EQ(names, QStringList({"rms", "peak", "crest", "kurtosis", "n1x1", "n2x1", "bpfo",
                                  "bpfi", "bsf", "ftf"}));

    item(QStringLiteral("PUI_INDICATOR3"))->trigger();
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Engine Trend Viewer"));
    const PlotView& shown = viewer->plotWindow()->view();
    ASSERT_EQ(shown.series.size(), 2);
    EXPECT_EQ(shown.series[0].x, QList<double>({101, 102, 103}));
    EXPECT_EQ(shown.series[0].y, QList<double>({7, 8, 9}));
    EXPECT_EQ(viewer->plotWindow()->yAxisTitle(), QStringLiteral("kurtosis"));
    EXPECT_EQ(shown.footer, QStringLiteral("Maximum over 26 bins"));
    EXPECT_TRUE(item(QStringLiteral("PUI_INDICATOR3"))->isChecked());
    EXPECT_FALSE(item(QStringLiteral("PUI_PARAMETER6"))->isChecked());
    EXPECT_TRUE(viewer->findChild<QAbstractButton*>(QStringLiteral("B_TREND"))->isChecked());
    for (const char* view : {"B_STEADY_STATE", "B_TRANSIENT"})
        EXPECT_FALSE(viewer->findChild<QAbstractButton*>(QLatin1String(view))->isEnabled());
    EXPECT_EQ(BrixAircraftSettings().value(kTrendIndicatorKey).toString(),
              QStringLiteral("kurtosis"));
    setUp([](SetupDialog* setup) {
        EXPECT_FALSE(
            setup->findChild<QAbstractButton*>(QStringLiteral("B_TREND_MAXIMUM"))->isEnabled());
        EXPECT_FALSE(setup->findChild<QLineEdit*>(QStringLiteral("E_ALERT_LEVEL"))->isEnabled());
        EXPECT_EQ(setup->findChild<QLabel*>(QStringLiteral("P_ALERT_LEVEL"))->text(),
                  QStringLiteral("&Alert level (kurtosis):"));
    });

    choose(ParameterType::A4R);
    EXPECT_FALSE(item(QStringLiteral("PUI_INDICATOR3"))->isChecked());
    EXPECT_TRUE(item(QStringLiteral("PUI_PARAMETER6"))->isChecked());
    EXPECT_EQ(viewer->plotWindow()->yAxisTitle(), QStringLiteral("A4R"));
    EXPECT_TRUE(viewer->findChild<QAbstractButton*>(QStringLiteral("B_STEADY_STATE"))->isEnabled());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// Stored views: the trend is reopened, and numbers that name no view or type fall back.
TEST_F(ViewerTest, TheViewIsRememberedAndUnknownStoredNumbersFallBack) {
    {
        BrixAircraftSettings settings;
        settings.setValue(kTrendShownKey, true);
        settings.setValue(kParameterTypeKey, valueOf(ParameterType::Fft));
    }
    open(3);
    EXPECT_TRUE(viewer->trendShown());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Engine Trend Viewer"));
    EXPECT_EQ(viewer->selection().parameterType, ParameterType::A4R);
    EXPECT_EQ(viewer->plotWindow()->view().series[0].x.size(), 3);
    delete viewer.data();

    {
        BrixAircraftSettings settings;
        settings.setValue(kTrendShownKey, false);
        settings.setValue(kPlotTypeKey, 7);
        settings.setValue(kParameterTypeKey, 99);
    }
    show();
    EXPECT_EQ(viewer->selection().plotType, PlotType::SteadyState);
    EXPECT_EQ(viewer->selection().parameterType, ParameterType::A4R);
    EXPECT_EQ(viewer->plotWindow()->view().series.size(), 3);

    // The third flight's series has no match among the trend's two memories.
    emit viewer->plotWindow()->seriesClicked(2);
    keyClick(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(viewer->currentSeries(), 1);
}

// N1 5052 RPM is 84.2 Hz; N2 0 RPM has no markers.
TEST_F(ViewerTest, OrderMarkersMarkTheShaftOrdersOfTheSpectrumShown) {
    const QString path = writeViewerRawFile(data, flightNumbers(2));
    patchSteadyStateValue(path, 0, valueOf(ParameterType::N1), 0, 5052.0f);
    patchSteadyStateValue(path, 0, valueOf(ParameterType::N2), 0, 0.0f);
    patchSteadyStateValue(path, 0, valueOf(ParameterType::N1), 2, 6000.0f);
    show();
    choose(ParameterType::Fft);
    EXPECT_TRUE(viewer->plotWindow()->orderMarkers().isEmpty());
    setUp([](SetupDialog* setup) { clickIn(setup, "B_ORDERS"); });
    EXPECT_TRUE(BrixAircraftSettings().value(kPlotOrdersKey).toBool());
    const QList<PlotWindow::Marker> markers = viewer->plotWindow()->orderMarkers();
    ASSERT_EQ(markers.size(), 2);
    EXPECT_NEAR(markers[0].x, 84.2, 1e-9);
    EXPECT_NEAR(markers[1].x, 168.4, 1e-9);
    EXPECT_EQ(markers[0].label, QStringLiteral("1xN1 84.2 Hz"));
    EXPECT_EQ(markers[1].label, QStringLiteral("2xN1 168.4 Hz"));
    const QStringList lines = tabulated();
    EXPECT_TRUE(lines.contains(QStringLiteral("1xN2 no marker: N2 = 0 RPM")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("1xN1     84.20 Hz  line   9")).size() == 1);

    // The second flight's speeds are those its file holds: other markers.
    emit viewer->plotWindow()->seriesClicked(1);
    EXPECT_NE(viewer->plotWindow()->orderMarkers().value(0).label, markers[0].label);

    // The waterfall marks its first trace, bin 1 of the selected flight, until the cursor
    // comes near another: bin 3's N1 of 6000 RPM is 100 Hz.
    choose(ParameterType::Waterfall);
    ASSERT_EQ(viewer->plotWindow()->orderMarkers().size(), 2);
    EXPECT_EQ(viewer->plotWindow()->orderMarkers()[0].label, QStringLiteral("1xN1 84.2 Hz"));
    QCustomPlot* plot = viewer->plotWindow()->chart();
    QCoreApplication::processEvents();
    const double third = waterfallTraceOffset(viewer->plotWindow()->view(), 2);
    QTest::mouseMove(plot, QPoint(plot->axisRect()->center().x(),
                                  int(std::lround(plot->yAxis->coordToPixel(third + 0.2)))));
    ASSERT_FALSE(viewer->plotWindow()->orderMarkers().isEmpty());
    EXPECT_EQ(viewer->plotWindow()->orderMarkers()[0].label, QStringLiteral("1xN1 100.0 Hz"));

    setUp([](SetupDialog* setup) { clickIn(setup, "B_ORDERS"); });
    EXPECT_TRUE(viewer->plotWindow()->orderMarkers().isEmpty());
    EXPECT_FALSE(BrixAircraftSettings().value(kPlotOrdersKey).toBool());
}

// A flight of engine type "CFM56-7" with n = 10, d = 10, D = 50 on N2 at 12000 RPM (200 Hz):
// BPFO 800 Hz, BPFI 1200 Hz, BSF 480 Hz and FTF 80 Hz, marked with the shaft orders off.
TEST_F(ViewerTest, BearingMarkersMarkTheDefectFrequenciesOfTheFlightsEngineType) {
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"),
                                     {.elements = 10, .ballDiameter = 10, .pitchDiameter = 50},
                                     notifier));
    const QString path = writeViewerRawFile(data, flightNumbers(1));
    patchSteadyStateValue(path, 0, valueOf(ParameterType::N2), 0, 12000.0f);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(21));
        ASSERT_EQ(file.write("CFM56-7", 8), 8);
    }
    show();
    choose(ParameterType::Fft);
    EXPECT_TRUE(viewer->plotWindow()->orderMarkers().isEmpty());
    setUp([](SetupDialog* setup) { clickIn(setup, "B_BEARING"); });
    EXPECT_TRUE(BrixAircraftSettings().value(kPlotBearingKey).toBool());
    QStringList labels;
    for (const PlotWindow::Marker& marker : viewer->plotWindow()->orderMarkers())
        labels.append(marker.label);
    EXPECT_EQ(labels,
              (QStringList{"BPFO 800.0 Hz", "BPFI 1200.0 Hz", "BSF 480.0 Hz", "FTF 80.0 Hz"}));
    const QStringList lines = tabulated();
    EXPECT_EQ(lines.filter(QStringLiteral("BPFO    800.00 Hz  line  84")).size(), 1)
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("1xN1")).isEmpty());

    setUp([](SetupDialog* setup) { clickIn(setup, "B_BEARING"); });
    EXPECT_TRUE(viewer->plotWindow()->orderMarkers().isEmpty());
    EXPECT_FALSE(BrixAircraftSettings().value(kPlotBearingKey).toBool());
}

// The envelope spectrum sits in the parameter menu after the waterfall, for the steady-state
// bins only; the transient view shows the plain spectrum instead.
TEST_F(ViewerTest, TheEnvelopeSpectrumIsOfferedForTheSteadyStateBinsOnly) {
    open(1);
    QAction* envelope = item(QStringLiteral("PUI_PARAMETER16"));
    ASSERT_TRUE(envelope != nullptr);
    EXPECT_EQ(envelope->text(), QStringLiteral("Envelope FFT"));
    EXPECT_TRUE(envelope->isEnabled());
    envelope->trigger();
    EXPECT_TRUE(envelope->isChecked());
    EXPECT_EQ(sampleCaption(), QStringLiteral("Envelope FFT: Sample Number"));
    EXPECT_EQ(viewer->plotWindow()->yAxisTitle(), QStringLiteral("Envelope Magnitude (G)"));

    keyClick(Qt::Key_2, Qt::ControlModifier);
    EXPECT_FALSE(envelope->isEnabled());
    EXPECT_TRUE(item(QStringLiteral("PUI_PARAMETER14"))->isChecked());
    EXPECT_EQ(sampleCaption(), QStringLiteral("FFT: Sample Number"));
    keyClick(Qt::Key_1, Qt::ControlModifier);
    EXPECT_TRUE(envelope->isEnabled());
}

TEST_F(ViewerTest, ShiftClickSetsAReferenceCursorThatEscOrASecondClickRemoves) {
    open(2);
    PlotWindow* chart = viewer->plotWindow();
    shiftClick(0, 3);
    ASSERT_TRUE(chart->hasReference());
    EXPECT_DOUBLE_EQ(chart->referenceX(), chart->view().series[0].x[3]);
    EXPECT_TRUE(chart->readoutText().contains(QStringLiteral("dX = 0  dY = 0")))
        << chart->readoutText().toStdString();
    shiftClick(0, 5);
    EXPECT_DOUBLE_EQ(chart->referenceX(), chart->view().series[0].x[5]);
    // Point 3 measured from point 5: two bins back, A4R 0.2 lower.
    const QPoint at3(
        int(std::lround(chart->chart()->xAxis->coordToPixel(chart->view().series[0].x[3]))),
        chart->chart()->axisRect()->center().y());
    QMouseEvent move(QEvent::MouseMove, at3, chart->chart()->mapToGlobal(at3), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart->chart(), &move);
    EXPECT_TRUE(chart->readoutText().endsWith(QStringLiteral("dX = -2  dY = -0.2")))
        << chart->readoutText().toStdString();
    shiftClick(0, 5);
    EXPECT_FALSE(chart->hasReference());
    EXPECT_FALSE(chart->readoutText().contains(QStringLiteral("dX")));
    shiftClick(0, 5);
    ASSERT_TRUE(chart->hasReference());
    keyClick(Qt::Key_Escape);
    EXPECT_FALSE(chart->hasReference());
    QCoreApplication::processEvents();
    EXPECT_TRUE(viewer->isVisible());
    QPointer<Plot2D> closing(viewer.data());
    keyClick(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 5000));
}

TEST_F(ViewerTest, TheDecibelAxisReachesTheChartTheTabulationAndTheExport) {
    open(2);
    setUp([](SetupDialog* setup) { clickIn(setup, "B_DECIBELS"); });
    EXPECT_TRUE(BrixAircraftSettings().value(kPlotDecibelsKey).toBool());
    choose(ParameterType::Fft);
    EXPECT_EQ(viewer->plotWindow()->yAxisTitle(), QStringLiteral("Magnitude (dB re 1 G)"));
    const QStringList rows = tabulated();
    ASSERT_GT(rows.size(), 100);
    EXPECT_TRUE(rows[10].endsWith(QStringLiteral(" (dB)"))) << rows[10].toStdString();

    choose(ParameterType::Waterfall);
    EXPECT_TRUE(viewer->plotWindow()->view().decibels);
    const QString name = QDir::homePath() + QStringLiteral("/fall.csv");
    answerSaveDialog(name);
    item(QStringLiteral("PUI_TABULATE"))->trigger();
    // Line 10's first trace, against the amplitude in G of the same view built without dB.
    const QStringList csv = readFile(name).split(QLatin1Char('\n'));
    const QStringList row = csv.filter(QRegularExpression(QStringLiteral("^[0-9.]+,")))
                                .value(10)
                                .split(QLatin1Char(','));
    ASSERT_GT(row.size(), 1);
    PlotSelection inG = viewer->selection();
    const PlotView gView = buildPlotView(inG, viewer->flights());
    const int line = int(std::lround(row[0].toDouble() / gView.series[0].x[1]));
    const double g = withoutWaterfallOffset(gView, gView.series[0].y, 0).at(line);
    EXPECT_NEAR(row[1].toDouble(), 20 * std::log10(g), 1e-3 * std::abs(20 * std::log10(g)));

    setUp([](SetupDialog* setup) { clickIn(setup, "B_DECIBELS"); });
    EXPECT_FALSE(viewer->plotWindow()->view().decibels);
}

} // namespace
