#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli ci --aircraft ID --engine N [--memory 0|1] [--since yyyy-MM-dd] [--data-dir DIR]":
// the condition indicators of every stored flight of one engine, from the index of the data
// directory, or of DIR read without writing there (brought up to date first).
//
// Output on out, as CSV: the line
// "flight,date,memory,status,rms,peak,crest,kurtosis,n1x1,n2x1,bpfo,bpfi,bsf,ftf", then one
// line per flight in flight-number order (pre-defect first), a flight kept in several
// downloads once from the newest: flight number, download date "yyyy-MM-dd hh:mm" (local
// time), memory 0 or 1, "OK" or "Suspect", then the ten values "%.6g", an empty cell where a
// value is empty. --since keeps the downloads created on or after that local date.
//
// Returns 0 on success (also when no flight is found), 1 when DIR is no folder, 2 on a usage
// error.
int runIndicatorsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
