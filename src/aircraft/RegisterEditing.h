#pragma once

class Notifier;
class QString;

// What the register dialogs do on OK, without the dialogs. Each reports a refusal or a
// failure itself (critical, "Error").

// Registers an all-zero record holding only the identifier, makes it the last aircraft and
// creates its directories. False when refused, and also when a directory could not be made;
// the record stays registered then.
bool addAircraft(const QString& id, Notifier& notifier);

// Appends the type to the engine-type list, cut to what the record's field holds; a type
// already listed (as cut, in any letter case) or holding a character the record cannot
// store is refused (false).
bool addEngineType(const QString& type, Notifier& notifier);

// What removeAircraft does with the files downloaded below the aircraft's directory.
enum class DownloadedFiles {
    Ask,   // the user is asked once before they are deleted with the aircraft
    Delete // they are deleted with the aircraft without a question
};

enum class AircraftRemoval {
    Removed,
    Kept,  // the user chose to keep the aircraft and its files: nothing was changed
    Failed // KORALibDeleteAircraft reported a failure
};

// Removes a registered aircraft (its registered spelling) with its directory. Downloaded
// data is never deleted without a word: when the directory holds files, the user is asked
// (default No) unless `files` says to delete them.
AircraftRemoval removeAircraft(const QString& id, Notifier& notifier,
                               DownloadedFiles files = DownloadedFiles::Ask);
