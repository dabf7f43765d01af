#include "AircraftIdentifier.h"
#include "AircraftMessages.h"
#include "Notifier.h"

#include <string_view>

namespace {

// Refused by Windows in file names; "/" and "\" also separate settings groups.
constexpr char16_t kReservedCharacters[] = u"/\\<>:\"|?*";

} // namespace

QString aircraftIdProblem(const QString& id, int maxLength) {
    if (id.size() > maxLength)
        return kIdTooLongReason.arg(maxLength);
    for (const QChar c : id) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            return kIdControlCharacterReason;
        if (std::u16string_view(kReservedCharacters).find(code) != std::u16string_view::npos)
            return kIdReservedCharacterReason.arg(c);
        if (code > 0xff)
            return kNotEightBitReason;
    }
    if (id.contains(QStringLiteral("..")))
        return kIdDotDotReason;
    return {};
}

bool isBlankAircraftId(const QString& id) {
    return id.trimmed().isEmpty();
}

QString invalidAircraftIdMessage(const QString& id, const QString& problem) {
    return kInvalidAircraftIdText.arg(id, problem);
}

bool checkAircraftId(const QString& id, Notifier& notifier) {
    if (isBlankAircraftId(id)) {
        notifier.critical(kErrorTitle, kNoAircraftIdText);
        return false;
    }
    if (const QString problem = aircraftIdProblem(id); !problem.isEmpty()) {
        notifier.critical(kErrorTitle, invalidAircraftIdMessage(id, problem));
        return false;
    }
    return true;
}

bool checkStoredAircraftId(const QString& id, Notifier& notifier) {
    if (isBlankAircraftId(id))
        return true;
    if (const QString problem = aircraftIdProblem(id); !problem.isEmpty()) {
        notifier.critical(kErrorTitle, invalidAircraftIdMessage(id, problem));
        return false;
    }
    return true;
}
