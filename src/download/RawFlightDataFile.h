#pragma once

#include "DownloadedData.h"
#include "RawFlightDataLayout.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>

class QIODevice;
class QCryptographicHash;
struct AircraftRecord;

// The raw flight data file as the download writes it from one engine's response, in the
// layout that the viewer reads (RawFlightDataLayout).
class RawFlightDataFile : public RawFlightDataLayout {
public:
    // The 304-byte header. Engine index 0 or 1; the creation time in seconds since 1970 UTC
    // is kept to its low 32 bits, as the layout has no room for more.
    static QByteArray header(const DownloadedData& data, const AircraftRecord& aircraft,
                             int engineIndex, qint64 creationTime);
    // Fills `record` (kRecordSize bytes) with the slot's flight record; zeros for a slot
    // whose block did not arrive.
    static void buildFlightRecord(const DownloadedData& data, int slot, char* record);
    // The 8-byte trailer: current and historic alarm level.
    static QByteArray trailer(const DownloadedData& data);

    // Writes the whole file to `out`, each flight record with one write; `afterRecord` runs
    // after each record and `hash`, when given, takes every byte written. False at the first
    // write that fails.
    static bool write(QIODevice& out, const DownloadedData& data, const AircraftRecord& aircraft,
                      int engineIndex, qint64 creationTime,
                      const std::function<void()>& afterRecord = {},
                      QCryptographicHash* hash = nullptr);
};
