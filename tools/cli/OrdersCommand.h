#pragma once

#include <QStringList>

class Notifier;
class QTextStream;

// "brix-cli orders --view steady|transient [--bin B] --sample S [--window W] FILE:SLOT": the
// shaft-order table of the spectrum (FFT) of one flight slot: steady-state bin S (0..25) or
// sample S (0..9) of transient bin B (0..3, default 0), with the spectrum window W (default
// 0, 1 is Hann). One line per order, 1xN1, 2xN1, 1xN2, 2xN2, as shaftOrderLine() writes it
// (ShaftOrders.h), amplitudes in G.
//
// Returns 0 on success, 1 when the slot cannot be read, 2 on a usage error.
int runOrdersCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out);
