#include "SimulatorCommandLine.h"

#include "UnitResponses.h"

#include <QRegularExpression>

#include <array>

namespace {

constexpr std::array<std::pair<PartNumberField, const char*>, kPartNumberFieldCount>
    kPartNumberFieldNames = {{
        {PartNumberField::BootMain, "boot-main"},
        {PartNumberField::MainSoftware, "main-software"},
        {PartNumberField::BootDsp, "boot-dsp"},
        {PartNumberField::DspSoftware, "dsp-software"},
        {PartNumberField::Configuration, "configuration"},
    }};

// Decimal or 0x-prefixed hexadecimal, 32 bits.
std::optional<quint32> parseWord(const QString& text) {
    bool ok = false;
    const qulonglong value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                 ? text.mid(2).toULongLong(&ok, 16)
                                 : text.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFULL)
        return std::nullopt;
    return quint32(value);
}

quint32 defaultArgument(FaultKind kind) {
    switch (kind) {
    case FaultKind::AckError:
        return 1;
    case FaultKind::DeclaredSize:
        return unit_responses::kMaxByteCount + 1;
    case FaultKind::BadBlockType:
        return 4;
    case FaultKind::Delay:
        return 1000;
    default:
        return 0;
    }
}

} // namespace

std::optional<quint16> parseListenAddress(const QString& text, QString* error) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    const QString host = text.left(colon);
    if (colon < 0 || host != QLatin1String("127.0.0.1")) {
        *error = QStringLiteral("refusing to listen on '%1': only 127.0.0.1 is allowed").arg(text);
        return std::nullopt;
    }
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok, 10);
    if (!ok || port > 65535) {
        *error = QStringLiteral("bad port in '%1'").arg(text);
        return std::nullopt;
    }
    return quint16(port);
}

std::optional<SimulatorFault> parseFaultOption(const QString& text, QString* error) {
    const QStringList parts = text.split(QLatin1Char(':'));
    auto fail = [&](const QString& why) {
        *error = QStringLiteral("bad fault '%1': %2").arg(text, why);
        return std::nullopt;
    };
    if (parts.size() < 2 || parts.size() > 5)
        return fail(QStringLiteral("expected CODE:KIND[:ARG[:TIMES[:AFTER]]]"));
    SimulatorFault fault;
    if (parts[0] != QLatin1String("any")) {
        const std::optional<quint32> code = parseWord(parts[0]);
        if (!code || *code == SimulatorFault::kAnyCommand)
            return fail(QStringLiteral("unknown command code"));
        fault.code = *code;
    }
    const std::optional<FaultKind> kind = faultKindFromName(parts[1]);
    if (!kind)
        return fail(QStringLiteral("unknown kind '%1'").arg(parts[1]));
    fault.kind = *kind;
    fault.argument = defaultArgument(fault.kind);
    const QString argument = parts.size() > 2 ? parts[2] : QString();
    if (fault.kind == FaultKind::RawResponse) {
        static const QRegularExpression hexBytes(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        if (!hexBytes.match(argument).hasMatch())
            return fail(QStringLiteral("raw bytes must be pairs of hex digits"));
        fault.rawResponse = QByteArray::fromHex(argument.toLatin1());
    } else if (!argument.isEmpty()) {
        const std::optional<quint32> value = parseWord(argument);
        if (!value)
            return fail(QStringLiteral("bad argument '%1'").arg(argument));
        fault.argument = *value;
    }
    if (parts.size() > 3 && parts[3] != QLatin1String("always")) {
        bool ok = false;
        fault.times = parts[3].toInt(&ok);
        if (!ok || fault.times < 1)
            return fail(QStringLiteral("TIMES must be a positive count or 'always'"));
    }
    if (parts.size() > 4) {
        bool ok = false;
        fault.after = parts[4].toInt(&ok);
        if (!ok || fault.after < 0)
            return fail(QStringLiteral("AFTER must be a count of commands"));
    }
    return fault;
}

std::optional<std::pair<PartNumberField, QByteArray>> parsePartNumberOption(const QString& text,
                                                                            QString* error) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    const QString name = text.left(equals);
    const QString value = text.mid(equals + 1);
    for (const auto& [field, fieldName] : kPartNumberFieldNames) {
        if (equals < 0 || name != QLatin1String(fieldName))
            continue;
        const QByteArray bytes = value.toLatin1();
        if (value.size() > unit_responses::kPartNumberLength ||
            QString::fromLatin1(bytes) != value) {
            *error =
                QStringLiteral("part number '%1' is not at most 16 Latin-1 characters").arg(value);
            return std::nullopt;
        }
        return std::pair{field, bytes};
    }
    *error = QStringLiteral("bad part number '%1': expected FIELD=TEXT with FIELD one of "
                            "boot-main, main-software, boot-dsp, dsp-software, configuration")
                 .arg(text);
    return std::nullopt;
}

std::optional<BearingDefect> parseBearingDefectOption(const QString& text, QString* error) {
    const QStringList parts = text.split(QLatin1Char(':'));
    bool engineOk = false;
    bool slotOk = false;
    BearingDefect defect;
    if (parts.size() == 2) {
        defect.engine = parts[0].toInt(&engineOk);
        defect.firstSlot = parts[1].toInt(&slotOk);
    }
    if (!engineOk || !slotOk || (defect.engine != 1 && defect.engine != 2) ||
        defect.firstSlot < 0 || defect.firstSlot >= unit_responses::kFlightSlots) {
        *error = QStringLiteral("bad bearing defect '%1': expected ENGINE:FIRST_SLOT with ENGINE "
                                "1 or 2 and FIRST_SLOT 0 to 19")
                     .arg(text);
        return std::nullopt;
    }
    return defect;
}

QString simulatedBearingText() {
    const BearingGeometry& bearing = kSimulatedBearing;
    const bool onN2 = bearing.shaft == BearingShaft::N2;
    const double lowRpm = onN2 ? kN2MinRpm : kN1MinRpm;
    const double highRpm = onN2 ? kN2MaxRpm : kN1MaxRpm;
    return QStringLiteral("--elements %1 --ball-diameter %2 --pitch-diameter %3 --contact-angle "
                          "%4 --shaft %5 (millimetres; outer race at %6 to %7 Hz)")
        .arg(bearing.elements)
        .arg(bearing.ballDiameter)
        .arg(bearing.pitchDiameter)
        .arg(bearing.contactAngleDegrees)
        .arg(onN2 ? QLatin1String("n2") : QLatin1String("n1"))
        .arg(bearingFrequencies(bearing, lowRpm / 60).outerRace, 0, 'f', 1)
        .arg(bearingFrequencies(bearing, highRpm / 60).outerRace, 0, 'f', 1);
}

std::optional<QList<int>> parseSlotList(const QString& text, QString* error) {
    QList<int> slotList;
    if (text.isEmpty())
        return slotList;
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int slot = item.trimmed().toInt(&ok);
        if (!ok || slot < 0 || slot >= unit_responses::kFlightSlots) {
            *error = QStringLiteral("bad flight slot '%1': slots are 0 to 19").arg(item);
            return std::nullopt;
        }
        slotList.append(slot);
    }
    return slotList;
}
