#pragma once

#include "ConditionIndicators.h"
#include "RegisterDialog.h"

#include <functional>
#include <memory>

class FlightIndex;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// Edits the limits of one engine type's indicator: the type is chosen in "CURRENT_ENGINE",
// the indicator in "C_INDICATOR", their stored limits (or empty fields) shown below. Suggest
// fills warning and alarm from the fleet's own flights of that type and says what they were
// drawn from; Save (OK) stores the three values, refusing impossible ones with the message that
// names them; Clear removes the indicator's limits; Cancel changes nothing. Nothing is stored
// before Save or Clear.
class KORALimitsDialog : public RegisterDialog {
    Q_OBJECT

public:
    static constexpr int kClearEvent = 10003;
    static constexpr int kEngineTypeEvent = 10004;
    static constexpr int kIndicatorEvent = 10005;
    static constexpr int kSuggestEvent = 10006;

    // Opens the index whose flights Suggest reads; nullptr when it cannot be had (reported).
    using IndexOpener = std::function<std::unique_ptr<FlightIndex>()>;

    // Suggest reads the index of the register's data directory.
    KORALimitsDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                     QWidget* parent = nullptr);
    KORALimitsDialog(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                     QWidget* parent, IndexOpener openIndex);
    ~KORALimitsDialog() override;

    int handleEvent(int code) override;

protected:
    bool performAction() override;

private:
    Indicator chosenIndicator() const;
    void showStoredLimits();
    void suggest();

    IndexOpener openIndex_;
    // Opened on the first Suggest and kept for the next ones.
    std::unique_ptr<FlightIndex> index_;
    QListWidget* engineTypes_ = nullptr;
    QComboBox* indicator_ = nullptr;
    QLineEdit* warning_ = nullptr;
    QLineEdit* alarm_ = nullptr;
    QLineEdit* change_ = nullptr;
    QLabel* suggestedFrom_ = nullptr;
};

// The help page of the dialog.
inline const QString kLimitsHelpContext = QStringLiteral("HelpLimits");
