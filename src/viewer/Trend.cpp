#include "Trend.h"

#include "AircraftPaths.h"
#include "BrixAircraftSettings.h"
#include "FlightIndex.h"
#include "FlightSelection.h"
#include "RawFlightDataLayout.h"
#include "ViewerLogging.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Raw = RawFlightDataLayout;

// The steady-state parameter rows at the start of each flight record: all a trend reads.
constexpr int kSteadyStateRowsSize = Raw::kBinTimeOffset;
constexpr qint64 kAllRecordsSize = Raw::kHeaderSize + qint64(Raw::kSlotCount) * Raw::kRecordSize;

bool isStoredMemory(MemoryType memoryType) {
    return memoryType == MemoryType::PreDefect || memoryType == MemoryType::PostDefect;
}

TrendSlot trendSlot(const FlightListElement& listed, const char* rows, ParameterType parameterType,
                    TrendStatistic statistic) {
    const FlightRecord record(QByteArrayView(rows, kSteadyStateRowsSize));
    double row[FlightRecord::kBinCount];
    record.steadyStateRow(valueOf(parameterType), FlightRecord::kBinCount, row);
    TrendSlot slot;
    slot.slot = listed.slot;
    slot.flightNumber = listed.flightNumber;
    slot.memoryType = listed.memoryType;
    slot.value = rowStatistic(row, FlightRecord::kBinCount, statistic);
    const bool allFinite = std::all_of(std::begin(row), std::end(row),
                                       [](double value) { return std::isfinite(value); });
    slot.status = allFinite ? steadyStateStatus(record) : DataStatus::Suspect;
    return slot;
}

// One read of the whole range, resumed after a signal; short only at the end of the file.
qint64 readAt(int descriptor, qint64 offset, char* buffer, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t count =
            ::pread(descriptor, buffer + done, size_t(length - done), off_t(offset + done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        done += count;
    }
    return done;
}

bool sameFile(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// The candidate that counts for one flight: the newest file's.
struct Candidate {
    DownloadOrder download;
    QString filePath;
    TrendSlot slot;
};

void countProblem(TrendSkips& skipped, TrendFileProblem problem) {
    switch (problem) {
    case TrendFileProblem::None:
        break;
    case TrendFileProblem::Unreadable:
        ++skipped.unreadable;
        break;
    case TrendFileProblem::NotRawFile:
        ++skipped.notRawFile;
        break;
    case TrendFileProblem::Truncated:
        ++skipped.truncated;
        break;
    case TrendFileProblem::Changed:
        ++skipped.changed;
        break;
    case TrendFileProblem::OtherEngine:
        ++skipped.otherEngine;
        break;
    }
}

} // namespace

bool isTrendParameter(int parameterType) {
    return parameterType >= kFirstTrendParameter && parameterType <= kLastTrendParameter;
}

std::optional<double> rowStatistic(const double* row, int count, TrendStatistic statistic) {
    int finite = 0;
    double maximum = 0;
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(row[i]))
            continue;
        maximum = finite == 0 ? row[i] : std::max(maximum, row[i]);
        sum += row[i];
        ++finite;
    }
    if (finite == 0)
        return std::nullopt;
    return statistic == TrendStatistic::Maximum ? maximum : sum / finite;
}

TrendFile readTrendFile(qint64 fileSize, const PositionedRead& read, ParameterType parameterType,
                        TrendStatistic statistic) {
    TrendFile file;
    char header[Raw::kHeaderSize];
    const qint64 headerRead = read(0, header, Raw::kHeaderSize);
    if (headerRead < 0) {
        file.problem = TrendFileProblem::Unreadable;
        return file;
    }
    constexpr qint64 kMagicSize = 4;
    if (headerRead < kMagicSize) {
        // The size said there was more.
        file.problem =
            fileSize >= kMagicSize ? TrendFileProblem::Changed : TrendFileProblem::NotRawFile;
        return file;
    }
    const quint32 magic = qFromLittleEndian<quint32>(header + Raw::kMagicOffset);
    if (!Raw::isKnownMagic(magic)) {
        file.problem = TrendFileProblem::NotRawFile;
        return file;
    }
    if (fileSize < kAllRecordsSize) {
        file.problem = TrendFileProblem::Truncated;
        return file;
    }
    if (headerRead < Raw::kHeaderSize) {
        file.problem = TrendFileProblem::Changed;
        return file;
    }
    file.engineNumber = qFromLittleEndian<qint32>(header + Raw::kEngineNumberOffset);
    file.creationTime = qFromLittleEndian<quint32>(header + Raw::kCreationTimeOffset);
    const QList<FlightListElement> listed = slotsOfRawFileHeader(QString(), header, fileSize);
    file.aircraftId = listed.isEmpty() ? QString() : listed.first().aircraftId;
    char rows[kSteadyStateRowsSize];
    for (const FlightListElement& slot : listed) {
        if (!isStoredMemory(slot.memoryType))
            continue;
        const qint64 offset = Raw::kHeaderSize + qint64(slot.slot) * Raw::kRecordSize;
        if (read(offset, rows, kSteadyStateRowsSize) != kSteadyStateRowsSize) {
            file.problem = TrendFileProblem::Changed;
            file.flightSlots.clear();
            return file;
        }
        file.flightSlots.append(trendSlot(slot, rows, parameterType, statistic));
    }
    return file;
}

TrendFile readTrendFile(const QString& path, ParameterType parameterType,
                        TrendStatistic statistic) {
    TrendFile file;
    file.problem = TrendFileProblem::Unreadable;
    // Non-blocking, so that a pipe put in place of a file cannot hang the trend.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return file;
    struct stat before;
    if (::fstat(descriptor, &before) == 0 && S_ISREG(before.st_mode)) {
        file = readTrendFile(
            before.st_size,
            [descriptor](qint64 offset, char* buffer, qint64 length) {
                return readAt(descriptor, offset, buffer, length);
            },
            parameterType, statistic);
        struct stat after;
        if (file.problem == TrendFileProblem::None &&
            (::fstat(descriptor, &after) != 0 || !sameFile(before, after))) {
            file.problem = TrendFileProblem::Changed;
            file.flightSlots.clear();
        }
    }
    ::close(descriptor);
    return file;
}

TrendFile readTrendBytes(QByteArrayView bytes, ParameterType parameterType,
                         TrendStatistic statistic) {
    return readTrendFile(
        bytes.size(),
        [bytes](qint64 offset, char* buffer, qint64 length) -> qint64 {
            if (offset < 0 || length < 0)
                return -1;
            const qint64 available = std::clamp<qint64>(bytes.size() - offset, 0, length);
            if (available > 0)
                std::memcpy(buffer, bytes.data() + offset, size_t(available));
            return available;
        },
        parameterType, statistic);
}

TrendResult computeTrend(const QString& dataDirectory, const TrendRequest& request) {
    TrendResult result;
    if (!isTrendParameter(valueOf(request.parameterType)))
        return result;
    const QString directory =
        engineDirectory(dataDirectory, request.aircraftId, request.engineNumber);
    QHash<QPair<qint32, int>, Candidate> flights;
    for (const QString& fileName : rawFileNames(directory)) {
        Candidate candidate;
        candidate.download.fileName = fileName;
        candidate.filePath = directory + QLatin1Char('/') + fileName;
        TrendFile file =
            readTrendFile(candidate.filePath, request.parameterType, request.statistic);
        if (file.problem == TrendFileProblem::None && !file.flightSlots.isEmpty() &&
            (file.aircraftId != request.aircraftId || file.engineNumber != request.engineNumber))
            file.problem = TrendFileProblem::OtherEngine;
        if (file.problem != TrendFileProblem::None) {
            countProblem(result.skipped, file.problem);
            qCDebug(lcViewer) << "trend leaves out" << candidate.filePath << int(file.problem);
            continue;
        }
        ++result.filesRead;
        candidate.download.creationTime = file.creationTime;
        for (const TrendSlot& slot : std::as_const(file.flightSlots)) {
            if (request.memoryType && slot.memoryType != *request.memoryType)
                continue;
            candidate.slot = slot;
            const QPair<qint32, int> key(slot.flightNumber, valueOf(slot.memoryType));
            const auto known = flights.constFind(key);
            if (known == flights.cend() || candidate.download.isNewerThan(known->download))
                flights.insert(key, candidate);
        }
    }
    for (const Candidate& candidate : std::as_const(flights)) {
        if (!candidate.slot.value) {
            ++result.flightsWithoutValue;
            continue;
        }
        result.points.append({candidate.slot.flightNumber, candidate.slot.memoryType,
                              candidate.download.creationTime, *candidate.slot.value,
                              candidate.slot.status, candidate.filePath, candidate.slot.slot});
    }
    std::sort(result.points.begin(), result.points.end(), [](const auto& a, const auto& b) {
        return a.flightNumber != b.flightNumber ? a.flightNumber < b.flightNumber
                                                : valueOf(a.memoryType) < valueOf(b.memoryType);
    });
    return result;
}

TrendResult engineTrend(const QString& dataDirectory, const TrendRequest& request,
                        Notifier& notifier) {
    if (!request.indicator)
        return computeTrend(dataDirectory, request);
    const FlightIndex index(dataDirectory, registerIndexInputs(), notifier);
    return indicatorTrend(index.indicatorTrend(request.aircraftId, request.engineNumber,
                                               request.memoryType, *request.indicator),
                          *request.indicator);
}

TrendResult indicatorTrend(const QList<IndexedFlight>& flights, Indicator indicator) {
    TrendResult result;
    result.points.reserve(flights.size());
    for (const IndexedFlight& flight : flights) {
        const std::optional<double>& value = flight.indicators[indicator];
        if (!value) {
            ++result.flightsWithoutValue;
            continue;
        }
        result.points.append({flight.flightNumber, flight.memoryType, flight.creationTime, *value,
                              flight.status, QString(), -1});
    }
    return result;
}

QString indicatorAxisTitle(Indicator indicator) {
    const QString name = indicatorName(valueOf(indicator));
    return indicator == Indicator::Crest || indicator == Indicator::Kurtosis
               ? name
               : name + kGravityUnitSuffix;
}

QString trendDateText(quint32 creationTime) {
    return QDateTime::fromSecsSinceEpoch(qint64(creationTime)).toString(kTrendDateFormat);
}

QString trendSkippedNote(const TrendResult& result) {
    const TrendSkips& skipped = result.skipped;
    QStringList reasons;
    const std::pair<int, const QString*> counts[] = {
        {skipped.truncated, &kTrendTruncatedReason},
        {skipped.notRawFile, &kTrendNotRawFileReason},
        {skipped.changed, &kTrendChangedReason},
        {skipped.otherEngine, &kTrendOtherEngineReason},
        {skipped.unreadable, &kTrendUnreadableReason},
    };
    for (const auto& [count, reason] : counts) {
        if (count > 0)
            reasons.append(reason->arg(count));
    }
    QStringList parts;
    if (skipped.total() == 1)
        parts.append(kTrendFileSkippedText.arg(reasons.join(QStringLiteral(", "))));
    else if (skipped.total() > 1)
        parts.append(kTrendFilesSkippedText.arg(QString::number(skipped.total()),
                                                reasons.join(QStringLiteral(", "))));
    if (result.flightsWithoutValue > 0)
        parts.append(kTrendNoValueText.arg(result.flightsWithoutValue));
    return parts.join(QStringLiteral("; "));
}

PlotView buildTrendView(const TrendResult& result, const TrendRequest& request,
                        std::optional<double> alertLevel) {
    PlotView view;
    view.trend = true;
    view.markers = true;
    view.seriesBuilt = true;
    view.alertLevel = alertLevel;
    QList<MemoryType> memories{MemoryType::PreDefect, MemoryType::PostDefect};
    if (request.memoryType)
        memories = {*request.memoryType};
    quint32 notedTime = 0;
    QString note;
    for (const MemoryType memory : std::as_const(memories)) {
        PlotSeries series;
        series.name = memoryTypeHeader(memory);
        for (const TrendPoint& point : result.points) {
            if (point.memoryType != memory)
                continue;
            if (point.status == DataStatus::Suspect)
                series.hollowPoints.append(int(series.x.size()));
            series.x.append(point.flightNumber);
            series.y.append(point.value);
            // A file's flights follow each other and share its date: format it once.
            if (point.creationTime != notedTime || series.pointNotes.isEmpty()) {
                notedTime = point.creationTime;
                note = trendDateText(point.creationTime);
            }
            series.pointNotes.append(note);
        }
        view.series.append(std::move(series));
    }
    view.xAxisTitle = kFlightNumberAxisTitle;
    if (request.indicator) {
        // Every indicator is 0 or more.
        view.yAxisTitle = indicatorAxisTitle(*request.indicator);
        view.yAxisMinimum = 0;
    } else {
        view.yAxisTitle = parameterAxisTitle(request.parameterType);
        view.yAxisMinimum = yAxisMinimumOf(view, request.parameterType);
    }
    // One call: the identifier is the register's text and may hold "%1" itself.
    view.headerLine1 = kTrendHeader.arg(request.aircraftId, QString::number(request.engineNumber));
    view.headerLine2 =
        request.memoryType ? memoryTypeHeader(*request.memoryType) : kBothMemoriesHeader;
    view.footer = request.statistic == TrendStatistic::Maximum || request.indicator
                      ? kTrendMaximumFooter
                      : kTrendMeanFooter;
    return view;
}

std::optional<double> readTrendAlertLevel(ParameterType parameterType) {
    const BrixAircraftSettings settings;
    const QVariant stored = settings.value(kTrendAlertKeyFormat.arg(valueOf(parameterType)));
    bool ok = false;
    const double level = stored.toDouble(&ok);
    if (!stored.isValid() || !ok || !std::isfinite(level))
        return std::nullopt;
    return level;
}

void writeTrendAlertLevel(ParameterType parameterType, std::optional<double> level) {
    BrixAircraftSettings settings;
    const QString key = kTrendAlertKeyFormat.arg(valueOf(parameterType));
    if (level && std::isfinite(*level))
        settings.setValue(key, *level);
    else
        settings.remove(key);
}

QList<TrendPoint> flightsAboveAlert(const TrendResult& result, double level) {
    QList<TrendPoint> above;
    for (const TrendPoint& point : result.points) {
        if (point.value > level)
            above.append(point);
    }
    return above;
}

QString alertListText(const QList<TrendPoint>& above, ParameterType parameterType, double level) {
    QString text =
        kAlertLevelText.arg(QString::asprintf("%g", level), parameterMenuText(parameterType)) +
        QLatin1Char('\n');
    text += kFlightsAboveAlertText.arg(above.size()) + QLatin1Char('\n');
    for (const TrendPoint& point : above) {
        text += QString::asprintf("Flight %04d  %s  %s  %.5g  %s", point.flightNumber,
                                  qPrintable(trendDateText(point.creationTime)),
                                  qPrintable(memoryTypeHeader(point.memoryType)), point.value,
                                  qPrintable(dataStatusText(point.status))) +
                QLatin1Char('\n');
    }
    return text;
}
