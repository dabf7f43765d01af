#include "RegisterEditing.h"

#include "AircraftIdentifier.h"
#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "BrixAircraftSettings.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterKeys.h"

bool addAircraft(const QString& id, Notifier& notifier) {
    if (!checkAircraftId(id, notifier))
        return false;
    if (const QString existing = registeredAircraftId(id); !existing.isEmpty()) {
        notifier.critical(kErrorTitle, kAircraftExistsText.arg(existing));
        return false;
    }
    AircraftRecord record;
    writeFixedText(record.aircraftId, id);
    KORALibWriteAircraft(id, record);
    {
        BrixAircraftSettings settings;
        settings.setValue(kLastAircraftKey, id);
    }
    return KORALibCheckDir(aircraftDirectory(id), true, notifier) &&
           KORALibCheckDir(engineDirectory(id, 1), true, notifier) &&
           KORALibCheckDir(engineDirectory(id, 2), true, notifier);
}

bool addEngineType(const QString& type, Notifier& notifier) {
    if (type.isEmpty()) {
        notifier.critical(kErrorTitle, kNoEngineTypeText);
        return false;
    }
    const QStringList types = KORALibListEngineTypes();
    for (const QString& listed : types) {
        if (listed.compare(type, Qt::CaseInsensitive) == 0) {
            notifier.critical(kErrorTitle, kEngineTypeExistsText.arg(listed));
            return false;
        }
    }
    // A type the record's field cannot hold would be cut every time it is chosen.
    constexpr int kCapacity = static_cast<int>(sizeof(EngineRecord::engineType)) - 1;
    if (!fitsFixedText(type, kCapacity)) {
        notifier.critical(kErrorTitle,
                          kEngineTypeTooLongText.arg(type, QString::number(kCapacity)));
        return false;
    }
    BrixAircraftSettings settings;
    settings.setValue(kEngineTypeKeyPattern.arg(types.size()), type);
    return true;
}
