#pragma once

#include "AircraftRecord.h"
#include "FlightDataElement.h"
#include "RawFileSlots.h"
#include "ViewerTypes.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

class Notifier;

// A copy of one register record; only its engine fields are shown.
struct AircraftInfoElement {
    AircraftRecord record;
};

// The engine fields (TYPE, SN, INSTALL_DATE) of one engine of the selected aircraft.
struct EngineDetails {
    QString engineType;
    QString serialNumber;
    QString installDate;
    bool operator==(const EngineDetails&) const = default;
};

// One entry of the flight list: its value names the slot among all listed slots.
struct FlightEntry {
    int value = -1;
    QString text;
    bool operator==(const FlightEntry&) const = default;
};

// Settings and texts of the flight selection.
inline const QString kPlotMemoryTypeKey = QStringLiteral("Plot2D_MemType");
inline const QString kPlotNewestOnlyKey = QStringLiteral("Plot2D_NewestOnly");
// printf format: flight number, day, month text, year, hour, minute.
inline constexpr char kFlightEntryFormat[] = "Flight: %04d   Date: %02d-%s-%d (%02d:%02d)";
inline const QString kNoFlightSelectedText = QStringLiteral("Select at least one flight");
// %1 the selected entries, %2 the most that can be loaded.
inline const QString kSelectedCountText = QStringLiteral("%1 of %2 selected");
inline const QString kTooManyFlightsText =
    QStringLiteral("Too many flights selected. Maximum allowed is %1");
// %1 flight number, %2 slot, %3 file.
inline const QString kFlightUnreadableText =
    QStringLiteral("Flight %1 (slot %2) can no longer be read from \"%3\" and is left out.");

// Every occupied and complete slot of the raw files below the data directory: the
// "*_data" directories, their "engine_1" and "engine_2" directories and the "*.raw" files in
// them, each level in name order so that the listing is the same on every machine.
QList<FlightListElement> scanFlightSlots(const QString& dataDirectory);

// "Flight: 0042   Date: 05-MAR-2006 (14:32)": the flight number and the date and time in
// the file name after its first "_". Only what the name holds is read.
QString flightEntryText(const FlightListElement& slot);

// The slots of `listed` that stand for their flight when each flight (aircraft, engine, flight
// number and memory) counts once: the one from the newest download (DownloadOrder), of one
// download the first listed. Indexes into `listed`, in listing order.
QList<int> newestDownloadSlots(const QList<FlightListElement>& listed);

// Header and record of exactly the listed slot, or nothing when the file no longer holds
// that flight there (gone, cut short, or its header changed).
std::optional<FlightDataElement> loadFlightSlot(const FlightListElement& slot);

// The flight selection without its window: the scanned slots, the register's records and
// the state that the selection dialog's controls show and change.
class FlightSelection {
public:
    static constexpr int kMaxLoadedFlights = 10;

    // Reads the register and the memory setting, scans the data directory (dataDirectory()
    // unless given) and makes the initial selection.
    FlightSelection();
    explicit FlightSelection(const QString& dataDirectory);

    bool hasFlights() const { return !slots_.isEmpty(); }
    const QList<FlightListElement>& flightSlots() const { return slots_; }
    const QList<AircraftInfoElement>& aircraftInfo() const { return aircraft_; }
    // The aircraft combo: each aircraft ID of the listed slots once, in order of discovery.
    const QStringList& aircraftEntries() const { return aircraftEntries_; }

    const QString& selectedAircraft() const { return selectedAircraft_; }
    int engineNumber() const { return engineNumber_; }
    MemoryType memoryType() const { return memoryType_; }
    // Engine 1 or 2 of the selected aircraft.
    const EngineDetails& engineFields(int engine) const;
    const QList<FlightEntry>& entries() const { return entries_; }
    // Whether the list shows each flight once, from its newest download.
    bool newestOnly() const { return newestOnly_; }

    // The aircraft combo's text changed.
    void selectAircraft(const QString& aircraftId);
    // 1 or 2; anything else selects engine 1.
    void selectEngine(int engine);
    // Anything but pre-defect selects post-defect; stored at once, since the viewer reads it
    // too.
    void selectMemoryType(MemoryType memoryType);
    // Stored at once, like the memory.
    void selectNewestOnly(bool newestOnly);

    // Confirmation: loads the selected entries (their values) in list order. Nothing when
    // none or more than kMaxLoadedFlights are selected: the dialog stays open. A flight that can no
    // longer be read is left out and reported.
    std::optional<QList<FlightDataElement>> load(const QList<int>& selectedValues,
                                                 Notifier& notifier) const;

private:
    void rebuildEntries();

    QList<FlightListElement> slots_;
    QList<AircraftInfoElement> aircraft_;
    QStringList aircraftEntries_;
    QString selectedAircraft_;
    int engineNumber_ = 1;
    MemoryType memoryType_ = MemoryType::PreDefect;
    bool newestOnly_ = false;
    QSet<int> newestSlots_; // indexes into slots_
    std::array<EngineDetails, 2> engineFields_;
    QList<FlightEntry> entries_;
};
