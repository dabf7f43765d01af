#include "KORAAddAircraftDialog.h"

#include "AircraftIdentifier.h"
#include "Controls.h"
#include "KORALib.h"
#include "RegisterEditing.h"
#include "RegisterLists.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("AddAircraftDialog");

} // namespace

KORAAddAircraftDialog::KORAAddAircraftDialog(const QFont& normalFont, UserPersist& persist,
                                             Notifier& notifier, QWidget* parent)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent) {
    if (!isBuilt())
        return;
    acceptEnterAsOk();
    currentAircraft_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_AIRCRAFT")});
    newAircraftId_ = findControl<QLineEdit>(this, {QStringLiteral("NEW_AIRCRAFT_ID")});
    showRegisteredAircraft(currentAircraft_);
    if (newAircraftId_ != nullptr) {
        newAircraftId_->setMaxLength(kMaxAircraftIdLength);
        newAircraftId_->setFocus();
    }
}

bool KORAAddAircraftDialog::performAction() {
    if (newAircraftId_ == nullptr)
        return false;
    const int registered = KORALibCountAircraft();
    if (addAircraft(newAircraftId_->text(), notifier_))
        return true;
    // A directory that could not be made has been reported and the record stays registered:
    // the aircraft has been added all the same. Only a refused identifier keeps the dialog.
    return KORALibCountAircraft() > registered;
}
