#pragma once

#include "EraseSequence.h"

#include <QStringList>

class Notifier;
class QTextStream;
class UnitConnection;

// "brix-cli erase --engine 1|2 [--engine ...] data|defect|accel ...": erases the named
// memories of the engines given, as the "Clear Memory" screen does, on `connection` (its
// address already loaded). `arguments` are the words after "erase". Like the screen it asks
// nothing first and makes no communication check; a unit that does not answer shows
// "Timeout" per step, and a unit that cannot be connected to "Failed" at once. `timeouts`
// are shortened by tests only.
//
// Output on out: "Engine <n>: " and the line as the progress dialog shows it, for each of the
// six steps as it ends, then the dialog's final text ("Erase Processing complete", or with
// the count of failed steps).
//
// Returns 0 when every requested erase completed; 1 when one failed or timed out; 2 on a
// usage error.
int runEraseCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                    QTextStream& out, EraseTimeouts timeouts = {});
