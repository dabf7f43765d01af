#pragma once

#include "Notifier.h"

#include <QTemporaryDir>
#include <cstdlib>

// Messages go nowhere while fuzzing: the inputs are nonsense on purpose.
class QuietNotifier : public Notifier {
public:
    void critical(const QString&, const QString&) override {}
    void warning(const QString&, const QString&) override {}
    void information(const QString&, const QString&) override {}
    bool question(const QString&, const QString&, DefaultAnswer) override { return false; }
};

// Gives the fuzz run a home and settings folder of its own, so that nothing it writes lands
// in the developer's.
inline void useTemporaryHome(const QTemporaryDir& home) {
    if (!home.isValid())
        std::abort();
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
}
