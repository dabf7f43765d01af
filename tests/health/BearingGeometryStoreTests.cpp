// The bearing geometry of the engine types: stored beside the types and read back exactly,
// removed with its type (and only with its own), refused with the message that names the
// impossible value.
#include "BearingGeometryStore.h"
#include "BearingMessages.h"
#include "BrixAircraftSettings.h"
#include "FlightIndex.h"
#include "KORALib.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisterKeys.h"
#include "SettingsSandbox.h"

#include <gtest/gtest.h>

namespace {

class BearingGeometryStore : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        for (const char* type : {"CFM56-7", "A/B", "A"})
            ASSERT_TRUE(addEngineType(QString::fromLatin1(type), notifier));
    }
    RecordingNotifier notifier;
};

const BearingGeometry kGeometry{.elements = 17,
                                .ballDiameter = 7.9375,
                                .pitchDiameter = 46.1,
                                .contactAngleDegrees = -15.5,
                                .shaft = BearingShaft::N1};

// Whether the store gave back exactly the geometry written.
bool holds(const std::optional<BearingGeometry>& read, const BearingGeometry& b) {
    return read && read->elements == b.elements && read->ballDiameter == b.ballDiameter &&
           read->pitchDiameter == b.pitchDiameter &&
           read->contactAngleDegrees == b.contactAngleDegrees && read->shaft == b.shaft;
}

TEST_F(BearingGeometryStore, RoundTripBesideTheTypesAndRemovalWithItsOwnType) {
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-7")));
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kGeometry, notifier));
    BearingGeometry other = kGeometry;
    other.shaft = BearingShaft::N2;
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("A/B"), other, notifier));
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("A"), kGeometry, notifier));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(holds(readBearingGeometry(QStringLiteral("CFM56-7")), kGeometry));
    EXPECT_TRUE(holds(readBearingGeometry(QStringLiteral("A/B")), other));
    // Kept as text a person can read, not inside the aircraft records.
    EXPECT_EQ(BrixAircraftSettings().value(QStringLiteral("EngineBearing/CFM56-7/BallDiameter")),
              QStringLiteral("7.9375"));
    EXPECT_EQ(KORALibListEngineTypes(), QStringList({"CFM56-7", "A/B", "A"}));

    // The flight index computes the bearing indicators with the geometries stored here.
    const std::map<QString, BearingGeometry> indexed = registerIndexInputs().bearings;
    EXPECT_EQ(indexed.size(), 3u);
    EXPECT_TRUE(indexed.contains(QStringLiteral("A/B")) &&
                holds(indexed.at(QStringLiteral("A/B")), other));

    // A type whose name holds "/" has a group of its own: removing "A" leaves "A/B" alone.
    ASSERT_TRUE(KORALibRemoveEngineType(QStringLiteral("A")));
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("A")));
    EXPECT_TRUE(holds(readBearingGeometry(QStringLiteral("A/B")), other));
    ASSERT_TRUE(KORALibRemoveEngineType(QStringLiteral("CFM56-7")));
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-7")));
    // Registered again, the type starts without a geometry.
    ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-7")));

    // A type the register does not list would keep its geometry for ever.
    EXPECT_FALSE(writeBearingGeometry(QStringLiteral("cfm56-7"), kGeometry, notifier));
    EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>(
                                     {{"critical", "Error", "Engine Type \"cfm56-7\" not found"}}));
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("cfm56-7")));

    clearBearingGeometry(QStringLiteral("A/B"));
    EXPECT_FALSE(readBearingGeometry(QStringLiteral("A/B")));
    EXPECT_FALSE(BrixAircraftSettings().childGroups().contains(QStringLiteral("EngineBearing")));
}

// Each value as typed, and the refusal that names the first impossible one; the stored
// geometry stays as it was.
TEST_F(BearingGeometryStore, EveryImpossibleValueIsRefusedByName) {
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kGeometry, notifier));
    struct Case {
        const char* elements;
        const char* ball;
        const char* pitch;
        const char* angle;
        const QString& refusal;
    };
    const Case cases[] = {
        {"0", "8", "40", "0", kBearingElementsFaultText},
        {"-3", "8", "40", "0", kBearingElementsFaultText},
        {"12.5", "8", "40", "0", kBearingElementsFaultText},
        {"", "8", "40", "0", kBearingElementsFaultText},
        {"12", "0", "40", "0", kBearingBallDiameterFaultText},
        {"12", "-1", "40", "0", kBearingBallDiameterFaultText},
        {"12", "eight", "40", "0", kBearingBallDiameterFaultText},
        {"12", "nan", "40", "0", kBearingBallDiameterFaultText},
        {"12", "8", "8", "0", kBearingPitchDiameterFaultText},
        {"12", "8", "7,5", "0", kBearingPitchDiameterFaultText},
        {"12", "8", "inf", "0", kBearingPitchDiameterFaultText},
        {"12", "8", "40", "90", kBearingContactAngleFaultText},
        {"12", "8", "40", "-90", kBearingContactAngleFaultText},
        {"12", "8", "40", "", kBearingContactAngleFaultText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.elements << ' ' << c.ball << ' ' << c.pitch << ' ' << c.angle);
        notifier.messages.clear();
        const BearingGeometry typed = bearingGeometryFromText(
            QString::fromLatin1(c.elements), QString::fromLatin1(c.ball),
            QString::fromLatin1(c.pitch), QString::fromLatin1(c.angle), BearingShaft::N2);
        EXPECT_EQ(bearingGeometryFaultText(typed), c.refusal);
        EXPECT_FALSE(writeBearingGeometry(QStringLiteral("CFM56-7"), typed, notifier));
        EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>(
                                         {{QStringLiteral("critical"), kErrorTitle, c.refusal}}));
        EXPECT_TRUE(holds(readBearingGeometry(QStringLiteral("CFM56-7")), kGeometry));
    }
    // The edge cases that a bearing can have; a decimal comma is a point.
    const BearingGeometry possible =
        bearingGeometryFromText(QStringLiteral(" 1 "), QStringLiteral("0,5"),
                                QStringLiteral("0.51"), QStringLiteral("-89.9"), BearingShaft::N1);
    EXPECT_TRUE(bearingGeometryFaultText(possible).isEmpty());
    EXPECT_EQ(possible.ballDiameter, 0.5);
}

// A store edited by hand into a geometry that no bearing has, or with a value missing, gives
// no geometry rather than wrong markers.
TEST_F(BearingGeometryStore, ADamagedEntryReadsAsNone) {
    const QString group = engineBearingGroup(QStringLiteral("CFM56-7"));
    for (const auto& [key, value] :
         {std::pair{"PitchDiameter", "5"}, std::pair{"Shaft", "N3"}, std::pair{"Elements", "many"},
          std::pair{"ContactAngle", ""}}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kGeometry, notifier));
        BrixAircraftSettings().setValue(group + QLatin1Char('/') + QLatin1String(key),
                                        QString::fromLatin1(value));
        EXPECT_FALSE(readBearingGeometry(QStringLiteral("CFM56-7")));
    }
}

} // namespace
