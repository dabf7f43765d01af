#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli flights [--aircraft ID] [--engine 1|2] [--memory 0|1] [--newest] [--status]": the
// flight slots that the data viewer's flight selection lists, scanned from the data directory;
// with --newest, as its "Newest download only" lists them (each flight once, from its newest
// download).
// `arguments` are the words after "flights". Each filter is optional; the aircraft ID is
// compared exactly (case-sensitive).
//
// Output on out, one line per listed slot in listing order: the raw file's absolute path, a
// tab, the slot index (0..19), a tab, the flight list's entry text. With --status, after each
// such line the viewer's two data status lines, "Flight <n> - Steady State Status OK|Suspect"
// and "Flight <n> - Transient Data Status OK|Suspect"; a slot that can no longer be read
// gets a warning instead of them.
//
// Returns 0 on success (also when nothing is listed), 1 when a slot's status could not be
// read, 2 on a usage error.
int runFlightsCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
