#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

inline const QString kViewerTestAircraft = QStringLiteral("F-GZLK");

inline const QString kViewerTestRawFile = QStringLiteral("n4orig_12MAR2024_0930.raw");
inline constexpr quint32 kViewerTestCreationTime = 1710235800;

// Writes one raw flight data file of engine 1 of kViewerTestAircraft into the data
// directory, named `fileName` and created at `creationTime`, with one slot per flight number. Every
// steady-state value is positive and differs per slot, type and bin, and every time record
// swings around zero, except that the A4R of bin 4 is negative in the `suspect` flights. The
// slots after the listed flights are empty (zeros), to the full size of 20 slots.
// Returns the file's path.
QString writeViewerRawFile(const QString& dataDirectory, const QList<qint32>& flights,
                           const QList<qint32>& suspect = {},
                           const QString& fileName = kViewerTestRawFile,
                           quint32 creationTime = kViewerTestCreationTime);

// The flight numbers 101, 102, ... of `count` flights.
QList<qint32> flightNumbers(int count);
