#include "PreDownloadChecks.h"

#include "AircraftIdentifier.h"
#include "AircraftMessages.h"
#include "AircraftRecord.h"
#include "BrixAircraftSettings.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterKeys.h"

int engineWithShortSerialNumber(const AircraftRecord& record) {
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        const EngineRecord& entry = record.engines[engine];
        if (entry.downloadBearing4 != 0 &&
            readFixedText(entry.serialNumber).size() < kMinSerialNumberLength)
            return engine;
    }
    return -1;
}

bool checkSerialNumbers(const AircraftRecord& record, Notifier& notifier) {
    const int engine = engineWithShortSerialNumber(record);
    if (engine < 0)
        return true;
    notifier.critical(kErrorTitle,
                      kInvalidSerialNumberText.arg(QString::number(engine + 1),
                                                   QString::number(kMinSerialNumberLength)));
    return false;
}

bool storeConfirmedAircraft(const QString& id, const AircraftRecord& record, Notifier& notifier) {
    if (!checkStoredAircraftId(readFixedText(record.aircraftId), notifier))
        return false;
    if (!KORALibWriteAircraft(id, record)) {
        notifier.critical(kErrorTitle, kUnableToStoreAircraftText.arg(id));
        return false;
    }
    BrixAircraftSettings settings;
    settings.setValue(kLastAircraftKey, id);
    return true;
}

bool confirmAircraftForDownload(const QString& id, const AircraftRecord& record,
                                Notifier& notifier) {
    return storeConfirmedAircraft(id, record, notifier) && checkSerialNumbers(record, notifier);
}

void setEngineTypeOfBothEngines(AircraftRecord& record, const QString& type) {
    for (EngineRecord& engine : record.engines)
        writeFixedText(engine.engineType, type);
}
