#pragma once

#include "DialogWindow.h"
#include "FlightDataElement.h"

#include <QList>

class FlightSelection;
class Notifier;
class QAbstractButton;
class QComboBox;
class QCheckBox;
class QFont;
class QLabel;
class QListWidget;
class UserPersist;

inline const QString kSelectDialogForm = QStringLiteral("SelectDialog");
inline const QString kNoDataText = QStringLiteral("No data exists for plotting");

// The flight selection's window: it shows the state of a FlightSelection, passes the
// user's choices to it and, on OK, keeps the flights it loaded.
class SelectDialog : public DialogWindow {
    Q_OBJECT

public:
    static constexpr int kConfirmEvent = 10001;
    static constexpr int kCancelEvent = 10002;
    static constexpr int kAircraftChosenEvent = 10017;
    static constexpr int kEngineEvent = 10023;
    static constexpr int kMemoryTypeEvent = 10024;
    static constexpr int kNewestOnlyEvent = 10025;

    SelectDialog(FlightSelection& selection, const QFont& font, UserPersist& persist,
                 Notifier& notifier, QWidget* parent = nullptr);

    // The viewer's way in, run before its window is built: scans the stored flights (saying
    // so when there are none) and lets the user choose among them. The flights loaded, or
    // nothing when none is stored or the choice was cancelled.
    static QList<FlightDataElement> chooseFlights(const QFont& font, UserPersist& persist,
                                                  Notifier& notifier, QWidget* parent = nullptr);

    int handleEvent(int code) override;

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }
    // What OK loaded: 1 to 10 flights in list order; empty until then.
    const QList<FlightDataElement>& loadedFlights() const { return loaded_; }

private:
    void findControls();
    void showEngineFields();
    void showEntries();
    void showSelectedCount();
    void confirm();

    FlightSelection& selection_;
    Notifier& notifier_;
    bool built_ = false;
    QList<FlightDataElement> loaded_;

    QComboBox* aircraft_ = nullptr;
    QListWidget* flights_ = nullptr;
    QCheckBox* newestOnly_ = nullptr;
    QLabel* selectedCount_ = nullptr;
    QList<QAbstractButton*> engineButtons_;
    QList<QAbstractButton*> memoryButtons_;
};
