#pragma once

#include "PlotSeries.h"

#include <QString>

// The spectra's dB axis: amplitudes as 20 log10(G / 1 G), dB re 1 G.

// Whether the chart shows spectra in dB (bool, default false).
inline const QString kPlotDecibelsKey = QStringLiteral("Plot2D_dB");
inline constexpr bool kPlotDecibelsDefault = false;

inline const QString kDecibelAxisTitle = QStringLiteral("Magnitude (dB re 1 G)");
inline const QString kEnvelopeDecibelAxisTitle = QStringLiteral("Envelope Magnitude (dB re 1 G)");
// What an amplitude of 0 G shows (and a negative or NaN one, which no spectrum gives but a
// damaged record might): 1 microG, below anything the unit measures.
inline constexpr double kDecibelFloor = -120.0;
// In dB the waterfall's trace j (from 0) is lifted by j times this many dB, so trace 0 shows
// its own dB values and each trace above it sits one spacing higher; the CSV export takes
// the lift off again (withoutWaterfallOffset).
inline constexpr double kWaterfallDecibelSpacing = 20.0;

// 20 log10(amplitude), never below kDecibelFloor; kDecibelFloor for 0, a negative value,
// NaN or infinity.
double amplitudeToDecibels(double amplitudeG);

// The view of a spectrum (FFT or Envelope FFT) or waterfall with its Y values in dB and its
// Y-axis minimum the smallest of them. The spectrum's Y-axis title becomes kDecibelAxisTitle
// (the envelope's kEnvelopeDecibelAxisTitle); the waterfall
// keeps its title ("Bin": its Y axis still stacks traces) and its traces move from the level
// j + 1 G to j times kWaterfallDecibelSpacing. Any other view, or one already in dB, is returned
// as it is. `selection` is the one the view was built from.
PlotView decibelView(const PlotView& view, const PlotSelection& selection);
