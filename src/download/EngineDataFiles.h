#pragma once

#include "ConversionProgress.h"

#include <QtGlobal>

class DownloadedData;
class PartNumberRecord;
class QDateTime;
class QIODevice;
class QString;
struct AircraftRecord;

// What both engine data files are made from: one engine's downloaded data, the aircraft
// it belongs to (engine `engineIndex`, 0 or 1) and the unit's part numbers.
struct EngineDataSource {
    const DownloadedData& data;
    int engineIndex;
    const AircraftRecord& aircraft;
    const PartNumberRecord& partNumbers;
};

// Both writers write the whole file into `out`, which is open for writing, and return
// false when the device refuses a write or the engine index is not 0 or 1. `fileName` is
// the file's name without directory and `created` the local time, both for the header.
// Lines end with "\n", the line end of the platform the program runs on; the bytes are
// the same whether or not `out` was opened in text mode. Text from the register is
// written as the 8-bit text it is stored as.
bool writeSteadyStateFile(QIODevice& out, const QString& fileName, const EngineDataSource& source,
                          const QDateTime& created, ConversionProgress& progress);
// Ends the progress with 100.
bool writeTransientFile(QIODevice& out, const QString& fileName, const EngineDataSource& source,
                        const QDateTime& created, ConversionProgress& progress);
