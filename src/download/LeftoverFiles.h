#pragma once

#include <QString>

class QDateTime;

// Names of the files a download keeps outside its data files, and the removal of those that
// a killed run left behind.

// While a run converts an engine's response, the response has this name beside the link's
// own response file: it names the process, so a leftover of a killed run can be found.
QString inFlightResponseName(const QString& linkResponseFile, int engineIndex,
                             const QDateTime& time);
// A response the conversion could not turn into all three files, kept for `brix-cli convert`
// under a name that no leftover cleaning ever matches.
QString keptResponseName(const QString& aircraftId, int engineIndex, const QDateTime& time);

// Moves a response file to `target` (a copy when it cannot be renamed) unless `target` is
// empty or taken. Returns where the response is now: `path` when it could not be moved.
QString moveResponseFile(const QString& path, const QString& target);

// Removes, from `home`, the response files of processes that no longer exist (the link's
// "ZELK-<pid>" and the in-flight per-engine files) and, below `dataDirectory`, the hidden
// ".part" files of such processes. Files of a live process, this one included, and kept
// responses are never touched. Returns how many files were removed.
int removeLeftoversOfEndedRuns(const QString& home, const QString& dataDirectory);

// True when a process with this id exists (one of another user's counts as existing).
bool processExists(qint64 pid);
