#include "PasswordChange.h"

#include "ApplicationSettings.h"
#include "Notifier.h"
#include "PasswordDialog.h"

#include <QInputDialog>
#include <QLineEdit>

void changePassword(QWidget* parent, Notifier& notifier) {
    bool entered = false;
    const QString current =
        QInputDialog::getText(parent, kChangePasswordTitle, kCurrentPasswordLabel,
                              QLineEdit::Password, QString(), &entered);
    if (!entered)
        return;
    if (current.isEmpty() || current != storedPassword()) {
        notifier.warning(kChangePasswordTitle, kIncorrectPasswordText);
        return;
    }

    PasswordDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.password().isEmpty()) {
        notifier.warning(kChangePasswordTitle, kEmptyNewPasswordText);
        return;
    }
    if (dialog.password() != dialog.verification()) {
        notifier.warning(kChangePasswordTitle, kPasswordsDifferText);
        return;
    }
    storePassword(dialog.password());
    notifier.information(kChangePasswordTitle, kPasswordChangedText);
}
