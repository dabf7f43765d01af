#include "SetupDialog.h"

#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>

bool parseAlertLevel(const QString& text, std::optional<double>* level) {
    QString number = text.trimmed();
    if (number.isEmpty()) {
        *level = std::nullopt;
        return true;
    }
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return false;
    *level = value;
    return true;
}

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
    setUpTrend(state);
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
    group->setEnabled(!state.waterfall && !state.trend);
}

void SetupDialog::findOptionButtons(const SetupState& state) {
    xGrid_ =
        findControl<QAbstractButton>(this, {QStringLiteral("G_GRID"), QStringLiteral("B_XGRID")});
    yGrid_ =
        findControl<QAbstractButton>(this, {QStringLiteral("G_GRID"), QStringLiteral("B_YGRID")});
    auto* orders = findControl<QAbstractButton>(
        this, {QStringLiteral("G_SPECTRUM"), QStringLiteral("B_ORDERS")});
    auto* bearing = findControl<QAbstractButton>(
        this, {QStringLiteral("G_SPECTRUM"), QStringLiteral("B_BEARING")});
    auto* decibels = findControl<QAbstractButton>(
        this, {QStringLiteral("G_SPECTRUM"), QStringLiteral("B_DECIBELS")});
    for (auto [button, on, code] : {std::tuple{xGrid_, state.xGrid, int(kXGridEvent)},
                                    std::tuple{yGrid_, state.yGrid, int(kYGridEvent)},
                                    std::tuple{orders, state.orders, int(kOrdersEvent)},
                                    std::tuple{bearing, state.bearing, int(kBearingEvent)},
                                    std::tuple{decibels, state.decibels, int(kDecibelsEvent)}}) {
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

void SetupDialog::setUpTrend(const SetupState& state) {
    const QString group = QStringLiteral("G_TREND");
    for (const char* name : {"B_TREND_MAXIMUM", "B_TREND_MEAN"}) {
        if (auto* button = findControl<QAbstractButton>(this, {group, QLatin1String(name)})) {
            button->setChecked(statisticButtons_.size() == state.trendStatistic);
            button->setEnabled(state.statisticApplies);
            bindCode(button, this, kTrendStatisticEvent);
            statisticButtons_.append(button);
        }
    }
    if (auto* label = findControl<QLabel>(this, {group, QStringLiteral("P_ALERT_LEVEL")}))
        label->setText(kAlertLevelLabelText.arg(state.alertParameter));
    alertLevel_ = findControl<QLineEdit>(this, {group, QStringLiteral("E_ALERT_LEVEL")});
    if (alertLevel_ == nullptr)
        return;
    if (state.alertLevel)
        alertLevel_->setText(QString::number(*state.alertLevel, 'g', 10));
    alertLevel_->setEnabled(state.alertApplies);
    connect(alertLevel_, &QLineEdit::textEdited, this, &SetupDialog::alertEdited);
}

void SetupDialog::alertEdited(const QString& text) {
    std::optional<double> level;
    const bool valid = parseAlertLevel(text, &level);
    alertLevel_->setToolTip(valid ? QString() : kAlertLevelInvalidText);
    alertLevel_->setStyleSheet(valid ? QString() : QStringLiteral("color: #b03a2e;"));
    if (valid && alertForward_)
        alertForward_(level);
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
    case kOrdersEvent:
    case kBearingEvent:
    case kDecibelsEvent:
        if (source != nullptr)
            forward_(code, source->isChecked() ? 1 : 0);
        break;
    case kWindowTypeEvent:
        if (const auto index = windowButtons_.indexOf(source); index >= 0)
            forward_(code, quint32(index));
        break;
    case kTrendStatisticEvent:
        if (const auto index = statisticButtons_.indexOf(source); index >= 0)
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
