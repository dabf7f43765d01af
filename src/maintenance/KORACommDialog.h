#pragma once

#include "DialogWindow.h"

class QFont;
class UserPersist;

// The communication-failure dialog: what to check when the unit does not answer. Back or
// Esc closes it.
class KORACommDialog : public DialogWindow {
    Q_OBJECT

public:
    static constexpr int kBackCode = 1;

    KORACommDialog(const QFont& normalFont, UserPersist& persist, QWidget* parent = nullptr);

    int handleEvent(int code) override;
};
