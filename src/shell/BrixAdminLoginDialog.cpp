#include "BrixAdminLoginDialog.h"

#include "ApplicationSettings.h"
#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace {

constexpr int kCancelEvent = 10002;

} // namespace

BrixAdminLoginDialog::BrixAdminLoginDialog(const QFont& normalFont, UserPersist& commonPersist,
                                           Notifier& notifier, QWidget* parent)
    : DialogWindow(parent), notifier_(notifier) {
    keyMap().map(Qt::Key_F5, kAcceptedResult);
    keyMap().map(Qt::Key_F8, kCancelEvent);

    built_ = commonPersist.loadInto(kLoginFormName, this);
    if (!built_) {
        notifier_.critical(kErrorTitle, commonPersist.errorText());
        return;
    }
    applyFont(this, normalFont);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_OK")}), this, kAcceptedResult);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CANCEL")}), this, kCancelEvent);
    password_ = findControl<QLineEdit>(this, {QStringLiteral("PASSWORD")});
    if (password_ == nullptr)
        return;
    password_->setEchoMode(QLineEdit::Password);
    password_->setFocus();
    // Enter confirms through the event queue, after the field has finished with the key.
    connect(password_, &QLineEdit::returnPressed, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { handleEvent(kAcceptedResult); }, Qt::QueuedConnection);
    });
}

int BrixAdminLoginDialog::handleEvent(int code) {
    switch (code) {
    case kAcceptedResult:
        // Exact comparison: the password's letter case counts.
        if (password_ != nullptr && password_->text() == storedPassword()) {
            endModal(kAcceptedResult);
            return kAcceptedResult;
        }
        notifier_.critical(kInvalidPasswordTitle, kInvalidPasswordText);
        if (password_ != nullptr) {
            password_->selectAll();
            password_->setFocus();
        }
        return kContinueResult;
    case kCancelEvent:
        endModal(kRejectedResult);
        return 0;
    default:
        return DialogWindow::handleEvent(code);
    }
}
