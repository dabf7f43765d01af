#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// The "aircraft" commands of brix-cli; arguments are the words after "aircraft".
//
// Output on out:
//   list         one identifier a line, "* " before the selected one (the last aircraft if
//                still registered, else the first), "  " before the others
//   show ID      one "field: value" line per record field: aircraftId, shopId,
//                engine<N>.type, .serialNumber, .installDate, .download, .eraseData,
//                .eraseHistory, .eraseAccel (switches as on/off) for N = 1, 2, then comments;
//                "\" and line ends inside a text are written as "\\", "\r" and "\n"
//   types        one engine type a line
//   help         the usage text
// Messages, the notice of what an import changed, and the usage text after a usage error go
// through the notifier.
//
// Returns 0 on success, 1 when the operation failed (already reported), 2 on a usage error.
int runAircraftCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
