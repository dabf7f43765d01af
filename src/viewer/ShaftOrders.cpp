#include "ShaftOrders.h"

#include "FlightDataElement.h"
#include "FlightRecord.h"
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
    // The last line's interval ends half a spacing above it.
    constexpr double kHighestFrequency = (kSpectrumPoints - 0.5) * kSpectrumSpacingHz;
    QList<ShaftOrder> orders;
    for (const OrderDefinition& definition : kOrders) {
        ShaftOrder order;
        order.name = QString::fromLatin1(definition.name);
        order.shaft = QString::fromLatin1(definition.shaft);
        order.speedRpm = definition.n2 ? speeds.n2Rpm : speeds.n1Rpm;
        // NaN fails the comparison too.
        if (!(order.speedRpm > 0)) {
            orders.append(order);
            continue;
        }
        order.frequencyHz = definition.multiple * order.speedRpm / kSecondsPerMinute;
        if (!(order.frequencyHz < kHighestFrequency)) {
            order.state = ShaftOrderState::AboveSpectrum;
            orders.append(order);
            continue;
        }
        order.state = ShaftOrderState::Marked;
        order.line = int(std::lround(order.frequencyHz / kSpectrumSpacingHz));
        order.lineFrequencyHz = order.line * kSpectrumSpacingHz;
        order.amplitude = order.line < amplitudes.size() ? amplitudes[order.line] : 0.0;
        orders.append(order);
    }
    return orders;
}

QList<ShaftOrder> viewShaftOrders(const PlotView& view, const PlotSelection& selection,
                                  const QList<FlightDataElement>& flights, int seriesIndex) {
    if (seriesIndex < 0 || seriesIndex >= view.series.size())
        return {};
    const PlotSeries& series = view.series[seriesIndex];
    if (selection.parameterType == ParameterType::Fft) {
        if (seriesIndex >= flights.size())
            return {};
        const ShaftSpeeds speeds =
            recordShaftSpeeds(FlightRecord(flights[seriesIndex]), selection.plotType,
                              selection.transientBin, selection.sample);
        return shaftOrders(speeds, series.y);
    }
    if (selection.parameterType != ParameterType::Waterfall)
        return {};
    const FlightRecord record = loadedFlightRecord(
        flights, FlightKey{selection.flightNumber, selection.flightCreationTime});
    // The traces are the steady-state bins, or the samples of the selected transient bin.
    const ShaftSpeeds speeds =
        recordShaftSpeeds(record, selection.plotType, selection.transientBin, seriesIndex);
    return shaftOrders(speeds, withoutWaterfallOffset(view, series.y, seriesIndex));
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
