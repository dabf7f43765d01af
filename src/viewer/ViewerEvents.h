#pragma once

#include <QString>
#include <QtGlobal>

// The event codes of the viewer's windows. The setup dialog sends its changes to the plot
// window under the same codes, with the value that says what changed.
enum ViewerEvent : int {
    kOpenViewerEvent = 10000,   // the viewer was shown: draw the first plot
    kPlotTypeEvent = 13000,     // value: 0 steady state, 1 transient, 2 the trend
    kParameterEvent = 13001,    // value: the parameter type
    kTransientBinEvent = 13002, // value: the transient bin
    kPlotAreaClickedEvent = 13003,
    kSeriesClickedEvent = 13006,
    // Value: the series, or the series | kHideSeriesFlag to hide it.
    kShowSeriesEvent = 13007,
    kSetupEvent = 13008,
    kXGridEvent = 13009, // value 1 on, 0 off
    kYGridEvent = 13010,
    kPrintEvent = 13011,
    kTabulateEvent = 13012,
    kSaveTabulationEvent = 13013,
    kResetZoomEvent = 13014,
    kRangeChangedEvent = 13015,
    kSampleEvent = 13016,     // value: the place of the sample button, from 0
    kWindowTypeEvent = 13017, // value: the spectrum window type
    // Keys of the plot window: the previous or next parameter type the view offers.
    kPreviousParameterEvent = 13018,
    kNextParameterEvent = 13019,
    kCloseWindowEvent = 13020,    // Esc: closes the window it was pressed in
    kOrdersEvent = 13021,         // value 1 on, 0 off
    kDecibelsEvent = 13022,       // value 1 on, 0 off
    kTrendStatisticEvent = 13023, // value 0 maximum, 1 mean
    // Esc in the plot window: removes the reference cursor if one is set, else closes.
    kEscapeEvent = 13024,
    kExportChartEvent = 13025, // File > Export Chart...
    kBearingEvent = 13026,     // value 1 on, 0 off
    kIndicatorEvent = 13027,   // value: the condition indicator (Indicator), shown as a trend
};

inline constexpr quint32 kHideSeriesFlag = 0x80000000u;

// The help page of every window of the viewer.
inline const QString kViewerHelpContext = QStringLiteral("HelpViewer");
