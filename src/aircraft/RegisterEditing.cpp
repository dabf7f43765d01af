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
    // The type goes into every record it is chosen for: it is kept as far as the record's
    // field holds it, and is compared as it will be stored.
    const QString stored = type.left(kEngineTypeCapacity);
    const QStringList types = KORALibListEngineTypes();
    for (const QString& listed : types) {
        if (listed.compare(stored, Qt::CaseInsensitive) == 0) {
            notifier.critical(kErrorTitle, kEngineTypeExistsText.arg(listed));
            return false;
        }
    }
    if (!fitsFixedText(stored, kEngineTypeCapacity)) {
        notifier.critical(kErrorTitle, kInvalidEngineTypeText.arg(stored, kNotEightBitReason));
        return false;
    }
    BrixAircraftSettings settings;
    settings.setValue(kEngineTypeKeyPattern.arg(types.size()), stored);
    return true;
}

AircraftRemoval removeAircraft(const QString& id, Notifier& notifier, DownloadedFiles files) {
    if (const int count = downloadedFileCount(id); count > 0 && files == DownloadedFiles::Ask) {
        const QString question =
            kRemoveAircraftWithFilesText.arg(id, QString::number(count), aircraftDirectory(id));
        if (!notifier.question(kRemoveAircraftTitle, question, Notifier::DefaultAnswer::No))
            return AircraftRemoval::Kept;
    }
    return KORALibDeleteAircraft(id, notifier) ? AircraftRemoval::Removed : AircraftRemoval::Failed;
}
