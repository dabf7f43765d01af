#pragma once

#include "RegisterDialog.h"

class QLineEdit;
class QListWidget;

// Registers a new aircraft: the registered ones are listed for reference, the new
// identifier is typed in "NEW_AIRCRAFT_ID".
class KORAAddAircraftDialog : public RegisterDialog {
    Q_OBJECT

public:
    KORAAddAircraftDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                          QWidget* parent = nullptr);

protected:
    bool performAction() override;

private:
    QListWidget* currentAircraft_ = nullptr;
    QLineEdit* newAircraftId_ = nullptr;
};
