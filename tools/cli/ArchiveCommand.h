#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli archive OUT": the archive export of the program's File menu, for scripted
// backups. Packs the data directory into OUT (".gz" appended unless OUT ends in it) with the
// tar and gzip beside brix-cli, else the system's; an existing OUT is replaced.
//
// Output on out: "<archive path> <size> bytes". Messages, and the usage text after a usage
// error, go through the notifier.
//
// Returns 0 when the archive was saved, 1 when it was not (already reported), 2 on a usage
// error.
int runArchiveCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
