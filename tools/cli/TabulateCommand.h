#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli tabulate --view steady|transient --param N [--bin B] [--sample S] [--flight F]
// [--window W] [--series I] [--range MIN MAX] FILE:SLOT...": what the tabulation window
// saves for series I (default 0) of the view over [MIN, MAX] (default: the view's whole X
// range): the tag, the three header lines, a blank line and one row per point in range.
// The words are those of "brix-cli series" (ViewArguments.h).
//
// Returns 0 on success, 1 for the waterfall (exported with waterfall-csv), for a view that
// plots nothing and when a slot cannot be read, 2 on a usage error.
int runTabulateCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);

// "brix-cli waterfall-csv --view steady|transient --flight F [--bin B] [--window W]
// [--range MIN MAX] FILE:SLOT...": the waterfall export of flight F over [MIN, MAX]
// (default: the whole range): the flight number line, the header and footer lines, then
// per point X and the amplitude of every trace, hidden ones too.
//
// Returns 0 on success, 1 when a slot cannot be read, 2 on a usage error.
int runWaterfallCsvCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
