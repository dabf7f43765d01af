#pragma once

#include <QString>

// Keys of the register in the application store.
inline const QString kAircraftInfoGroup = QStringLiteral("AircraftInfo");
// Prefix of an aircraft record's key; the identifier follows.
inline const QString kAircraftInfoPrefix = QStringLiteral("AircraftInfo/");
inline const QString kLastAircraftKey = QStringLiteral("LastAircraft");
// One key per engine type, indices consecutive from 0.
inline const QString kEngineTypeKeyPattern = QStringLiteral("EngineType_%1");
inline const QString kEngineTypeKeyPrefix = QStringLiteral("EngineType_");
