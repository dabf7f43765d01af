#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli report ID [--engine 1|2] [--since yyyy-MM-dd] --out FILE.pdf": the maintenance
// report of a registered aircraft (MaintenanceReport.h), on the page size of the system's
// locale. Prints the written path. Needs a QApplication (the charts are widgets, drawn
// offscreen).
//
// Returns 0 when written, 1 when the aircraft is not registered or the file could not be
// written (reported, no file left), 2 on a usage error.
int runReportCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
