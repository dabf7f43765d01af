#pragma once

#include "AircraftRecord.h"
#include "EngineFields.h"
#include "Screen.h"

#include <QString>

class EventHandler;
class Notifier;
class QFont;
class QListWidget;
class QPlainTextEdit;

inline const QString kAircraftInfoForm = QStringLiteral("AircraftInfo");
inline const QString kAircraftInfoScreenTitle = QStringLiteral("Aircraft Information");
inline const QString kAircraftInfoHelpContext = QStringLiteral("HelpAircraftInfo");
inline const QString kSaveQuestionTitle = QStringLiteral("Save");
inline const QString kSaveQuestionText = QStringLiteral("Save Changes");

// The event codes the screen's controls send to the main window.
struct AircraftInfoCodes {
    int aircraftSelected = 0;
    int save = 0;
    int reload = 0;
    int engineTypeChosen = 0;
};

// The register entry of one aircraft at a time: the type, serial number and installation
// date of both engines and the comments. Edits stay in the controls until they are saved
// (the save button, or a change of aircraft after a yes to "Save Changes"); reloading the
// aircraft drops them.
class AircraftInfoScreen : public Screen {
    Q_OBJECT

public:
    // Lists the register, selecting the last aircraft worked on, and shows that aircraft.
    AircraftInfoScreen(UserPersist& persist, EventHandler& mainWindow,
                       const AircraftInfoCodes& codes, const QFont& normalFont, Notifier& notifier);

    // Shows the aircraft selected in the list and makes it the last aircraft. With `ask`,
    // the edits of the aircraft shown so far are first offered for saving.
    void loadAircraft(bool ask);
    // Stores the edits when they differ from the stored record; with `ask`, only after a yes.
    void saveChanges(bool ask);
    // The register changed under the screen: the lists are filled again. The aircraft shown
    // stays, with its edits, while its stored record is unchanged; otherwise the stored
    // record (or, when it was removed, the selected aircraft) is shown.
    void registerChanged();

    // The identifier of the aircraft shown; empty when the register is empty.
    const QString& shownAircraft() const { return shownId_; }

private:
    void findControls(EventHandler& mainWindow, const AircraftInfoCodes& codes);
    // The stored record with the texts of the controls written into it.
    AircraftRecord editedRecord() const;
    void cutCommentsToTheirField();

    Notifier& notifier_;
    AircraftRecord record_;
    QString shownId_;

    QListWidget* aircraftList_ = nullptr;
    QPlainTextEdit* comments_ = nullptr;
    EngineFields engines_[AircraftRecord::kEngineCount];
};
