#include "RegisteredAircraft.h"

#include "FixedText.h"
#include "KORALib.h"

#include <gtest/gtest.h>

AircraftRecord registerEngines(const QString& id, EngineSwitches engine1, EngineSwitches engine2,
                               const char* serial1, const char* serial2) {
    AircraftRecord record = KORALibReadAircraft(id);
    const EngineSwitches switches[] = {engine1, engine2};
    const char* serials[] = {serial1, serial2};
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        EngineRecord& entry = record.engines[engine];
        writeFixedText(entry.engineType, QStringLiteral("CFM56-7"));
        writeFixedText(entry.serialNumber, QString::fromLatin1(serials[engine]));
        entry.downloadBearing4 = switches[engine].download;
        entry.eraseBearing4 = switches[engine].eraseData;
        entry.eraseBearing4History = switches[engine].eraseHistory;
        entry.eraseAccelHistory = switches[engine].eraseAccel;
    }
    EXPECT_TRUE(KORALibWriteAircraft(id, record));
    return record;
}
