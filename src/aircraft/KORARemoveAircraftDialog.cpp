#include "KORARemoveAircraftDialog.h"

#include "Controls.h"
#include "KORALib.h"
#include "RegisterEditing.h"
#include "RegisterLists.h"

#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("RemoveAircraftDialog");

} // namespace

KORARemoveAircraftDialog::KORARemoveAircraftDialog(const QFont& normalFont, UserPersist& persist,
                                                   Notifier& notifier, QWidget* parent)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent) {
    if (!isBuilt())
        return;
    currentAircraft_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_AIRCRAFT")});
    showRegisteredAircraft(currentAircraft_);
    if (currentAircraft_ != nullptr)
        currentAircraft_->setFocus();
}

bool KORARemoveAircraftDialog::performAction() {
    const QString id = selectedText(currentAircraft_);
    if (id.isEmpty())
        return false;
    // Keeping the aircraft and its files leaves the choice open: another one, or Cancel.
    return removeAircraft(id, notifier_) != AircraftRemoval::Kept;
}
