#pragma once

#include "DialogWindow.h"

#include <QString>

class Notifier;
class QFont;
class UserPersist;

inline const QString kAboutFormName = QStringLiteral("HelpAbout");
// %1 = the program's part number.
inline const QString kAboutVersionText = QStringLiteral("BRIX - PNR: %1");

// The about box: the program's title and part number. "B_OK", Enter, F5 and Esc close it.
class HelpAboutDialog : public DialogWindow {
    Q_OBJECT

public:
    HelpAboutDialog(const QFont& normalFont, UserPersist& commonPersist, Notifier& notifier,
                    QWidget* parent = nullptr);

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

    int handleEvent(int code) override;

private:
    bool built_ = false;
};
