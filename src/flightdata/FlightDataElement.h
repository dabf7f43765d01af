#pragma once

#include "ViewerTypes.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

// One loaded flight, handed to the viewer: the slot's identity, a copy of its raw file's
// header and a copy of its whole flight record.
struct FlightDataElement {
    QString aircraftId;
    qint32 engineNumber = 0;
    qint32 flightNumber = 0;
    MemoryType memoryType = MemoryType::PreDefect;
    QByteArray fileHeader;   // the raw file's 304-byte header
    QByteArray flightRecord; // the slot's 137736-byte flight record

    // Where the flight was loaded from, for messages and brix-cli.
    QString filePath;
    int slot = -1;

    // The raw file's creation time (header offset 56): with the flight number, the flight's
    // key among the loaded ones.
    quint32 creationTime() const {
        return fileHeader.size() >= 60 ? qFromLittleEndian<quint32>(fileHeader.constData() + 56)
                                       : 0;
    }
};
