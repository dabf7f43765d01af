#pragma once

#include "RawFlightDataLayout.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// Raw flight data files with chosen headers and steady-state rows, written the way a trend
// reads them: the header and, per listed slot, its 1352 bytes of steady-state rows at their
// offsets; the rest of the file is a hole (sparse where the file system allows), up to the
// size asked for.

struct CraftedSlot {
    int slot = 0;
    qint32 flightNumber = 0;
    qint32 memory = 0;
    // rows[p][b]: steady-state parameter type p, bin b.
    std::array<std::array<float, RawFlightDataLayout::kBinCount>,
               RawFlightDataLayout::kBinValueCount>
        rows{};

    // Every value of every row `value`.
    static CraftedSlot filled(int slot, qint32 flightNumber, qint32 memory, float value);
};

struct CraftedRawFile {
    QString aircraftId = QStringLiteral("AC001");
    qint32 engineNumber = 1;
    quint32 creationTime = 1141568000;
    quint32 magic = RawFlightDataLayout::kMagic;
    QList<CraftedSlot> flightSlots;
    qint64 size = RawFlightDataLayout::kFileSize; // cut or extended to this many bytes
};

// Creates or replaces the file; false when it cannot be written.
bool writeCraftedRawFile(const QString& path, const CraftedRawFile& file);
