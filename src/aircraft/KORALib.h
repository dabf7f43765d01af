#pragma once

#include "AircraftRecord.h"

#include <QString>
#include <QStringList>

class Notifier;

// The register's operations. Each opens the application store for the length of the call;
// nothing of the register is kept in memory.

// The aircraft identifiers in the store's order and the one that a single-selection list
// ends up with selected: "LastAircraft" when it is registered (exact spelling), otherwise the
// first; -1 when the list is empty.
struct AircraftList {
    QStringList items;
    int selectedIndex = -1;
};

// Checks one directory and, with create, makes it with all missing parents. Reports a failure
// itself (critical, "Error") and returns false.
bool KORALibCheckDir(const QString& path, bool create, Notifier& notifier);

// Makes sure every registered aircraft has its directory and both engine directories below
// dataDirectory; stops at the first aircraft that fails. False when one failed.
bool KORALibBuildAircraftDir(const QString& dataDirectory, Notifier& notifier);

// The stored record; zeros wherever the stored value is missing or short.
AircraftRecord KORALibReadAircraft(const QString& id);

// Replaces the stored record. Refuses (false) an identifier that aircraftIdProblem refuses,
// since it would not come back as one child key of the register.
bool KORALibWriteAircraft(const QString& id, const AircraftRecord& record);

int KORALibCountAircraft();
AircraftList KORALibListAircraft();

// Removes the aircraft's directories and its record. The record is removed even when the
// directory could not be removed in full (reported, false). An invalid identifier is refused
// before anything is touched.
bool KORALibDeleteAircraft(const QString& id, Notifier& notifier);

// The files that KORALibDeleteAircraft would delete with the aircraft's directory, counted
// through every sub-directory: 0 when the aircraft is not registered, its identifier is
// refused or its directory is a link (none of which has files deleted).
int downloadedFileCount(const QString& id);

// The engine types from index 0 up to the first missing index.
QStringList KORALibListEngineTypes();
// Every top-level "EngineType_..." key, gaps or not.
int KORALibCountEngineTypes();
// Removes the first entry equal to the type (case-sensitive) and closes the gap, and the
// type's bearing geometry and health limits with it. False when no entry matched; nothing is
// changed then.
bool KORALibRemoveEngineType(const QString& type);

// Imports the aircraft of a comma-separated file (see AircraftImportParser.h); each imported
// line replaces its aircraft's record in full. Returns the number of aircraft imported, -1
// when the file cannot be opened.
int KORALibImportAircraft(const QString& path, Notifier& notifier);

// The registered spelling of an identifier, compared without regard to letter case; empty
// when none matches. An exact match wins over one that differs in case.
QString registeredAircraftId(const QString& id);
