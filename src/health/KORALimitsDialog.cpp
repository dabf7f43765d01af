#include "KORALimitsDialog.h"

#include "AircraftPaths.h"
#include "BearingGeometryStore.h"
#include "Controls.h"
#include "FlightIndex.h"
#include "FlightIndicators.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterLists.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("LimitsDialog");

} // namespace

KORALimitsDialog::KORALimitsDialog(const QFont& normalFont, UserPersist& persist,
                                   Notifier& notifier, QWidget* parent)
    : KORALimitsDialog(normalFont, persist, notifier, parent, [&notifier] {
          return std::make_unique<FlightIndex>(registerDataDirectory(), registerIndexInputs(),
                                               notifier);
      }) {}

KORALimitsDialog::KORALimitsDialog(const QFont& normalFont, UserPersist& persist,
                                   Notifier& notifier, QWidget* parent, IndexOpener openIndex)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent),
      openIndex_(std::move(openIndex)) {
    if (!isBuilt())
        return;
    setHelpContext(kLimitsHelpContext);
    keyMap().map(Qt::Key_F6, kClearEvent);
    keyMap().map(Qt::Key_F7, kSuggestEvent);
    engineTypes_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_ENGINE")});
    indicator_ = findControl<QComboBox>(this, {QStringLiteral("C_INDICATOR")});
    warning_ = findControl<QLineEdit>(this, {QStringLiteral("E_WARNING")});
    alarm_ = findControl<QLineEdit>(this, {QStringLiteral("E_ALARM")});
    change_ = findControl<QLineEdit>(this, {QStringLiteral("E_CHANGE")});
    suggestedFrom_ = findControl<QLabel>(this, {QStringLiteral("SUGGESTED_FROM")});
    if (indicator_ != nullptr) {
        indicator_->clear();
        for (int index = 0; index < kIndicatorCount; ++index)
            indicator_->addItem(indicatorName(index));
    }
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CLEAR")}), this, kClearEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_SUGGEST")}), this,
             kSuggestEvent);
    const QStringList types = KORALibListEngineTypes();
    fillList(engineTypes_, types, types.isEmpty() ? -1 : 0);
    bindCode(engineTypes_, this, kEngineTypeEvent);
    bindCode(indicator_, this, kIndicatorEvent);
    showStoredLimits();
    if (engineTypes_ != nullptr)
        engineTypes_->setFocus();
}

KORALimitsDialog::~KORALimitsDialog() = default;

Indicator KORALimitsDialog::chosenIndicator() const {
    const int index = indicator_ == nullptr ? 0 : indicator_->currentIndex();
    return static_cast<Indicator>(index < 0 ? 0 : index);
}

// The chosen type's limits of the chosen indicator, or empty fields when it has none. A
// suggestion shown before belongs to the other choice and goes.
void KORALimitsDialog::showStoredLimits() {
    const std::optional<IndicatorLimits> limits =
        readIndicatorLimits(selectedText(engineTypes_), chosenIndicator());
    const auto show = [](QLineEdit* field, const std::optional<double>& value) {
        if (field != nullptr)
            field->setText(value ? healthNumberText(*value) : QString());
    };
    show(warning_, limits ? std::optional(limits->warning) : std::nullopt);
    show(alarm_, limits ? std::optional(limits->alarm) : std::nullopt);
    show(change_, limits ? limits->change : std::nullopt);
    if (suggestedFrom_ != nullptr)
        suggestedFrom_->clear();
}

void KORALimitsDialog::suggest() {
    const QString type = selectedText(engineTypes_);
    if (type.isEmpty() || warning_ == nullptr || alarm_ == nullptr)
        return;
    if (index_ == nullptr && openIndex_)
        index_ = openIndex_();
    if (index_ == nullptr)
        return;
    const Indicator indicator = chosenIndicator();
    const std::optional<LimitSuggestion> suggestion = suggestLimits(*index_, type, indicator);
    if (!suggestion) {
        notifier_.warning(kProgramTitle,
                          kNoFlightsToSuggestFromText.arg(type, indicatorName(valueOf(indicator))));
        return;
    }
    warning_->setText(healthNumberText(suggestion->limits.warning));
    alarm_->setText(healthNumberText(suggestion->limits.alarm));
    if (suggestedFrom_ != nullptr)
        suggestedFrom_->setText(
            kLimitsSuggestionBasisText.arg(suggestion->flights).arg(suggestion->engines));
}

bool KORALimitsDialog::performAction() {
    const QString type = selectedText(engineTypes_);
    if (type.isEmpty() || warning_ == nullptr || alarm_ == nullptr || change_ == nullptr)
        return false;
    IndicatorLimits limits{.warning = typedNumber(warning_->text()),
                           .alarm = typedNumber(alarm_->text()),
                           .change = std::nullopt};
    if (!change_->text().trimmed().isEmpty())
        limits.change = typedNumber(change_->text());
    return writeIndicatorLimits(type, chosenIndicator(), limits, notifier_);
}

int KORALimitsDialog::handleEvent(int code) {
    switch (code) {
    case kEngineTypeEvent:
    case kIndicatorEvent:
        showStoredLimits();
        return 0;
    case kSuggestEvent:
        suggest();
        return 0;
    case kClearEvent:
        if (const QString type = selectedText(engineTypes_); !type.isEmpty()) {
            clearIndicatorLimits(type, chosenIndicator());
            endModal(kAcceptedResult);
        }
        return 0;
    default:
        return RegisterDialog::handleEvent(code);
    }
}
