// A unit whose engine 2 bearing wears from flight slot 8 on, downloaded the way brix-cli
// does it: the index's kurtosis and outer-race band of engine 2 rise, engine 1's stay flat, and
// so does the kurtosis that brix-cli trend prints; on limits drawn from a healthy fleet the
// download judges engine 2 and only engine 2.
#include "AircraftPaths.h"
#include "BearingGeometryStore.h"
#include "DownloadCommand.h"
#include "FleetHealth.h"
#include "FlightIndex.h"
#include "HealthLimits.h"
#include "KORALib.h"
#include "RecordingNotifier.h"
#include "RegisterEditing.h"
#include "RegisteredAircraft.h"
#include "SettingsSandbox.h"
#include "SimulatorRawFile.h"
#include "TrendCommand.h"
#include "UnitConnection.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const QString kAircraft = QStringLiteral("F-GZLK");
constexpr int kFirstWornSlot = 8;

// The mean of the flight values of `indicator` over the first `count` flights, and the value
// of the last flight.
std::pair<double, double> earlyMeanAndLast(const QList<IndexedFlight>& flights, Indicator indicator,
                                           int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += flights[i].indicators[indicator].value_or(0);
    return {sum / count, flights.last().indicators[indicator].value_or(0)};
}

// The values of the CSV that brix-cli trend prints: "flight,date,memory,value,status" lines.
QList<double> trendValues(const QString& csv) {
    QList<double> values;
    for (const QString& line : csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1))
        values.append(line.section(QLatin1Char(','), 3, 3).toDouble());
    return values;
}

TEST(WearingBearing, RaisesKurtosisAndTheOuterRaceBandOfItsEngineOnly) {
    resetSettingsAndHome();
    UnitSimulatorConfig config;
    config.bearingDefect = BearingDefect{2, kFirstWornSlot};
    UnitSimulator simulator(config);
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    const QString dataDirectory = freshDataDirectory();
    RecordingNotifier notifier;
    ASSERT_TRUE(addAircraft(kAircraft, notifier));
    if (!KORALibListEngineTypes().contains(QStringLiteral("CFM56-7"))) {
        ASSERT_TRUE(addEngineType(QStringLiteral("CFM56-7"), notifier));
    }
    registerEngines(kAircraft, kDownloadOnly, kDownloadOnly, "874211", "874212");
    ASSERT_TRUE(writeBearingGeometry(QStringLiteral("CFM56-7"), kSimulatedBearing, notifier));

    UnitConnection connection;
    connection.loadAddressFromSettings(notifier);
    QString output;
    QTextStream out(&output);
    ASSERT_EQ(runDownloadCommand({kAircraft}, connection, notifier, out), 0) << qPrintable(output);

    const FlightIndex index(dataDirectory, registerIndexInputs(), notifier);
    for (int engine = 1; engine <= 2; ++engine) {
        SCOPED_TRACE(engine);
        const QList<IndexedFlight> flights =
            index.flights(kAircraft, engine, MemoryType::PreDefect);
        ASSERT_GT(flights.size(), kFirstWornSlot + 2);
        for (const Indicator indicator : {Indicator::Kurtosis, Indicator::Bpfo}) {
            const auto [early, last] = earlyMeanAndLast(flights, indicator, kFirstWornSlot);
            ASSERT_GT(early, 0);
            if (engine == 2)
                EXPECT_GE(last, 1.5 * early) << kIndicatorNames[int(indicator)];
            else
                EXPECT_LT(last, 1.25 * early) << kIndicatorNames[int(indicator)];
        }

        QString csv;
        QTextStream trendOut(&csv);
        ASSERT_EQ(runTrendCommand({"--aircraft", kAircraft, "--engine", QString::number(engine),
                                   "--param", "kurtosis", "--memory", "0"},
                                  notifier, trendOut),
                  0);
        EXPECT_TRUE(csv.startsWith(QStringLiteral("flight,date,memory,value,status\n")));
        const QList<double> kurtosis = trendValues(csv);
        ASSERT_EQ(kurtosis.size(), flights.size());
        double early = 0;
        for (int i = 0; i < kFirstWornSlot; ++i)
            early += kurtosis[i] / kFirstWornSlot;
        // Flat until the bearing wears (engine 1 throughout); from then on, engine 2's stays
        // raised by half or more and ends at its highest.
        const auto worn = std::find_if(kurtosis.cbegin(), kurtosis.cend(),
                                       [early](double value) { return value >= 1.5 * early; });
        for (auto flat = kurtosis.cbegin(); flat != worn; ++flat)
            EXPECT_LT(std::abs(*flat - early), 0.25 * early)
                << "flight " << flat - kurtosis.cbegin();
        if (engine == 2) {
            ASSERT_NE(worn, kurtosis.cend());
            EXPECT_TRUE(std::all_of(worn, kurtosis.cend(),
                                    [early](double value) { return value >= 1.5 * early; }));
            EXPECT_EQ(kurtosis.last(), *std::max_element(kurtosis.cbegin(), kurtosis.cend()));
        } else {
            EXPECT_EQ(worn, kurtosis.cend());
        }
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace

// Limits suggested from a healthy fleet of the same engine type: the download from the unit
// whose engine 2 wears ends with one verdict per engine, before the final line; a second
// download of the same flights brings none and says nothing of health.
TEST(WearingBearing, TheDownloadEndsWithAVerdictOnEachEngineThatGotNewFlights) {
    resetSettingsAndHome();
    UnitSimulatorConfig config;
    config.bearingDefect = BearingDefect{2, kFirstWornSlot};
    UnitSimulator simulator(config);
    ASSERT_TRUE(simulator.start());
    pointSettingsAtSimulator(simulator.port());
    const QString dataDirectory = freshDataDirectory();
    RecordingNotifier notifier;
    const QString type = QStringLiteral("CFM56-7");
    const QString healthy = QStringLiteral("F-HLTY");
    for (const QString& aircraft : {kAircraft, healthy})
        ASSERT_TRUE(addAircraft(aircraft, notifier));
    if (!KORALibListEngineTypes().contains(type)) {
        ASSERT_TRUE(addEngineType(type, notifier));
    }
    registerEngines(healthy, kAllOff, kAllOff);
    registerEngines(kAircraft, kDownloadOnly, kDownloadOnly);
    ASSERT_TRUE(writeBearingGeometry(type, kSimulatedBearing, notifier));
    for (int engine = 1; engine <= 2; ++engine) {
        const QString directory = engineDirectory(dataDirectory, healthy, engine);
        ASSERT_TRUE(QDir().mkpath(directory));
        ASSERT_TRUE(
            writeSimulatorRawFile(directory + QStringLiteral("/n4orig_h.raw"), healthy, engine));
    }
    {
        const FlightIndex index(dataDirectory, registerIndexInputs(), notifier);
        for (const Indicator indicator : {Indicator::Kurtosis, Indicator::Bpfo}) {
            const std::optional<LimitSuggestion> suggestion = suggestLimits(index, type, indicator);
            ASSERT_TRUE(suggestion.has_value());
            ASSERT_TRUE(writeIndicatorLimits(type, indicator, suggestion->limits, notifier));
        }
    }

    UnitConnection connection;
    connection.loadAddressFromSettings(notifier);
    const auto download = [&] {
        QString output;
        QTextStream out(&output);
        EXPECT_EQ(runDownloadCommand({kAircraft}, connection, notifier, out), 0)
            << qPrintable(output);
        return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    const QStringList first = download();
    ASSERT_GE(first.size(), 3);
    EXPECT_EQ(first.last(), QStringLiteral("Processing complete"));
    EXPECT_EQ(first[first.size() - 3], QStringLiteral("Engine 1 health: Normal"));
    EXPECT_TRUE(first[first.size() - 2].contains(QRegularExpression(
        QStringLiteral("^Engine 2 health: (Warning|Alarm) - (kurtosis|bpfo) \\S+ above \\S+ in "
                       "flight \\d+$"))))
        << qPrintable(first[first.size() - 2]);
    for (const QString& line : first.mid(0, first.size() - 3))
        EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral("^Engine [12]: "))))
            << qPrintable(line);

    // The fleet puts the wearing engine on top; the healthy ones stay Normal.
    {
        const FlightIndex index(dataDirectory, registerIndexInputs(), notifier);
        const QList<FleetRow> fleet = registerFleet(index);
        ASSERT_EQ(fleet.size(), 4);
        EXPECT_EQ(fleet[0].aircraftId, kAircraft);
        EXPECT_EQ(fleet[0].engineNumber, 2);
        EXPECT_GE(valueOf(fleet[0].health.state), valueOf(HealthState::Warning));
        for (const FleetRow& row : fleet.mid(1))
            EXPECT_EQ(row.health.state, HealthState::Normal)
                << qPrintable(row.aircraftId) << " " << row.engineNumber;
    }

    const QStringList second = download();
    EXPECT_EQ(second.filter(QStringLiteral("health")), QStringList());
    EXPECT_EQ(second.last(), QStringLiteral("Processing complete"));
    EXPECT_TRUE(notifier.messages.isEmpty());
}
