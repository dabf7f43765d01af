// The limits kept per engine type (read back exactly, refused when impossible, removed with
// their type) and the fleet's rows from a small data directory, as CSV and JSON.
#include "CraftedRawFile.h"
#include "FleetHealth.h"
#include "FlightIndex.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

namespace {

const QString kType = QStringLiteral("CFM56-7");

class HealthStore : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(addEngineType(kType, notifier));
        ASSERT_TRUE(addEngineType(QStringLiteral("A/B"), notifier));
    }
    RecordingNotifier notifier;
};

TEST_F(HealthStore, LimitsReadBackAndGoWithTheirType) {
    const IndicatorLimits kurtosis{.warning = 3.7, .alarm = 5.25, .change = 0.4};
    const IndicatorLimits rms{.warning = 0.1, .alarm = 0.3, .change = std::nullopt};
    ASSERT_TRUE(writeIndicatorLimits(kType, Indicator::Kurtosis, kurtosis, notifier));
    ASSERT_TRUE(writeIndicatorLimits(kType, Indicator::Rms, rms, notifier));
    ASSERT_TRUE(writeIndicatorLimits(QStringLiteral("A/B"), Indicator::Rms, rms, notifier));
    EXPECT_EQ(readEngineTypeLimits(kType),
              (EngineTypeLimits{{Indicator::Rms, rms}, {Indicator::Kurtosis, kurtosis}}));
    // Setting again without a change removes the change.
    ASSERT_TRUE(writeIndicatorLimits(kType, Indicator::Kurtosis, rms, notifier));
    EXPECT_EQ(readIndicatorLimits(kType, Indicator::Kurtosis), rms);
    clearIndicatorLimits(kType, Indicator::Kurtosis);
    EXPECT_EQ(readEngineTypeLimits(kType), (EngineTypeLimits{{Indicator::Rms, rms}}));
    EXPECT_TRUE(notifier.messages.isEmpty());

    ASSERT_TRUE(KORALibRemoveEngineType(kType));
    ASSERT_TRUE(addEngineType(kType, notifier));
    EXPECT_TRUE(readEngineTypeLimits(kType).empty());
    EXPECT_EQ(readIndicatorLimits(QStringLiteral("A/B"), Indicator::Rms), rms);
}

TEST_F(HealthStore, ImpossibleLimitsAreRefusedAndNothingIsStored) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        IndicatorLimits limits;
        QString text;
    } cases[] = {
        {{.warning = 2, .alarm = 2, .change = {}}, kLimitsWarningNotBelowAlarmText},
        {{.warning = 3, .alarm = 2, .change = {}}, kLimitsWarningNotBelowAlarmText},
        {{.warning = nan, .alarm = 2, .change = {}}, kLimitsNotNumbersText},
        {{.warning = 1, .alarm = infinity, .change = {}}, kLimitsNotNumbersText},
        {{.warning = 1, .alarm = 2, .change = 0}, kLimitsChangeFaultText},
        {{.warning = 1, .alarm = 2, .change = -0.5}, kLimitsChangeFaultText},
        {{.warning = 1, .alarm = 2, .change = nan}, kLimitsChangeFaultText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        notifier.messages.clear();
        EXPECT_FALSE(writeIndicatorLimits(kType, Indicator::Peak, c.limits, notifier));
        EXPECT_EQ(notifier.messages,
                  (QList<RecordingNotifier::Message>{{"critical", "Error", c.text}}));
    }
    EXPECT_FALSE(writeIndicatorLimits(QStringLiteral("PW100"), Indicator::Peak,
                                      {.warning = 1, .alarm = 2, .change = {}}, notifier));
    EXPECT_TRUE(readEngineTypeLimits(kType).empty());
    EXPECT_TRUE(readEngineTypeLimits(QStringLiteral("PW100")).empty());
}

// Indicators that are easy to set: rms is the slot's N1 in bin 0.
FlightIndexInputs rmsFromN1() {
    FlightIndexInputs inputs;
    inputs.indicators = [](const FlightRecord& record, const std::optional<BearingGeometry>&) {
        IndicatorValues values;
        values[Indicator::Rms] = record.steadyStateValue(valueOf(ParameterType::N1), 0);
        return values;
    };
    return inputs;
}

// A raw file of one engine whose slots hold the flights, each with N1 = its value.
void writeFlights(const QString& data, const QString& id, int engine,
                  const QList<std::pair<qint32, float>>& flights, bool firstSuspect = false) {
    const QString folder = data + QStringLiteral("/%1_data/engine_%2").arg(id).arg(engine);
    ASSERT_TRUE(QDir().mkpath(folder));
    CraftedRawFile file;
    file.aircraftId = id;
    file.engineNumber = engine;
    for (int slot = 0; slot < flights.size(); ++slot) {
        CraftedSlot crafted = CraftedSlot::filled(slot, flights[slot].first, 0, 1.0f);
        crafted.rows[valueOf(ParameterType::N1)].fill(flights[slot].second);
        file.flightSlots.append(crafted);
    }
    if (firstSuspect)
        file.flightSlots[0].rows[6][3] = -1;
    ASSERT_TRUE(writeCraftedRawFile(folder + QStringLiteral("/n4orig_a.raw"), file));
}

TEST_F(HealthStore, FleetRowsWorstFirstAsCsvAndJson) {
    qputenv("TZ", "UTC");
    tzset();
    QTemporaryDir data;
    for (const char* id : {"AC001", "AC002"}) {
        ASSERT_TRUE(addAircraft(QString::fromLatin1(id), notifier));
        registerEngines(QString::fromLatin1(id), kAllOff, kAllOff);
    }
    ASSERT_TRUE(writeIndicatorLimits(kType, Indicator::Rms,
                                     {.warning = 5, .alarm = 8, .change = std::nullopt}, notifier));
    writeFlights(data.path(), QStringLiteral("AC001"), 1, {{1, 2}, {2, 3}});
    writeFlights(data.path(), QStringLiteral("AC001"), 2, {{1, 4}, {2, 5}, {3, 6}}, true);
    writeFlights(data.path(), QStringLiteral("AC002"), 1, {{7, 9}});
    // Not registered: only a fleet read from the folders shows it.
    writeFlights(data.path(), QStringLiteral("AC003"), 1, {{1, 1}});

    const FlightIndex index(data.path(), rmsFromN1(), notifier);
    const QString registered =
        kFleetCsvHeader +
        QStringLiteral("\n"
                       "AC002,1,CFM56-7,874211,2006-03-05 14:13,1,0,Alarm,rms,9,8,\n"
                       "AC001,2,CFM56-7,874212,2006-03-05 14:13,3,1,Warning,rms,6,5,2\n"
                       "AC001,1,CFM56-7,874211,2006-03-05 14:13,2,0,Normal,rms,3,5,5\n"
                       "AC002,2,CFM56-7,874212,,0,0,No readings,,,,\n");
    EXPECT_EQ(fleetCsv(registerFleet(index)), registered);

    const QList<FleetRow> folders = folderFleet(data.path(), index);
    QStringList cells;
    for (const FleetRow& row : folders)
        cells.append(fleetCells(row).mid(0, 3).join(',') + ',' + fleetCells(row)[7]);
    EXPECT_EQ(cells, QStringList({"AC002,1,CFM56-7,Alarm", "AC001,2,CFM56-7,Warning",
                                  "AC001,1,CFM56-7,Normal", "AC002,2,CFM56-7,No readings",
                                  "AC003,1,,No limits", "AC003,2,,No limits"}));

    const QJsonArray json = QJsonDocument::fromJson(fleetJson(registerFleet(index))).array();
    ASSERT_EQ(json.size(), 4);
    EXPECT_EQ(json[1].toObject(), QJsonObject({{"aircraft", "AC001"},
                                               {"engine", 2},
                                               {"type", "CFM56-7"},
                                               {"serial", "874212"},
                                               {"last_download", "2006-03-05 14:13"},
                                               {"flights", 3},
                                               {"suspect", 1},
                                               {"state", "Warning"},
                                               {"indicator", "rms"},
                                               {"value", 6},
                                               {"limit", 5},
                                               {"flights_to_alarm", 2}}));
    EXPECT_EQ(json[3].toObject().value("value"), QJsonValue(QJsonValue::Null));
}

// Another station's data directory is read without writing there.
TEST_F(HealthStore, AForeignDataDirectoryKeepsItsIndexInTheUsersCache) {
    QTemporaryDir data;
    writeFlights(data.path(), QStringLiteral("AC003"), 2, {{1, 1}, {2, 1}});
    const std::unique_ptr<FlightIndex> index = openForeignIndex(data.path(), notifier);
    EXPECT_FALSE(index->isInMemory());
    EXPECT_EQ(index->flights(QStringLiteral("AC003"), 2, std::nullopt).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(FlightIndex::folderPath(data.path())));
    EXPECT_TRUE(foreignIndexFolder(data.path()).startsWith(QDir::homePath()));
    EXPECT_TRUE(QFileInfo::exists(QDir(foreignIndexFolder(data.path())).filePath(kIndexFileName)));
    EXPECT_EQ(aircraftFolders(data.path()), QStringList{"AC003"});
}

} // namespace
