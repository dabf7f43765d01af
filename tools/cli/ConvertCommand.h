#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli convert RESPONSE_FILE ID ENGINE": converts a saved response of the download
// command (the host-order response file as the link writes it) for a registered aircraft and
// engine 1 or 2 into the raw flight data file and the two engine data files in that engine's
// directory. The response file is left as it is.
//
// Output on out: the paths of the files written, one a line (raw, steady-state, transient).
// Messages, and the usage text after a usage error, go through the notifier.
//
// Returns 0 when all three files were written, 1 when something could not be converted or
// saved (already reported), 2 on a usage error.
int runConvertCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
