#pragma once

#include "PlotSeries.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Notifier;
struct FlightDataElement;

// The words shared by the commands that show a view of stored flights (series, tabulate,
// waterfall-csv), read by one parser:
//   --view steady|transient   the view (required)
//   --param N                 parameter type 0..15 (required where the command takes it)
//   --bin B                   transient bin 0..3 (default 0)
//   --sample S                steady-state bin 0..25 or transient sample 0..9 (default 0)
//   --flight F                the waterfall's flight number (default: the first slot's)
//   --window W                spectrum window type (default 0, 1 is Hann)
//   --series I                the series to show, 0 to the number of slots - 1 (default 0)
//   --range MIN MAX           the X range, MIN <= MAX (default: the view's whole range)
//   FILE:SLOT...              flight slots (0..19) of raw flight data files

struct SlotName {
    QString path;
    int slot = -1;
};

struct XRange {
    double minimum = 0;
    double maximum = 0;
};

// Which words a command takes besides --view, --bin, --flight, --window and the slots.
struct ViewSyntax {
    bool parameter = true; // without it the command fixes the parameter type itself
    bool sample = true;
    bool series = false;
    bool range = false;
    bool flightRequired = false;
    bool sampleRequired = false;
    QString requiredText; // the usage error when a required option is missing
};

struct ViewArguments {
    PlotSelection selection;
    bool flightGiven = false;
    int series = 0;
    std::optional<XRange> range;
    QList<SlotName> slotNames;
};

// Fills `parsed` (whose selection keeps what the command preset); on a usage error returns
// its text.
std::optional<QString> parseViewArguments(const QStringList& arguments, const ViewSyntax& syntax,
                                          ViewArguments& parsed);

// The slots loaded as the flight selection would load them, the memory type (for the header)
// set to the first slot's, and the waterfall's flight to the first slot's unless --flight
// gave it. Reports through the notifier and returns nothing
// when more than 10 slots are given or a slot holds no flight that can be read.
std::optional<QList<FlightDataElement>> loadViewFlights(ViewArguments& parsed, Notifier& notifier);

// The X range to show: the one given, else from the smallest to the largest X of the view.
XRange viewRange(const PlotView& view, const std::optional<XRange>& given);
