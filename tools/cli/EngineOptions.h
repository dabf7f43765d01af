#pragma once

#include "ViewerTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The words that name one engine's stored flights, read by one parser for brix-cli trend, ci
// and plot's trend view:
//   --aircraft ID    the aircraft (exact spelling; required)
//   --engine N       engine 1 or 2 (required)
//   --memory M       only pre-defect (0) or post-defect (1) memory
// beside the options that each command adds of its own.

struct EngineFlights {
    QString aircraftId;
    int engineNumber = 1;
    std::optional<MemoryType> memoryType; // nothing: both memories
};

// One command's own option "--NAME VALUE": `take` checks and keeps the value, and on a usage
// error returns its text.
struct CommandOption {
    QString name;
    QString valueName;
    std::function<std::optional<QString>(const QString& value)> take;
    bool required = false;
};

// Reads `arguments` into `engine` and, through their `take`, the command's own options, in
// command-line order; a problem of a value is reported before a missing option, which gets
// `requiredText`. On a usage error returns its text.
std::optional<QString> parseEngineOptions(const QStringList& arguments,
                                          const QList<CommandOption>& ownOptions,
                                          const QString& requiredText, EngineFlights& engine);
