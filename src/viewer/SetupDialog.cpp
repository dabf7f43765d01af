#include "SetupDialog.h"

#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

SetupDialog::SetupDialog(const SetupState& state, const QList<FlightDataElement>& flights,
                         Forward forward, const QFont& font, UserPersist& persist,
                         Notifier& notifier, QWidget* parent)
    : DialogWindow(parent), forward_(std::move(forward)) {
    setHelpContext(kViewerHelpContext);
    keyMap().map(Qt::Key_Escape, kCloseEvent);
    keyMap().map(Qt::Key_F5, kCloseEvent);

    built_ = persist.loadInto(kSetupDialogForm, this);
    if (!built_) {
        notifier.critical(kErrorTitle, persist.errorText());
        return;
    }
    addFlightButtons(state, flights);
    findOptionButtons(state);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CLOSE")}), this, kCloseEvent);
    applyFont(this, font);
}

void SetupDialog::addFlightButtons(const SetupState& state,
                                   const QList<FlightDataElement>& flights) {
    auto* group = findControl<QGroupBox>(this, {QStringLiteral("G_FLIGHT")});
    auto* grid = group == nullptr ? nullptr : qobject_cast<QGridLayout*>(group->layout());
    if (grid == nullptr)
        return;
    for (int i = 0; i < flights.size(); ++i) {
        auto* button = new QPushButton(QString::number(flights[i].flightNumber), group);
        button->setObjectName(QStringLiteral("B_FLIGHT%1").arg(i + 1));
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setChecked(state.displayFlags.value(i, true));
        grid->addWidget(button, i / kFlightsPerRow, i % kFlightsPerRow);
        bindCode(button, this, kShowSeriesEvent);
        flightButtons_.append(button);
    }
    group->setEnabled(!state.waterfall);
}

void SetupDialog::findOptionButtons(const SetupState& state) {
    xGrid_ =
        findControl<QAbstractButton>(this, {QStringLiteral("G_GRID"), QStringLiteral("B_XGRID")});
    yGrid_ =
        findControl<QAbstractButton>(this, {QStringLiteral("G_GRID"), QStringLiteral("B_YGRID")});
    for (auto [button, on, code] : {std::tuple{xGrid_, state.xGrid, int(kXGridEvent)},
                                    std::tuple{yGrid_, state.yGrid, int(kYGridEvent)}}) {
        if (button == nullptr)
            continue;
        button->setCheckable(true);
        button->setChecked(on);
        bindCode(button, this, code);
    }
    if (auto* group = findControl<QWidget>(this, {QStringLiteral("G_FFT_WINDOW")}))
        windowButtons_ = group->findChildren<QAbstractButton*>();
    for (int i = 0; i < windowButtons_.size(); ++i) {
        windowButtons_[i]->setChecked(i == state.windowType);
        bindCode(windowButtons_[i], this, kWindowTypeEvent);
    }
}

int SetupDialog::handleEvent(int code) {
    auto* source = qobject_cast<QAbstractButton*>(eventSource());
    switch (code) {
    case kShowSeriesEvent: {
        const auto index = flightButtons_.indexOf(source);
        if (index >= 0)
            forward_(code, source->isChecked() ? quint32(index) : quint32(index) | kHideSeriesFlag);
        break;
    }
    case kXGridEvent:
    case kYGridEvent:
        if (source != nullptr)
            forward_(code, source->isChecked() ? 1 : 0);
        break;
    case kWindowTypeEvent:
        if (const auto index = windowButtons_.indexOf(source); index >= 0)
            forward_(code, quint32(index));
        break;
    case kCloseEvent:
        endModal(kAcceptedResult);
        break;
    default:
        return DialogWindow::handleEvent(code);
    }
    return 0;
}
