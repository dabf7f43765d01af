#pragma once

class Notifier;
class QString;

// What the add dialogs do on OK, without the dialogs. Each reports a refusal itself
// (critical, "Error") and returns false.

// Registers an all-zero record holding only the identifier, makes it the last aircraft and
// creates its directories. False as well when a directory could not be made; the record
// stays registered then.
bool addAircraft(const QString& id, Notifier& notifier);

// Appends the type to the engine-type list.
bool addEngineType(const QString& type, Notifier& notifier);
