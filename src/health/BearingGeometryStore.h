#pragma once

#include "BearingFrequencies.h"

#include <QString>

#include <optional>

class Notifier;

// The bearing geometry of each engine type, kept in the register's store beside the engine
// types (never in an aircraft record). A type has one or none; removing the type from the
// register removes its geometry too.

// The geometry stored for a registered type (exact spelling). None when nothing is stored,
// and also when a stored value is missing or one that no bearing can have (a store edited by
// hand): the markers and the frequencies are then left out rather than drawn wrong.
std::optional<BearingGeometry> readBearingGeometry(const QString& engineType);

// The refusal naming the geometry's first impossible value; empty when there is none.
QString bearingGeometryFaultText(const BearingGeometry& geometry);

// Stores the geometry of a registered engine type, replacing the one it had. Refuses
// (critical, "Error", false, nothing stored) a type the register does not list and a geometry
// with an impossible value.
bool writeBearingGeometry(const QString& engineType, const BearingGeometry& geometry,
                          Notifier& notifier);

// Removes the type's geometry; nothing happens when it has none.
void clearBearingGeometry(const QString& engineType);

// A geometry from its four values as typed (numbers in the C locale, a decimal comma taken
// as a point). A value that is not a number reads as one that no bearing has, so that the
// refusal names it.
BearingGeometry bearingGeometryFromText(const QString& elements, const QString& ballDiameter,
                                        const QString& pitchDiameter, const QString& contactAngle,
                                        BearingShaft shaft);

// A number as the user typed it, in a dialog or on brix-cli's command line: C locale, a
// decimal comma taken as a point, blanks around it ignored; NaN for anything else, so that a
// check of finite numbers refuses it.
double typedNumber(QString text);

// A number as the store, the dialog and brix-cli write it: the shortest text that reads back
// as the same number.
QString bearingNumberText(double value);

// "N1" or "N2", as the store, the dialog and brix-cli name the shafts.
QString bearingShaftName(BearingShaft shaft);
