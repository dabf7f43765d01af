#pragma once

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"

#include <QString>
#include <QtGlobal>

// Benchmarks run in a home and settings folder of their own, like the tests, so that they
// never read or write the developer's settings, log or data. Called before the
// application object exists.
inline void useOwnHome(const QString& home) {
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
}

// The unit's address (the simulator on loopback) and the data directory go into the settings
// before anything connects or writes.
inline void pointSettingsAtSimulator(quint16 port, const QString& dataDirectory) {
    BrixAircraftSettings settings;
    settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
    settings.setValue(kPortKey, port);
    settings.setValue(kDataDirKey, dataDirectory);
}
