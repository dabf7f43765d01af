#include "RegisterDialog.h"

#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"

#include <QAbstractButton>

RegisterDialog::RegisterDialog(const QString& formName, const QFont& normalFont,
                               UserPersist& persist, Notifier& notifier, QWidget* parent)
    : DialogWindow(parent), notifier_(notifier) {
    keyMap().map(Qt::Key_F5, kOkEvent);
    keyMap().map(Qt::Key_F8, kCancelEvent);
    keyMap().map(Qt::Key_Escape, kCancelEvent);

    built_ = persist.loadInto(formName, this);
    if (!built_) {
        notifier_.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, normalFont);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_OK")}), this, kOkEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CANCEL")}), this, kCancelEvent);
}

void RegisterDialog::acceptEnterAsOk() {
    keyMap().map(Qt::Key_Return, kOkEvent);
    keyMap().map(Qt::Key_Enter, kOkEvent);
}

int RegisterDialog::handleEvent(int code) {
    switch (code) {
    case kOkEvent:
        if (performAction())
            endModal(kAcceptedResult);
        return 0;
    case kCancelEvent:
        endModal(kRejectedResult);
        return 0;
    default:
        return DialogWindow::handleEvent(code);
    }
}
