#pragma once

#include "PlotSeries.h"

#include <QList>
#include <QString>

struct BearingGeometry;
struct FlightDataElement;
class FlightRecord;

// Shaft-order markers of a spectrum: 1x and 2x the N1 and N2 shaft frequencies (RPM / 60 Hz)
// of the record the spectrum was computed from, with the spectral line nearest to each; and,
// marked the same way, the four defect frequencies of the engine type's bearing.

// Whether the chart marks the shaft orders (bool, default false).
inline const QString kPlotOrdersKey = QStringLiteral("Plot2D_Orders");
inline constexpr bool kPlotOrdersDefault = false;
// Whether the chart marks the bearing's defect frequencies (bool, default false).
inline const QString kPlotBearingKey = QStringLiteral("Plot2D_Bearing");
inline constexpr bool kPlotBearingDefault = false;

// The shaft speeds a record holds for one steady-state bin or transient sample, in RPM.
struct ShaftSpeeds {
    double n1Rpm = 0;
    double n2Rpm = 0;
};

// N1 and N2 of steady-state bin `sample` (0..25) or of transient bin `transientBin`, sample
// `sample` (0..9); 0 outside the record, as every accessor reads there.
ShaftSpeeds recordShaftSpeeds(const FlightRecord& record, PlotType plotType, int transientBin,
                              int sample);

enum class ShaftOrderState {
    Marked,        // drawn at frequencyHz, with its nearest line
    NoSpeed,       // the speed is 0 or below, or not a number: no marker
    AboveSpectrum, // the frequency lies beyond the spectrum's last line: no marker
};

struct ShaftOrder {
    QString name;         // "1xN1", "2xN1", "1xN2", "2xN2"; "BPFO", "BPFI", "BSF", "FTF"
    QString shaft;        // "N1" or "N2"
    bool bearing = false; // a defect frequency of the bearing, not a shaft order
    double speedRpm = 0;
    ShaftOrderState state = ShaftOrderState::NoSpeed;
    double frequencyHz = 0;     // multiple x speed / 60, or the defect frequency at that
                                // shaft frequency (Marked and AboveSpectrum)
    int line = -1;              // the nearest spectral line (Marked only)
    double lineFrequencyHz = 0; // line x kSpectrumSpacingHz
    double amplitude = 0;       // the spectrum's value at that line, in G or dB as the view

    // The marker's label: name and frequency to 0.1 Hz, as "1xN1 84.2 Hz".
    QString markerLabel() const;
};

// The four orders, in the order 1xN1, 2xN1, 1xN2, 2xN2, against the spectrum `amplitudes`
// (one value per line, line k at k x kSpectrumSpacingHz). A line beyond the values given
// reads as amplitude 0.
QList<ShaftOrder> shaftOrders(const ShaftSpeeds& speeds, const QList<double>& amplitudes);

// The bearing's four defect frequencies, in the order BPFO, BPFI, BSF, FTF, at the speed of
// the shaft that turns its inner race, marked against `amplitudes` as the orders are.
QList<ShaftOrder> bearingMarkers(const BearingGeometry& geometry, const ShaftSpeeds& speeds,
                                 const QList<double>& amplitudes);

// Which markers a view shows.
struct MarkerChoice {
    bool shaftOrders = true;
    // The defect frequencies, when the flight's engine type has a bearing geometry.
    bool bearing = false;
};

// The orders of series `seriesIndex` of a spectrum (FFT or Envelope FFT) or waterfall view, built
// from `flights` with `selection` (buildPlotView, possibly converted by decibelView):
//   FFT and Envelope FFT: the series' flight (flights in list order), the selected steady-state bin
//   or
//        transient sample;
//   waterfall: the waterfall's flight, trace j = steady-state bin j or transient sample j of
//        the selected transient bin; the amplitudes without the trace offset.
// The shaft orders first, then the bearing's frequencies, as `choice` says. Nothing for any
// other view or a series the view does not hold.
QList<ShaftOrder> viewShaftOrders(const PlotView& view, const PlotSelection& selection,
                                  const QList<FlightDataElement>& flights, int seriesIndex,
                                  MarkerChoice choice = {});

// One line of the order table, the unit "G" or "dB" as `decibels` says:
//   Marked:         "%-4s %9.2f Hz  line %3d %9.2f Hz %10.4f G"
//                   (name, frequency, nearest line, its frequency, its amplitude)
//   NoSpeed:        "%-4s no marker: N1 = %g RPM"          (the shaft's name and speed)
//   AboveSpectrum:  "%-4s %9.2f Hz  no marker: above the spectrum"
QString shaftOrderLine(const ShaftOrder& order, bool decibels);
// The table: one line per order, each + "\n".
QString shaftOrderTableText(const QList<ShaftOrder>& orders, bool decibels);
