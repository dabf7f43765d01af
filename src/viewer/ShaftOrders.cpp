#include "ShaftOrders.h"

#include "BearingFrequencies.h"
#include "BearingGeometryStore.h"
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "FlightSelection.h"
#include "Spectrum.h"

#include <array>
#include <cmath>

namespace {

constexpr double kSecondsPerMinute = 60.0;

struct OrderDefinition {
    const char* name;
    const char* shaft;
    int multiple;
    bool n2;
};

constexpr std::array<OrderDefinition, 4> kOrders = {{
    {"1xN1", "N1", 1, false},
    {"2xN1", "N1", 2, false},
    {"1xN2", "N2", 1, true},
    {"2xN2", "N2", 2, true},
}};

// A marker of `speedRpm` (on `shaft`) at the frequency that `frequencyAt` gives for that
// shaft's frequency in Hz: at the nearest line of the spectrum, or none without a speed or
// beyond the spectrum.
template <typename FrequencyAt>
ShaftOrder markedOrder(const QString& name, const QString& shaft, double speedRpm,
                       FrequencyAt frequencyAt, const QList<double>& amplitudes) {
    // The last line's interval ends half a spacing above it.
    constexpr double kHighestFrequency = (kSpectrumPoints - 0.5) * kSpectrumSpacingHz;
    ShaftOrder order;
    order.name = name;
    order.shaft = shaft;
    order.speedRpm = speedRpm;
    // NaN fails the comparison too.
    if (!(speedRpm > 0))
        return order;
    order.frequencyHz = frequencyAt(speedRpm / kSecondsPerMinute);
    if (!(order.frequencyHz < kHighestFrequency)) {
        order.state = ShaftOrderState::AboveSpectrum;
        return order;
    }
    order.state = ShaftOrderState::Marked;
    order.line = int(std::lround(order.frequencyHz / kSpectrumSpacingHz));
    order.lineFrequencyHz = order.line * kSpectrumSpacingHz;
    order.amplitude = order.line < amplitudes.size() ? amplitudes[order.line] : 0.0;
    return order;
}

// The series' flight: for a spectrum the series' own, for a waterfall the waterfall's.
const FlightDataElement* seriesFlight(const PlotSelection& selection,
                                      const QList<FlightDataElement>& flights, int seriesIndex) {
    if (isRecordSpectrum(selection.parameterType))
        return seriesIndex < flights.size() ? &flights[seriesIndex] : nullptr;
    return findLoadedFlight(flights,
                            FlightKey{selection.flightNumber, selection.flightCreationTime});
}

} // namespace

ShaftSpeeds recordShaftSpeeds(const FlightRecord& record, PlotType plotType, int transientBin,
                              int sample) {
    constexpr int kN1 = valueOf(ParameterType::N1);
    constexpr int kN2 = valueOf(ParameterType::N2);
    if (plotType == PlotType::SteadyState)
        return {record.steadyStateValue(kN1, sample), record.steadyStateValue(kN2, sample)};
    return {record.transientValue(kN1, transientBin, sample),
            record.transientValue(kN2, transientBin, sample)};
}

QString ShaftOrder::markerLabel() const {
    return QStringLiteral("%1 %2 Hz").arg(name, QString::number(frequencyHz, 'f', 1));
}

QList<ShaftOrder> shaftOrders(const ShaftSpeeds& speeds, const QList<double>& amplitudes) {
    QList<ShaftOrder> orders;
    for (const OrderDefinition& definition : kOrders) {
        orders.append(markedOrder(
            QString::fromLatin1(definition.name), QString::fromLatin1(definition.shaft),
            definition.n2 ? speeds.n2Rpm : speeds.n1Rpm,
            [&](double shaftHz) { return definition.multiple * shaftHz; }, amplitudes));
    }
    return orders;
}

QList<ShaftOrder> bearingMarkers(const BearingGeometry& geometry, const ShaftSpeeds& speeds,
                                 const QList<double>& amplitudes) {
    using Frequency = double BearingFrequencies::*;
    static const std::array<std::pair<const char*, Frequency>, 4> kDefects = {{
        {"BPFO", &BearingFrequencies::outerRace},
        {"BPFI", &BearingFrequencies::innerRace},
        {"BSF", &BearingFrequencies::rollingElement},
        {"FTF", &BearingFrequencies::cage},
    }};
    const bool n1 = geometry.shaft == BearingShaft::N1;
    QList<ShaftOrder> markers;
    for (const auto& [name, frequency] : kDefects) {
        ShaftOrder marker = markedOrder(
            QString::fromLatin1(name), bearingShaftName(geometry.shaft),
            n1 ? speeds.n1Rpm : speeds.n2Rpm,
            [&](double shaftHz) { return bearingFrequencies(geometry, shaftHz).*frequency; },
            amplitudes);
        marker.bearing = true;
        markers.append(marker);
    }
    return markers;
}

QList<ShaftOrder> viewShaftOrders(const PlotView& view, const PlotSelection& selection,
                                  const QList<FlightDataElement>& flights, int seriesIndex,
                                  MarkerChoice choice) {
    if (seriesIndex < 0 || seriesIndex >= view.series.size())
        return {};
    const bool waterfall = selection.parameterType == ParameterType::Waterfall;
    if (!isRecordSpectrum(selection.parameterType) && !waterfall)
        return {};
    const FlightDataElement* flight = seriesFlight(selection, flights, seriesIndex);
    // A spectrum's series is its flight's; a waterfall's are the steady-state bins, or the
    // samples of the selected transient bin, of its one flight.
    if (flight == nullptr && !waterfall)
        return {};
    const FlightRecord record = flight != nullptr ? FlightRecord(*flight) : FlightRecord();
    const ShaftSpeeds speeds = recordShaftSpeeds(record, selection.plotType, selection.transientBin,
                                                 waterfall ? seriesIndex : selection.sample);
    const QList<double> amplitudes =
        waterfall ? withoutWaterfallOffset(view, view.series[seriesIndex].y, seriesIndex)
                  : view.series[seriesIndex].y;
    QList<ShaftOrder> markers;
    if (choice.shaftOrders)
        markers = shaftOrders(speeds, amplitudes);
    if (choice.bearing && flight != nullptr) {
        if (const std::optional<BearingGeometry> geometry =
                readBearingGeometry(flightEngineType(*flight)))
            markers += bearingMarkers(*geometry, speeds, amplitudes);
    }
    return markers;
}

QString shaftOrderLine(const ShaftOrder& order, bool decibels) {
    const QByteArray name = order.name.toLatin1();
    switch (order.state) {
    case ShaftOrderState::Marked:
        return QString::asprintf("%-4s %9.2f Hz  line %3d %9.2f Hz %10.4f %s", name.constData(),
                                 order.frequencyHz, order.line, order.lineFrequencyHz,
                                 order.amplitude, decibels ? "dB" : "G");
    case ShaftOrderState::NoSpeed:
        return QString::asprintf("%-4s no marker: %s = %g RPM", name.constData(),
                                 order.shaft.toLatin1().constData(), order.speedRpm);
    case ShaftOrderState::AboveSpectrum:
        break;
    }
    return QString::asprintf("%-4s %9.2f Hz  no marker: above the spectrum", name.constData(),
                             order.frequencyHz);
}

QString shaftOrderTableText(const QList<ShaftOrder>& orders, bool decibels) {
    QString text;
    for (const ShaftOrder& order : orders)
        text += shaftOrderLine(order, decibels) + QLatin1Char('\n');
    return text;
}
