// Scanning the data directory for flights, the selection state and loading, and
// brix-cli flights. Raw files are crafted byte by byte (each record filled with a marker of
// its slot, so a load of the wrong slot shows) or written from the simulator's download.
#include "AircraftRecord.h"
#include "BrixAircraftSettings.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "FlightSelection.h"
#include "FlightsCommand.h"
#include "KORALib.h"
#include "RawFlightDataFile.h"
#include "RecordingNotifier.h"
#include "RegisterKeys.h"
#include "SettingsSandbox.h"
#include "Trend.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

using Message = RecordingNotifier::Message;
constexpr int kHeader = 304;
constexpr int kRecord = 137736;

struct Crafted {
    QByteArray id = "N4711Z";
    int engine = 1;
    std::array<qint32, 20> flights = {};
    std::array<qint32, 20> memories = {};
    int records = 20;   // complete records written
    int extraBytes = 0; // of the next record
    quint32 magic = 0xAEEAAEEB;
    bool terminateId = true;
    quint32 created = 0; // the header's creation time

    QByteArray bytes() const {
        QByteArray header(kHeader, '\0');
        qToLittleEndian<quint32>(magic, header.data());
        header.replace(4, terminateId ? id.size() : 17, terminateId ? id : id.leftJustified(17));
        qToLittleEndian<qint32>(engine, header.data() + 40);
        qToLittleEndian<quint32>(created, header.data() + 56);
        for (int slot = 0; slot < 20; ++slot) {
            qToLittleEndian<qint32>(flights[slot], header.data() + 64 + 4 * slot);
            qToLittleEndian<qint32>(memories[slot], header.data() + 224 + 4 * slot);
        }
        QByteArray file = header;
        for (int slot = 0; slot < records; ++slot)
            file += QByteArray(kRecord, char('a' + slot));
        return file + QByteArray(extraBytes, '#');
    }
};

Crafted numbered(int first, const QByteArray& id = "N4711Z", int engine = 1) {
    Crafted file;
    file.id = id;
    file.engine = engine;
    for (int slot = 0; slot < 20; ++slot)
        file.flights[slot] = first + slot;
    return file;
}

QString write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}

// The simulator's download of one engine as a real raw file.
QByteArray simulatorRawFile(int engine, bool negativeValues) {
    UnitSimulatorConfig config;
    config.negativeValues = negativeValues;
    AircraftRecord aircraft;
    writeFixedText(aircraft.aircraftId, QStringLiteral("N4711Z"));
    QFile file(QDir::homePath() + QStringLiteral("/sim.raw"));
    EXPECT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
    EXPECT_TRUE(RawFlightDataFile::write(file,
                                         DownloadedData(*UnitSimulator::hostOrderResponse(
                                             UnitSimulator::downloadResponse(engine, config))),
                                         aircraft, engine - 1, 1141569120));
    file.seek(0);
    return file.readAll();
}

QList<int> slotIndices(const QList<FlightListElement>& listed) {
    QList<int> indices;
    for (const FlightListElement& slot : listed)
        indices.append(slot.slot);
    return indices;
}

QList<int> entryValues(const FlightSelection& selection) {
    QList<int> values;
    for (const FlightEntry& entry : selection.entries())
        values.append(entry.value);
    return values;
}

class FlightSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        data = freshDataDirectory();
    }
    QString rawPath(const QString& id, int engine, const QString& name) const {
        return data +
               QStringLiteral("/%1_data/engine_%2/%3").arg(id, QString::number(engine), name);
    }
    QString put(const Crafted& file, const QString& name) const {
        return write(rawPath(QString::fromLatin1(file.id), file.engine, name), file.bytes());
    }
    QString data;
};

TEST_F(FlightSelectionTest, FileSizeHeaderAndFirstWordDecideWhatIsListed) {
    Crafted five = numbered(100);
    five.flights[2] = 0; // complete but empty
    five.records = 5;
    five.extraBytes = kRecord - 1; // the 6th record is one byte short
    const QString fivePath = put(five, QStringLiteral("n4orig_01JAN2006_0101.raw"));
    EXPECT_EQ(slotIndices(listRawFlightDataFile(fivePath)), QList<int>({0, 1, 3, 4}));

    Crafted older = numbered(200);
    older.magic = 0xAEEAAEEA;
    EXPECT_EQ(listRawFlightDataFile(put(older, QStringLiteral("n4orig_02JAN2006_0101.raw"))).size(),
              20);
    Crafted wrong = numbered(300);
    wrong.magic = 0xAEEAAEEC;
    EXPECT_TRUE(listRawFlightDataFile(put(wrong, QStringLiteral("n4orig_03.raw"))).isEmpty());
    const QString shortHeader =
        write(rawPath("N4711Z", 1, "n4orig_04.raw"), numbered(400).bytes().left(kHeader - 1));
    EXPECT_TRUE(listRawFlightDataFile(shortHeader).isEmpty());
    Crafted headerOnly = numbered(500);
    headerOnly.records = 0;
    EXPECT_TRUE(listRawFlightDataFile(put(headerOnly, QStringLiteral("n4orig_05.raw"))).isEmpty());

    // Neither a file of another kind nor a directory outside the layout is looked at.
    write(rawPath("N4711Z", 1, "n4ss_01JAN2006_0101.dat"), numbered(600).bytes());
    write(data + QStringLiteral("/N4711Z/engine_1/n4orig_01JAN2006_0101.raw"),
          numbered(700).bytes());

    const QList<FlightListElement> all = scanFlightSlots(data);
    ASSERT_EQ(all.size(), 24);
    EXPECT_EQ(all.first().filePath, fivePath);
    EXPECT_EQ(all.first().flightNumber, 100);
    EXPECT_EQ(all[4].flightNumber, 200);
    EXPECT_TRUE(QDir::isAbsolutePath(all.first().filePath));
}

TEST_F(FlightSelectionTest, ListingOrderIsNameOrderAtEveryLevel) {
    put(numbered(1, "B", 2), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(21, "B", 1), QStringLiteral("n4orig_02JAN2006_0000.raw"));
    put(numbered(41, "B", 1), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(61, "A", 1), QStringLiteral("n4orig_09JAN2006_0000.raw"));
    QList<int> firsts;
    const QList<FlightListElement> all = scanFlightSlots(data);
    for (qsizetype index = 0; index < all.size(); index += 20)
        firsts.append(all[index].flightNumber);
    EXPECT_EQ(firsts, QList<int>({61, 41, 21, 1}));
}

TEST(FlightEntryTextTest, DateComesFromTheFileNameAndOnlyFromWhatItHolds) {
    const auto text = [](const QString& name, int flight = 42) {
        return flightEntryText({QStringLiteral("/d/A_data/engine_1/") + name, "A", 1, flight,
                                MemoryType::PreDefect, 0});
    };
    EXPECT_EQ(text("n4orig_05MAR2006_1432.raw"), "Flight: 0042   Date: 05-MAR-2006 (14:32)");
    EXPECT_EQ(text("n4orig_05MAR2006_1432_2.raw"), "Flight: 0042   Date: 05-MAR-2006 (14:32)");
    EXPECT_EQ(text("n4orig_05MAR2006_1432.raw", 123456),
              "Flight: 123456   Date: 05-MAR-2006 (14:32)");
    EXPECT_EQ(text("flight.raw"), "Flight: 0042   Date: 00--0 (00:00)");
    EXPECT_EQ(text("n4orig_5x.raw"), "Flight: 0042   Date: 05-.ra-0 (00:00)");
    EXPECT_EQ(text("a_b_c"), "Flight: 0042   Date: 00-c-0 (00:00)");
    EXPECT_EQ(text("n4orig_"), "Flight: 0042   Date: 00--0 (00:00)");
}

TEST_F(FlightSelectionTest, UnterminatedIdentifierIsReadWithinItsField) {
    Crafted damaged = numbered(1, "ABCDEFGHIJKLMNOPQ");
    damaged.terminateId = false;
    const QByteArray bytes = damaged.bytes();
    ASSERT_EQ(bytes.mid(4, 17), "ABCDEFGHIJKLMNOPQ");
    const QList<FlightListElement> listed =
        listRawFlightDataFile(write(rawPath("X", 1, "n4orig_x.raw"), bytes));
    ASSERT_EQ(listed.size(), 20);
    EXPECT_EQ(listed.first().aircraftId, "ABCDEFGHIJKLMNOP");
}

TEST_F(FlightSelectionTest, ComboHoldsEachIdOnceCaseSensitiveAndStartsAtTheLastAircraft) {
    put(numbered(1, "N4711Z"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(21, "N4711Z", 2), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(41, "n4711z"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(61, "ZK-ABC"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    {
        const FlightSelection selection;
        EXPECT_EQ(selection.aircraftEntries(), QStringList({"N4711Z", "ZK-ABC", "n4711z"}));
        EXPECT_EQ(selection.selectedAircraft(), "N4711Z");
    }
    BrixAircraftSettings().setValue(kLastAircraftKey, QStringLiteral("n4711z"));
    {
        const FlightSelection selection;
        EXPECT_EQ(selection.selectedAircraft(), "n4711z");
        EXPECT_EQ(entryValues(selection).first(), 60); // only the lower-case file's listed
        EXPECT_EQ(selection.entries().size(), 20);
    }
    for (const QString& last : {QStringLiteral("N4711z"), QStringLiteral("NO-DATA")}) {
        BrixAircraftSettings().setValue(kLastAircraftKey, last);
        EXPECT_EQ(FlightSelection().selectedAircraft(), "N4711Z") << qPrintable(last);
    }
}

TEST_F(FlightSelectionTest, EngineAndMemoryNarrowTheListAndTheMemoryIsStored) {
    Crafted first = numbered(1);
    for (int slot = 10; slot < 20; ++slot)
        first.memories[slot] = 1;
    put(first, QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(21, "N4711Z", 2), QStringLiteral("n4orig_02JAN2006_0000.raw"));
    BrixAircraftSettings().setValue(kPlotMemoryTypeKey, 1u);

    FlightSelection selection;
    EXPECT_EQ(selection.memoryType(), MemoryType::PostDefect);
    EXPECT_EQ(selection.engineNumber(), 1);
    EXPECT_EQ(entryValues(selection), QList<int>({10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    selection.selectMemoryType(MemoryType::PreDefect);
    EXPECT_EQ(BrixAircraftSettings().value(kPlotMemoryTypeKey).toUInt(), 0u);
    EXPECT_EQ(selection.entries().size(), 10);
    EXPECT_EQ(selection.entries().first(),
              (FlightEntry{0, "Flight: 0001   Date: 01-JAN-2006 (00:00)"}));
    selection.selectEngine(2);
    EXPECT_EQ(selection.entries().size(), 20);
    EXPECT_EQ(selection.entries().first().value, 20);
    selection.selectEngine(7);
    EXPECT_EQ(selection.engineNumber(), 1);
    selection.selectMemoryType(MemoryType::PostDefect);
    EXPECT_EQ(BrixAircraftSettings().value(kPlotMemoryTypeKey).toUInt(), 1u);
}

TEST_F(FlightSelectionTest, EngineFieldsComeOnlyFromAMatchingRegisterRecord) {
    AircraftRecord record;
    writeFixedText(record.aircraftId, QStringLiteral("N4711Z"));
    writeFixedText(record.engines[0].engineType, QStringLiteral("CFM56-3"));
    writeFixedText(record.engines[0].serialNumber, QStringLiteral("874-112"));
    writeFixedText(record.engines[1].installDate, QStringLiteral("12/04/2003"));
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("N4711Z"), record));
    put(numbered(1, "N4711Z"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(1, "GONE"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    put(numbered(1, "n4711z"), QStringLiteral("n4orig_01JAN2006_0000.raw"));

    FlightSelection selection;
    ASSERT_EQ(selection.selectedAircraft(), "GONE");
    EXPECT_EQ(selection.engineFields(1), EngineDetails());
    selection.selectAircraft(QStringLiteral("N4711Z"));
    const EngineDetails engine1{"CFM56-3", "874-112", ""};
    const EngineDetails engine2{"", "", "12/04/2003"};
    EXPECT_EQ(selection.engineFields(1), engine1);
    EXPECT_EQ(selection.engineFields(2), engine2);
    // An aircraft no longer (or never) registered is still offered; the fields stay.
    for (const QString& id : {QStringLiteral("GONE"), QStringLiteral("n4711z")}) {
        selection.selectAircraft(id);
        EXPECT_EQ(selection.entries().size(), 20);
        EXPECT_EQ(selection.engineFields(1), engine1);
        EXPECT_EQ(selection.engineFields(2), engine2);
    }
}

TEST_F(FlightSelectionTest, LoadingTakesTheListedSlotEvenWhenFlightNumbersRepeat) {
    Crafted file = numbered(1);
    file.flights[3] = 77;
    file.flights[7] = 77;
    const QString path = put(file, QStringLiteral("n4orig_05MAR2006_1432.raw"));
    // A second download of the same flights in the same minute is a file of its own.
    put(file, QStringLiteral("n4orig_05MAR2006_1432_2.raw"));
    put(file, QStringLiteral("n4orig_06MAR2006_0815.raw"));

    const FlightSelection selection;
    QStringList flight77;
    QList<int> values;
    for (const FlightEntry& entry : selection.entries()) {
        if (entry.text.startsWith(QStringLiteral("Flight: 0077"))) {
            flight77.append(entry.text);
            values.append(entry.value);
        }
    }
    EXPECT_EQ(flight77, QStringList({"Flight: 0077   Date: 05-MAR-2006 (14:32)",
                                     "Flight: 0077   Date: 05-MAR-2006 (14:32)",
                                     "Flight: 0077   Date: 05-MAR-2006 (14:32)",
                                     "Flight: 0077   Date: 05-MAR-2006 (14:32)",
                                     "Flight: 0077   Date: 06-MAR-2006 (08:15)",
                                     "Flight: 0077   Date: 06-MAR-2006 (08:15)"}));

    RecordingNotifier notifier;
    const auto loaded = selection.load({values[1], values[0]}, notifier);
    ASSERT_TRUE(loaded && loaded->size() == 2);
    const QByteArray bytes = file.bytes();
    for (int index = 0; index < 2; ++index) {
        const FlightDataElement& flight = (*loaded)[index];
        const int slot = index == 0 ? 3 : 7;
        EXPECT_EQ(flight.slot, slot);
        EXPECT_EQ(flight.filePath, path);
        EXPECT_EQ(flight.flightNumber, 77);
        EXPECT_EQ(flight.aircraftId, "N4711Z");
        EXPECT_EQ(flight.fileHeader, bytes.left(kHeader));
        EXPECT_EQ(flight.flightRecord, QByteArray(kRecord, char('a' + slot)));
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(FlightSelectionTest, MoreThanTenSelectedLoadsNothingAndTenLoadInListOrder) {
    put(numbered(1), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    FlightSelection selection;
    QList<int> eleven = entryValues(selection).mid(0, 11);
    std::reverse(eleven.begin(), eleven.end());

    RecordingNotifier notifier;
    EXPECT_FALSE(selection.load(eleven, notifier).has_value());
    EXPECT_EQ(notifier.messages,
              QList<Message>(
                  {{"critical", "Error", "Too many flights selected. Maximum allowed is 10"}}));

    notifier.messages.clear();
    BrixAircraftSettings().remove(kLastAircraftKey);
    const auto ten = selection.load(eleven.mid(1), notifier);
    ASSERT_TRUE(ten.has_value());
    EXPECT_TRUE(notifier.messages.isEmpty());
    QList<int> flights;
    for (const FlightDataElement& flight : *ten)
        flights.append(flight.flightNumber);
    EXPECT_EQ(flights, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(BrixAircraftSettings().value(kLastAircraftKey).toString(), "N4711Z");
}

// Every download lists again the flights that the unit still holds. "Newest download only"
// keeps each flight (number and memory) once, from the file that the trend takes it from;
// brix-cli flights --newest lists the same.
TEST_F(FlightSelectionTest, NewestDownloadOnlyListsEachFlightOnceAsTheTrendCounts) {
    Crafted older = numbered(1), newer = numbered(11), sameTime = numbered(21);
    older.created = 1000;
    newer.created = sameTime.created = 2000; // of equal times the later name counts
    newer.flights[0] = 5; // flight 5 post-defect is another flight than 5 pre-defect
    newer.memories[0] = 1;
    // The names sort against the creation times.
    put(older, QStringLiteral("n4orig_09MAR2006_0900.raw"));
    const QString newerPath = put(newer, QStringLiteral("n4orig_01MAR2006_0900.raw"));
    put(sameTime, QStringLiteral("n4orig_01MAR2006_0900_2.raw"));

    FlightSelection selection;
    EXPECT_FALSE(selection.newestOnly());
    ASSERT_EQ(selection.entries().size(), 20 + 19 + 20);
    const auto shown = [&selection] {
        QList<std::pair<QString, int>> files;
        for (const FlightEntry& entry : selection.entries())
            files.append({selection.flightSlots()[entry.value].filePath,
                          selection.flightSlots()[entry.value].slot});
        std::sort(files.begin(), files.end());
        return files;
    };
    QList<std::pair<QString, int>> trendFiles;
    for (const TrendPoint& point :
         computeTrend(data, {"N4711Z", 1, ParameterType::A4R, TrendStatistic::Maximum, {}}).points)
        trendFiles.append({point.filePath, point.slot});
    std::sort(trendFiles.begin(), trendFiles.end());
    ASSERT_EQ(trendFiles.size(), 40 + 1);
    ASSERT_TRUE(trendFiles.removeOne({newerPath, 0}));

    selection.selectNewestOnly(true);
    EXPECT_EQ(shown(), trendFiles);

    QString printed;
    QTextStream out(&printed);
    RecordingNotifier notifier;
    EXPECT_EQ(runFlightsCommand({"--newest", "--memory", "0"}, notifier, out), 0);
    QStringList expected;
    for (const FlightEntry& entry : selection.entries()) {
        const FlightListElement& slot = selection.flightSlots()[entry.value];
        expected.append(QStringLiteral("%1\t%2\t%3")
                            .arg(slot.filePath, QString::number(slot.slot), entry.text));
    }
    EXPECT_EQ(printed.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
}

TEST_F(FlightSelectionTest, FlightThatCannotBeReadAtLoadIsLeftOutAndNamed) {
    const QString removed = put(numbered(1), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    const QString truncated = put(numbered(21), QStringLiteral("n4orig_02JAN2006_0000.raw"));
    const QString renumbered = put(numbered(41), QStringLiteral("n4orig_03JAN2006_0000.raw"));
    const QString intact = put(numbered(61), QStringLiteral("n4orig_04JAN2006_0000.raw"));
    const FlightSelection selection;
    ASSERT_EQ(selection.entries().size(), 80);

    ASSERT_TRUE(QFile::remove(removed));
    ASSERT_TRUE(QFile::resize(truncated, kHeader + 5 * kRecord + 10));
    Crafted changed = numbered(41);
    changed.flights[0] = 999;
    write(renumbered, changed.bytes());

    RecordingNotifier notifier;
    const auto loaded = selection.load({0, 24, 25, 40, 41, 60}, notifier);
    ASSERT_TRUE(loaded.has_value());
    QList<int> flights;
    for (const FlightDataElement& flight : *loaded)
        flights.append(flight.flightNumber);
    EXPECT_EQ(flights, QList<int>({25, 42, 61}));
    const QString text =
        QStringLiteral("Flight %1 (slot %2) can no longer be read from \"%3\" and is left out.");
    EXPECT_EQ(
        notifier.messages,
        QList<Message>(
            {{"warning", "Warning", text.arg(QString::number(1), QString::number(0), removed)},
             {"warning", "Warning", text.arg(QString::number(26), QString::number(5), truncated)},
             {"warning", "Warning",
              text.arg(QString::number(41), QString::number(0), renumbered)}}));
    EXPECT_EQ(loaded->last().filePath, intact);
}

TEST_F(FlightSelectionTest, SimulatorDownloadListsItsOccupiedSlotsAndLoadsTheirRecords) {
    const QByteArray bytes = simulatorRawFile(2, false);
    ASSERT_EQ(bytes.size(), RawFlightDataFile::kFileSize);
    const QString path = write(rawPath("N4711Z", 2, "n4orig_05MAR2006_1432.raw"), bytes);
    const QList<FlightListElement> listed = scanFlightSlots(data);
    // The simulator leaves listed 17..19 empty and records 14..16 post-defect.
    ASSERT_EQ(listed.size(), 17);
    for (const FlightListElement& slot : listed) {
        EXPECT_EQ(slot.engineNumber, 2);
        EXPECT_EQ(slot.memoryType,
                  slot.slot >= 14 ? MemoryType::PostDefect : MemoryType::PreDefect);
    }
    const std::optional<FlightDataElement> flight = loadFlightSlot(listed[15]);
    ASSERT_TRUE(flight.has_value());
    EXPECT_EQ(flight->flightRecord, bytes.mid(kHeader + 15 * kRecord, kRecord));
    EXPECT_EQ(flight->creationTime(), 1141569120u);
    EXPECT_EQ(flight->filePath, path);
}

TEST_F(FlightSelectionTest, FlightsCommandPrintsOneLinePerSlotAndTheStatusOnRequest) {
    const QString clean =
        write(rawPath("N4711Z", 1, "n4orig_05MAR2006_1432.raw"), simulatorRawFile(1, false));
    const QString faulty =
        write(rawPath("N4711Z", 2, "n4orig_05MAR2006_1432_2.raw"), simulatorRawFile(2, true));
    put(numbered(1, "ZK-ABC"), QStringLiteral("n4orig_01JAN2006_0000.raw"));
    const QList<FlightListElement> listed = scanFlightSlots(data);

    const auto run = [](const QStringList& arguments, Notifier& notifier, int& exitCode) {
        QString text;
        QTextStream out(&text);
        exitCode = runFlightsCommand(arguments, notifier, out);
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    RecordingNotifier notifier;
    int exitCode = -1;
    EXPECT_EQ(run({}, notifier, exitCode).size(), 17 + 17 + 20);
    EXPECT_EQ(exitCode, 0);

    const QStringList lines =
        run({"--aircraft", "N4711Z", "--memory", "1", "--status"}, notifier, exitCode);
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(lines.size(), 6 * 3);
    const FlightListElement& first = listed[14];
    EXPECT_EQ(lines[0], QStringLiteral("%1\t14\t%2").arg(clean, flightEntryText(first)));
    EXPECT_EQ(lines[1],
              QStringLiteral("Flight %1 - Steady State Status OK").arg(first.flightNumber));
    EXPECT_EQ(lines[2],
              QStringLiteral("Flight %1 - Transient Data Status OK").arg(first.flightNumber));
    EXPECT_TRUE(lines[9].startsWith(faulty + QStringLiteral("\t14\tFlight: ")));
    EXPECT_TRUE(lines[10].endsWith(QStringLiteral(" - Steady State Status Suspect")));
    EXPECT_TRUE(lines[11].endsWith(QStringLiteral(" - Transient Data Status Suspect")));
    EXPECT_EQ(run({"--aircraft", "n4711z"}, notifier, exitCode), QStringList());
    EXPECT_EQ(run({"--engine", "2", "--memory", "0"}, notifier, exitCode).size(), 14);
    EXPECT_TRUE(notifier.messages.isEmpty());

    for (const QStringList& wrong : {QStringList{"--engine", "3"}, QStringList{"--memory"},
                                     QStringList{"--memory", "PoD"}, QStringList{"extra"}}) {
        notifier.messages.clear();
        EXPECT_TRUE(run(wrong, notifier, exitCode).isEmpty());
        EXPECT_EQ(exitCode, 2);
        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_EQ(notifier.messages[0].title, "Error");
    }
}

} // namespace
