#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli plot --view steady|transient --param N [--bin B] [--sample S] [--flight F]
// [--window W] FILE:SLOT... --out FILE [--size WxH]" and "brix-cli plot --view trend --param N
// --aircraft ID --engine N [--stat max|mean] [--memory 0|1] --out FILE [--size WxH]" (the
// words of brix-cli trend): the viewer's chart of that view drawn offscreen (renderChart)
// into FILE, PNG, SVG or PDF by its extension, at WxH pixels (default 1366x768). Spectra are in dB
// when the viewer's setup says so, and the trend's alert line is the viewer's; every series is
// shown, without grids.
//
// Prints the file's path on success. Returns 0 on success, 1 when the flights cannot be read
// or the file cannot be written (reported through the notifier), 2 on a usage error. Needs a
// QApplication.
int runPlotCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
