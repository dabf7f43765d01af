#pragma once

#include <QStringList>

#include <memory>

class FlightIndex;
class Notifier;
class QTextStream;

// "brix-cli limits ...": the health limits of the engine types.
//   limits show [TYPE]     CSV "type,indicator,warning,alarm,change", one line per indicator
//                          with limits, of the type or of every registered type
//   limits set TYPE --ci C --warning W --alarm A [--change X]
//   limits clear TYPE --ci C
//   limits suggest TYPE --ci C [--apply]
//                          prints "warning W alarm A from N flights of M engines" (mean + 3
//                          and + 6 population sigma over the type's flights, suspect ones left
//                          out); --apply stores them, keeping the indicator's critical change
// Returns 0 on success, 1 when the register refuses (unknown type, impossible limits, no
// flights to suggest from), 2 on a usage error.
int runLimitsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);

// "brix-cli fleet [--format csv|json] [--data-dir DIR]": one row per aircraft and engine,
// worst first, as CSV (header "aircraft,engine,type,serial,last_download,flights,suspect,
// state,indicator,value,limit,flights_to_alarm") or a JSON array of objects with those keys.
// Without --data-dir the registered aircraft from the index of this station's data directory;
// with it the aircraft folders found in DIR, read without writing there.
// Returns 0 on success, 1 when DIR is no folder, 2 on a usage error.
int runFleetCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);

// Whether the data directory that --data-dir names is a folder; reported when it is not.
bool isDataDirectory(const QString& directory, Notifier& notifier);
// The index of the data directory that --data-dir names, kept outside it (the user's cache
// folder, or memory); none, reported, when it is no folder.
std::unique_ptr<FlightIndex> openDataDirectory(const QString& directory, Notifier& notifier);
