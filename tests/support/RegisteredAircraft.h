#pragma once

#include "AircraftRecord.h"

#include <QString>

// What the register asks the automatic download to do for one engine.
struct EngineSwitches {
    bool download = false;
    bool eraseData = false;
    bool eraseHistory = false;
    bool eraseAccel = false;
};
inline constexpr EngineSwitches kAllOn{true, true, true, true};
inline constexpr EngineSwitches kDownloadOnly{true, false, false, false};
inline constexpr EngineSwitches kAllOff{};

// Gives a registered aircraft engine type "CFM56-7", the serial numbers and the switches of
// both engines, stores it and returns the stored record.
AircraftRecord registerEngines(const QString& id, EngineSwitches engine1, EngineSwitches engine2,
                               const char* serial1 = "874211", const char* serial2 = "874212");
