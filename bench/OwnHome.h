#pragma once

#include <QString>
#include <QtGlobal>

// Benchmarks run in a home and settings folder of their own, like the tests, so that they
// never read or write the developer's settings, log or data. Called before the
// application object exists.
inline void useOwnHome(const QString& home) {
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
}
