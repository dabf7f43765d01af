#include "PasswordChange.h"

#include "ApplicationSettings.h"
#include "Controls.h"
#include "Notifier.h"
#include "PasswordDialog.h"

#include <QInputDialog>
#include <QLineEdit>

void changePassword(QWidget* parent, Notifier& notifier) {
    QInputDialog ask(parent);
    ask.setWindowTitle(kChangePasswordTitle);
    ask.setLabelText(kCurrentPasswordLabel);
    ask.setTextEchoMode(QLineEdit::Password);
    placeWindow(&ask);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QString current = ask.textValue();
    if (current.isEmpty() || current != storedPassword()) {
        notifier.warning(kChangePasswordTitle, kIncorrectPasswordText);
        return;
    }

    PasswordDialog dialog(parent);
    placeWindow(&dialog);
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
