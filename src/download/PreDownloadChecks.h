#pragma once

#include <QString>

struct AircraftRecord;
class Notifier;

// What the pre-download dialog does on OK, without the dialog.

inline const QString kInvalidSerialNumberText =
    QStringLiteral("Invalid engine %1 serial number.\n\nEnter min. %2 characters.");
inline const QString kUnableToStoreAircraftText =
    QStringLiteral("Unable to store the record of aircraft \"%1\"");
inline constexpr int kMinSerialNumberLength = 3;

// Index (0 or 1) of the first engine to be downloaded whose serial number is shorter than
// kMinSerialNumberLength; -1 when none is.
int engineWithShortSerialNumber(const AircraftRecord& record);

// The serial-number check; reports the first failing engine (critical, "Error").
bool checkSerialNumbers(const AircraftRecord& record, Notifier& notifier);

// Stores the record under `id` and makes it the last aircraft. Reports a refusal itself.
bool storeConfirmedAircraft(const QString& id, const AircraftRecord& record, Notifier& notifier);

// OK of the pre-download dialog: stores the record first, so that the edits are kept even
// when the check then fails, and checks the serial numbers. True when the download may go.
bool confirmAircraftForDownload(const QString& id, const AircraftRecord& record,
                                Notifier& notifier);

// Both engines of an aircraft get the type chosen for either.
void setEngineTypeOfBothEngines(AircraftRecord& record, const QString& type);
