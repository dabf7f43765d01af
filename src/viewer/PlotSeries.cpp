#include "PlotSeries.h"

#include "Decibels.h"
#include "DownloadFileNames.h"
#include "EnvelopeSpectrum.h"
#include "FlightDataElement.h"
#include "FlightRecord.h"
#include "Spectrum.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <array>

namespace {

struct ParameterText {
    const char* menuText;
    const char* axisTitle;
};

constexpr std::array<ParameterText, kParameterTypeCount> kParameterTexts = {{
    {"A4R_avg", "A4R_avg"},
    {"TR4R_avg", "TR4R_avg"},
    {"TR4R_std", "TR4R_std"},
    {"CN1_avg", "CN1_avg"},
    {"CN2_avg", "CN2_avg"},
    {"CDN_avg", "CDN_avg"},
    {"A4R", "A4R"},
    {"TR4R", "TR4R"},
    {"N1", "N1 (RPM)"},
    {"N2", "N2 (RPM)"},
    {"CN1", "CN1"},
    {"CN2", "CN2"},
    {"CDN", "CDN"},
    {"Time History", "Amplitude (G)"},
    {"FFT", "Magnitude (G)"},
    {"Waterfall FFT", "Bin"},
    {"Envelope FFT", "Envelope Magnitude (G)"},
}};

struct TransientBinText {
    const char* menuText;
    const char* axisLabel;
};

constexpr std::array<TransientBinText, FlightRecord::kTransientBinCount> kTransientBinTexts = {{
    {"TOC (Top Of Climb)", "TOC"},
    {"TOD (Top Of Descent)", "TOD"},
    {"AOD (All Other Decels)", "AOD"},
    {"AOA (All Other Accels)", "AOA"},
}};

constexpr int kLastSteadyStateRowType = valueOf(ParameterType::CDN);
constexpr int kLastAverageType = valueOf(ParameterType::CDNAverage);

enum class XRule { Bins, Time, Frequency };

QList<double> xValues(XRule rule, int points) {
    QList<double> x(points);
    for (int k = 0; k < points; ++k) {
        switch (rule) {
        case XRule::Bins:
            x[k] = k + 1;
            break;
        case XRule::Time:
            x[k] = k * kSampleIntervalMs;
            break;
        case XRule::Frequency:
            x[k] = k * kSpectrumSpacingHz;
            break;
        }
    }
    return x;
}

// One series per loaded flight, in list order, each from the flight's own record: a lookup
// by flight number and creation time could pick another flight with the same key. A flight
// number met again (another download of the flight) is named with its download's time.
template <typename Fill>
void addFlightSeries(PlotView& view, const QList<FlightDataElement>& flights, XRule rule,
                     int points, Fill fill) {
    const QList<double> x = xValues(rule, points);
    QSet<qint32> named;
    for (const FlightDataElement& flight : flights) {
        PlotSeries series;
        series.name = named.contains(flight.flightNumber)
                          ? kRepeatedFlightSeriesName.arg(QString::number(flight.flightNumber),
                                                          downloadTimeText(flight.creationTime()))
                          : kFlightSeriesName.arg(flight.flightNumber);
        named.insert(flight.flightNumber);
        series.x = x;
        series.y.resize(points);
        fill(FlightRecord(flight), series.y.data());
        view.series.append(std::move(series));
    }
    view.seriesBuilt = true;
}

// Trace j of the waterfall: the spectrum of time record j lifted onto the level j + 1, and
// shown only when the record holds any non-zero sample.
template <typename ReadTrace>
void addWaterfall(PlotView& view, const PlotSelection& selection,
                  const QList<FlightDataElement>& flights, int traces, SpectrumView spectrumView,
                  ReadTrace readTrace) {
    const FlightRecord record = loadedFlightRecord(
        flights, FlightKey{selection.flightNumber, selection.flightCreationTime});
    const QList<double> x = xValues(XRule::Frequency, kSpectrumPoints);
    QList<double> timeRecord(FlightRecord::kTimeRecordLength);
    const bool steadyStateHann =
        spectrumView == SpectrumView::SteadyState && selection.windowType == kHannWindow;
    for (int j = 0; j < traces; ++j) {
        readTrace(record, j, timeRecord.data());
        PlotSeries trace;
        trace.name = kWaterfallTraceName.arg(j + 1);
        trace.x = x;
        trace.y.resize(kSpectrumPoints);
        trace.visible = std::any_of(timeRecord.cbegin(), timeRecord.cend(),
                                    [](double value) { return value != 0.0; });
        recordSpectrum(timeRecord.constData(), selection.windowType, spectrumView, trace.y.data());
        const double level = j + 1;
        for (double& y : trace.y)
            y += level;
        trace.y[0] = level;
        if (steadyStateHann)
            trace.y[1] = level;
        view.series.append(std::move(trace));
    }
    view.seriesBuilt = true;
    view.waterfall = true;
    view.footer = selection.plotType == PlotType::SteadyState
                      ? kWaterfallFlightFooter.arg(selection.flightNumber)
                      : transientBinMenuText(selection.transientBin);
}

void buildSteadyState(PlotView& view, const PlotSelection& selection,
                      const QList<FlightDataElement>& flights) {
    const int type = valueOf(selection.parameterType);
    const int bin = selection.sample;
    if (type <= kLastSteadyStateRowType) {
        addFlightSeries(view, flights, XRule::Bins, FlightRecord::kBinCount,
                        [type](const FlightRecord& record, double* y) {
                            record.steadyStateRow(type, FlightRecord::kBinCount, y);
                        });
        view.markers = true;
        view.xAxisTitle = kBinNumberAxisTitle;
    } else if (selection.parameterType == ParameterType::TimeHistory) {
        addFlightSeries(view, flights, XRule::Time, FlightRecord::kTimeRecordLength,
                        [bin](const FlightRecord& record, double* y) {
                            record.steadyStateTimeRecord(bin, FlightRecord::kTimeRecordLength, y);
                        });
        view.xAxisTitle = kTimeHistoryAxisTitle;
        view.footer = kBinNumberFooter.arg(bin + 1);
    } else if (isRecordSpectrum(selection.parameterType)) {
        const bool envelope = selection.parameterType == ParameterType::EnvelopeFft;
        QList<double> timeRecord(FlightRecord::kTimeRecordLength);
        addFlightSeries(view, flights, XRule::Frequency, kSpectrumPoints,
                        [&](const FlightRecord& record, double* y) {
                            record.steadyStateTimeRecord(bin, FlightRecord::kTimeRecordLength,
                                                         timeRecord.data());
                            if (envelope)
                                envelopeSpectrum(timeRecord.constData(), selection.windowType, y);
                            else
                                recordSpectrum(timeRecord.constData(), selection.windowType,
                                               SpectrumView::SteadyState, y);
                        });
        view.xAxisTitle = kFrequencyAxisTitle;
        view.footer = kBinNumberFooter.arg(bin + 1);
    } else {
        addWaterfall(view, selection, flights, FlightRecord::kBinCount, SpectrumView::SteadyState,
                     [](const FlightRecord& record, int trace, double* values) {
                         record.steadyStateTimeRecord(trace, FlightRecord::kTimeRecordLength,
                                                      values);
                     });
        view.xAxisTitle = kFrequencyAxisTitle;
    }
}

QString sampleFooter(const PlotSelection& selection) {
    return kSampleNumberFooter.arg(QString::number(selection.sample + 1),
                                   transientBinAxisLabel(selection.transientBin));
}

void buildTransient(PlotView& view, const PlotSelection& selection,
                    const QList<FlightDataElement>& flights) {
    const int type = valueOf(selection.parameterType);
    const int bin = selection.transientBin;
    const int sample = selection.sample;
    // The transient view has no plot of these two averages, nor an envelope spectrum.
    if (!offeredInView(PlotType::Transient, selection.parameterType)) {
        view.footer = parameterMenuText(selection.parameterType);
    } else if (type <= kLastAverageType) {
        addFlightSeries(view, flights, XRule::Bins, FlightRecord::kTransientBinCount,
                        [type](const FlightRecord& record, double* y) {
                            record.transientAverages(type, FlightRecord::kTransientBinCount, y);
                        });
        view.markers = true;
        view.footer = parameterMenuText(selection.parameterType);
        for (int b = 0; b < FlightRecord::kTransientBinCount; ++b)
            view.xAxisLabels.append({double(b + 1), transientBinAxisLabel(b)});
    } else if (type <= kLastSteadyStateRowType) {
        addFlightSeries(view, flights, XRule::Bins, FlightRecord::kTransientSampleCount,
                        [type, bin](const FlightRecord& record, double* y) {
                            record.transientValues(type, bin, FlightRecord::kTransientSampleCount,
                                                   y);
                        });
        view.markers = true;
        view.footer = transientBinMenuText(bin);
    } else if (selection.parameterType == ParameterType::TimeHistory) {
        addFlightSeries(view, flights, XRule::Time, FlightRecord::kTimeRecordLength,
                        [bin, sample](const FlightRecord& record, double* y) {
                            record.transientTimeRecord(bin, sample, FlightRecord::kTimeRecordLength,
                                                       y);
                        });
        view.xAxisTitle = kTimeHistoryAxisTitle;
        view.footer = sampleFooter(selection);
    } else if (selection.parameterType == ParameterType::Fft) {
        QList<double> timeRecord(FlightRecord::kTimeRecordLength);
        addFlightSeries(view, flights, XRule::Frequency, kSpectrumPoints,
                        [&](const FlightRecord& record, double* y) {
                            record.transientTimeRecord(bin, sample, FlightRecord::kTimeRecordLength,
                                                       timeRecord.data());
                            recordSpectrum(timeRecord.constData(), selection.windowType,
                                           SpectrumView::Transient, y);
                        });
        view.xAxisTitle = kFrequencyAxisTitle;
        view.footer = sampleFooter(selection);
    } else {
        addWaterfall(
            view, selection, flights, FlightRecord::kTransientSampleCount, SpectrumView::Transient,
            [bin](const FlightRecord& record, int trace, double* values) {
                record.transientTimeRecord(bin, trace, FlightRecord::kTimeRecordLength, values);
            });
        view.xAxisTitle = kFrequencyAxisTitle;
    }
}

void setHeaderLines(PlotView& view, const PlotSelection& selection,
                    const QList<FlightDataElement>& flights) {
    if (!flights.isEmpty()) {
        const bool spectra = selection.parameterType == ParameterType::Waterfall;
        const QString& format = selection.plotType == PlotType::SteadyState
                                    ? (spectra ? kSteadyStateSpectraHeader : kSteadyStateDataHeader)
                                    : (spectra ? kTransientSpectraHeader : kTransientDataHeader);
        // One call: the identifier is the register's text and may hold "%1" itself.
        view.headerLine1 =
            format.arg(flights.first().aircraftId, QString::number(flights.first().engineNumber));
    }
    view.headerLine2 = memoryTypeHeader(selection.memoryType);
}

} // namespace

QString parameterMenuText(ParameterType parameterType) {
    const ParameterText* entry = tableEntry(kParameterTexts, valueOf(parameterType));
    return entry ? QString::fromLatin1(entry->menuText) : QString();
}

QString parameterAxisTitle(ParameterType parameterType) {
    const ParameterText* entry = tableEntry(kParameterTexts, valueOf(parameterType));
    return entry ? QString::fromLatin1(entry->axisTitle) : QString();
}

bool isRecordSpectrum(ParameterType parameterType) {
    return parameterType == ParameterType::Fft || parameterType == ParameterType::EnvelopeFft;
}

bool offeredInView(PlotType plotType, ParameterType parameterType) {
    return plotType != PlotType::Transient || (parameterType != ParameterType::TR4RAverage &&
                                               parameterType != ParameterType::TR4RDeviation &&
                                               parameterType != ParameterType::EnvelopeFft);
}

QString transientBinMenuText(int transientBin) {
    const TransientBinText* entry = tableEntry(kTransientBinTexts, transientBin);
    return entry ? QString::fromLatin1(entry->menuText) : QString();
}

QString transientBinAxisLabel(int transientBin) {
    const TransientBinText* entry = tableEntry(kTransientBinTexts, transientBin);
    return entry ? QString::fromLatin1(entry->axisLabel) : QString();
}

QString memoryTypeHeader(MemoryType memoryType) {
    return memoryType == MemoryType::PreDefect ? kPreDefectHeader : kPostDefectHeader;
}

QString downloadTimeText(quint32 creationTime) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(qint64(creationTime));
    const QDate date = local.date();
    const QTime time = local.time();
    return QString::asprintf("%02d-%s-%04d %02d:%02d:%02d", date.day(),
                             qPrintable(monthAbbreviation(date.month())), date.year(), time.hour(),
                             time.minute(), time.second());
}

PlotView buildPlotView(const PlotSelection& selection, const QList<FlightDataElement>& flights) {
    PlotView view;
    // Types cast from stored numbers may name no view or parameter.
    if (!plotTypeFromValue(valueOf(selection.plotType)) ||
        !parameterTypeFromValue(valueOf(selection.parameterType)))
        return view;
    if (selection.plotType == PlotType::SteadyState)
        buildSteadyState(view, selection, flights);
    else
        buildTransient(view, selection, flights);
    view.yAxisTitle = parameterAxisTitle(selection.parameterType);
    view.yAxisMinimum = yAxisMinimumOf(view, selection.parameterType);
    setHeaderLines(view, selection, flights);
    return view;
}

// Negative values are only expected of A4R and the time history; the other plots start at 0.
double yAxisMinimumOf(const PlotView& view, ParameterType parameterType) {
    double minimum = 0;
    if (parameterType != ParameterType::A4R && parameterType != ParameterType::TimeHistory)
        return minimum;
    for (const PlotSeries& series : view.series) {
        for (double y : series.y)
            minimum = std::min(minimum, y);
    }
    return minimum;
}

double waterfallTraceOffset(const PlotView& view, int trace) {
    return view.decibels ? trace * kWaterfallDecibelSpacing : trace + 1.0;
}

QList<double> withoutWaterfallOffset(const PlotView& view, const QList<double>& values, int trace) {
    QList<double> amplitudes = values;
    const double level = waterfallTraceOffset(view, trace);
    for (double& value : amplitudes)
        value -= level;
    return amplitudes;
}
