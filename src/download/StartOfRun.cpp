#include "StartOfRun.h"

#include "LeftoverFiles.h"

#include <csignal>

int prepareForDataWork(const QString& home, const QString& dataDirectory) {
    std::signal(SIGXFSZ, SIG_IGN);
    return removeLeftoversOfEndedRuns(home, dataDirectory);
}
