#pragma once

#include "DialogWindow.h"
#include "FlightDataElement.h"

#include <QList>

#include <functional>

class Notifier;
class QAbstractButton;
class QFont;
class UserPersist;

inline const QString kSetupDialogForm = QStringLiteral("SetupDialog");

// What the setup dialog shows when it opens: the plot window's state.
struct SetupState {
    QList<bool> displayFlags; // per series, in the order of the loaded flights
    bool xGrid = false;
    bool yGrid = false;
    int windowType = 0;
    bool waterfall = false; // the flights' buttons do not apply to the waterfall's traces
};

// The plot setup: one toggle button per loaded flight, the grid lines and the spectrum
// window. Every change is passed on at once, as an event code and its value, to the plot
// window, which applies and remembers it.
class SetupDialog : public DialogWindow {
    Q_OBJECT

public:
    using Forward = std::function<void(int code, quint32 value)>;
    static constexpr int kCloseEvent = 10002;
    // Five flight buttons to a row.
    static constexpr int kFlightsPerRow = 5;

    SetupDialog(const SetupState& state, const QList<FlightDataElement>& flights, Forward forward,
                const QFont& font, UserPersist& persist, Notifier& notifier,
                QWidget* parent = nullptr);

    int handleEvent(int code) override;

    bool isBuilt() const { return built_; }
    const QList<QAbstractButton*>& flightButtons() const { return flightButtons_; }

private:
    void addFlightButtons(const SetupState& state, const QList<FlightDataElement>& flights);
    void findOptionButtons(const SetupState& state);

    Forward forward_;
    bool built_ = false;
    QList<QAbstractButton*> flightButtons_;
    QList<QAbstractButton*> windowButtons_;
    QAbstractButton* xGrid_ = nullptr;
    QAbstractButton* yGrid_ = nullptr;
};
