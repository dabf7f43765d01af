#pragma once

#include "AircraftRecord.h"
#include "DialogWindow.h"
#include "EngineFields.h"

#include <QString>

class Notifier;
class QCheckBox;
class QFont;
class QListWidget;
class QPlainTextEdit;
class UserPersist;

// The window before an automatic download: the technician picks the aircraft, checks its
// engines' type, serial number and installation date and the comments, and starts the
// download. The switches of what the run does are shown but come from the register.
class KORAAircraftInfoDialog : public DialogWindow {
    Q_OBJECT

public:
    static constexpr int kDownloadEvent = 10001;
    static constexpr int kCancelEvent = 10002;
    static constexpr int kAircraftSelectedEvent = 10017;
    static constexpr int kEngineTypeChosenEvent = 10033;

    // `record` is the caller's: it holds the selected aircraft, and on OK the confirmed one.
    KORAAircraftInfoDialog(const QFont& normalFont, AircraftRecord& record, UserPersist& persist,
                           Notifier& notifier, QWidget* parent = nullptr);

    int handleEvent(int code) override;

    // The identifier selected in the list; empty when there is none.
    QString selectedAircraft() const;
    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct EngineControls {
        EngineFields fields;
        QCheckBox* switches[4] = {};
    };

    void findControls();
    void loadSelectedAircraft();
    void confirm();

    AircraftRecord& record_;
    Notifier& notifier_;
    bool built_ = false;

    QListWidget* aircraftList_ = nullptr;
    QPlainTextEdit* comments_ = nullptr;
    EngineControls engines_[AircraftRecord::kEngineCount];
};
