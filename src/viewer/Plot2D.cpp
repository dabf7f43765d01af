#include "Plot2D.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
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
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

namespace {

const char* const kValueProperty = "brixValue";
constexpr int kSampleColumns = 2;
constexpr int kTransientSampleButtons = 10;
constexpr QSize kExportDialogSize(800, 480);
const QString kImagePath = QStringLiteral(":/zelk/images/%1.svg");

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

    keyMap().map(Qt::Key_Escape, kCloseWindowEvent);
    keyMap().map(Qt::Key_PageUp, kPreviousParameterEvent);
    keyMap().map(Qt::Key_PageDown, kNextParameterEvent);
    setWindowTitle(viewerWindowTitle(selection_.plotType));
}

Plot2D::~Plot2D() = default;

void Plot2D::readSettings() {
    BrixAircraftSettings settings;
    selection_.plotType = static_cast<PlotType>(settings.value(kPlotTypeKey, 0).toInt());
    selection_.parameterType = static_cast<ParameterType>(
        settings.value(kParameterTypeKey, valueOf(ParameterType::A4R)).toInt());
    selection_.transientBin = settings.value(kTransientBinKey, 0).toInt();
    selection_.flightNumber = settings.value(kLastFlightKey, -1).toInt();
    selection_.sample = settings.value(kLastSampleKey, -1).toInt();
    xGrid_ = settings.value(kXGridKey, false).toBool();
    yGrid_ = settings.value(kYGridKey, false).toBool();
    selection_.windowType = settings.value(kWindowTypeKey, 0).toInt();
}

void Plot2D::storeSetting(const QString& key, const QVariant& value) {
    BrixAircraftSettings settings;
    settings.setValue(key, value);
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
    const struct {
        QAbstractButton* button;
        int value;
        QKeySequence key;
    } views[] = {{steadyState_, valueOf(PlotType::SteadyState), QKeySequence(Qt::CTRL | Qt::Key_1)},
                 {transient_, valueOf(PlotType::Transient), QKeySequence(Qt::CTRL | Qt::Key_2)}};
    for (const auto& view : views) {
        if (view.button == nullptr)
            continue;
        view.button->setProperty(kValueProperty, view.value);
        addShortcut(view.button, view.key);
        view.button->setChecked(valueOf(selection_.plotType) == view.value);
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
                                                 {"PUI_RESET", kResetZoomEvent}};
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
        indicator_->setToolTip(name);
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
    const bool waterfall = type == ParameterType::Waterfall;
    const bool samples = isSeriesSelector(type);
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
        storeSetting(kLastFlightKey, selection_.flightNumber);
    } else {
        selection_.sample = buttonValue(button);
        storeSetting(kLastSampleKey, selection_.sample);
    }
}

void Plot2D::updateMenus() {
    const bool transient = selection_.plotType == PlotType::Transient;
    const int type = valueOf(selection_.parameterType);
    for (QAction* item : std::as_const(parameterItems_)) {
        item->setEnabled(!transient || offeredInTransientView(item->data().toInt()));
        item->setChecked(item->data().toInt() == type);
    }
    for (QAction* item : std::as_const(transientBinItems_))
        item->setChecked(item->data().toInt() == selection_.transientBin);
    if (transientBinMenu_ != nullptr)
        transientBinMenu_->menuAction()->setEnabled(transient &&
                                                    type >= valueOf(ParameterType::A4R));
    if (steadyState_ != nullptr)
        steadyState_->setChecked(!transient);
    if (transient_ != nullptr)
        transient_->setChecked(transient);
}

void Plot2D::replot() {
    if (plotWindow_ == nullptr)
        return;
    plotWindow_->setUpdatesEnabled(false);
    plotWindow_->loadView(buildPlotView(selection_, flights_), selection_);
    setWindowTitle(viewerWindowTitle(selection_.plotType));
    if (selection_.parameterType == ParameterType::Waterfall) {
        closeTabulation();
    } else {
        for (int series = 0; series < flights_.size(); ++series)
            plotWindow_->setSeriesVisible(series, displayFlag(series));
    }
    plotWindow_->setUpdatesEnabled(true);
    if (tabulateWindow() != nullptr)
        tabulate(false);
}

void Plot2D::setPlotType(int plotType) {
    selection_.plotType = static_cast<PlotType>(plotType);
    updateSampleSelector();
    storeSetting(kPlotTypeKey, plotType);
    updateMenus();
    replot();
}

void Plot2D::setParameterType(int parameterType) {
    selection_.parameterType = static_cast<ParameterType>(parameterType);
    storeSetting(kParameterTypeKey, parameterType);
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
    SetupDialog dialog(
        state, flights_, [this](int code, quint32 value) { handleValueEvent(code, value); }, font_,
        persist_, notifier_, this);
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
        window->show();
    }
    if (activate) {
        window->raise();
        window->activateWindow();
    }
    window->fill(buildTabulation(plotWindow_->view(), selection_, currentSeries_,
                                 plotWindow_->xMinimum(), plotWindow_->xMaximum()));
}

void Plot2D::exportWaterfall() {
    if (exportDialog_->exec() != QDialog::Accepted || exportDialog_->selectedFiles().isEmpty())
        return;
    const QString path =
        withExtension(exportDialog_->selectedFiles().constFirst(), kWaterfallCsvExtension);
    if (QFileInfo::exists(path) &&
        !notifier_.question(kSaveToFileTitle, kOverwriteQuestionText, Notifier::DefaultAnswer::No))
        return;
    const QString text = waterfallCsvText(plotWindow_->view(), selection_.flightNumber,
                                          plotWindow_->xMinimum(), plotWindow_->xMaximum());
    if (!saveTextFile(path, text))
        notifier_.critical(kSaveToFileTitle, kSaveFailedText);
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
            storeSetting(kTransientBinKey, selection_.transientBin);
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
        if (int(eventValue_) >= 0 && int(eventValue_) < flights_.size()) {
            currentSeries_ = int(eventValue_);
            if (plotWindow_ != nullptr)
                plotWindow_->setCurrentSeries(currentSeries_);
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
        storeSetting(kXGridKey, xGrid_);
        break;
    case kYGridEvent:
        yGrid_ = eventValue_ != 0;
        if (plotWindow_ != nullptr)
            plotWindow_->setYGrid(yGrid_);
        storeSetting(kYGridKey, yGrid_);
        break;
    case kWindowTypeEvent:
        selection_.windowType = int(eventValue_);
        storeSetting(kWindowTypeKey, selection_.windowType);
        replot();
        break;
    case kPrintEvent:
        if (plotWindow_ != nullptr)
            plotWindow_->print();
        break;
    case kResetZoomEvent:
        if (plotWindow_ != nullptr)
            plotWindow_->resetZoom();
        break;
    case kCloseWindowEvent:
        close();
        break;
    default:
        break;
    }
    return 0;
}
