#pragma once

#include "EngineOptions.h"

#include <QStringList>

#include <optional>

class Notifier;
class QTextStream;
struct TrendRequest;

// "brix-cli trend --aircraft ID --engine N --param P [--stat max|mean] [--memory 0|1]
// [--data-dir DIR]": the trend of one engine over every stored flight of its raw flight data
// files (Trend.h): parameter type P 0..12, the maximum (default) or mean over the 26 bins, or
// an indicator from the index; both memories unless --memory names one. --data-dir reads
// another station's data directory without writing there (its index as fleet keeps it).
//
// Output on out, as CSV: the line "flight,date,memory,value,status", then one line per
// flight in the trend's order: flight number, download date "yyyy-MM-dd hh:mm" (local
// time), memory 0 or 1, value "%.9g", "OK" or "Suspect". The note of the files left out
// (trendSkippedNote) goes through the notifier as a warning.
//
// Returns 0 on success (also when no flight is found), 1 when DIR is no folder, 2 on a usage
// error.
int runTrendCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);

// The words of the trend command (--aircraft, --engine, --param, --stat, --memory, and
// `moreOptions`), also those of brix-cli plot's trend view, into `request`; on a usage error
// returns its text.
std::optional<QString> parseTrendRequest(const QStringList& arguments, TrendRequest& request,
                                         const QList<CommandOption>& moreOptions = {});
