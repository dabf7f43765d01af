#pragma once

#include "DialogWindow.h"
#include "FlightDataElement.h"

#include <QList>

#include <functional>
#include <optional>

class Notifier;
class QAbstractButton;
class QFont;
class QLineEdit;
class UserPersist;

inline const QString kSetupDialogForm = QStringLiteral("SetupDialog");

// What the setup dialog shows when it opens: the plot window's state.
struct SetupState {
    QList<bool> displayFlags; // per series, in the order of the loaded flights
    bool xGrid = false;
    bool yGrid = false;
    int windowType = 0;
    bool waterfall = false;       // the flights' buttons do not apply to the waterfall's traces
    bool trend = false;           // nor to the trend's memory types
    bool orders = false;          // shaft-order markers on spectra and waterfalls
    bool bearing = false;         // bearing defect-frequency markers on spectra and waterfalls
    bool decibels = false;        // spectra and waterfalls in dB
    int trendStatistic = 0;       // 0 maximum, 1 mean over the 26 bins
    bool statisticApplies = true; // not to an indicator, whose flight value is the maximum
    // The alert level of the current parameter type, named by its menu text; the field is
    // off for a type that has no trend.
    std::optional<double> alertLevel = std::nullopt;
    QString alertParameter = QString();
    bool alertApplies = false;
};

// The alert field's label, %1 the parameter type's menu text.
inline const QString kAlertLevelLabelText = QStringLiteral("&Alert level (%1):");
// What the field shows when the text is no number.
inline const QString kAlertLevelInvalidText = QStringLiteral("Not a number: the level is kept");

// The alert level typed: nothing for an empty field, the number for a finite one (a "," as
// decimal separator is taken as "."), and false when the text is no finite number.
bool parseAlertLevel(const QString& text, std::optional<double>* level);

// The plot setup: one toggle button per loaded flight, the grid lines, the spectrum window,
// the spectra's order markers and dB axis, and the trend's statistic and alert level. Every change
// is passed on at once, as an event code and its value, to the plot window, which applies and
// remembers it.
class SetupDialog : public DialogWindow {
    Q_OBJECT

public:
    using Forward = std::function<void(int code, quint32 value)>;
    // The alert level is no event value: it goes its own way, at every valid edit.
    using AlertForward = std::function<void(std::optional<double> level)>;
    static constexpr int kCloseEvent = 10002;
    // Five flight buttons to a row.
    static constexpr int kFlightsPerRow = 5;

    SetupDialog(const SetupState& state, const QList<FlightDataElement>& flights, Forward forward,
                const QFont& font, UserPersist& persist, Notifier& notifier,
                QWidget* parent = nullptr);

    int handleEvent(int code) override;
    void setAlertForward(AlertForward forward) { alertForward_ = std::move(forward); }

    bool isBuilt() const { return built_; }
    const QList<QAbstractButton*>& flightButtons() const { return flightButtons_; }

private:
    void addFlightButtons(const SetupState& state, const QList<FlightDataElement>& flights);
    void findOptionButtons(const SetupState& state);
    void setUpTrend(const SetupState& state);
    void alertEdited(const QString& text);

    Forward forward_;
    AlertForward alertForward_;
    QList<QAbstractButton*> statisticButtons_;
    QLineEdit* alertLevel_ = nullptr;
    bool built_ = false;
    QList<QAbstractButton*> flightButtons_;
    QList<QAbstractButton*> windowButtons_;
    QAbstractButton* xGrid_ = nullptr;
    QAbstractButton* yGrid_ = nullptr;
};
