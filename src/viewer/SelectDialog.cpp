#include "SelectDialog.h"

#include "Controls.h"
#include "FlightSelection.h"
#include "Notifier.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QListWidget>

namespace {

const char* const kEngineGroups[] = {"G_ENGINE1", "G_ENGINE2"};

QList<QAbstractButton*> groupButtons(QWidget* dialog, const QString& group) {
    auto* box = findControl<QWidget>(dialog, {group});
    return box == nullptr ? QList<QAbstractButton*>{} : box->findChildren<QAbstractButton*>();
}

void checkButton(const QList<QAbstractButton*>& buttons, int index) {
    if (QAbstractButton* button = buttons.value(index))
        button->setChecked(true);
}

bool isChecked(const QList<QAbstractButton*>& buttons, int index) {
    const QAbstractButton* button = buttons.value(index);
    return button != nullptr && button->isChecked();
}

} // namespace

QList<FlightDataElement> SelectDialog::chooseFlights(const QFont& font, UserPersist& persist,
                                                     Notifier& notifier, QWidget* parent) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FlightSelection selection;
    QApplication::restoreOverrideCursor();
    if (!selection.hasFlights()) {
        notifier.critical(kErrorTitle, kNoDataText);
        return {};
    }
    SelectDialog dialog(selection, font, persist, notifier, parent);
    if (!dialog.isBuilt() || dialog.runModal() != kAcceptedResult)
        return {};
    return dialog.loadedFlights();
}

SelectDialog::SelectDialog(FlightSelection& selection, const QFont& font, UserPersist& persist,
                           Notifier& notifier, QWidget* parent)
    : DialogWindow(parent), selection_(selection), notifier_(notifier) {
    setHelpContext(kViewerHelpContext);
    keyMap().map(Qt::Key_F5, kConfirmEvent);
    keyMap().map(Qt::Key_F8, kCancelEvent);
    keyMap().map(Qt::Key_Escape, kCancelEvent);

    built_ = persist.loadInto(kSelectDialogForm, this);
    if (!built_) {
        notifier_.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, font);
    findControls();

    aircraft_->addItems(selection_.aircraftEntries());
    aircraft_->setCurrentIndex(aircraft_->findText(selection_.selectedAircraft()));
    checkButton(engineButtons_, selection_.engineNumber() - 1);
    checkButton(memoryButtons_, valueOf(selection_.memoryType()));
    newestOnly_->setChecked(selection_.newestOnly());
    showEngineFields();
    showEntries();
    flights_->setFocus();
}

void SelectDialog::findControls() {
    aircraft_ = findControl<QComboBox>(this, {QStringLiteral("TAIL_NUMBER")});
    flights_ = findControl<QListWidget>(this, {QStringLiteral("FLIGHT_LIST")});
    newestOnly_ = findControl<QCheckBox>(this, {QStringLiteral("B_NEWEST_ONLY")});
    selectedCount_ = findControl<QLabel>(this, {QStringLiteral("SELECTED_COUNT")});
    bindCode(aircraft_, this, kAircraftChosenEvent);
    bindCode(newestOnly_, this, kNewestOnlyEvent);
    // The count follows every change, so the limit is seen before OK.
    connect(flights_, &QListWidget::itemSelectionChanged, this, &SelectDialog::showSelectedCount);
    engineButtons_ = groupButtons(this, QStringLiteral("G_ENGINE"));
    memoryButtons_ = groupButtons(this, QStringLiteral("G_MEMORY_TYPE"));
    for (QAbstractButton* button : std::as_const(engineButtons_))
        bindCode(button, this, kEngineEvent);
    for (QAbstractButton* button : std::as_const(memoryButtons_))
        bindCode(button, this, kMemoryTypeEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_OK")}), this, kConfirmEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CANCEL")}), this, kCancelEvent);
}

void SelectDialog::showEngineFields() {
    for (int engine = 1; engine <= 2; ++engine) {
        const EngineDetails& fields = selection_.engineFields(engine);
        const QString group = QLatin1String(kEngineGroups[engine - 1]);
        const std::pair<const char*, const QString*> texts[] = {
            {"TYPE", &fields.engineType},
            {"SN", &fields.serialNumber},
            {"INSTALL_DATE", &fields.installDate}};
        for (const auto& [name, text] : texts)
            setControlText(findControl<QWidget>(this, {group, QLatin1String(name)}), *text);
    }
}

void SelectDialog::showEntries() {
    flights_->clear();
    for (const FlightEntry& entry : selection_.entries()) {
        auto* item = new QListWidgetItem(entry.text, flights_);
        item->setData(Qt::UserRole, entry.value);
    }
    flights_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    showSelectedCount();
}

void SelectDialog::showSelectedCount() {
    selectedCount_->setText(kSelectedCountText.arg(flights_->selectedItems().size())
                                .arg(FlightSelection::kMaxLoadedFlights));
}

void SelectDialog::confirm() {
    QList<int> values;
    for (const QListWidgetItem* item : flights_->selectedItems())
        values.append(item->data(Qt::UserRole).toInt());
    std::optional<QList<FlightDataElement>> loaded = selection_.load(values, notifier_);
    if (!loaded)
        return; // none or too many: the user changes the selection and confirms again
    loaded_ = std::move(*loaded);
    endModal(kAcceptedResult);
}

int SelectDialog::handleEvent(int code) {
    switch (code) {
    case kAircraftChosenEvent:
        selection_.selectAircraft(aircraft_->currentText());
        showEngineFields();
        showEntries();
        break;
    case kEngineEvent:
        selection_.selectEngine(isChecked(engineButtons_, 1) ? 2 : 1);
        showEntries();
        break;
    case kMemoryTypeEvent:
        selection_.selectMemoryType(isChecked(memoryButtons_, 0) ? MemoryType::PreDefect
                                                                 : MemoryType::PostDefect);
        showEntries();
        break;
    case kNewestOnlyEvent:
        selection_.selectNewestOnly(newestOnly_->isChecked());
        showEntries();
        break;
    case kConfirmEvent:
        confirm();
        break;
    case kCancelEvent:
        endModal(kRejectedResult);
        break;
    default:
        return DialogWindow::handleEvent(code);
    }
    return 0;
}
