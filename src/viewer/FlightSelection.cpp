#include "FlightSelection.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RawFlightDataLayout.h"
#include "RegisterKeys.h"
#include "ViewerLogging.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

using Raw = RawFlightDataLayout;

// Unbuffered, so that a header read asks the system for its 304 bytes and no more.
bool readHeader(QFile& file, char* header) {
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
           file.read(header, Raw::kHeaderSize) == Raw::kHeaderSize;
}

// The decimal digits at the start of the text; 0 when there are none.
int leadingNumber(QStringView text) {
    int value = 0;
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            break;
        value = value * 10 + (character.unicode() - '0');
    }
    return value;
}

} // namespace

QList<FlightListElement> scanFlightSlots(const QString& dataDirectory) {
    QList<FlightListElement> found;
    for (const QString& path : rawFilePaths(dataDirectory))
        found.append(listRawFlightDataFile(path));
    qCDebug(lcViewer) << "listed" << found.size() << "flight slots below" << dataDirectory;
    return found;
}

QString flightEntryText(const FlightListElement& slot) {
    const QString fileName = slot.filePath.mid(slot.filePath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype underscore = fileName.indexOf(QLatin1Char('_'));
    // A name without "_" has no date part; the entry then shows zeros.
    const QStringView stamp =
        underscore < 0 ? QStringView() : QStringView(fileName).mid(underscore + 1);
    const auto part = [&stamp](qsizetype from, qsizetype length) {
        return from < stamp.size() ? stamp.mid(from, std::min(length, stamp.size() - from))
                                   : QStringView();
    };
    return QString::asprintf(kFlightEntryFormat, slot.flightNumber, leadingNumber(part(0, 2)),
                             part(2, 3).toUtf8().constData(), leadingNumber(part(5, 4)),
                             leadingNumber(part(10, 2)), leadingNumber(part(12, 2)));
}

QList<int> newestDownloadSlots(const QList<FlightListElement>& listed) {
    const auto downloadOf = [](const FlightListElement& slot) {
        return DownloadOrder{slot.creationTime,
                             slot.filePath.mid(slot.filePath.lastIndexOf(QLatin1Char('/')) + 1)};
    };
    // Per flight, the index of the slot that stands for it.
    std::map<std::tuple<QString, qint32, qint32, int>, int> newest;
    for (int index = 0; index < listed.size(); ++index) {
        const FlightListElement& slot = listed[index];
        const auto [known, added] = newest.try_emplace(
            {slot.aircraftId, slot.engineNumber, slot.flightNumber, valueOf(slot.memoryType)},
            index);
        if (!added && downloadOf(slot).isNewerThan(downloadOf(listed[known->second])))
            known->second = index;
    }
    QList<int> indexes;
    for (const auto& [flight, index] : newest)
        indexes.append(index);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

std::optional<FlightDataElement> loadFlightSlot(const FlightListElement& slot) {
    if (slot.slot < 0 || slot.slot >= Raw::kSlotCount)
        return std::nullopt;
    QFile file(slot.filePath);
    QByteArray header(Raw::kHeaderSize, '\0');
    if (!readHeader(file, header.data()))
        return std::nullopt;
    // The file must still hold this very flight in this slot, whole.
    const QList<FlightListElement> listed =
        slotsOfRawFileHeader(slot.filePath, header.constData(), file.size());
    const auto same = std::find_if(listed.begin(), listed.end(), [&slot](const auto& now) {
        return now.slot == slot.slot && now.flightNumber == slot.flightNumber &&
               now.aircraftId == slot.aircraftId && now.engineNumber == slot.engineNumber &&
               now.memoryType == slot.memoryType;
    });
    if (same == listed.end())
        return std::nullopt;
    QByteArray record(Raw::kRecordSize, '\0');
    if (!file.seek(Raw::kHeaderSize + qint64(slot.slot) * Raw::kRecordSize) ||
        file.read(record.data(), Raw::kRecordSize) != Raw::kRecordSize)
        return std::nullopt;

    FlightDataElement element;
    element.aircraftId = slot.aircraftId;
    element.engineNumber = slot.engineNumber;
    element.flightNumber = slot.flightNumber;
    element.memoryType = slot.memoryType;
    element.fileHeader = header;
    element.flightRecord = record;
    element.filePath = slot.filePath;
    element.slot = slot.slot;
    return element;
}

FlightSelection::FlightSelection() : FlightSelection(dataDirectory()) {}

FlightSelection::FlightSelection(const QString& dataDirectory) {
    for (const QString& id : KORALibListAircraft().items)
        aircraft_.append({KORALibReadAircraft(id)});
    slots_ = scanFlightSlots(dataDirectory);
    QSet<QString> seen;
    for (const FlightListElement& slot : std::as_const(slots_)) {
        if (!seen.contains(slot.aircraftId)) {
            seen.insert(slot.aircraftId);
            aircraftEntries_.append(slot.aircraftId);
        }
    }

    const QList<int> newest = newestDownloadSlots(slots_);
    newestSlots_ = QSet<int>(newest.begin(), newest.end());

    BrixAircraftSettings settings;
    memoryType_ = settings.value(kPlotMemoryTypeKey, 0).toUInt() == uint(MemoryType::PostDefect)
                      ? MemoryType::PostDefect
                      : MemoryType::PreDefect;
    newestOnly_ = settings.value(kPlotNewestOnlyKey, false).toBool();
    if (!aircraftEntries_.isEmpty()) {
        const QString last = settings.value(kLastAircraftKey).toString();
        selectAircraft(seen.contains(last) ? last : aircraftEntries_.first());
    }
}

const EngineDetails& FlightSelection::engineFields(int engine) const {
    return engineFields_[engine == 2 ? 1 : 0];
}

void FlightSelection::selectAircraft(const QString& aircraftId) {
    selectedAircraft_ = aircraftId;
    // Only a matching register record writes the fields; otherwise they keep what they show.
    for (const AircraftInfoElement& info : std::as_const(aircraft_)) {
        if (readFixedText(info.record.aircraftId) != aircraftId)
            continue;
        for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
            const EngineRecord& record = info.record.engines[engine];
            engineFields_[engine] = {readFixedText(record.engineType),
                                     readFixedText(record.serialNumber),
                                     readFixedText(record.installDate)};
        }
    }
    rebuildEntries();
}

void FlightSelection::selectEngine(int engine) {
    engineNumber_ = engine == 2 ? 2 : 1;
    rebuildEntries();
}

void FlightSelection::selectMemoryType(MemoryType memoryType) {
    memoryType_ =
        memoryType == MemoryType::PreDefect ? MemoryType::PreDefect : MemoryType::PostDefect;
    BrixAircraftSettings settings;
    settings.setValue(kPlotMemoryTypeKey, uint(valueOf(memoryType_)));
    rebuildEntries();
}

void FlightSelection::selectNewestOnly(bool newestOnly) {
    newestOnly_ = newestOnly;
    BrixAircraftSettings settings;
    settings.setValue(kPlotNewestOnlyKey, newestOnly_);
    rebuildEntries();
}

void FlightSelection::rebuildEntries() {
    entries_.clear();
    for (int index = 0; index < slots_.size(); ++index) {
        const FlightListElement& slot = slots_[index];
        if (slot.flightNumber != 0 && slot.aircraftId == selectedAircraft_ &&
            slot.engineNumber == engineNumber_ && slot.memoryType == memoryType_ &&
            (!newestOnly_ || newestSlots_.contains(index)))
            entries_.append({index, flightEntryText(slot)});
    }
}

std::optional<QList<FlightDataElement>> FlightSelection::load(const QList<int>& selectedValues,
                                                              Notifier& notifier) const {
    {
        BrixAircraftSettings settings;
        settings.setValue(kLastAircraftKey, selectedAircraft_);
    }
    // List order, whatever order the values came in; values that are not in the list now
    // cannot have been selected in it.
    const QSet<int> chosen(selectedValues.begin(), selectedValues.end());
    QList<int> values;
    for (const FlightEntry& entry : entries_) {
        if (chosen.contains(entry.value))
            values.append(entry.value);
    }
    // Counted before anything is read: none or too many is the user's to correct.
    if (values.isEmpty()) {
        notifier.warning(kWarningTitle, kNoFlightSelectedText);
        return std::nullopt;
    }
    if (values.size() > kMaxLoadedFlights) {
        notifier.critical(kErrorTitle, kTooManyFlightsText.arg(kMaxLoadedFlights));
        return std::nullopt;
    }
    QList<FlightDataElement> loaded;
    for (const int value : std::as_const(values)) {
        const FlightListElement& slot = slots_[value];
        std::optional<FlightDataElement> element = loadFlightSlot(slot);
        if (!element) {
            notifier.warning(kWarningTitle,
                             kFlightUnreadableText.arg(QString::number(slot.flightNumber),
                                                       QString::number(slot.slot),
                                                       QDir::toNativeSeparators(slot.filePath)));
            continue;
        }
        loaded.append(std::move(*element));
    }
    return loaded;
}
