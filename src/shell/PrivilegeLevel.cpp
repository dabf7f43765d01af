#include "PrivilegeLevel.h"

#include "ApplicationSettings.h"
#include "StartArguments.h"

namespace {

int currentLevel = kFlightLineLevel;
int currentTimeout = kDefaultPrivTimeout;

} // namespace

QString privilegeName(int level) {
    switch (level) {
    case kMakerLevel:
        return QStringLiteral("Orvantis");
    case kAdministratorLevel:
        return QStringLiteral("Administrator");
    case kFlightLineLevel:
        return QStringLiteral("Flight Line");
    default:
        return {};
    }
}

int privilegeLevel() {
    return currentLevel;
}

void setPrivilegeLevel(int level) {
    currentLevel = level;
}

int inactivityTimeout() {
    return currentTimeout;
}

void setInactivityTimeout(int seconds) {
    currentTimeout = seconds;
}

int levelFromStartArguments(const StartArguments& arguments) {
    if (!arguments.present)
        return kFlightLineLevel;
    switch (arguments.level) {
    case kAdministratorLevel:
        return arguments.passwordGiven && arguments.password == storedPassword()
                   ? kAdministratorLevel
                   : kFlightLineLevel;
    case kMakerLevel:
        return arguments.passwordGiven &&
                       arguments.password.compare(kMakerAccessCode, Qt::CaseInsensitive) == 0
                   ? kMakerLevel
                   : kFlightLineLevel;
    default:
        return kFlightLineLevel;
    }
}
