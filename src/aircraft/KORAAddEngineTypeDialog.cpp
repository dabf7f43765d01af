#include "KORAAddEngineTypeDialog.h"

#include "Controls.h"
#include "EngineRecord.h"
#include "KORALib.h"
#include "RegisterEditing.h"
#include "RegisterLists.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("AddEngineTypeDialog");

} // namespace

KORAAddEngineTypeDialog::KORAAddEngineTypeDialog(const QFont& normalFont, UserPersist& persist,
                                                 Notifier& notifier, QWidget* parent)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent) {
    if (!isBuilt())
        return;
    acceptEnterAsOk();
    currentEngine_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_ENGINE")});
    newEngine_ = findControl<QLineEdit>(this, {QStringLiteral("NEW_ENGINE")});
    const QStringList types = KORALibListEngineTypes();
    fillList(currentEngine_, types, types.isEmpty() ? -1 : 0);
    if (newEngine_ != nullptr) {
        newEngine_->setMaxLength(kEngineTypeCapacity);
        newEngine_->setFocus();
    }
}

bool KORAAddEngineTypeDialog::performAction() {
    return newEngine_ != nullptr && addEngineType(newEngine_->text(), notifier_);
}
