#pragma once

#include <QString>

// What the bearing geometry's store, dialog and command say. Each refusal names the value
// that no bearing can have.
inline const QString kBearingElementsFaultText =
    QStringLiteral("The number of rolling elements must be at least 1");
inline const QString kBearingBallDiameterFaultText =
    QStringLiteral("The ball diameter must be a number above 0");
inline const QString kBearingPitchDiameterFaultText =
    QStringLiteral("The pitch diameter must be a number above the ball diameter");
inline const QString kBearingContactAngleFaultText =
    QStringLiteral("The contact angle must be a number between -90 and 90 degrees");
