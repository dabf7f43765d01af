#include "Plot2D.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "ChartExport.h"
#include "ChartText.h"
#include "Controls.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Notifier.h"
#include "PlotWindow.h"
#include "SelectDialog.h"
#include "SetupDialog.h"
#include "TabulateInfoWindow.h"
#include "Tabulation.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <qcustomplot.h>

namespace {

const char* const kValueProperty = "brixValue";
constexpr int kSampleColumns = 5;
constexpr int kTransientSampleButtons = 10;
constexpr QSize kExportDialogSize(800, 480);
const QString kImagePath = QStringLiteral(":/zelk/images/%1.svg");
// The chart export's proposed name: unique to the second, so that Enter saves at once.
const QString kChartNamePattern = QStringLiteral("'chart-'yyyyMMdd-hhmmss'.png'");

bool isSeriesSelector(ParameterType type) {
    return type == ParameterType::TimeHistory || type == ParameterType::Fft;
}

int buttonValue(const QObject* control) {
    return control == nullptr ? 0 : control->property(kValueProperty).toInt();
}

// The parameter types that the transient view has no series for.
bool offeredInTransientView(int parameterType) {
    return parameterType != valueOf(ParameterType::TR4RAverage) &&
           parameterType != valueOf(ParameterType::TR4RDeviation);
}

} // namespace

Plot2D::Plot2D(UserPersist& persist, const QFont& font, Notifier& notifier, QWidget* parent)
    : QMainWindow(parent), persist_(persist), font_(font), notifier_(notifier) {
    // A window of its own that still closes with the main window.
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(kViewerHelpContext);
    displayFlags_.fill(true);
    if (!persist_.loadInto(kPlotForm, this)) {
        notifier_.critical(kErrorTitle, persist_.errorText());
        return;
    }
    readSettings();
    if (!runFlightSelection())
        return;
    if (trend_) {
        if (!isTrendParameter(valueOf(selection_.parameterType)))
            selection_.parameterType = ParameterType::A4R;
        computeEngineTrend();
    }
    selection_.memoryType = BrixAircraftSettings().value(kPlotMemoryTypeKey, 0).toUInt() == 0
                                ? MemoryType::PreDefect
                                : MemoryType::PostDefect;

    if (auto* region = findChild<QWidget*>(QStringLiteral("PlotWindow"))) {
        plotWindow_ = new PlotWindow(region);
        region->layout()->addWidget(plotWindow_);
        connect(plotWindow_, &PlotWindow::seriesClicked, this,
                [this](int series) { handleValueEvent(kSeriesClickedEvent, quint32(series)); });
        connect(plotWindow_, &PlotWindow::plotAreaClicked, this,
                [this] { handleEvent(kPlotAreaClickedEvent); });
        connect(plotWindow_, &PlotWindow::rangeChanged, this,
                [this] { handleEvent(kRangeChangedEvent); });
        connect(plotWindow_, &PlotWindow::traceUnderCursor, this, [this](int trace) {
            waterfallTrace_ = trace;
            updateOrderMarkers();
        });
        connect(plotWindow_, &PlotWindow::pointPicked, this, [this](int point) {
            if (TabulateInfoWindow* tabulation = tabulateWindow())
                tabulation->selectPoint(point);
        });
    }
    setUpToolBar();
    setUpSampleSelector();
    updateSampleSelector();
    setUpMenus();
    showDataStatus();
    updateMenus();
    applyFont(this, font_);

    exportDialog_ =
        new QFileDialog(this, kWaterfallExportTitle, dataDirectory(), kWaterfallExportFilter);
    exportDialog_->setOption(QFileDialog::DontUseNativeDialog);
    exportDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    exportDialog_->setAcceptMode(QFileDialog::AcceptSave);
    exportDialog_->resize(kExportDialogSize);
    applyFont(exportDialog_, font_);
    setUpChartDialog();

    keyMap().map(Qt::Key_Escape, kEscapeEvent);
    keyMap().map(Qt::Key_PageUp, kPreviousParameterEvent);
    keyMap().map(Qt::Key_PageDown, kNextParameterEvent);
    setWindowTitle(trend_ ? kTrendViewerTitle : viewerWindowTitle(selection_.plotType));
}

Plot2D::~Plot2D() = default;

void Plot2D::readSettings() {
    const ViewerSettings settings = readViewerSettings();
    selection_ = settings.selection;
    xGrid_ = settings.xGrid;
    yGrid_ = settings.yGrid;
    trend_ = settings.trend;
    trendRequest_.statistic = settings.trendStatistic;
    orders_ = settings.orders;
    decibels_ = settings.decibels;
}

bool Plot2D::runFlightSelection() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FlightSelection selection;
    QApplication::restoreOverrideCursor();
    if (!selection.hasFlights()) {
        notifier_.critical(kErrorTitle, kNoDataText);
        return false;
    }
    SelectDialog dialog(selection, font_, persist_, notifier_, parentWidget());
    if (!dialog.isBuilt() || dialog.runModal() != kAcceptedResult)
        return false;
    flights_ = dialog.loadedFlights();
    return !flights_.isEmpty();
}

void Plot2D::setUpToolBar() {
    const QString toolBar = QStringLiteral("TOOL_BAR");
    steadyState_ = findControl<QAbstractButton>(this, {toolBar, QStringLiteral("B_STEADY_STATE")});
    transient_ = findControl<QAbstractButton>(this, {toolBar, QStringLiteral("B_TRANSIENT")});
    trendButton_ = findControl<QAbstractButton>(this, {toolBar, QStringLiteral("B_TREND")});
    const struct {
        QAbstractButton* button;
        int value;
        QKeySequence key;
    } views[] = {{steadyState_, valueOf(PlotType::SteadyState), QKeySequence(Qt::CTRL | Qt::Key_1)},
                 {transient_, valueOf(PlotType::Transient), QKeySequence(Qt::CTRL | Qt::Key_2)},
                 {trendButton_, kTrendButtonValue, QKeySequence(Qt::CTRL | Qt::Key_3)}};
    for (const auto& view : views) {
        if (view.button == nullptr)
            continue;
        view.button->setProperty(kValueProperty, view.value);
        addShortcut(view.button, view.key);
        bindCode(view.button, this, kPlotTypeEvent);
    }
    if (auto* print = findControl<QAbstractButton>(this, {toolBar, QStringLiteral("B_PRINT")})) {
        addShortcut(print, QKeySequence::Print);
        bindCode(print, this, kPrintEvent);
    }
    bindCode(findControl<QAbstractButton>(this, {toolBar, QStringLiteral("B_CLOSE")}), this,
             kCloseWindowEvent);
}

// A key that clicks the button at once (a button's own shortcut clicks it only after its
// press animation).
void Plot2D::addShortcut(QAbstractButton* button, const QKeySequence& key) {
    auto* action = new QAction(this);
    action->setShortcut(key);
    addAction(action);
    connect(action, &QAction::triggered, button, &QAbstractButton::click);
}

void Plot2D::setUpMenus() {
    auto* parameterMenu = findChild<QMenu*>(QStringLiteral("PDI_PARAMETER"));
    transientBinMenu_ = findChild<QMenu*>(QStringLiteral("PDI_TRANSIENT_BIN"));
    if (parameterMenu != nullptr) {
        auto* group = new QActionGroup(parameterMenu);
        for (int type = 0; type < kParameterTypeCount; ++type) {
            QAction* item =
                parameterMenu->addAction(parameterMenuText(static_cast<ParameterType>(type)));
            item->setObjectName(QStringLiteral("PUI_PARAMETER%1").arg(type));
            item->setData(type);
            item->setCheckable(true);
            group->addAction(item);
            bindCode(item, this, kParameterEvent);
            parameterItems_.append(item);
            // The groups of the menu: transient averages, parameters, records.
            if (type == valueOf(ParameterType::CDNAverage) || type == valueOf(ParameterType::CDN))
                parameterMenu->addSeparator();
        }
    }
    if (transientBinMenu_ != nullptr) {
        auto* group = new QActionGroup(transientBinMenu_);
        for (int bin = 0; bin < FlightRecord::kTransientBinCount; ++bin) {
            QAction* item = transientBinMenu_->addAction(transientBinMenuText(bin));
            item->setObjectName(QStringLiteral("PUI_TRANSIENT_BIN%1").arg(bin));
            item->setData(bin);
            item->setCheckable(true);
            group->addAction(item);
            bindCode(item, this, kTransientBinEvent);
            transientBinItems_.append(item);
        }
    }
    const std::pair<const char*, int> items[] = {{"PUI_DISPLAY", kSetupEvent},
                                                 {"PUI_TABULATE", kTabulateEvent},
                                                 {"PUI_RESET", kResetZoomEvent},
                                                 {"PUI_EXPORT_CHART", kExportChartEvent}};
    for (const auto& [name, code] : items)
        bindCode(findChild<QAction*>(QLatin1String(name)), this, code);
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setFont(font_);
}

void Plot2D::setUpSampleSelector() {
    sampleGroup_ =
        findControl<QGroupBox>(this, {QStringLiteral("SampleWindow"), QStringLiteral("G_SAMPLE")});
    indicator_ = findControl<QAbstractButton>(this, {QStringLiteral("SampleWindow"),
                                                     QStringLiteral("G_GLOBAL_INDICATOR"),
                                                     QStringLiteral("B_GLOBAL_INDICATOR")});
    auto* grid =
        sampleGroup_ == nullptr ? nullptr : qobject_cast<QGridLayout*>(sampleGroup_->layout());
    if (grid == nullptr)
        return;
    sampleButtons_ = new QButtonGroup(this);
    sampleButtons_->setExclusive(true);
    for (int i = 0; i < kSampleButtonCount; ++i) {
        auto* button = new QPushButton(QString::number(i + 1), sampleGroup_);
        button->setObjectName(QStringLiteral("B_SAMPLE%1").arg(i + 1));
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setProperty(kValueProperty, i);
        grid->addWidget(button, i / kSampleColumns, i % kSampleColumns);
        sampleButtons_->addButton(button, i);
        bindCode(button, this, kSampleEvent);
    }
}

void Plot2D::showDataStatus() {
    if (auto* menu = findChild<QMenu*>(QStringLiteral("PUI_DATA_STATUS"))) {
        menu->clear();
        for (const FlightDataElement& flight : std::as_const(flights_)) {
            if (!menu->isEmpty())
                menu->addSeparator();
            const QString number = QString::number(flight.flightNumber);
            menu->addAction(
                kSteadyStateStatusText.arg(number, dataStatusText(steadyStateStatus(flight))));
            menu->addAction(
                kTransientStatusText.arg(number, dataStatusText(transientStatus(flight))));
        }
    }
    const QString name = selectionIndicatorName(flights_);
    const QPixmap image(kImagePath.arg(name));
    // An image that cannot be read leaves the indicator as it was.
    if (indicator_ != nullptr && !image.isNull()) {
        indicator_->setIcon(image);
        indicator_->setProperty("indicator", name);
        indicator_->setToolTip(selectionIndicatorToolTip(flights_));
    }
}

bool Plot2D::displayFlag(int series) const {
    return series < 0 || series >= kSeriesFlagCount || displayFlags_[std::size_t(series)];
}

TabulateInfoWindow* Plot2D::tabulateWindow() const {
    // A closed window lingers until its deletion comes round: it is no longer open.
    auto* window = findChild<TabulateInfoWindow*>(kTabulateWindowName, Qt::FindDirectChildrenOnly);
    return window != nullptr && window->isVisible() ? window : nullptr;
}

void Plot2D::updateSampleSelector() {
    if (sampleButtons_ == nullptr)
        return;
    const ParameterType type = selection_.parameterType;
    // The trend has neither samples nor flights to choose.
    const bool waterfall = !trend_ && type == ParameterType::Waterfall;
    const bool samples = !trend_ && isSeriesSelector(type);
    const bool transient = selection_.plotType == PlotType::Transient;
    if (sampleGroup_ != nullptr)
        sampleGroup_->setTitle(type == ParameterType::TimeHistory ? kTimeHistorySamplesTitle
                               : type == ParameterType::Fft       ? kFftSamplesTitle
                               : waterfall                        ? kWaterfallFlightsTitle
                                                                  : kUnusedSamplesTitle);
    const int shown = waterfall   ? int(flights_.size())
                      : transient ? kTransientSampleButtons
                                  : kSampleButtonCount;
    const QList<QAbstractButton*> buttons = sampleButtons_->buttons();
    for (int i = 0; i < buttons.size(); ++i) {
        QAbstractButton* button = buttons[i];
        const int value = waterfall && i < flights_.size() ? flights_[i].flightNumber : i;
        button->setText(waterfall && i < flights_.size() ? QString::number(value)
                                                         : QString::number(i + 1));
        button->setProperty(kValueProperty, value);
        button->setVisible(i < shown);
        button->setEnabled(i < shown && (samples || waterfall));
    }

    QAbstractButton* chosen = nullptr;
    if (samples || waterfall) {
        const int remembered = waterfall ? selection_.flightNumber : selection_.sample;
        for (int i = 0; i < shown && chosen == nullptr; ++i) {
            if (buttonValue(buttons[i]) == remembered)
                chosen = buttons[i];
        }
    }
    if (chosen != nullptr) {
        selectSampleButton(chosen);
    } else if (!buttons.isEmpty() && shown > 0) {
        selectSampleButton(buttons.first());
        if (samples || waterfall)
            chooseSample(buttons.first());
    }
    if (sampleGroup_ != nullptr)
        sampleGroup_->setEnabled(samples || waterfall);
}

void Plot2D::selectSampleButton(QAbstractButton* button) {
    button->setChecked(true);
    if (selection_.parameterType == ParameterType::Waterfall) {
        const auto index = sampleButtons_->buttons().indexOf(button);
        // Two files may hold the same flight number: the button names the flight itself.
        if (index >= 0 && index < flights_.size())
            selection_.flightCreationTime = flights_[index].creationTime();
    }
}

// Takes the button's value as the remembered sample, or in the waterfall as the flight.
void Plot2D::chooseSample(QAbstractButton* button) {
    selectSampleButton(button);
    if (selection_.parameterType == ParameterType::Waterfall) {
        selection_.flightNumber = buttonValue(button);
        storeViewerSetting(kLastFlightKey, selection_.flightNumber);
    } else {
        selection_.sample = buttonValue(button);
        storeViewerSetting(kLastSampleKey, selection_.sample);
    }
}

void Plot2D::updateMenus() {
    const bool transient = selection_.plotType == PlotType::Transient;
    const int type = valueOf(selection_.parameterType);
    for (QAction* item : std::as_const(parameterItems_)) {
        const int offered = item->data().toInt();
        item->setEnabled(trend_ ? isTrendParameter(offered)
                                : !transient || offeredInTransientView(offered));
        item->setChecked(item->data().toInt() == type);
    }
    for (QAction* item : std::as_const(transientBinItems_))
        item->setChecked(item->data().toInt() == selection_.transientBin);
    if (transientBinMenu_ != nullptr)
        transientBinMenu_->menuAction()->setEnabled(!trend_ && transient &&
                                                    type >= valueOf(ParameterType::A4R));
    if (steadyState_ != nullptr)
        steadyState_->setChecked(!trend_ && !transient);
    if (transient_ != nullptr)
        transient_->setChecked(!trend_ && transient);
    if (trendButton_ != nullptr)
        trendButton_->setChecked(trend_);
}

void Plot2D::replot() {
    if (plotWindow_ == nullptr)
        return;
    plotWindow_->setUpdatesEnabled(false);
    plotWindow_->loadView(currentView(), selection_);
    setWindowTitle(trend_ ? kTrendViewerTitle : viewerWindowTitle(selection_.plotType));
    if (trend_) {
        // Its series are memory types, not the flights the setup's buttons stand for.
        currentSeries_ =
            std::max(0, std::min(currentSeries_, int(plotWindow_->view().series.size()) - 1));
        plotWindow_->setCurrentSeries(currentSeries_);
    } else if (selection_.parameterType == ParameterType::Waterfall) {
        closeTabulation();
    } else {
        for (int series = 0; series < flights_.size(); ++series)
            plotWindow_->setSeriesVisible(series, displayFlag(series));
    }
    waterfallTrace_ =
        std::min(waterfallTrace_, std::max(0, int(plotWindow_->view().series.size()) - 1));
    updateOrderMarkers();
    plotWindow_->setUpdatesEnabled(true);
    if (tabulateWindow() != nullptr)
        tabulate(false);
}

void Plot2D::setPlotType(int plotType) {
    const bool trend = plotType == kTrendButtonValue;
    if (!trend && !plotTypeFromValue(plotType))
        return;
    if (trend != trend_) {
        trend_ = trend;
        storeViewerSetting(kTrendShownKey, trend_);
    }
    if (trend) {
        // The records have no trend: the trend starts with A4R.
        if (!isTrendParameter(valueOf(selection_.parameterType))) {
            selection_.parameterType = ParameterType::A4R;
            storeViewerSetting(kParameterTypeKey, valueOf(selection_.parameterType));
        }
        computeEngineTrend();
    } else {
        selection_.plotType = static_cast<PlotType>(plotType);
        storeViewerSetting(kPlotTypeKey, plotType);
    }
    updateSampleSelector();
    updateMenus();
    replot();
}

// Every stored flight of the loaded flights' engine, over all its raw files.
void Plot2D::computeEngineTrend() {
    if (flights_.isEmpty())
        return;
    trendRequest_.aircraftId = flights_.constFirst().aircraftId;
    trendRequest_.engineNumber = flights_.constFirst().engineNumber;
    trendRequest_.parameterType = selection_.parameterType;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    trendResult_ = computeTrend(dataDirectory(), trendRequest_);
    QApplication::restoreOverrideCursor();
}

// The view the chart shows: the trend, or the loaded flights' records, spectra in dB when
// the setup says so (the tabulation and the waterfall's export take it from the chart).
PlotView Plot2D::currentView() const {
    if (trend_)
        return buildTrendView(trendResult_, trendRequest_,
                              readTrendAlertLevel(selection_.parameterType));
    const PlotView view = buildPlotView(selection_, flights_);
    return decibels_ ? decibelView(view, selection_) : view;
}

// The markers of the current flight's spectrum, or of the waterfall's trace under the
// cursor (its first until the cursor comes over the chart).
void Plot2D::updateOrderMarkers() {
    if (plotWindow_ == nullptr)
        return;
    const int series =
        selection_.parameterType == ParameterType::Waterfall ? waterfallTrace_ : currentSeries_;
    plotWindow_->setOrderMarkers(
        orders_ && !trend_ ? viewShaftOrders(plotWindow_->view(), selection_, flights_, series)
                           : QList<ShaftOrder>());
}

// What the tabulation lists below its rows: the trend's alert list and skipped-files note,
// or the order table of the tabulated spectrum.
QStringList Plot2D::tabulationNotes() const {
    QString text;
    const ParameterType type = selection_.parameterType;
    if (trend_) {
        if (const std::optional<double> level = readTrendAlertLevel(type))
            text += alertListText(flightsAboveAlert(trendResult_, *level), type, *level);
        text += trendSkippedNote(trendResult_);
    } else if (orders_ && plotWindow_ != nullptr) {
        text += shaftOrderTableText(
            viewShaftOrders(plotWindow_->view(), selection_, flights_, currentSeries_),
            plotWindow_->view().decibels);
    }
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void Plot2D::setAlertLevel(std::optional<double> level) {
    if (!isTrendParameter(valueOf(selection_.parameterType)))
        return;
    writeTrendAlertLevel(selection_.parameterType, level);
    if (trend_)
        replot();
}

void Plot2D::setParameterType(int parameterType) {
    selection_.parameterType = static_cast<ParameterType>(parameterType);
    storeViewerSetting(kParameterTypeKey, parameterType);
    if (trend_)
        computeEngineTrend();
    updateMenus();
    updateSampleSelector();
    replot();
}

// The keys' way through the parameter menu: the next item the view offers, if any.
void Plot2D::stepParameterType(int step) {
    for (int type = valueOf(selection_.parameterType) + step;
         type >= 0 && type < parameterItems_.size(); type += step) {
        if (parameterItems_[type]->isEnabled()) {
            setParameterType(type);
            return;
        }
    }
}

void Plot2D::showSeries(quint32 value) {
    const bool hide = (value & kHideSeriesFlag) != 0;
    const int series = int(value & ~kHideSeriesFlag);
    if (series >= kSeriesFlagCount)
        return;
    displayFlags_[std::size_t(series)] = !hide;
    if (plotWindow_ != nullptr && selection_.parameterType != ParameterType::Waterfall)
        plotWindow_->setSeriesVisible(series, !hide);
}

void Plot2D::runSetup() {
    SetupState state;
    for (int series = 0; series < flights_.size(); ++series)
        state.displayFlags.append(displayFlag(series));
    state.xGrid = xGrid_;
    state.yGrid = yGrid_;
    state.windowType = selection_.windowType;
    state.waterfall = selection_.parameterType == ParameterType::Waterfall;
    state.trend = trend_;
    state.orders = orders_;
    state.decibels = decibels_;
    state.trendStatistic = trendRequest_.statistic == TrendStatistic::Mean ? 1 : 0;
    state.alertApplies = isTrendParameter(valueOf(selection_.parameterType));
    state.alertLevel = readTrendAlertLevel(selection_.parameterType);
    state.alertParameter = parameterMenuText(selection_.parameterType);
    SetupDialog dialog(
        state, flights_, [this](int code, quint32 value) { handleValueEvent(code, value); }, font_,
        persist_, notifier_, this);
    dialog.setAlertForward([this](std::optional<double> level) { setAlertLevel(level); });
    if (dialog.isBuilt())
        dialog.runModal();
}

void Plot2D::tabulate(bool activate) {
    if (plotWindow_ == nullptr)
        return;
    if (selection_.parameterType == ParameterType::Waterfall) {
        if (activate)
            exportWaterfall();
        return;
    }
    TabulateInfoWindow* window = tabulateWindow();
    if (window == nullptr) {
        window = new TabulateInfoWindow(font_, persist_, notifier_, this);
        if (!window->isBuilt()) {
            delete window;
            return;
        }
        placeWindow(window);
        window->show();
    }
    if (activate) {
        window->raise();
        window->activateWindow();
    }
    Tabulation tabulation = buildTabulation(plotWindow_->view(), selection_, currentSeries_,
                                            plotWindow_->xMinimum(), plotWindow_->xMaximum());
    tabulation.notes = tabulationNotes();
    window->fill(tabulation);
}

void Plot2D::exportWaterfall() {
    if (exportDialog_->exec() != QDialog::Accepted || exportDialog_->selectedFiles().isEmpty())
        return;
    saveChosenTextFile(exportDialog_->selectedFiles().constFirst(), kWaterfallCsvExtension,
                       waterfallCsvText(plotWindow_->view(), selection_.flightNumber,
                                        plotWindow_->xMinimum(), plotWindow_->xMaximum()),
                       notifier_);
}

// The save dialog of the chart export, kept so that it opens where it was left, with a size
// field below its file types.
void Plot2D::setUpChartDialog() {
    chartDialog_ = new QFileDialog(this, kExportChartTitle, dataDirectory(), kExportChartFilter);
    chartDialog_->setObjectName(QStringLiteral("ExportChartDialog"));
    chartDialog_->setOption(QFileDialog::DontUseNativeDialog);
    chartDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    chartDialog_->setAcceptMode(QFileDialog::AcceptSave);
    chartDialog_->resize(kExportDialogSize);
    chartSize_ = new QLineEdit(chartDialog_);
    chartSize_->setObjectName(QStringLiteral("P_CHART_SIZE"));
    if (auto* grid = qobject_cast<QGridLayout*>(chartDialog_->layout())) {
        const int row = grid->rowCount();
        auto* label = new QLabel(kChartSizeLabelText, chartDialog_);
        label->setBuddy(chartSize_);
        grid->addWidget(label, row, 0);
        grid->addWidget(chartSize_, row, 1);
    }
    applyFont(chartDialog_, font_);
}

// Saves the chart as shown in the format of the chosen name's extension (the chosen file
// type's when it has none of them): at the size typed in the dialog, or at the chart's size
// on screen, a PNG then in the screen's pixels.
void Plot2D::exportChart() {
    if (plotWindow_ == nullptr)
        return;
    chartDialog_->selectFile(QDateTime::currentDateTime().toString(kChartNamePattern));
    if (chartDialog_->exec() != QDialog::Accepted || chartDialog_->selectedFiles().isEmpty())
        return;
    QString path = chartDialog_->selectedFiles().constFirst();
    if (!chartFormatFor(path)) {
        const QStringList filters = kExportChartFilter.split(QStringLiteral(";;"));
        const auto filter = filters.indexOf(chartDialog_->selectedNameFilter());
        const ChartFormat formats[] = {ChartFormat::Png, ChartFormat::Svg, ChartFormat::Pdf};
        path += chartExtension(formats[std::max<qsizetype>(0, filter)]);
    }
    const QString sizeText = chartSize_->text().trimmed();
    const std::optional<QSize> given = parseChartSize(sizeText);
    if (!sizeText.isEmpty() && !given) {
        notifier_.critical(kExportChartTitle, kBadChartSizeText.arg(sizeText));
        return;
    }
    if (const std::optional<QString> problem = outputTargetProblem(path)) {
        notifier_.critical(kExportChartTitle,
                           kExportFailedText.arg(QDir::toNativeSeparators(path), *problem));
        return;
    }
    if (QFileInfo::exists(path) &&
        !notifier_.question(kSaveToFileTitle, kOverwriteQuestionText, Notifier::DefaultAnswer::No))
        return;
    const QScreen* screen = plotWindow_->screen();
    const double pixelRatio = given || screen == nullptr ? 1.0 : screen->devicePixelRatio();
    const std::optional<QString> failure =
        writeChart(*plotWindow_, path, given.value_or(plotWindow_->chart()->size()), pixelRatio);
    if (failure)
        notifier_.critical(kExportChartTitle,
                           kExportFailedText.arg(QDir::toNativeSeparators(path), *failure));
}

void Plot2D::closeTabulation() {
    if (TabulateInfoWindow* window = tabulateWindow())
        window->close();
}

void Plot2D::handleValueEvent(int code, quint32 value) {
    eventValue_ = value;
    handleEvent(code);
}

int Plot2D::handleEvent(int code) {
    auto* source = eventSource();
    switch (code) {
    case kOpenViewerEvent:
        replot();
        if (plotWindow_ != nullptr) {
            plotWindow_->setXGrid(xGrid_);
            plotWindow_->setYGrid(yGrid_);
        }
        break;
    case kPlotTypeEvent:
        setPlotType(buttonValue(source));
        break;
    case kParameterEvent:
        if (auto* item = qobject_cast<QAction*>(source))
            setParameterType(item->data().toInt());
        break;
    case kPreviousParameterEvent:
    case kNextParameterEvent:
        stepParameterType(code == kNextParameterEvent ? 1 : -1);
        break;
    case kTransientBinEvent:
        if (auto* item = qobject_cast<QAction*>(source)) {
            selection_.transientBin = item->data().toInt();
            storeViewerSetting(kTransientBinKey, selection_.transientBin);
            updateMenus();
            replot();
        }
        break;
    case kSampleEvent:
        if (auto* button = qobject_cast<QAbstractButton*>(source)) {
            chooseSample(button);
            replot();
        }
        break;
    case kSeriesClickedEvent:
        // The legend's entries are the view's series: flights, or the trend's memory types.
        if (plotWindow_ != nullptr && int(eventValue_) >= 0 &&
            int(eventValue_) < plotWindow_->view().series.size()) {
            currentSeries_ = int(eventValue_);
            plotWindow_->setCurrentSeries(currentSeries_);
            updateOrderMarkers();
        }
        [[fallthrough]];
    case kRangeChangedEvent:
        if (tabulateWindow() != nullptr)
            tabulate(false);
        break;
    case kTabulateEvent:
        tabulate(true);
        break;
    case kShowSeriesEvent:
        showSeries(eventValue_);
        break;
    case kSetupEvent:
        runSetup();
        break;
    case kXGridEvent:
        xGrid_ = eventValue_ != 0;
        if (plotWindow_ != nullptr)
            plotWindow_->setXGrid(xGrid_);
        storeViewerSetting(kXGridKey, xGrid_);
        break;
    case kYGridEvent:
        yGrid_ = eventValue_ != 0;
        if (plotWindow_ != nullptr)
            plotWindow_->setYGrid(yGrid_);
        storeViewerSetting(kYGridKey, yGrid_);
        break;
    case kWindowTypeEvent:
        selection_.windowType = int(eventValue_);
        storeViewerSetting(kWindowTypeKey, selection_.windowType);
        replot();
        break;
    case kPrintEvent:
        if (plotWindow_ != nullptr)
            plotWindow_->print();
        break;
    case kExportChartEvent:
        exportChart();
        break;
    case kResetZoomEvent:
        if (plotWindow_ != nullptr)
            plotWindow_->resetZoom();
        break;
    case kOrdersEvent:
        orders_ = eventValue_ != 0;
        storeViewerSetting(kPlotOrdersKey, orders_);
        updateOrderMarkers();
        if (tabulateWindow() != nullptr)
            tabulate(false);
        break;
    case kDecibelsEvent:
        decibels_ = eventValue_ != 0;
        storeViewerSetting(kPlotDecibelsKey, decibels_);
        replot();
        break;
    case kTrendStatisticEvent:
        trendRequest_.statistic = eventValue_ == 1 ? TrendStatistic::Mean : TrendStatistic::Maximum;
        storeViewerSetting(kTrendStatisticKey, eventValue_ == 1 ? 1 : 0);
        if (trend_) {
            computeEngineTrend();
            replot();
        }
        break;
    case kEscapeEvent:
        if (plotWindow_ != nullptr && plotWindow_->hasReference()) {
            plotWindow_->clearReference();
            break;
        }
        [[fallthrough]];
    case kCloseWindowEvent:
        close();
        break;
    default:
        break;
    }
    return 0;
}
