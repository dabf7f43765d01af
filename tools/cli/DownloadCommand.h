#pragma once

#include <QStringList>

class Notifier;
class QTextStream;
class UnitConnection;

// "brix-cli download ID [--engine 1|2] [--timing]": the automatic download of one
// registered aircraft, as the download dialogs run it, on `connection` (its address
// already loaded). `arguments` are the words after "download".
//
// Runs the communication check, stores the record as confirmed (the last aircraft) and
// checks the serial numbers of the engines to be downloaded, then walks the step list with
// a 100-ms tick. --engine N limits the run to that engine: the other engine's steps end
// "Not requested" (the register is not changed).
//
// Output on out: "Engine <n>: " and the status line with its outcome as each step ends,
// then the dialog's final text ("Processing complete", or with the count of failed steps),
// after the notice when nothing is set to be done. After Ctrl-C (SIGINT) at any moment,
// which drops the transfer in progress like the dialog's cancel, the steps not done end
// "Not performed - cancelled" and "Download cancelled" is the last line. With --timing, "Transfer:
// X ms, conversion: Y ms" on standard error at the end. Messages go through the notifier.
//
// Returns 0 when every requested step completed; 1 when the unit did not answer, the
// aircraft is unknown, a serial number is too short, a step failed, timed out or was not
// performed, or the run was cancelled; 2 on a usage error.
int runDownloadCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                       QTextStream& out);
