#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>

// Writes the raw flight data file that downloading engine `engine` (1 or 2) of the simulated
// unit (default configuration) gives for aircraft `aircraftId`, and renumbers the slots that
// `flightNumbers` names (slot -> flight number), since the simulator numbers its flights
// itself. False when the file cannot be written.
bool writeSimulatorRawFile(const QString& path, const QString& aircraftId, int engine,
                           const QMap<int, qint32>& flightNumbers = {});
