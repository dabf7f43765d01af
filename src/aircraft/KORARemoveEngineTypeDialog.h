#pragma once

#include "RegisterDialog.h"

class QListWidget;

// Removes the engine type selected in "CURRENT_ENGINE" from the list that the aircraft
// editors offer; records that name it keep their text.
class KORARemoveEngineTypeDialog : public RegisterDialog {
    Q_OBJECT

public:
    KORARemoveEngineTypeDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                               QWidget* parent = nullptr);

protected:
    bool performAction() override;

private:
    QListWidget* currentEngine_ = nullptr;
};
