#pragma once

#include <QString>
#include <QUrl>

// Keys of the register in the application store.
inline const QString kAircraftInfoGroup = QStringLiteral("AircraftInfo");
// Prefix of an aircraft record's key; the identifier follows.
inline const QString kAircraftInfoPrefix = QStringLiteral("AircraftInfo/");
inline const QString kLastAircraftKey = QStringLiteral("LastAircraft");
// One key per engine type, indices consecutive from 0.
inline const QString kEngineTypeKeyPattern = QStringLiteral("EngineType_%1");
inline const QString kEngineTypeKeyPrefix = QStringLiteral("EngineType_");
// The bearing geometry of an engine type: one group per type, percent-encoded so that a "/"
// in a type's name opens no group of its own. It goes with the type when the type is removed.
inline const QString kEngineBearingPrefix = QStringLiteral("EngineBearing/");
inline QString engineBearingGroup(const QString& engineType) {
    return kEngineBearingPrefix + QString::fromLatin1(QUrl::toPercentEncoding(engineType));
}
// The health limits of an engine type: one group per type (percent-encoded as above) holding
// one group per indicator. They go with the type when the type is removed.
inline const QString kEngineLimitsPrefix = QStringLiteral("EngineLimits/");
inline QString engineLimitsGroup(const QString& engineType) {
    return kEngineLimitsPrefix + QString::fromLatin1(QUrl::toPercentEncoding(engineType));
}
