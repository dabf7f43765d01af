#pragma once

#include <QString>

inline const QString kOrganisationName = QStringLiteral("Orvantis");
inline const QString kCommonStoreName = QStringLiteral("BRIX");
inline const QString kApplicationStoreName = QStringLiteral("ZELK");

// Gives the process the organisation and application names under which a plain QSettings
// (and BrixAircraftSettings) opens the application store. The program, brix-cli and every
// test call it before touching a setting.
void useApplicationStoreNames();
