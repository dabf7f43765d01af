#pragma once

#include "ViewerTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

struct FlightDataElement;

// What the viewer plots for a view and parameter type, built from the loaded flights without
// a window: the chart only displays these results.

// Time records are sampled at 9765.625 Hz. (The spectra's X spacing is the spectrum's.)
inline constexpr double kSampleIntervalMs = 0.1024;

// The texts of the parameter types: the menu text and the chart's Y-axis title. A type whose
// number names no entry (cast from a stored number) has empty texts.
QString parameterMenuText(ParameterType parameterType);
QString parameterAxisTitle(ParameterType parameterType);
// Whether `parameterType` shows one spectrum per flight (FFT or Envelope FFT): its points are
// the spectral lines of one record, read, tabulated and marked alike.
bool isRecordSpectrum(ParameterType parameterType);
// Whether the view `plotType` offers `parameterType`: the transient view has no series of
// TR4R_avg and TR4R_std, and no envelope spectrum (its band is chosen for the steady state's
// bearing impacts).
bool offeredInView(PlotType plotType, ParameterType parameterType);
// Transient bins 0..3: the menu text ("TOC (Top Of Climb)") and the axis label ("TOC");
// empty outside.
QString transientBinMenuText(int transientBin);
QString transientBinAxisLabel(int transientBin);
// "Pre-Defect" for the pre-defect memory, "Post-Defect" for any other.
QString memoryTypeHeader(MemoryType memoryType);
// The download of a raw file, from its header's creation time, in local time as its file
// name has it: "07-DEC-2026 18:21:09".
QString downloadTimeText(quint32 creationTime);

inline const QString kBinNumberAxisTitle = QStringLiteral("Bin Number");
inline const QString kTimeHistoryAxisTitle = QStringLiteral("Time History (ms)");
inline const QString kFrequencyAxisTitle = QStringLiteral("Frequency (Hz)");
inline const QString kBinNumberFooter = QStringLiteral("Bin Number %1");
inline const QString kWaterfallFlightFooter = QStringLiteral("Flight # %1");
// %1 the sample (1-based), %2 the transient bin's axis label.
inline const QString kSampleNumberFooter = QStringLiteral("Sample Number %1: (%2)");
inline const QString kFlightSeriesName = QStringLiteral("Flight %1");
// A second series of one flight number: %1 the number, %2 downloadTimeText().
inline const QString kRepeatedFlightSeriesName = QStringLiteral("Flight %1 (%2)");
inline const QString kWaterfallTraceName = QStringLiteral("Trace %1");

inline const QString kSteadyStateDataHeader = QStringLiteral("Steady State Data: %1: Engine %2");
inline const QString kSteadyStateSpectraHeader =
    QStringLiteral("Steady State Frequency Spectra: %1: Engine %2");
inline const QString kTransientDataHeader = QStringLiteral("Transient Data: %1: Engine %2");
inline const QString kTransientSpectraHeader =
    QStringLiteral("Transient Frequency Spectra: %1: Engine %2");
inline const QString kPreDefectHeader = QStringLiteral("Pre-Defect");
inline const QString kPostDefectHeader = QStringLiteral("Post-Defect");

// The viewer's selection state.
struct PlotSelection {
    PlotType plotType = PlotType::SteadyState;
    ParameterType parameterType = ParameterType::A4R;
    int transientBin = 0;
    int sample = 0; // steady-state bin 0..25, or the sample 0..9 within the transient bin
    // The waterfall's flight: the first loaded flight with this number, or, when the
    // creation time is given too, the one from that file (two files may share a number).
    qint32 flightNumber = -1;
    std::optional<quint32> flightCreationTime;
    MemoryType memoryType = MemoryType::PreDefect; // titles only
    int windowType = 0;                            // spectrum window: 1 Hann, anything else none
};

struct PlotSeries {
    // "Flight %1" or kRepeatedFlightSeriesName; the waterfall's "Trace %1" is for exports only
    QString name;
    QList<double> x;
    QList<double> y;
    bool visible = true; // the waterfall hides traces whose time record is all zeros
    // The trend's: the indexes of the points drawn with a hollow marker (suspect flights),
    // and a note per point that the read-out shows beside X (the download date).
    QList<int> hollowPoints;
    QStringList pointNotes;
};

struct PlotLabel {
    double x = 0;
    QString text;
};

struct PlotView {
    // False when the view draws nothing new (transient TR4R_avg and TR4R_std): the chart
    // keeps what it showed, though the footer still names the parameter.
    bool seriesBuilt = false;
    QList<PlotSeries> series;
    bool markers = false; // bin plots show markers only, the others lines only
    bool waterfall = false;
    QString xAxisTitle;
    QString yAxisTitle;
    QString footer;
    QString headerLine1;
    QString headerLine2;
    QList<PlotLabel> xAxisLabels; // the transient averages name their bins
    double yAxisMinimum = 0;
    // The trend over stored flights: X counts flights, each point has its note.
    bool trend = false;
    // A horizontal line at this Y (the trend's alert level).
    std::optional<double> alertLevel;
    // Two more: an indicator trend's warning and alarm limits.
    std::optional<double> warningLimit;
    std::optional<double> alarmLimit;
    // Y in dB re 1 G (a spectrum converted by decibelView()).
    bool decibels = false;
};

// Builds the view from the loaded flights. Each flight's series come from its own record;
// unknown plot or parameter types build nothing.
PlotView buildPlotView(const PlotSelection& selection, const QList<FlightDataElement>& flights);

// The Y-axis minimum of a view of `parameterType`: 0, except for A4R and the time history,
// where it is the smaller of 0 and the smallest Y of all series.
double yAxisMinimumOf(const PlotView& view, ParameterType parameterType);

// The level that waterfall trace `trace` (counted from 0) rests on: trace + 1 G, or in a
// view converted to dB, trace times kWaterfallDecibelSpacing (Decibels.h).
double waterfallTraceOffset(const PlotView& view, int trace);
// Takes that offset off again, as the CSV export shows the amplitudes themselves.
QList<double> withoutWaterfallOffset(const PlotView& view, const QList<double>& values, int trace);
