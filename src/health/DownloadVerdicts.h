#pragma once

#include "EngineHealth.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

class Notifier;

// The verdict after a download: each raw file the download saves is added to the flight index
// of its data directory at once and, when it brought flights that the index did not hold
// before (flight numbers new to that engine), its engine is judged on the limits of its type.
// The download window and brix-cli show one line per such engine before their final text; the
// main window's status then names the aircraft's worst state.
class DownloadVerdicts {
public:
    explicit DownloadVerdicts(Notifier& notifier) : notifier_(notifier) {}

    // For DownloadSequence::Options::rawFileSaved.
    void rawFileSaved(const QString& dataDirectory, const QString& rawFilePath);

    // engineHealthVerdict() of each engine that got new flights, in engine order.
    QStringList lines() const;
    // The worst state among those engines; none when no engine got new flights.
    std::optional<HealthState> worstState() const;

private:
    Notifier& notifier_;
    std::map<int, EngineHealth> judged_; // by engine number
};
