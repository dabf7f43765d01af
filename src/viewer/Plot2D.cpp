#include "Plot2D.h"

#include "Controls.h"
#include "FlightIndicators.h"
#include "FlightRecord.h"
#include "Notifier.h"
#include "PlotWindow.h"
#include "SetupDialog.h"
#include "TabulateInfoWindow.h"
#include "Tabulation.h"
#include "UserPersist.h"
#include "ViewerEvents.h"
#include "ViewerSaveDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>

#include <utility>

namespace {

const char* const kValueProperty = "brixValue";
constexpr int kSampleColumns = 5;
const QString kImagePath = QStringLiteral(":/zelk/images/%1.svg");

// The trend is computed over every stored flight of the engine: the cursor says the window
// is busy meanwhile.
void showBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace

Plot2D::Plot2D(QList<FlightDataElement> flights, UserPersist& persist, const QFont& font,
               Notifier& notifier, QWidget* parent)
    : QMainWindow(parent), state_(std::move(flights), notifier, showBusy), persist_(persist),
      font_(font), notifier_(notifier) {
    // A window of its own that still closes with the main window.
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(kViewerHelpContext);
    if (!persist_.loadInto(kPlotForm, this)) {
        notifier_.critical(kErrorTitle, persist_.errorText());
        return;
    }
    built_ = true;
    setUpChart();
    setUpToolBar();
    setUpSampleSelector();
    showSampleChoice();
    setUpMenus();
    showDataStatus();
    showMenus();
    applyFont(this, font_);
    saveDialogs_ = std::make_unique<ViewerSaveDialogs>(this, font_, notifier_);

    keyMap().map(Qt::Key_Escape, kEscapeEvent);
    keyMap().map(Qt::Key_PageUp, kPreviousParameterEvent);
    keyMap().map(Qt::Key_PageDown, kNextParameterEvent);
    setWindowTitle(state_.windowTitle());
}

Plot2D::~Plot2D() = default;

void Plot2D::setUpChart() {
    auto* region = findChild<QWidget*>(QStringLiteral("PlotWindow"));
    if (region == nullptr)
        return;
    plotWindow_ = new PlotWindow(region);
    region->layout()->addWidget(plotWindow_);
    connect(plotWindow_, &PlotWindow::seriesClicked, this,
            [this](int series) { handleValueEvent(kSeriesClickedEvent, quint32(series)); });
    connect(plotWindow_, &PlotWindow::plotAreaClicked, this,
            [this] { handleEvent(kPlotAreaClickedEvent); });
    connect(plotWindow_, &PlotWindow::rangeChanged, this,
            [this] { handleEvent(kRangeChangedEvent); });
    connect(plotWindow_, &PlotWindow::traceUnderCursor, this,
            [this](int trace) { apply(state_.setTraceUnderCursor(trace)); });
    connect(plotWindow_, &PlotWindow::pointPicked, this, [this](int point) {
        if (TabulateInfoWindow* tabulation = tabulateWindow())
            tabulation->selectPoint(point);
    });
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
                 {trendButton_, ViewerState::kTrendView, QKeySequence(Qt::CTRL | Qt::Key_3)}};
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
    if (auto* parameterMenu = findChild<QMenu*>(QStringLiteral("PDI_PARAMETER"))) {
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
        parameterMenu->addSeparator();
        QMenu* indicators = parameterMenu->addMenu(kIndicatorsMenuText);
        indicators->setObjectName(QStringLiteral("PDI_INDICATORS"));
        for (int indicator = 0; indicator < kIndicatorCount; ++indicator) {
            QAction* item = indicators->addAction(indicatorName(indicator));
            item->setObjectName(QStringLiteral("PUI_INDICATOR%1").arg(indicator));
            item->setData(indicator);
            item->setCheckable(true);
            group->addAction(item);
            bindCode(item, this, kIndicatorEvent);
            indicatorItems_.append(item);
        }
    }
    transientBinMenu_ = findChild<QMenu*>(QStringLiteral("PDI_TRANSIENT_BIN"));
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
        grid->addWidget(button, i / kSampleColumns, i % kSampleColumns);
        sampleButtons_->addButton(button, i);
        bindCode(button, this, kSampleEvent);
    }
}

void Plot2D::showDataStatus() {
    const QList<FlightDataElement>& flights = state_.flights();
    if (auto* menu = findChild<QMenu*>(QStringLiteral("PUI_DATA_STATUS"))) {
        menu->clear();
        for (const FlightDataElement& flight : flights) {
            if (!menu->isEmpty())
                menu->addSeparator();
            const QString number = QString::number(flight.flightNumber);
            menu->addAction(
                kSteadyStateStatusText.arg(number, dataStatusText(steadyStateStatus(flight))));
            menu->addAction(
                kTransientStatusText.arg(number, dataStatusText(transientStatus(flight))));
        }
    }
    const QString name = selectionIndicatorName(flights);
    const QPixmap image(kImagePath.arg(name));
    // An image that cannot be read leaves the indicator as it was.
    if (indicator_ != nullptr && !image.isNull()) {
        indicator_->setIcon(image);
        indicator_->setProperty("indicator", name);
        indicator_->setToolTip(selectionIndicatorToolTip(flights));
    }
}

TabulateInfoWindow* Plot2D::tabulateWindow() const {
    // A closed window lingers until its deletion comes round: it is no longer open.
    auto* window = findChild<TabulateInfoWindow*>(kTabulateWindowName, Qt::FindDirectChildrenOnly);
    return window != nullptr && window->isVisible() ? window : nullptr;
}

QFileDialog* Plot2D::chartDialog() const {
    return saveDialogs_ ? saveDialogs_->chartDialog() : nullptr;
}

void Plot2D::showSampleChoice() {
    if (sampleButtons_ == nullptr)
        return;
    const SampleChoice choice = state_.sampleChoice();
    sampleGroup_->setTitle(choice.title);
    const QList<QAbstractButton*> buttons = sampleButtons_->buttons();
    for (int i = 0; i < buttons.size(); ++i) {
        buttons[i]->setText(choice.texts.value(i));
        buttons[i]->setVisible(i < choice.shown);
        buttons[i]->setEnabled(i < choice.shown && choice.enabled);
    }
    if (QAbstractButton* checked = sampleButtons_->button(choice.checked))
        checked->setChecked(true);
    sampleGroup_->setEnabled(choice.enabled);
}

void Plot2D::showMenus() {
    const bool trend = state_.trendShown();
    const bool transient = state_.selection().plotType == PlotType::Transient;
    const std::optional<Indicator> indicator = state_.trendIndicator();
    for (QAction* item : std::as_const(parameterItems_)) {
        item->setEnabled(state_.parameterOffered(item->data().toInt()));
        item->setChecked(!indicator &&
                         item->data().toInt() == valueOf(state_.selection().parameterType));
    }
    for (QAction* item : std::as_const(indicatorItems_))
        item->setChecked(indicator && item->data().toInt() == valueOf(*indicator));
    for (QAction* item : std::as_const(transientBinItems_))
        item->setChecked(item->data().toInt() == state_.selection().transientBin);
    if (transientBinMenu_ != nullptr)
        transientBinMenu_->menuAction()->setEnabled(state_.transientBinsOffered());
    if (steadyState_ != nullptr) {
        steadyState_->setChecked(!trend && !transient);
        steadyState_->setEnabled(state_.viewOffered(valueOf(PlotType::SteadyState)));
    }
    if (transient_ != nullptr) {
        transient_->setChecked(!trend && transient);
        transient_->setEnabled(state_.viewOffered(valueOf(PlotType::Transient)));
    }
    if (trendButton_ != nullptr)
        trendButton_->setChecked(trend);
}

void Plot2D::replot() {
    if (plotWindow_ == nullptr)
        return;
    plotWindow_->setUpdatesEnabled(false);
    plotWindow_->loadView(state_.view(), state_.selection());
    state_.chartShows(int(plotWindow_->view().series.size()));
    setWindowTitle(state_.windowTitle());
    if (state_.trendShown()) {
        plotWindow_->setCurrentSeries(state_.currentSeries());
    } else if (state_.selection().parameterType == ParameterType::Waterfall) {
        if (TabulateInfoWindow* window = tabulateWindow())
            window->close();
    } else {
        showSeriesVisibility();
    }
    plotWindow_->setOrderMarkers(state_.orderMarkers(plotWindow_->view()));
    plotWindow_->setUpdatesEnabled(true);
    if (tabulateWindow() != nullptr)
        tabulate(false);
}

void Plot2D::showSeriesVisibility() {
    for (int series = 0; series < state_.flights().size(); ++series)
        plotWindow_->setSeriesVisible(series, state_.displayFlag(series));
}

void Plot2D::runSetup() {
    SetupState setup;
    for (int series = 0; series < state_.flights().size(); ++series)
        setup.displayFlags.append(state_.displayFlag(series));
    setup.xGrid = state_.xGrid();
    setup.yGrid = state_.yGrid();
    setup.windowType = state_.selection().windowType;
    setup.waterfall = state_.selection().parameterType == ParameterType::Waterfall;
    setup.trend = state_.trendShown();
    setup.orders = state_.orders();
    setup.bearing = state_.bearing();
    setup.decibels = state_.decibels();
    setup.trendStatistic = state_.trendStatistic() == TrendStatistic::Mean ? 1 : 0;
    setup.statisticApplies = state_.statisticApplies();
    const std::optional<Indicator> indicator = state_.trendIndicator();
    setup.alertApplies = !indicator && isTrendParameter(valueOf(state_.selection().parameterType));
    setup.alertLevel = state_.alertLevel();
    setup.alertParameter = indicator ? indicatorName(valueOf(*indicator))
                                     : parameterMenuText(state_.selection().parameterType);
    SetupDialog dialog(
        setup, state_.flights(), [this](int code, quint32 value) { handleValueEvent(code, value); },
        font_, persist_, notifier_, this);
    dialog.setAlertForward(
        [this](std::optional<double> level) { apply(state_.setAlertLevel(level)); });
    if (dialog.isBuilt())
        dialog.runModal();
}

void Plot2D::tabulate(bool activate) {
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
    const PlotView& shown = plotWindow_->view();
    Tabulation tabulation = buildTabulation(shown, state_.selection(), state_.currentSeries(),
                                            plotWindow_->xMinimum(), plotWindow_->xMaximum());
    tabulation.notes = state_.tabulationNotes(shown);
    window->fill(tabulation);
}

void Plot2D::handleValueEvent(int code, quint32 value) {
    eventValue_ = value;
    handleEvent(code);
}

// The value of an event bound to a control is the control's: a view button's, a menu item's
// or the sample button's place; the others carry the value handed to handleValueEvent.
int Plot2D::handleEvent(int code) {
    QObject* source = eventSource();
    quint32 value = eventValue_;
    if (code == kPlotTypeEvent) {
        value = source == nullptr ? 0 : source->property(kValueProperty).toUInt();
    } else if (code == kParameterEvent || code == kTransientBinEvent || code == kIndicatorEvent) {
        auto* item = qobject_cast<QAction*>(source);
        if (item == nullptr)
            return 0;
        value = item->data().toUInt();
    } else if (code == kSampleEvent) {
        auto* button = qobject_cast<QAbstractButton*>(source);
        if (button == nullptr || sampleButtons_ == nullptr || sampleButtons_->id(button) < 0)
            return 0;
        value = quint32(sampleButtons_->id(button));
    }
    apply(state_.handle(code, value));
    return 0;
}

// Shows what the state changed, then runs what the event asked for.
void Plot2D::apply(ViewerUpdates updates) {
    using U = ViewerUpdate;
    if (updates.testFlag(U::SampleSelector))
        showSampleChoice();
    if (updates.testFlag(U::Menus))
        showMenus();
    if (updates.testFlag(U::Chart))
        replot();
    if (plotWindow_ != nullptr) {
        if (updates.testFlag(U::Grids)) {
            plotWindow_->setXGrid(state_.xGrid());
            plotWindow_->setYGrid(state_.yGrid());
        }
        if (updates.testFlag(U::SeriesVisibility))
            showSeriesVisibility();
        if (updates.testFlag(U::CurrentSeries))
            plotWindow_->setCurrentSeries(state_.currentSeries());
        if (updates.testFlag(U::OrderMarkers))
            plotWindow_->setOrderMarkers(state_.orderMarkers(plotWindow_->view()));
        if (updates.testFlag(U::Tabulation) && tabulateWindow() != nullptr)
            tabulate(false);
        if (updates.testFlag(U::OpenTabulation))
            tabulate(true);
        if (updates.testFlag(U::ExportWaterfall))
            saveDialogs_->exportWaterfall(*plotWindow_, state_.selection().flightNumber);
        if (updates.testFlag(U::ExportChart))
            saveDialogs_->exportChart(*plotWindow_);
        if (updates.testFlag(U::Print))
            plotWindow_->print();
        if (updates.testFlag(U::ResetZoom))
            plotWindow_->resetZoom();
        if (updates.testFlag(U::Escape) && plotWindow_->hasReference()) {
            plotWindow_->clearReference();
            return;
        }
    }
    if (updates.testFlag(U::Setup))
        runSetup();
    if (updates.testFlag(U::Escape) || updates.testFlag(U::Close))
        close();
}
