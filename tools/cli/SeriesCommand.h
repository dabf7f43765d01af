#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli series --view steady|transient --param N [--bin B] [--sample S] [--flight F]
// [--window W] FILE:SLOT...": the series that the data viewer plots for the given view and
// parameter type, built from up to 10 flight slots of raw flight data files (slot 0..19).
// `arguments` are the words after "series". --bin is the transient bin (0..3, default 0),
// --sample the steady-state bin (0..25) or transient sample (0..9, default 0), --flight the
// waterfall's flight number (default: the first slot's), --window the spectrum window type
// (default 0, 1 is Hann).
//
// Output on out, as CSV:
//   # x-title: <X-axis title>
//   # y-title: <Y-axis title>
//   # footer: <footer>
//   # y-min: <Y-axis minimum>
//   # hidden: Trace 21,Trace 22       (only when the waterfall hides traces)
//   x,Flight 1234,...                 (the waterfall: x,Trace 1,...,Trace 26)
//   one row per point: X, then each series' Y
// Numbers as "%.9g"; the waterfall's values carry its trace offsets, as plotted. When the
// view builds no series (transient TR4R_avg, TR4R_std) only the "#" lines are written.
// Messages, and the usage text after a usage error, go through the notifier.
//
// Returns 0 on success, 1 when a slot cannot be read or more than 10 are given, 2 on a
// usage error.
int runSeriesCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
