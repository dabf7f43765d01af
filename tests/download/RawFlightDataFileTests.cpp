// The raw flight data file, its names and the safe file writer. Expected values are taken
// from the simulator's wire bytes (big-endian, before any conversion of ours) at offsets
// worked out here from the layout tables, so neither the response conversion nor the
// rearrangement is trusted.
#include "AircraftRecord.h"
#include "DownloadFileNames.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "RawFlightDataFile.h"
#include "SafeFile.h"
#include "UnitSimulator.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

constexpr int kWireFlights = 48;
constexpr int kWireBlock = 138872;
constexpr int kRecord = 137736;

qint32 wireWord(const QByteArray& wire, qint64 offset) {
    return qFromBigEndian<qint32>(wire.constData() + offset);
}
qint16 wireShort(const QByteArray& wire, qint64 offset) {
    return qFromBigEndian<qint16>(wire.constData() + offset);
}
qint32 rawWord(const QByteArray& raw, qint64 offset) {
    return qFromLittleEndian<qint32>(raw.constData() + offset);
}
qint16 rawShort(const QByteArray& raw, qint64 offset) {
    return qFromLittleEndian<qint16>(raw.constData() + offset);
}
qint64 flightStart(int slot) {
    return kWireFlights + qint64(kWireBlock) * slot;
}
qint64 recordStart(int slot) {
    return 304 + qint64(kRecord) * slot;
}

AircraftRecord sampleAircraft() {
    AircraftRecord aircraft;
    // Sixteen characters fill the field; the raw header must still end it with a NUL.
    writeFixedText(aircraft.aircraftId, QStringLiteral("ZK-SIXTEEN-CHARS"));
    writeFixedText(aircraft.engines[0].engineType, QStringLiteral("CFM56-3"));
    writeFixedText(aircraft.engines[1].engineType, QStringLiteral("CFM56-7"));
    return aircraft;
}

QByteArray rawFileOf(const QByteArray& response, int engineIndex, qint64 created) {
    QByteArray raw;
    QBuffer buffer(&raw);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(RawFlightDataFile::write(buffer, DownloadedData(response), sampleAircraft(),
                                         engineIndex, created));
    return raw;
}

// Records the size of every write; refuses writes after `writesAllowed`.
class WriteRecorder : public QIODevice {
public:
    explicit WriteRecorder(int writesAllowed = 1000) : writesAllowed_(writesAllowed) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    QList<qint64> writes;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (writes.size() >= writesAllowed_)
            return -1;
        writes.append(size);
        return size;
    }

private:
    int writesAllowed_;
};

class RawFlightDataFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Slots 17..19 empty, 14..16 post-defect (the simulator's defaults), engine 2.
        wire_ = new QByteArray(UnitSimulator::downloadResponse(2, UnitSimulatorConfig{}));
        host_ = new QByteArray(*UnitSimulator::hostOrderResponse(*wire_));
        raw_ = new QByteArray(rawFileOf(*host_, 1, kCreated));
    }
    static void TearDownTestSuite() {
        delete wire_;
        delete host_;
        delete raw_;
    }

    // Every table of one slot's record against the wire bytes of its flight block.
    static void expectRecordMatchesFlight(const QByteArray& raw, int slot) {
        SCOPED_TRACE(slot);
        const QByteArray& wire = *wire_;
        const qint64 flight = flightStart(slot);
        const qint64 record = recordStart(slot);
        int mismatches = 0;
        const auto check = [&](qint64 rawOffset, qint64 wireOffset, bool word) {
            const bool same = word ? rawWord(raw, rawOffset) == wireWord(wire, wireOffset)
                                   : rawShort(raw, rawOffset) == wireShort(wire, wireOffset);
            if (!same && ++mismatches <= 5)
                ADD_FAILURE() << "record offset " << rawOffset - record << " vs block offset "
                              << wireOffset - flight;
        };
        for (int p = 0; p < 13; ++p)
            for (int b = 0; b < 26; ++b)
                check(record + 4 * (p * 26 + b), flight + 36 + 2116 * b + 8 + 4 * p, true);
        for (int b = 0; b < 26; ++b)
            for (int i = 0; i < 1024; ++i)
                check(record + 1352 + 2 * (b * 1024 + i), flight + 36 + 2116 * b + 68 + 2 * i,
                      false);
        for (int q = 0; q < 7; ++q)
            for (int g = 0; g < 4; ++g)
                for (int s = 0; s < 10; ++s)
                    check(record + 54600 + 4 * ((q * 4 + g) * 10 + s),
                          flight + 55052 + 20952 * g + 32 + 2092 * s + 8 + 4 * q, true);
        for (int a = 0; a < 6; ++a)
            for (int g = 0; g < 4; ++g)
                check(record + 55720 + 4 * (a * 4 + g), flight + 55052 + 20952 * g + 8 + 4 * a,
                      true);
        for (int g = 0; g < 4; ++g)
            for (int s = 0; s < 10; ++s)
                for (int i = 0; i < 1024; ++i)
                    check(record + 55816 + 2 * ((g * 10 + s) * 1024 + i),
                          flight + 55052 + 20952 * g + 32 + 2092 * s + 44 + 2 * i, false);
        EXPECT_EQ(mismatches, 0);
    }

    static constexpr qint64 kCreated = 1141569120; // 2006-03-05 14:32:00 UTC
    static inline QByteArray* wire_ = nullptr;
    static inline QByteArray* host_ = nullptr;
    static inline QByteArray* raw_ = nullptr;
};

TEST_F(RawFlightDataFileTest, HeaderCarriesTheAircraftTheUnitTotalsAndEverySlot) {
    const QByteArray& raw = *raw_;
    const QByteArray& wire = *wire_;
    ASSERT_EQ(raw.size(), 304 + 20 * kRecord + 8);
    EXPECT_EQ(raw.left(4), QByteArray("\xEB\xAE\xEA\xAE", 4));
    EXPECT_EQ(raw.mid(4, 17), QByteArray("ZK-SIXTEEN-CHARS\0", 17));
    EXPECT_EQ(raw.mid(21, 17), QByteArray("CFM56-7\0\0\0\0\0\0\0\0\0\0", 17));
    EXPECT_EQ(raw.mid(38, 2), QByteArray(2, '\0'));
    EXPECT_EQ(rawWord(raw, 40), 2);
    EXPECT_EQ(rawWord(raw, 44), wireWord(wire, 12 + 16));
    EXPECT_EQ(rawWord(raw, 48), wireWord(wire, 12 + 20));
    EXPECT_EQ(rawWord(raw, 52), wireWord(wire, 12 + 24));
    EXPECT_NE(rawWord(raw, 52), 0);
    EXPECT_EQ(rawWord(raw, 56), kCreated);
    EXPECT_EQ(rawWord(raw, 60), 20);
    for (int slot = 0; slot < 20; ++slot) {
        SCOPED_TRACE(slot);
        const bool empty = slot >= 17;
        EXPECT_EQ(rawWord(raw, 64 + 4 * slot), wireWord(wire, flightStart(slot) + 24));
        EXPECT_EQ(rawWord(raw, 64 + 4 * slot) == 0, empty);
        EXPECT_EQ(rawWord(raw, 144 + 4 * slot), wireWord(wire, flightStart(slot) + 28));
        EXPECT_EQ(rawWord(raw, 224 + 4 * slot), slot >= 14 && slot <= 16 ? 1 : 0);
    }
}

TEST_F(RawFlightDataFileTest, FlightRecordsRearrangeTheFlightBlocksAndTrailerHoldsAlarms) {
    for (int slot : {0, 9, 15, 19})
        expectRecordMatchesFlight(*raw_, slot);
    // An empty slot is copied like the others: all zero, as the unit holds it.
    EXPECT_EQ(raw_->mid(recordStart(19), kRecord), QByteArray(kRecord, '\0'));

    const qint64 trailer = recordStart(20);
    EXPECT_EQ(rawWord(*raw_, trailer), wireWord(*wire_, 12 + 28));
    EXPECT_EQ(rawWord(*raw_, trailer + 4), wireWord(*wire_, 12 + 32));
    EXPECT_EQ(raw_->size(), trailer + 8);
}

TEST_F(RawFlightDataFileTest, EachFlightRecordGoesOutInOneWriteAndAFailedWriteStops) {
    const DownloadedData data(*host_);
    WriteRecorder device;
    int recordsDone = 0;
    ASSERT_TRUE(RawFlightDataFile::write(device, data, sampleAircraft(), 0, kCreated,
                                         [&] { ++recordsDone; }));
    QList<qint64> expected{304};
    for (int slot = 0; slot < 20; ++slot)
        expected.append(kRecord);
    expected.append(8);
    EXPECT_EQ(device.writes, expected);
    EXPECT_EQ(recordsDone, 20);

    WriteRecorder failing(3);
    EXPECT_FALSE(RawFlightDataFile::write(failing, data, sampleAircraft(), 0, kCreated));
    EXPECT_EQ(failing.writes.size(), 3);
}

TEST(DownloadFileNamesTest, NamesFollowTheLocalTimeAndChangeOnlyTheFileName) {
    EXPECT_EQ(rawFlightDataFilePath(QStringLiteral("/srv/zelk"), QStringLiteral("N1"), 2,
                                    QDateTime(QDate(2024, 12, 31), QTime(0, 7, 59)), 3),
              QStringLiteral("/srv/zelk/N1_data/engine_2/n4orig_31DEC2024_0007_3.raw"));
    // Directory names that hold "raw" and "n4orig" stay as they are.
    const QString directory = QStringLiteral("/data.raw/n4orig_raw/n4origraw_data/engine_1/");
    const DownloadFileNames names =
        downloadFileNamesFor(directory + QStringLiteral("n4orig_05MAR2006_1432.raw"));
    EXPECT_EQ(names.steadyStateFile, directory + QStringLiteral("n4ss_05MAR2006_1432.dat"));
    EXPECT_EQ(names.transientFile, directory + QStringLiteral("n4ts_05MAR2006_1432.dat"));
}

TEST(DownloadFileNamesTest, AnyOfTheThreeNamesTakenMovesToTheNextSequence) {
    QTemporaryDir data;
    const QDateTime time(QDate(2006, 3, 5), QTime(14, 32));
    ASSERT_TRUE(QDir().mkpath(data.filePath(QStringLiteral("N1_data/engine_1"))));
    const auto fresh = [&] { return freshDownloadFileNames(data.path(), "N1", 1, time); };
    const auto touch = [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); };

    const DownloadFileNames first = fresh();
    EXPECT_TRUE(first.rawFile.endsWith(QStringLiteral("/engine_1/n4orig_05MAR2006_1432.raw")));
    touch(first.transientFile);
    const DownloadFileNames second = fresh();
    EXPECT_TRUE(second.rawFile.endsWith(QStringLiteral("/n4orig_05MAR2006_1432_2.raw")));
    EXPECT_TRUE(second.transientFile.endsWith(QStringLiteral("/n4ts_05MAR2006_1432_2.dat")));
    touch(second.steadyStateFile);
    EXPECT_TRUE(fresh().rawFile.endsWith(QStringLiteral("/n4orig_05MAR2006_1432_3.raw")));
}

QStringList allEntries(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(SafeFileTest, FileAppearsOnlyOnCommitAndUnderAHiddenNameMeanwhile) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("n4orig_05MAR2006_1432.raw"));
    SafeFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_EQ(file.device().write("flight data"), 11);
    EXPECT_FALSE(QFile::exists(path));
    // What a viewer or a person lists never shows the file being written.
    EXPECT_TRUE(QDir(directory.path())
                    .entryList({QStringLiteral("n4orig*"), QStringLiteral("*.raw"),
                                QStringLiteral("*.dat")},
                               QDir::Files)
                    .isEmpty());
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_EQ(allEntries(directory.path()), QStringList{QFileInfo(path).fileName()});
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("flight data"));
}

TEST(SafeFileTest, NothingIsLeftWhenTheFileIsDroppedOrItsNameIsTaken) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("n4ss_05MAR2006_1432.dat"));
    {
        SafeFile dropped(path);
        ASSERT_TRUE(dropped.open());
        dropped.device().write("partial");
    }
    EXPECT_TRUE(allEntries(directory.path()).isEmpty());

    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier download");
    }
    SafeFile late(path);
    ASSERT_TRUE(late.open());
    late.device().write("later download");
    EXPECT_FALSE(late.commit());
    EXPECT_FALSE(late.errorString().isEmpty());
    EXPECT_EQ(allEntries(directory.path()), QStringList{QFileInfo(path).fileName()});
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier download"));
}

} // namespace
