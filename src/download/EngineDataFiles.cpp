#include "EngineDataFiles.h"

#include "AircraftRecord.h"
#include "DownloadFileNames.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "NumberFormat.h"
#include "PartNumberRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QFileDevice>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace number_format;

namespace {

constexpr int kSeparatorLength = 255;
constexpr char kCopyrightLine[] = "Copyright (c) Orvantis. All rights reserved.";
constexpr char kUnitPartNumberLine[] = "ZELK P/N:                 613-045-xxx-xxx";
constexpr char kFileNameLabel[] = "File name:                ";
constexpr char kCreatedLabel[] = "File created:             ";
constexpr char kAircraftLabel[] = "A/C identifier:           ";
constexpr char kEngineTypeLabel[] = "Engine type:              ";
constexpr char kSerialNumberLabel[] = "Engine S/N:               ";
constexpr char kFlightsLabel[] = "Total engine flights:     ";
constexpr char kHoursLabel[] = "Total engine hours:       ";
constexpr char kInstallDateLabel[] = "Engine installation date: ";
constexpr char kShopLabel[] = "Shop ID:                  ";
constexpr char kCommentsLabel[] = "Comments:                 ";
constexpr char kCurrentAlarmLabel[] = "Current Alarm Level:      ";
constexpr char kHistoricAlarmLabel[] = "Historic Alarm Level:     ";
constexpr char kNoShopId[] = "---";
constexpr char kNoComments[] = "[None]";

constexpr char kSteadyStateColumns[] =
    "Bin Flight MEM      A4R_avg     TR4R_avg     TR4R_std      CN1_avg      CN2_avg      CDN_avg"
    "          A4R         TR4R           N1           N2          CN1          CN2          CDN"
    " Time History";
constexpr char kTransientColumns[] =
    "    Bin Flight MEM          A4R         TR4R           N1           N2          CN1"
    "          CN2          CDN Time History";

constexpr const char* kPhaseLabels[] = {"TOC", "TOD", "AOD", "AOA"};
constexpr char kAverageLabel[] = "avg";

// Each table of both files lists the slots of one memory, pre-defect first.
struct Table {
    int memory;
    const char* label;
};
constexpr Table kTables[] = {{DownloadedData::kPreDefectMemory, "PrD"},
                             {DownloadedData::kPostDefectMemory, "PoD"}};

// Which of the phase averages (A4R_avg, TR4R_avg, TR4R_std, CN1_avg, CN2_avg, CDN_avg) the
// average row prints under the seven real columns; -1 prints 0 (N1 and N2 have no average,
// and TR4R_std has no column).
constexpr int kAverageColumns[] = {0, 1, -1, -1, 3, 4, 5};

constexpr int kRealWidth = 12;
constexpr int kRealField = kMaxGeneralLength + 1;
constexpr int kSampleField = 6 + 1; // "-32768 "
constexpr int kRowLead = 3 + 1 + kMaxIntegerLength + 1 + kMaxIntegerLength + 1 + 3 + 1;
constexpr int kMaxRowLength = kRowLead + DownloadedData::kBinValueCount * kRealField +
                              DownloadedData::kTimeRecordLength * kSampleField + 1 +
                              kMaxIntegerLength; // the last sample's scratch

// Collects the text in a large buffer and hands it to the device in big writes; a device
// that once refused a write gets nothing more, and the failure is reported at the end.
class TextBuffer {
public:
    static constexpr qsizetype kCapacity = 256 * 1024;
    static_assert(kMaxRowLength <= kCapacity);

    explicit TextBuffer(QIODevice& out)
        : out_(out), buffer_(std::make_unique_for_overwrite<char[]>(kCapacity)),
          cursor_(buffer_.get()) {}

    // Room for `length` more characters (at most kCapacity) at the returned position;
    // commit() says how far it was filled.
    char* reserve(qsizetype length) {
        if (buffer_.get() + kCapacity - cursor_ < length)
            flush();
        return cursor_;
    }
    void commit(char* end) { cursor_ = end; }

    void append(QByteArrayView text) {
        const char* from = text.data();
        qsizetype remaining = text.size();
        while (remaining > 0) {
            const qsizetype room = buffer_.get() + kCapacity - cursor_;
            if (room == 0) {
                flush();
                continue;
            }
            const qsizetype length = std::min(room, remaining);
            std::memcpy(cursor_, from, size_t(length));
            cursor_ += length;
            from += length;
            remaining -= length;
        }
    }
    void append(char character) { append(QByteArrayView(&character, 1)); }
    void appendLine(QByteArrayView text) {
        append(text);
        append('\n');
    }
    void appendSeparator() {
        char* out = reserve(kSeparatorLength + 1);
        std::memset(out, '-', kSeparatorLength);
        out[kSeparatorLength] = '\n';
        commit(out + kSeparatorLength + 1);
    }
    void appendInteger(int value) {
        char* out = reserve(kMaxIntegerLength);
        commit(number_format::appendInteger(out, value));
    }

    // Hands over what is left and, for a file, has it written through, so that a full
    // disk shows here and not later.
    bool finish() {
        flush();
        if (auto* file = qobject_cast<QFileDevice*>(&out_); file && !failed_)
            failed_ = !file->flush();
        return !failed_;
    }

private:
    void flush() {
        const char* from = buffer_.get();
        while (!failed_ && from < cursor_) {
            const qint64 written = out_.write(from, cursor_ - from);
            if (written <= 0)
                failed_ = true;
            else
                from += written;
        }
        cursor_ = buffer_.get();
    }

    QIODevice& out_;
    std::unique_ptr<char[]> buffer_;
    char* cursor_;
    bool failed_ = false;
};

void writeHeader(TextBuffer& text, const QString& fileName, const EngineDataSource& source,
                 const QDateTime& created) {
    const DownloadedData& data = source.data;
    const AircraftRecord& aircraft = source.aircraft;
    const EngineRecord& engine = aircraft.engines[source.engineIndex];

    text.appendSeparator();
    text.appendLine(kCopyrightLine);
    text.append(kFileNameLabel);
    text.appendLine(fileName.toLatin1());
    text.appendLine(kUnitPartNumberLine);
    // Built from the record's 8-bit bytes, so Latin-1 gives them back unchanged.
    for (const QString& line : source.partNumbers.headerLines())
        text.appendLine(line.toLatin1());

    const QDate date = created.date();
    const QTime time = created.time();
    const int month = date.month();
    text.append(kCreatedLabel);
    char* out = text.reserve(64);
    out = appendIntegerZeroPadded(out, date.day(), 2);
    *out++ = '-';
    // An invalid date has month 0; it must not index outside the table.
    std::memcpy(out,
                month >= 1 && month <= 12 ? kMonthAbbreviations[std::size_t(month - 1)] : "???", 3);
    out += 3;
    *out++ = '-';
    out = appendInteger(out, date.year());
    *out++ = ',';
    *out++ = ' ';
    out = appendIntegerZeroPadded(out, time.hour(), 2);
    *out++ = ':';
    out = appendIntegerZeroPadded(out, time.minute(), 2);
    *out++ = '\n';
    text.commit(out);
    text.appendSeparator();

    text.append(kAircraftLabel);
    text.appendLine(readFixedBytes(aircraft.aircraftId));
    text.append(kEngineTypeLabel);
    text.appendLine(readFixedBytes(engine.engineType));
    text.append(kSerialNumberLabel);
    text.appendLine(readFixedBytes(engine.serialNumber));
    text.append(kFlightsLabel);
    text.appendInteger(data.totalEngineFlights());
    text.append('\n');
    text.append(kHoursLabel);
    out = text.reserve(2 * kMaxIntegerLength + 2);
    out = appendInteger(out, data.totalEngineHours());
    *out++ = ':';
    out = appendIntegerZeroPadded(out, data.totalEngineMinutes(), 2);
    *out++ = '\n';
    text.commit(out);
    text.append(kInstallDateLabel);
    text.appendLine(readFixedBytes(engine.installDate));
    const QByteArray shopId = readFixedBytes(aircraft.shopId);
    text.append(kShopLabel);
    text.appendLine(shopId.isEmpty() ? QByteArrayView(kNoShopId) : QByteArrayView(shopId));
    const QByteArray comments = readFixedBytes(aircraft.comments);
    text.append(kCommentsLabel);
    text.appendLine(comments.isEmpty() ? QByteArrayView(kNoComments) : QByteArrayView(comments));
    text.appendSeparator();

    text.append(kCurrentAlarmLabel);
    text.appendInteger(data.currentAlarmLevel());
    text.append('\n');
    text.append(kHistoricAlarmLabel);
    text.appendInteger(data.historicAlarmLevel());
    text.append('\n');
    text.appendSeparator();
}

char* appendLabel(char* out, const char* label) {
    const size_t length = std::strlen(label);
    std::memcpy(out, label, length);
    out += length;
    *out++ = ' ';
    return out;
}

char* appendReal(char* out, float value) {
    out = appendGeneral(out, double(value), kRealWidth);
    *out++ = ' ';
    return out;
}

void writeBinRow(TextBuffer& text, const DownloadedData& data, int slot, int bin,
                 const char* memoryLabel) {
    char* out = text.reserve(kMaxRowLength);
    out = appendIntegerRightAligned(out, bin + 1, 3);
    *out++ = ' ';
    out = appendIntegerLeftAligned(out, data.flightNumber(slot), 6);
    *out++ = ' ';
    out = appendLabel(out, memoryLabel);
    for (int parameter = 0; parameter < DownloadedData::kBinValueCount; ++parameter)
        out = appendReal(out, data.binValue(slot, bin, parameter));
    for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index) {
        out = appendInteger(out, data.binSample(slot, bin, index));
        *out++ = ' ';
    }
    *out++ = '\n';
    text.commit(out);
}

// The phase label and the flight number.
char* appendTransientLead(char* out, const DownloadedData& data, int slot, int phase) {
    out = appendLabel(out, kPhaseLabels[phase]);
    out = appendIntegerRightAligned(out, data.flightNumber(slot), 3);
    *out++ = ' ';
    return out;
}

void writeTransientSampleRow(TextBuffer& text, const DownloadedData& data, int slot, int phase,
                             int sample, const char* memoryLabel) {
    char* out = text.reserve(kMaxRowLength);
    out = appendTransientLead(out, data, slot, phase);
    out = appendIntegerLeftAligned(out, sample + 1, 6);
    *out++ = ' ';
    out = appendLabel(out, memoryLabel);
    for (int parameter = 0; parameter < DownloadedData::kTransientValueCount; ++parameter)
        out = appendReal(out, data.transientValue(slot, phase, sample, parameter));
    for (int index = 0; index < DownloadedData::kTimeRecordLength; ++index) {
        out = appendInteger(out, data.transientSample(slot, phase, sample, index));
        *out++ = ' ';
    }
    *out++ = '\n';
    text.commit(out);
}

void writeTransientAverageRow(TextBuffer& text, const DownloadedData& data, int slot, int phase,
                              const char* memoryLabel) {
    char* out = text.reserve(kMaxRowLength);
    out = appendTransientLead(out, data, slot, phase);
    std::memcpy(out, kAverageLabel, 3);
    std::memset(out + 3, ' ', 3); // "%-6s"
    out += 6;
    *out++ = ' ';
    out = appendLabel(out, memoryLabel);
    // Single blanks between the values and none behind the last.
    for (size_t column = 0; column < std::size(kAverageColumns); ++column) {
        if (column > 0)
            *out++ = ' ';
        const int average = kAverageColumns[column];
        out = appendGeneral(
            out, average < 0 ? 0.0 : double(data.phaseAverage(slot, phase, average)), kRealWidth);
    }
    *out++ = '\n';
    text.commit(out);
}

bool validEngine(const EngineDataSource& source) {
    return source.engineIndex >= 0 && source.engineIndex < AircraftRecord::kEngineCount;
}

} // namespace

bool writeSteadyStateFile(QIODevice& out, const QString& fileName, const EngineDataSource& source,
                          const QDateTime& created, ConversionProgress& progress) {
    if (!validEngine(source))
        return false;
    const DownloadedData& data = source.data;
    TextBuffer text(out);
    writeHeader(text, fileName, source, created);
    text.appendLine(kSteadyStateColumns);
    text.appendSeparator();
    for (const Table& table : kTables) {
        for (int bin = 0; bin < DownloadedData::kBinCount; ++bin) {
            progress.beginStep();
            for (int slot = 0; slot < DownloadedData::kSlotCount; ++slot) {
                if (data.memory(slot) == table.memory)
                    writeBinRow(text, data, slot, bin, table.label);
            }
        }
        text.appendSeparator();
    }
    return text.finish();
}

bool writeTransientFile(QIODevice& out, const QString& fileName, const EngineDataSource& source,
                        const QDateTime& created, ConversionProgress& progress) {
    if (!validEngine(source)) {
        progress.finish();
        return false;
    }
    const DownloadedData& data = source.data;
    TextBuffer text(out);
    writeHeader(text, fileName, source, created);
    text.appendLine(kTransientColumns);
    text.appendSeparator();
    for (const Table& table : kTables) {
        for (int phase = 0; phase < DownloadedData::kPhaseCount; ++phase) {
            progress.beginStep();
            for (int slot = 0; slot < DownloadedData::kSlotCount; ++slot) {
                if (data.memory(slot) != table.memory)
                    continue;
                for (int sample = 0; sample < DownloadedData::kTransientSampleCount; ++sample)
                    writeTransientSampleRow(text, data, slot, phase, sample, table.label);
                writeTransientAverageRow(text, data, slot, phase, table.label);
            }
        }
        text.appendSeparator();
    }
    const bool written = text.finish();
    progress.finish();
    return written;
}
