#pragma once

#include <QString>

class Notifier;

// An aircraft identifier names a settings key and a directory below the data directory, so
// it must not be able to point anywhere else, and the data directory must stay portable to
// the Windows PCs and archives it travels to.

// Longest identifier the add dialog takes.
inline constexpr int kMaxAircraftIdLength = 16;
// The import keeps this many characters of the identifier field.
inline constexpr int kImportedAircraftIdLength = 15;

// Why the identifier cannot be used, as a reason for kInvalidAircraftIdText; empty when it
// can. An empty or blank identifier is not judged here: callers report it as missing.
QString aircraftIdProblem(const QString& id, int maxLength = kMaxAircraftIdLength);

bool isBlankAircraftId(const QString& id);

// The full critical message for an identifier that aircraftIdProblem refuses.
QString invalidAircraftIdMessage(const QString& id, const QString& problem);

// Reports a blank or refused identifier as a critical "Error" message; true when it can be
// used.
bool checkAircraftId(const QString& id, Notifier& notifier);

// The identifier stored inside a record, before it forms a path: the register's settings can
// be edited by hand, so it is checked like an added one. A blank one passes (the record
// predates it); a refused one is reported as for checkAircraftId.
bool checkStoredAircraftId(const QString& id, Notifier& notifier);
