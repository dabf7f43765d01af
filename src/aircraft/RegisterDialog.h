#pragma once

#include "DialogWindow.h"

#include <QString>

class Notifier;
class QFont;
class UserPersist;

// What the four register dialogs share: one form in the normal font, "B_OK" and F5 for OK,
// "B_CANCEL", F8 and Esc for Cancel. OK runs the dialog's action and closes the dialog
// unless the action was refused, so that the user can correct the entry.
class RegisterDialog : public DialogWindow {
    Q_OBJECT

public:
    static constexpr int kOkEvent = 10001;
    static constexpr int kCancelEvent = 10002;

    int handleEvent(int code) override;

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

protected:
    RegisterDialog(const QString& formName, const QFont& normalFont, UserPersist& persist,
                   Notifier& notifier, QWidget* parent);

    // The dialog's action on OK; false keeps the dialog open.
    virtual bool performAction() = 0;

    // Enter (either key) acts as F5, for the dialogs where the user types one entry.
    void acceptEnterAsOk();

    Notifier& notifier_;

private:
    bool built_ = false;
};
