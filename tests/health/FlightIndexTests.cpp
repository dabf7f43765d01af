#include "CraftedRawFile.h"
#include "DownloadFileNames.h"
#include "EngineHealth.h"
#include "FlightIndex.h"
#include "RecordingNotifier.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using Raw = RawFlightDataLayout;
constexpr int kN1 = valueOf(ParameterType::N1);
constexpr int kA4R = valueOf(ParameterType::A4R);

// Indicators that tell where they came from: rms is the slot's N1 in bin 0, kurtosis is
// always empty, bpfo the engine type's number of rolling elements. Counts the flights read.
struct CountingIndicators {
    int calls = 0;
    IndicatorValues operator()(const FlightRecord& record,
                               const std::optional<BearingGeometry>& geometry) {
        ++calls;
        IndicatorValues values;
        values[Indicator::Rms] = record.steadyStateValue(kN1, 0);
        if (geometry)
            values[Indicator::Bpfo] = geometry->elements;
        return values;
    }
};

class FlightIndexTest : public ::testing::Test {
protected:
    QString engineDirectory(int engine) const {
        const QString path = data.filePath(QStringLiteral("AC001_data/engine_%1").arg(engine));
        QDir().mkpath(path);
        return path;
    }

    // A raw file of engine `engine` whose slots hold the given flights, each with N1 = its
    // flight number times `scale` in every bin.
    QString writeFile(const QString& name, QList<qint32> flights, float scale = 1,
                      quint32 creationTime = 1141568000, int engine = 1) {
        CraftedRawFile file;
        file.engineNumber = engine;
        file.creationTime = creationTime;
        for (int slot = 0; slot < flights.size(); ++slot) {
            CraftedSlot crafted = CraftedSlot::filled(slot, flights[slot], 0, 1.0f);
            crafted.rows[kN1].fill(float(flights[slot]) * scale);
            file.flightSlots.append(crafted);
        }
        const QString path = engineDirectory(engine) + QLatin1Char('/') + name;
        EXPECT_TRUE(writeCraftedRawFile(path, file));
        return path;
    }

    FlightIndexInputs inputs() {
        return {[this](const FlightRecord& record, const std::optional<BearingGeometry>& geometry) {
                    return counter(record, geometry);
                },
                bearings, [](const QString&, int) { return QStringLiteral("T700"); }};
    }

    QList<std::pair<qint32, std::optional<double>>> rmsOf(const FlightIndex& index,
                                                          int engine = 1) {
        QList<std::pair<qint32, std::optional<double>>> found;
        for (const IndexedFlight& flight : index.flights(QStringLiteral("AC001"), engine, {}))
            found.append({flight.flightNumber, flight.indicators[Indicator::Rms]});
        return found;
    }

    QString indexPath() const {
        return QDir(FlightIndex::folderPath(data.path())).filePath(kIndexFileName);
    }

    QTemporaryDir data;
    CountingIndicators counter;
    std::map<QString, BearingGeometry> bearings;
    RecordingNotifier notifier;
};

using Flights = QList<std::pair<qint32, std::optional<double>>>;

TEST_F(FlightIndexTest, ReadsOnlyNewAndChangedFilesAndDropsVanishedOnes) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1, 2});
    const QString changing = writeFile(QStringLiteral("n4orig_02MAR2006_1000.raw"), {3});
    const QString vanishing = writeFile(QStringLiteral("n4orig_03MAR2006_1000.raw"), {4});
    {
        FlightIndex index(data.path(), inputs(), notifier);
        EXPECT_FALSE(index.isInMemory());
        EXPECT_EQ(index.lastUpdate().read, 3);
        EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}, {3, 3.0}, {4, 4.0}}));
    }
    EXPECT_EQ(counter.calls, 4);

    // Unchanged files are never read again.
    {
        FlightIndex index(data.path(), inputs(), notifier);
        EXPECT_EQ(index.lastUpdate().unchanged, 3);
        EXPECT_EQ(index.lastUpdate().read, 0);
    }
    EXPECT_EQ(counter.calls, 4);

    writeFile(QFileInfo(changing).fileName(), {3, 5}, 10);
    QFile::remove(vanishing);
    writeFile(QStringLiteral("n4orig_04MAR2006_1000.raw"), {6});
    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_EQ(index.lastUpdate().read, 2);
    EXPECT_EQ(index.lastUpdate().dropped, 1);
    EXPECT_EQ(index.lastUpdate().unchanged, 1);
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}, {3, 30.0}, {5, 50.0}, {6, 6.0}}));
    EXPECT_TRUE(notifier.messages.isEmpty());

    // A download written while the index is open is added at once.
    const QString downloaded = writeFile(QStringLiteral("n4orig_05MAR2006_1000.raw"), {7});
    ASSERT_TRUE(index.addRawFile(downloaded));
    // A file where no scan looks is no flight of the index.
    const QString elsewhere = data.filePath(QStringLiteral("n4orig_06MAR2006_1000.raw"));
    ASSERT_TRUE(QFile::copy(downloaded, elsewhere));
    EXPECT_FALSE(index.addRawFile(elsewhere));
    EXPECT_EQ(rmsOf(index).constLast(), (std::pair<qint32, std::optional<double>>{7, 7.0}));
}

TEST_F(FlightIndexTest, KeepsEachFlightFromItsNewestDownloadWithItsStatusAndEmptyValues) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1, 2}, 1, 1000);
    writeFile(QStringLiteral("n4orig_02MAR2006_1000.raw"), {2, 3}, 10, 2000);
    writeFile(QStringLiteral("n4orig_02MAR2006_1000_2.raw"), {3}, 100, 2000);
    CraftedRawFile suspect;
    suspect.creationTime = 3000;
    CraftedSlot slot = CraftedSlot::filled(0, 4, 1, 1.0f);
    slot.rows[kA4R][5] = -1;
    suspect.flightSlots = {slot};
    ASSERT_TRUE(writeCraftedRawFile(engineDirectory(1) + QStringLiteral("/s.raw"), suspect));
    writeFile(QStringLiteral("n4orig_09MAR2006_1000.raw"), {1}, 1000, 9000, 2);

    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 20.0}, {3, 300.0}, {4, 1.0}}));
    const QList<IndexedFlight> flights = index.flights(QStringLiteral("AC001"), 1, {});
    ASSERT_EQ(flights.size(), 4);
    EXPECT_EQ(flights[3].status, DataStatus::Suspect);
    EXPECT_EQ(flights[3].memoryType, MemoryType::PostDefect);
    EXPECT_EQ(flights[0].status, DataStatus::Ok);
    EXPECT_FALSE(
        flights[0].indicators[Indicator::Kurtosis].has_value()); // stored empty, never as 0
    EXPECT_EQ(index.flights(QStringLiteral("AC001"), 1, MemoryType::PostDefect).size(), 1);
    EXPECT_EQ(index.flights(QStringLiteral("AC001"), 1, {}, 2000).size(), 3);
    EXPECT_EQ(rmsOf(index, 2), (Flights{{1, 1000.0}}));

    const QList<IndexedFlight> trend =
        index.indicatorTrend(QStringLiteral("AC001"), 1, MemoryType::PreDefect, Indicator::Rms);
    ASSERT_EQ(trend.size(), 3);
    EXPECT_EQ(trend[1].indicators[Indicator::Rms], 20.0);
    EXPECT_FALSE(trend[1].indicators[Indicator::Peak].has_value());

    // When the newest download of a flight goes, the one before it stands for the flight.
    ASSERT_TRUE(QFile::remove(engineDirectory(1) + QStringLiteral("/n4orig_02MAR2006_1000.raw")));
    index.update();
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}, {3, 300.0}, {4, 1.0}}));
}

TEST_F(FlightIndexTest, RecomputesTheFilesOfAnEngineTypeWhoseBearingChanged) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1});
    { FlightIndex index(data.path(), inputs(), notifier); }
    bearings[QStringLiteral("T700")] = {9, 1, 5, 0, BearingShaft::N2};
    {
        FlightIndex index(data.path(), inputs(), notifier);
        EXPECT_EQ(index.lastUpdate().read, 1);
        EXPECT_EQ(index.flights(QStringLiteral("AC001"), 1, {})[0].indicators[Indicator::Bpfo],
                  9.0);
    }
    bearings[QStringLiteral("OTHER")] = {12, 1, 5, 0, BearingShaft::N2};
    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_EQ(index.lastUpdate().unchanged, 1);
    EXPECT_EQ(counter.calls, 2);
}

// What lies where the index should be; each is set aside with one warning and rebuilt.
struct UnusableIndex {
    const char* name;
    std::function<void(const QString& path)> make;
};

void withDatabase(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        database.setDatabaseName(path);
        ASSERT_TRUE(database.open());
        for (const QString& statement : statements)
            ASSERT_TRUE(QSqlQuery(database).exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase(path);
}

class UnusableIndexTest : public FlightIndexTest,
                          public ::testing::WithParamInterface<UnusableIndex> {};

TEST_P(UnusableIndexTest, IsRenamedAsideWithOneWarningAndRebuilt) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1});
    QDir().mkpath(FlightIndex::folderPath(data.path()));
    GetParam().make(indexPath());

    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_FALSE(index.isInMemory());
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}}));
    const QStringList aside = QDir(FlightIndex::folderPath(data.path()))
                                  .entryList({kIndexFileName + QStringLiteral(".broken-*")});
    ASSERT_EQ(aside.size(), 1);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0],
              (RecordingNotifier::Message{QStringLiteral("warning"), kWarningTitle,
                                          kIndexSetAsideText.arg(indexPath(), aside[0])}));
    notifier.messages.clear();
    FlightIndex again(data.path(), inputs(), notifier);
    EXPECT_EQ(again.lastUpdate().unchanged, 1);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Indexes, UnusableIndexTest,
    ::testing::Values(
        UnusableIndex{"Damaged",
                      [](const QString& path) {
                          QFile file(path);
                          ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                          file.write(QByteArray(8192, 'x'));
                      }},
        UnusableIndex{"Foreign",
                      [](const QString& path) {
                          withDatabase(path, {QStringLiteral("CREATE TABLE notes(text TEXT)")});
                      }},
        UnusableIndex{
            "NewerSchema",
            [](const QString& path) {
                withDatabase(
                    path, {QStringLiteral("CREATE TABLE raw_file(x)"),
                           QStringLiteral("PRAGMA application_id=%1").arg(kIndexApplicationId),
                           QStringLiteral("PRAGMA user_version=%1").arg(kIndexSchemaVersion + 1)});
            }}),
    [](const auto& info) { return std::string(info.param.name); });

// An index left by this program is not read through again at the next opening; one changed
// since, by anything else, is.
TEST_F(FlightIndexTest, FindsDamageDoneAfterTheIndexWasLeft) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1, 2});
    { FlightIndex index(data.path(), inputs(), notifier); }
    ASSERT_TRUE(QFileInfo::exists(indexPath() + kIndexCheckedSuffix));
    { FlightIndex index(data.path(), inputs(), notifier); }
    ASSERT_TRUE(notifier.messages.isEmpty());

    // A page of the flights' table overwritten where the file lies.
    QFile file(indexPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 3 * 4096);
    ASSERT_TRUE(file.seek(2 * 4096));
    ASSERT_EQ(file.write(QByteArray(4096, 'x')), 4096);
    file.close();

    FlightIndex index(data.path(), inputs(), notifier);
    const QStringList aside = QDir(FlightIndex::folderPath(data.path()))
                                  .entryList({kIndexFileName + QStringLiteral(".broken-*")});
    ASSERT_EQ(aside.size(), 1);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].text, kIndexSetAsideText.arg(indexPath(), aside[0]));
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}}));
}

// An index of the first schema, whose trend read every flight's table row and whose fleet
// counted every flight, is upgraded in place: nothing set aside, no raw file read again, and
// the trend and the fleet read it.
TEST_F(FlightIndexTest, UpgradesAnIndexOfTheEarlierSchemaInPlace) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1, 2});
    writeFile(QStringLiteral("n4orig_02MAR2006_1000.raw"), {2, 3}, 1, 1141568000 + 86400);
    { FlightIndex index(data.path(), inputs(), notifier); }
    withDatabase(indexPath(), {QStringLiteral("DROP INDEX flight_newest"),
                               QStringLiteral("DROP TABLE engine_summary"),
                               QStringLiteral("PRAGMA user_version=1")});

    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_FALSE(index.isInMemory());
    EXPECT_EQ(index.lastUpdate().unchanged, 2);
    EXPECT_EQ(counter.calls, 4);
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}, {3, 3.0}}));
    EXPECT_EQ(index.indicatorTrend(QStringLiteral("AC001"), 1, {}, Indicator::Rms).size(), 3);
    const EngineFlightSummary summary =
        index.engineSummaries({{QStringLiteral("AC001"), 1, {Indicator::Rms}}}, 20).constFirst();
    EXPECT_EQ(summary.flights, 3);
    EXPECT_EQ(summary.newest, 1141568000 + 86400);
    ASSERT_FALSE(summary.recent.isEmpty());
    EXPECT_EQ(summary.recent.constLast().flightNumber, 3);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(QDir(FlightIndex::folderPath(data.path()))
                    .entryList({kIndexFileName + QStringLiteral(".broken-*")})
                    .isEmpty());
}

// Root writes anywhere, so a directory's permissions cannot make it read-only here; a file
// where the index folder belongs keeps the folder from being made just the same.
TEST_F(FlightIndexTest, KeepsTheIndexInMemoryWhereItsFolderCannotBeMade) {
    {
        // Nor is a data directory made that is not there.
        FlightIndex index(data.filePath(QStringLiteral("missing")), inputs(), notifier);
        EXPECT_TRUE(index.isInMemory());
        EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("missing"))));
    }
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1, 2});
    QFile blocker(FlightIndex::folderPath(data.path()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    FlightIndex index(data.path(), inputs(), notifier);
    EXPECT_TRUE(index.isInMemory());
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}}));
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(QFileInfo(blocker.fileName()).size(), 0);
}

// Another program holding the write lock delays an update by the busy time-out at most; what
// could not be written is written by the next update.
TEST_F(FlightIndexTest, GivesWayToAnotherWriterAndCatchesUpLater) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1});
    FlightIndex index(data.path(), inputs(), notifier);
    writeFile(QStringLiteral("n4orig_02MAR2006_1000.raw"), {2});
    const QString other = QStringLiteral("other-writer");
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), other);
        database.setDatabaseName(indexPath());
        ASSERT_TRUE(database.open());
        ASSERT_TRUE(QSqlQuery(database).exec(QStringLiteral("BEGIN IMMEDIATE")));

        QElapsedTimer waited;
        waited.start();
        const IndexUpdate blocked = index.update();
        EXPECT_LT(waited.elapsed(), 5000);
        EXPECT_EQ(blocked.unwritten, 1);
        // Readers are not held up by the writer.
        EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}}));
        ASSERT_TRUE(QSqlQuery(database).exec(QStringLiteral("COMMIT")));
    }
    QSqlDatabase::removeDatabase(other);
    EXPECT_EQ(index.update().read, 1);
    EXPECT_EQ(rmsOf(index), (Flights{{1, 1.0}, {2, 2.0}}));
}

// The fleet judges each engine from a summary of its flights: the verdict must be the one
// that all its flights give, whatever the downloads, memories and empty values.
TEST_F(FlightIndexTest, AnEngineSummaryJudgesAsAllItsFlightsDo) {
    std::mt19937 random(20261208);
    // Twelve downloads of consecutive flights that overlap the ones before; every third is
    // older than the one before it, and a quarter of the slots are post-defect copies.
    for (int download = 0; download < 12; ++download) {
        CraftedRawFile file;
        file.creationTime = 1000 + 100 * download - (download % 3 == 2 ? 250 : 0);
        const qint32 first = qint32(download * 8 + random() % 6);
        const int slotCount = 1 + int(random() % Raw::kSlotCount);
        for (int slot = 0; slot < slotCount; ++slot) {
            CraftedSlot crafted =
                CraftedSlot::filled(slot, first + slot, random() % 4 == 0 ? 1 : 0, 1.0f);
            crafted.rows[kN1].fill(float(first + slot) / 10 + float(random() % 10) / 10);
            file.flightSlots.append(crafted);
        }
        ASSERT_TRUE(writeCraftedRawFile(
            engineDirectory(1) + QStringLiteral("/n4orig_%1.raw").arg(download), file));
    }
    // rms is N1, peak twice N1 where N1 is at least 5 and empty below; kurtosis never has one.
    FlightIndexInputs rmsAndPeak = inputs();
    rmsAndPeak.indicators = [](const FlightRecord& record, const std::optional<BearingGeometry>&) {
        IndicatorValues values;
        values[Indicator::Rms] = record.steadyStateValue(kN1, 0);
        if (values[Indicator::Rms] >= 5.0)
            values[Indicator::Peak] = 2 * *values[Indicator::Rms];
        return values;
    };
    FlightIndex index(data.path(), rmsAndPeak, notifier);
    const QString aircraft = QStringLiteral("AC001");
    const QList<IndexedFlight> all = index.flights(aircraft, 1, {});
    ASSERT_GT(all.size(), 3 * kFlightsToAlarmWindow);

    const std::vector<EngineTypeLimits> cases = {
        {{Indicator::Rms, {.warning = 30, .alarm = 40, .change = 2}}},           // rising, Normal
        {{Indicator::Rms, {.warning = 9, .alarm = 40, .change = std::nullopt}}}, // Warning
        {{Indicator::Rms, {.warning = 1, .alarm = 2, .change = std::nullopt}},   // Alarm
         {Indicator::Peak, {.warning = 30, .alarm = 50, .change = 0.1}}},
        {{Indicator::Peak, {.warning = 100, .alarm = 200, .change = std::nullopt}}},
        {{Indicator::Kurtosis, {.warning = 1, .alarm = 2, .change = std::nullopt}}}, // no readings
        {},                                                                          // no limits
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        QList<Indicator> limited;
        for (const auto& [indicator, limits] : cases[i])
            limited.append(indicator);
        const EngineFlightSummary summary =
            index.engineSummaries({{aircraft, 1, limited}}, kFlightsToAlarmWindow).constFirst();
        EXPECT_EQ(summary.flights, all.size());
        EXPECT_EQ(summary.suspect, 0);
        EXPECT_EQ(summary.newest, std::max_element(all.cbegin(), all.cend(), [](auto& a, auto& b) {
                                      return a.creationTime < b.creationTime;
                                  })->creationTime);
        const EngineHealth whole = evaluateEngineHealth(all, cases[i]);
        const EngineHealth judged = evaluateEngineHealth(summary.recent, cases[i]);
        EXPECT_EQ(judged.state, whole.state);
        EXPECT_EQ(judged.latestFlight, whole.latestFlight);
        EXPECT_EQ(judged.latestMemory, whole.latestMemory);
        EXPECT_EQ(judged.driving, whole.driving);
        EXPECT_EQ(judged.value, whole.value);
        EXPECT_EQ(judged.limit, whole.limit);
        EXPECT_EQ(judged.rise, whole.rise);
        EXPECT_EQ(judged.flightsToAlarm, whole.flightsToAlarm);
        if (limited == QList<Indicator>{Indicator::Rms}) {
            EXPECT_LT(summary.recent.size(), all.size() / 2);
        }
    }
    EXPECT_EQ(evaluateEngineHealth(all, cases[0]).state, HealthState::Normal);
    EXPECT_TRUE(evaluateEngineHealth(all, cases[0]).flightsToAlarm.has_value());
    EXPECT_EQ(evaluateEngineHealth(all, cases[1]).state, HealthState::Warning);
    EXPECT_EQ(evaluateEngineHealth(all, cases[2]).state, HealthState::Alarm);
    EXPECT_EQ(evaluateEngineHealth(all, cases[4]).state, HealthState::NoReadings);

    // Downloads that go take their flights out of the counts and the latest flight with them.
    for (const int download : {10, 11})
        ASSERT_TRUE(
            QFile::remove(engineDirectory(1) + QStringLiteral("/n4orig_%1.raw").arg(download)));
    index.update();
    const QList<IndexedFlight> left = index.flights(aircraft, 1, {});
    const EngineFlightSummary after =
        index.engineSummaries({{aircraft, 1, {Indicator::Rms}}}, kFlightsToAlarmWindow)
            .constFirst();
    EXPECT_EQ(after.flights, left.size());
    EXPECT_EQ(evaluateEngineHealth(after.recent, cases[0]).latestFlight,
              evaluateEngineHealth(left, cases[0]).latestFlight);

    // Engines are summarised in the order asked, and one with nothing stored has nothing.
    const QList<EngineFlightSummary> both = index.engineSummaries(
        {{aircraft, 2, {Indicator::Rms}}, {aircraft, 1, {Indicator::Rms}}}, kFlightsToAlarmWindow);
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].flights, 0);
    EXPECT_FALSE(both[0].newest.has_value());
    EXPECT_TRUE(both[0].recent.isEmpty());
    EXPECT_EQ(both[1].flights, left.size());
}

TEST_F(FlightIndexTest, TwoIndexesOfOneDirectoryShareTheFile) {
    writeFile(QStringLiteral("n4orig_01MAR2006_1000.raw"), {1});
    FlightIndex first(data.path(), inputs(), notifier);
    FlightIndex second(data.path(), inputs(), notifier);
    EXPECT_EQ(second.lastUpdate().unchanged, 1);
    ASSERT_TRUE(first.addRawFile(writeFile(QStringLiteral("n4orig_02MAR2006_1000.raw"), {2})));
    EXPECT_EQ(rmsOf(second), (Flights{{1, 1.0}, {2, 2.0}}));
    EXPECT_EQ(second.update().unchanged, 2);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

} // namespace
