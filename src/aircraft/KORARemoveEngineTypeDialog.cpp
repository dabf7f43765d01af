#include "KORARemoveEngineTypeDialog.h"

#include "Controls.h"
#include "KORALib.h"
#include "RegisterLists.h"

#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("RemoveEngineTypeDialog");

} // namespace

KORARemoveEngineTypeDialog::KORARemoveEngineTypeDialog(const QFont& normalFont,
                                                       UserPersist& persist, Notifier& notifier,
                                                       QWidget* parent)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent) {
    if (!isBuilt())
        return;
    currentEngine_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_ENGINE")});
    const QStringList types = KORALibListEngineTypes();
    fillList(currentEngine_, types, types.isEmpty() ? -1 : 0);
    if (currentEngine_ != nullptr)
        currentEngine_->setFocus();
}

bool KORARemoveEngineTypeDialog::performAction() {
    const QString type = selectedText(currentEngine_);
    if (type.isEmpty())
        return false;
    KORALibRemoveEngineType(type);
    return true;
}
