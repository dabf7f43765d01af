#pragma once

#include "RegisterDialog.h"

class QLineEdit;
class QListWidget;

// Appends an engine type to the list that the aircraft editors offer: the listed types are
// shown for reference, the new one is typed in "NEW_ENGINE".
class KORAAddEngineTypeDialog : public RegisterDialog {
    Q_OBJECT

public:
    KORAAddEngineTypeDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                            QWidget* parent = nullptr);

protected:
    bool performAction() override;

private:
    QListWidget* currentEngine_ = nullptr;
    QLineEdit* newEngine_ = nullptr;
};
