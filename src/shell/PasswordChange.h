#pragma once

#include <QString>

class Notifier;
class QWidget;

inline const QString kChangePasswordTitle = QStringLiteral("Change Password");
inline const QString kCurrentPasswordLabel = QStringLiteral("Enter current password:");
inline const QString kIncorrectPasswordText = QStringLiteral("Incorrect password.");
inline const QString kEmptyNewPasswordText = QStringLiteral("Invalid password.");
inline const QString kPasswordsDifferText = QStringLiteral("Passwords don't match.");
inline const QString kPasswordChangedText = QStringLiteral("The password has been changed.");

// Changes the administrator password at any level: the current password first, then the
// new one twice. Cancelling either dialog stops without a word; a wrong current password,
// an empty new one or two entries that differ stop with a warning. The level stays as it is.
void changePassword(QWidget* parent, Notifier& notifier);
