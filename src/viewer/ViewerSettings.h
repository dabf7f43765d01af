#pragma once

#include "PlotSeries.h"
#include "Trend.h"

#include <QString>

class QVariant;

// The viewer's settings (application store): what was shown last.
inline const QString kPlotTypeKey = QStringLiteral("Plot2D_PlotType");
inline const QString kParameterTypeKey = QStringLiteral("Plot2D_ParmType");
inline const QString kTransientBinKey = QStringLiteral("Plot2D_TransientBinType");
inline const QString kLastFlightKey = QStringLiteral("Plot2D_LastFlight");
inline const QString kLastSampleKey = QStringLiteral("Plot2D_LastSample");
inline const QString kXGridKey = QStringLiteral("Plot2D_XGrid");
inline const QString kYGridKey = QStringLiteral("Plot2D_YGrid");
inline const QString kWindowTypeKey = QStringLiteral("Plot2D_FFT_WINDOW_TYPE");
// The trend view has keys of its own: "Plot2D_PlotType" keeps the record view (0 steady
// state, 1 transient) that the other buttons return to, and stays readable by any build.
inline const QString kTrendShownKey = QStringLiteral("Plot2D_Trend");
inline const QString kTrendStatisticKey = QStringLiteral("Plot2D_TrendStatistic"); // 0 max, 1 mean
// The condition indicator whose trend is shown in place of a parameter type's, by its name
// (rms, kurtosis, ...); absent or empty when none.
inline const QString kTrendIndicatorKey = QStringLiteral("Plot2D_TrendIndicator");

// What the viewer opens with: the thirteen settings it keeps (with the orders', the bearing's
// and the decibels'
// keys of the spectrum code), each read back to a value the viewer can show.
struct ViewerSettings {
    // Plot type, parameter type, transient bin, last flight and sample, spectrum window.
    PlotSelection selection;
    bool xGrid = false;
    bool yGrid = false;
    bool trend = false;
    TrendStatistic trendStatistic = TrendStatistic::Maximum;
    std::optional<Indicator> trendIndicator;
    bool orders = false;
    bool bearing = false;
    bool decibels = false;
};

// A number that names no plot or parameter type (a damaged store, a later build) reads as
// the default.
ViewerSettings readViewerSettings();

// Keeps one of the viewer's choices for its next opening.
void storeViewerSetting(const QString& key, const QVariant& value);
