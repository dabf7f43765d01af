// Feeds arbitrary bytes to the flight selection as the one raw flight data file of the data
// directory: scans, builds the selection and loads every listed slot. Checks what the viewer
// relies on: only occupied slots whose record lies wholly in the file are listed, each of
// them loads with a whole header and record, and an identifier never outgrows its field.
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "FlightSelection.h"
#include "FuzzSupport.h"
#include "RawFlightDataLayout.h"
#include "StoreNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

using Raw = RawFlightDataLayout;

// A home and a data directory of its own for the whole run.
struct FuzzEnvironment {
    FuzzEnvironment() {
        useTemporaryHome(home);
        useApplicationStoreNames();
        dataDirectory = home.path() + QStringLiteral("/data");
        BrixAircraftSettings().setValue(kDataDirKey, dataDirectory);
        const QString engineDirectory = dataDirectory + QStringLiteral("/FUZZ_data/engine_1");
        if (!QDir().mkpath(engineDirectory))
            std::abort();
        rawPath = engineDirectory + QStringLiteral("/n4orig_05MAR2006_1432.raw");
        paddedPath = engineDirectory + QStringLiteral("/n4orig_05MAR2006_1432_2.raw");
    }
    QTemporaryDir home;
    QString dataDirectory;
    QString rawPath;
    QString paddedPath;
};

FuzzEnvironment& environment() {
    static FuzzEnvironment instance;
    return instance;
}

const bool kEnvironmentReady = (environment(), true);

// Listed slots worked out from the bytes alone.
int expectedSlots(const QByteArray& bytes) {
    if (bytes.size() < Raw::kHeaderSize)
        return 0;
    const quint32 magic = qFromLittleEndian<quint32>(bytes.constData());
    if (!Raw::isKnownMagic(magic))
        return 0;
    const qint64 complete =
        std::min<qint64>(Raw::kSlotCount, (bytes.size() - Raw::kHeaderSize) / Raw::kRecordSize);
    int count = 0;
    for (int slot = 0; slot < complete; ++slot)
        count += qFromLittleEndian<qint32>(bytes.constData() + Raw::kFlightNumbersOffset +
                                           4 * slot) != 0;
    return count;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)kEnvironmentReady;
    FuzzEnvironment& env = environment();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Whole records are far bigger than a fuzz input, so a second file pads the input with
    // zeros to as many records as its last byte asks: loading is reached too.
    QByteArray padded = bytes;
    if (!bytes.isEmpty()) {
        const int records = quint8(bytes.back()) % (Raw::kSlotCount + 1);
        padded.resize(std::max<qsizetype>(bytes.size(),
                                          Raw::kHeaderSize + qsizetype(records) * Raw::kRecordSize),
                      '\0');
    }
    if (!writeFile(env.rawPath, bytes) || !writeFile(env.paddedPath, padded))
        return 0;

    FlightSelection selection(env.dataDirectory);
    if (selection.flightSlots().size() != expectedSlots(bytes) + expectedSlots(padded))
        std::abort();
    for (const FlightListElement& slot : selection.flightSlots()) {
        if (slot.aircraftId.size() > Raw::kTextFieldSize - 1 || slot.flightNumber == 0)
            std::abort();
        flightEntryText(slot);
        const std::optional<FlightDataElement> flight = loadFlightSlot(slot);
        if (!flight || flight->slot != slot.slot || flight->fileHeader.size() != Raw::kHeaderSize ||
            flight->flightRecord.size() != Raw::kRecordSize)
            std::abort();
    }
    // The selection's own load, over whatever the filters leave.
    QList<int> values;
    for (const FlightEntry& entry : selection.entries())
        values.append(entry.value);
    QuietNotifier notifier;
    const auto loaded = selection.load(values, notifier);
    // Nothing chosen is refused, as is more than the viewer holds.
    const bool loadable = !values.isEmpty() && values.size() <= FlightSelection::kMaxLoadedFlights;
    if (loaded.has_value() != loadable || (loaded && loaded->size() != values.size()))
        std::abort();
    return 0;
}
