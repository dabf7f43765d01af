// Feeds arbitrary bytes to the conversion as the response file of one engine, as the link
// would leave it, and checks what the conversion promises: never more than 20 slots, only
// whole blocks counted, a raw flight data file of the one fixed size, input of another layout
// refused whole, and the response file gone only when all three files were saved.
#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "FuzzSupport.h"
#include "PartNumberRecord.h"
#include "RawFlightDataFile.h"
#include "ReformatData.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// A home of its own for the whole run, so that nothing lands in the developer's.
struct FuzzEnvironment {
    FuzzEnvironment() {
        useTemporaryHome(home);
        dataDirectory = home.path() + QStringLiteral("/data");
        responsePath = home.path() + QStringLiteral("/ZELK-fuzz");
        writeFixedText(aircraft.aircraftId, QStringLiteral("FUZZ"));
        writeFixedText(aircraft.engines[0].engineType, QStringLiteral("CFM56-7"));
    }

    QTemporaryDir home;
    QString dataDirectory;
    QString responsePath;
    AircraftRecord aircraft;
    PartNumberRecord partNumbers;
};

FuzzEnvironment& environment() {
    static FuzzEnvironment instance;
    return instance;
}

const bool kEnvironmentReady = (environment(), true);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)kEnvironmentReady;
    FuzzEnvironment& env = environment();
    {
        QFile response(env.responsePath);
        if (!response.open(QIODevice::WriteOnly) ||
            response.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            return 0;
    }
    QuietNotifier notifier;
    const ReformatResult result =
        ReformatData(env.responsePath, 0, env.aircraft, env.dataDirectory, env.partNumbers,
                     notifier, {}, true, QDateTime(QDate(2006, 3, 5), QTime(14, 32)));

    const qint64 length = qint64(size);
    const int expectedSlots = length < DownloadedData::kFlightsOffset
                                  ? 0
                                  : int(std::min<qint64>(DownloadedData::kSlotCount,
                                                         (length - DownloadedData::kFlightsOffset) /
                                                             DownloadedData::kFlightBlockSize));
    // Input that is not laid out as a download is refused before any name is chosen.
    const bool refused = result.rawFilePath.isEmpty();
    if (refused && (result.slotsReceived != 0 || result.rawFileSaved || !result.responseFileKept))
        std::abort();
    if (!refused && result.slotsReceived != expectedSlots)
        std::abort();
    if (length < DownloadedData::kFlightsOffset && result.rawFileSaved)
        std::abort();
    if (result.rawFileSaved && QFileInfo(result.rawFilePath).size() != RawFlightDataFile::kFileSize)
        std::abort();
    if (QFile::exists(env.responsePath) != result.responseFileKept)
        std::abort();

    // Bounded disk: every run starts from an empty data directory.
    QDir(env.dataDirectory).removeRecursively();
    QFile::remove(env.responsePath);
    return 0;
}
