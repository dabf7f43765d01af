#pragma once

#include "DialogWindow.h"

#include <QString>

class Notifier;
class QFont;
class QLineEdit;
class UserPersist;

inline const QString kLoginFormName = QStringLiteral("BrixAdminLoginDialog");
inline const QString kInvalidPasswordTitle = QStringLiteral("Invalid password");
inline const QString kInvalidPasswordText = QStringLiteral("Invalid password");

// Asks for the administrator password. Enter in "PASSWORD", "B_OK" or F5 checks it against
// the stored one: a match ends the modal run accepted, anything else is refused with a
// message and the dialog stays open for another try. Esc, F8, "B_CANCEL" or closing the
// window give up.
class BrixAdminLoginDialog : public DialogWindow {
    Q_OBJECT

public:
    BrixAdminLoginDialog(const QFont& normalFont, UserPersist& commonPersist, Notifier& notifier,
                         QWidget* parent = nullptr);

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

    int handleEvent(int code) override;

private:
    Notifier& notifier_;
    QLineEdit* password_ = nullptr;
    bool built_ = false;
};
