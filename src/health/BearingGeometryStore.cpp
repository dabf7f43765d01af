#include "BearingGeometryStore.h"

#include "AircraftMessages.h"
#include "BearingMessages.h"
#include "BrixAircraftSettings.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterKeys.h"

#include <QLocale>

#include <limits>

namespace {

const QString kElementsKey = QStringLiteral("Elements");
const QString kBallDiameterKey = QStringLiteral("BallDiameter");
const QString kPitchDiameterKey = QStringLiteral("PitchDiameter");
const QString kContactAngleKey = QStringLiteral("ContactAngle");
const QString kShaftKey = QStringLiteral("Shaft");

std::optional<double> readNumber(const QSettings& settings, const QString& key) {
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

double typedNumber(QString text) {
    text = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

BearingGeometry bearingGeometryFromText(const QString& elements, const QString& ballDiameter,
                                        const QString& pitchDiameter, const QString& contactAngle,
                                        BearingShaft shaft) {
    bool ok = false;
    const int count = QLocale::c().toInt(elements.trimmed(), &ok);
    return {.elements = ok ? count : 0,
            .ballDiameter = typedNumber(ballDiameter),
            .pitchDiameter = typedNumber(pitchDiameter),
            .contactAngleDegrees = typedNumber(contactAngle),
            .shaft = shaft};
}

// The store keeps numbers as text, so that a person can read them; they read back exactly.
QString bearingNumberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString bearingShaftName(BearingShaft shaft) {
    return shaft == BearingShaft::N1 ? QStringLiteral("N1") : QStringLiteral("N2");
}

std::optional<BearingGeometry> readBearingGeometry(const QString& engineType) {
    if (engineType.isEmpty())
        return std::nullopt;
    BrixAircraftSettings settings;
    settings.beginGroup(engineBearingGroup(engineType));
    bool elementsOk = false;
    const int elements = settings.value(kElementsKey).toString().toInt(&elementsOk);
    const std::optional<double> ball = readNumber(settings, kBallDiameterKey);
    const std::optional<double> pitch = readNumber(settings, kPitchDiameterKey);
    const std::optional<double> angle = readNumber(settings, kContactAngleKey);
    const QString shaft = settings.value(kShaftKey).toString();
    const bool knownShaft =
        shaft == bearingShaftName(BearingShaft::N1) || shaft == bearingShaftName(BearingShaft::N2);
    if (!elementsOk || !ball || !pitch || !angle || !knownShaft)
        return std::nullopt;
    const BearingGeometry geometry{
        .elements = elements,
        .ballDiameter = *ball,
        .pitchDiameter = *pitch,
        .contactAngleDegrees = *angle,
        .shaft = shaft == bearingShaftName(BearingShaft::N1) ? BearingShaft::N1 : BearingShaft::N2};
    if (bearingGeometryFault(geometry) != BearingGeometryFault::None)
        return std::nullopt;
    return geometry;
}

QString bearingGeometryFaultText(const BearingGeometry& geometry) {
    switch (bearingGeometryFault(geometry)) {
    case BearingGeometryFault::None:
        break;
    case BearingGeometryFault::Elements:
        return kBearingElementsFaultText;
    case BearingGeometryFault::BallDiameter:
        return kBearingBallDiameterFaultText;
    case BearingGeometryFault::PitchDiameter:
        return kBearingPitchDiameterFaultText;
    case BearingGeometryFault::ContactAngle:
        return kBearingContactAngleFaultText;
    }
    return {};
}

bool writeBearingGeometry(const QString& engineType, const BearingGeometry& geometry,
                          Notifier& notifier) {
    // A geometry of a type the register does not list would never be removed with it.
    if (!KORALibListEngineTypes().contains(engineType)) {
        notifier.critical(kErrorTitle, kEngineTypeNotFoundText.arg(engineType));
        return false;
    }
    if (const QString fault = bearingGeometryFaultText(geometry); !fault.isEmpty()) {
        notifier.critical(kErrorTitle, fault);
        return false;
    }
    BrixAircraftSettings settings;
    settings.beginGroup(engineBearingGroup(engineType));
    settings.setValue(kElementsKey, QString::number(geometry.elements));
    settings.setValue(kBallDiameterKey, bearingNumberText(geometry.ballDiameter));
    settings.setValue(kPitchDiameterKey, bearingNumberText(geometry.pitchDiameter));
    settings.setValue(kContactAngleKey, bearingNumberText(geometry.contactAngleDegrees));
    settings.setValue(kShaftKey, bearingShaftName(geometry.shaft));
    return true;
}

void clearBearingGeometry(const QString& engineType) {
    BrixAircraftSettings settings;
    settings.remove(engineBearingGroup(engineType));
}
