#pragma once

#include "EventHandler.h"
#include "FlightDataElement.h"
#include "ViewerState.h"

#include <QFont>
#include <QList>
#include <QMainWindow>

#include <memory>

class Notifier;
class PlotWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QKeySequence;
class QMenu;
class TabulateInfoWindow;
class UserPersist;
class ViewerSaveDialogs;

inline const QString kPlotForm = QStringLiteral("Plot2D");
// The parameter menu's sub-menu of the condition indicators, each shown as a trend.
inline const QString kIndicatorsMenuText = QStringLiteral("Indicators");

// The data viewer's window: the flights chosen in the flight selection, drawn in a chart as
// its ViewerState says (the view, the parameter type, the transient bin and the sample or
// flight to choose), with the data status, the setup, the tabulation, printing and the
// exports. It is a window of its own; every choice is remembered for the next opening.
class Plot2D : public QMainWindow, public EventHandler {
    Q_OBJECT

public:
    static constexpr int kSampleButtonCount = ViewerState::kSampleButtonCount;

    // `flights` are those the flight selection loaded (SelectDialog::chooseFlights).
    Plot2D(QList<FlightDataElement> flights, UserPersist& persist, const QFont& font,
           Notifier& notifier, QWidget* parent = nullptr);
    ~Plot2D() override;

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

    int handleEvent(int code) override;
    // An event that carries a value (the setup dialog's changes, the chart's legend clicks).
    void handleValueEvent(int code, quint32 value);

    const ViewerState& state() const { return state_; }
    bool hasFlights() const { return !state_.flights().isEmpty(); }
    const QList<FlightDataElement>& flights() const { return state_.flights(); }
    const PlotSelection& selection() const { return state_.selection(); }
    int currentSeries() const { return state_.currentSeries(); }
    bool xGrid() const { return state_.xGrid(); }
    bool yGrid() const { return state_.yGrid(); }
    bool trendShown() const { return state_.trendShown(); }
    TrendStatistic trendStatistic() const { return state_.trendStatistic(); }
    PlotWindow* plotWindow() const { return plotWindow_; }
    // The open tabulation window, or nullptr.
    TabulateInfoWindow* tabulateWindow() const;
    // The save dialog of the chart export (File > Export Chart...), with its size field.
    QFileDialog* chartDialog() const;

private:
    void setUpChart();
    void setUpToolBar();
    void addShortcut(QAbstractButton* button, const QKeySequence& key);
    void setUpMenus();
    void setUpSampleSelector();
    void showDataStatus();
    void apply(ViewerUpdates updates);
    void showSampleChoice();
    void showMenus();
    void replot();
    void showSeriesVisibility();
    void runSetup();
    void tabulate(bool activate);

    ViewerState state_;
    UserPersist& persist_;
    QFont font_;
    Notifier& notifier_;
    bool built_ = false;
    quint32 eventValue_ = 0;

    PlotWindow* plotWindow_ = nullptr;
    QAbstractButton* steadyState_ = nullptr;
    QAbstractButton* transient_ = nullptr;
    QAbstractButton* trendButton_ = nullptr;
    QGroupBox* sampleGroup_ = nullptr;
    QButtonGroup* sampleButtons_ = nullptr;
    QAbstractButton* indicator_ = nullptr;
    QList<QAction*> parameterItems_;
    QList<QAction*> indicatorItems_;
    QList<QAction*> transientBinItems_;
    QMenu* transientBinMenu_ = nullptr;
    std::unique_ptr<ViewerSaveDialogs> saveDialogs_;
};
