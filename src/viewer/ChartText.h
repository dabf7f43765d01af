#pragma once

#include "PlotSeries.h"

#include <QString>

// The texts the chart shows besides its series, kept apart from the chart so that they are
// built and tested without a window.

inline const QString kSteadyStateViewerTitle = QStringLiteral("Steady State 2-D Data Viewer");
inline const QString kTransientViewerTitle = QStringLiteral("Transient 2-D Data Viewer");
inline const QString kTrendViewerTitle = QStringLiteral("Engine Trend Viewer");

// The read-out of point `point` of series `seriesIndex` of `view`, named after the series:
//   trend:                     "%s: Flight %.0f (%s)  Y = %8.5g"  (the point's note: its date)
//   spectrum:                  "%s: %8.2f (Hz)  %8.3f (G)"     ("(dB)" in a view in dB)
//   waterfall:                 "Frequency : %8.6g (Hz)"          (X only)
//   transient averages:        "%s: X = %s  Y = %.5g"  (X as its bin label TOC/TOD/AOD/AOA)
//   time history:              "%s: X = %8.4g (ms)  Y = %8.5g"
//   all others:                "%s: X = %8.4g  Y = %8.5g"
// `selection` must be the one the series were built from. Empty for a series or point that
// the view does not hold.
QString readoutText(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                    int point);

// The read-out of a point measured from a reference point (the delta cursors): the point's
// read-out, then its difference to the reference point of series `referenceSeries`:
//   spectrum:                  "  dF = %.2f (Hz)  dY = %.3f (G)"  ("(dB)" in a view in dB)
//   waterfall:                 "  dF = %.2f (Hz)"                (its Y values carry offsets)
//   time history:              "  dX = %.4g (ms)  dY = %.5g"
//   all others:                "  dX = %.4g  dY = %.5g"
// Difference = point - reference. The plain read-out when the reference is not in the view;
// empty when the point is not.
QString deltaReadoutText(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                         int point, int referenceSeries, int referencePoint);

// The viewer window's title for the view.
QString viewerWindowTitle(PlotType plotType);
