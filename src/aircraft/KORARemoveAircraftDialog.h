#pragma once

#include "RegisterDialog.h"

class QListWidget;

// Removes the aircraft selected in "CURRENT_AIRCRAFT" with its directory; downloaded files
// are deleted only when the user says so.
class KORARemoveAircraftDialog : public RegisterDialog {
    Q_OBJECT

public:
    KORARemoveAircraftDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                             QWidget* parent = nullptr);

protected:
    bool performAction() override;

private:
    QListWidget* currentAircraft_ = nullptr;
};
