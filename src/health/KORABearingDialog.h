#pragma once

#include "RegisterDialog.h"

class QComboBox;
class QLineEdit;
class QListWidget;

// Edits the bearing geometry of one engine type: the type is chosen in "CURRENT_ENGINE", its
// stored geometry (or empty fields) shown below it. Save (OK) stores the five values,
// refusing an impossible one with the message that names it; Clear removes the type's
// geometry; Cancel changes nothing.
class KORABearingDialog : public RegisterDialog {
    Q_OBJECT

public:
    static constexpr int kClearEvent = 10003;
    static constexpr int kEngineTypeEvent = 10004;

    KORABearingDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                      QWidget* parent = nullptr);

    int handleEvent(int code) override;

protected:
    bool performAction() override;

private:
    void showStoredGeometry();

    QListWidget* engineTypes_ = nullptr;
    QLineEdit* elements_ = nullptr;
    QLineEdit* ballDiameter_ = nullptr;
    QLineEdit* pitchDiameter_ = nullptr;
    QLineEdit* contactAngle_ = nullptr;
    QComboBox* shaft_ = nullptr;
};

// The help page of the dialog.
inline const QString kBearingHelpContext = QStringLiteral("HelpBearing");
