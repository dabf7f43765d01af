// The conversion of one engine's response file into its three files, and brix-cli convert.
#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "ConvertCommand.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "KORALib.h"
#include "PartNumberRecord.h"
#include "RawFlightDataFile.h"
#include "RecordingNotifier.h"
#include "ReformatData.h"
#include "SettingsSandbox.h"
#include "UnitSimulator.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using Message = RecordingNotifier::Message;

constexpr qint64 kFullSize = 2777488;
constexpr int kBlock = 138872;

const QString kId = QStringLiteral("ZK-RAW");

const QByteArray& fullResponse() {
    static const QByteArray response = *UnitSimulator::hostOrderResponse(
        UnitSimulator::downloadResponse(1, UnitSimulatorConfig{}));
    return response;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList allEntries(const QString& directory) {
    QStringList entries =
        QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

Message critical(const QString& title, const QString& text) {
    return {QStringLiteral("critical"), title, text};
}

class ReformatDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        dataDirectory = freshDataDirectory();
        writeFixedText(aircraft.aircraftId, kId);
        writeFixedText(aircraft.engines[0].engineType, QStringLiteral("CFM56-7"));
        writeFixedText(aircraft.engines[0].serialNumber, QStringLiteral("874513"));
        ASSERT_TRUE(QDir().mkpath(engineDirectory(dataDirectory, kId, 1)));
        responsePath = QDir::homePath() + QStringLiteral("/ZELK-4242");
    }

    void writeResponse(const QByteArray& bytes) {
        QFile file(responsePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    ReformatResult convert(bool deleteResponse = true) {
        return ReformatData(
            responsePath, 0, aircraft, dataDirectory, PartNumberRecord(), notifier,
            [this](int percent) { progress.append(percent); }, deleteResponse, startTime);
    }

    // The raw file that the given response must give, built in memory.
    QByteArray expectedRawFile(const QByteArray& response) const {
        QByteArray raw;
        QBuffer buffer(&raw);
        buffer.open(QIODevice::WriteOnly);
        RawFlightDataFile::write(buffer, DownloadedData(response), aircraft, 0,
                                 startTime.toSecsSinceEpoch());
        return raw;
    }

    QString engineDirectory1() const { return engineDirectory(dataDirectory, kId, 1); }

    QString dataDirectory;
    QString responsePath;
    AircraftRecord aircraft;
    RecordingNotifier notifier;
    QList<int> progress;
    const QDateTime startTime{QDate(2006, 3, 5), QTime(14, 32, 17)};
};

TEST_F(ReformatDataTest, FullResponseBecomesThreeFilesAndTheResponseGoes) {
    writeResponse(fullResponse());
    const ReformatResult result = convert();

    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(result.rawFileSaved);
    EXPECT_TRUE(result.steadyStateFileSaved);
    EXPECT_TRUE(result.transientFileSaved);
    EXPECT_EQ(result.slotsReceived, 20);
    EXPECT_FALSE(result.responseFileKept);
    EXPECT_FALSE(QFile::exists(responsePath));

    const QString directory = engineDirectory1();
    EXPECT_EQ(result.rawFilePath, directory + QStringLiteral("/n4orig_05MAR2006_1432.raw"));
    EXPECT_EQ(result.steadyStatePath, directory + QStringLiteral("/n4ss_05MAR2006_1432.dat"));
    EXPECT_EQ(result.transientPath, directory + QStringLiteral("/n4ts_05MAR2006_1432.dat"));
    // Nothing else, no temporary file either.
    EXPECT_EQ(allEntries(directory),
              (QStringList{"n4orig_05MAR2006_1432.raw", "n4ss_05MAR2006_1432.dat",
                           "n4ts_05MAR2006_1432.dat"}));

    EXPECT_EQ(readAll(result.rawFilePath), expectedRawFile(fullResponse()));
    // Each text file is told its own name.
    EXPECT_TRUE(readAll(result.steadyStatePath)
                    .contains("File name:                n4ss_05MAR2006_1432.dat\n"));
    EXPECT_TRUE(readAll(result.transientPath)
                    .contains("File name:                n4ts_05MAR2006_1432.dat\n"));

    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GE(progress.count(0), 20); // once after each raw flight record
}

TEST_F(ReformatDataTest, ConvertingTheSameResponseAgainFindsNoData) {
    writeResponse(fullResponse());
    convert();
    ASSERT_TRUE(notifier.messages.isEmpty());
    const QStringList filesAfterFirst = allEntries(engineDirectory1());

    const ReformatResult again = convert();
    EXPECT_EQ(notifier.messages,
              QList<Message>{critical(kReformatDataTitle, kNoDataAvailableText)});
    EXPECT_EQ(kNoDataAvailableText, QStringLiteral("No data available or unit returned an error."));
    EXPECT_FALSE(again.rawFileSaved);
    EXPECT_EQ(allEntries(engineDirectory1()), filesAfterFirst);

    notifier.messages.clear();
    ReformatData(QString(), 0, aircraft, dataDirectory, PartNumberRecord(), notifier, {}, true,
                 startTime);
    EXPECT_EQ(notifier.messages,
              QList<Message>{critical(kReformatDataTitle, kNoDataAvailableText)});
}

TEST_F(ReformatDataTest, ASecondDownloadInTheSameMinuteKeepsTheFirst) {
    writeResponse(fullResponse());
    const ReformatResult first = convert();
    const QByteArray firstRaw = readAll(first.rawFilePath);

    QByteArray other = *UnitSimulator::hostOrderResponse(
        UnitSimulator::downloadResponse(2, UnitSimulatorConfig{}));
    writeResponse(other);
    const ReformatResult second = convert();
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(second.rawFilePath.endsWith(QStringLiteral("/n4orig_05MAR2006_1432_2.raw")));
    EXPECT_TRUE(second.steadyStatePath.endsWith(QStringLiteral("/n4ss_05MAR2006_1432_2.dat")));
    EXPECT_TRUE(second.transientPath.endsWith(QStringLiteral("/n4ts_05MAR2006_1432_2.dat")));
    EXPECT_EQ(readAll(first.rawFilePath), firstRaw);
    EXPECT_EQ(readAll(second.rawFilePath), expectedRawFile(other));
    EXPECT_EQ(allEntries(engineDirectory1()).size(), 6);
}

struct ShortResponse {
    qint64 size;
    int slotCount; // -1: refused for its data header
};

class ShortResponseTest : public ReformatDataTest,
                          public ::testing::WithParamInterface<ShortResponse> {};

TEST_P(ShortResponseTest, ConvertsTheWholeBlocksOrRefusesAMissingHeader) {
    const ShortResponse sample = GetParam();
    const QByteArray bytes = fullResponse().left(sample.size);
    writeResponse(bytes);
    const ReformatResult result = convert();

    if (sample.slotCount < 0) {
        EXPECT_EQ(notifier.messages,
                  QList<Message>{critical(kReformatDataTitle, kBadDataHeaderText)});
        EXPECT_EQ(kBadDataHeaderText,
                  QStringLiteral("Uploaded flight data file has bad data header"));
        EXPECT_FALSE(result.rawFileSaved);
        EXPECT_TRUE(result.responseFileKept);
        EXPECT_EQ(readAll(responsePath), bytes);
        EXPECT_TRUE(allEntries(engineDirectory1()).isEmpty());
        return;
    }

    EXPECT_EQ(result.slotsReceived, sample.slotCount);
    const Message warning{QStringLiteral("warning"), kReformatDataTitle,
                          QStringLiteral("Only %1 of the 20 flight slots were received; the "
                                         "missing slots are saved as empty.")
                              .arg(sample.slotCount)};
    EXPECT_EQ(notifier.messages, QList<Message>{warning});
    ASSERT_TRUE(result.rawFileSaved);
    EXPECT_TRUE(result.steadyStateFileSaved);
    EXPECT_TRUE(result.transientFileSaved);
    EXPECT_FALSE(QFile::exists(responsePath));

    // The slots received as they came, the rest empty: the same file as a full response
    // whose missing blocks were zero.
    QByteArray zeroFilled = fullResponse().left(48 + qint64(kBlock) * sample.slotCount);
    zeroFilled.append(QByteArray(kFullSize - zeroFilled.size(), '\0'));
    const QByteArray raw = readAll(result.rawFilePath);
    EXPECT_EQ(raw.size(), RawFlightDataFile::kFileSize);
    EXPECT_TRUE(raw == expectedRawFile(zeroFilled));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShortResponseTest,
                         ::testing::Values(ShortResponse{0, -1}, ShortResponse{11, -1},
                                           ShortResponse{47, -1}, ShortResponse{48, 0},
                                           ShortResponse{48 + kBlock, 1},
                                           ShortResponse{48 + 3 * kBlock + 9999, 3},
                                           ShortResponse{kFullSize - 1, 19}));

TEST_F(ReformatDataTest, BytesBeyondTheLayoutAreNotConvertedAndTheResponseIsKept) {
    writeResponse(fullResponse() + QByteArray(100000, '\x7F'));
    const ReformatResult result = convert();
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].kind, QStringLiteral("warning"));
    EXPECT_EQ(notifier.messages[0].text, kLongerThanLayoutText.arg(100000).arg(responsePath));
    EXPECT_EQ(result.slotsReceived, 20);
    EXPECT_TRUE(result.longerThanLayout);
    EXPECT_FALSE(result.complete());
    EXPECT_TRUE(result.responseFileKept);
    EXPECT_TRUE(QFile::exists(responsePath));
    EXPECT_TRUE(readAll(result.rawFilePath) == expectedRawFile(fullResponse()));
}

// What is not a download response is refused before anything is written: a device or FIFO
// (it would block or never end), and files given by mistake.
TEST_F(ReformatDataTest, WhatIsNotADownloadResponseIsRefusedAndNothingWritten) {
    const QString fifo = QDir::homePath() + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/null"), fifo}) {
        notifier.messages.clear();
        const ReformatResult result = ReformatData(
            path, 0, aircraft, dataDirectory, PartNumberRecord(), notifier, {}, true, startTime);
        EXPECT_EQ(notifier.messages,
                  QList<Message>{critical(kReformatDataTitle, kNotARegularFileText.arg(path))});
        EXPECT_TRUE(result.responseFileKept);
    }

    QByteArray random(int(kFullSize), '\0');
    for (qsizetype i = 0; i < random.size(); ++i)
        random[i] = char((i * 2654435761u) >> 13);
    QByteArray rawFile = expectedRawFile(fullResponse());
    QByteArray swappedHeader = fullResponse();
    swappedHeader[12] = 1; // the unit data header as 16-bit words
    const QByteArray text = QByteArray("File name: n4ss_05MAR2006_1432.dat\r\n").repeated(20000);
    for (const QByteArray& bytes : {random, rawFile, swappedHeader, text}) {
        notifier.messages.clear();
        writeResponse(bytes);
        const ReformatResult result = convert();
        EXPECT_EQ(notifier.messages,
                  QList<Message>{
                      critical(kReformatDataTitle, kNotADownloadResponseText.arg(responsePath))});
        EXPECT_FALSE(result.rawFileSaved);
        EXPECT_TRUE(result.responseFileKept);
        EXPECT_EQ(readAll(responsePath), bytes);
    }
    EXPECT_TRUE(allEntries(engineDirectory1()).isEmpty());
}

// An identifier read back from a hand-edited register forms no path.
TEST_F(ReformatDataTest, AStoredIdentifierThatPointsElsewhereIsRefused) {
    writeFixedText(aircraft.aircraftId, QStringLiteral("../../somewhere"));
    writeResponse(fullResponse());
    const ReformatResult result = convert();
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].title, kErrorTitle);
    EXPECT_TRUE(notifier.messages[0].text.contains(QStringLiteral("../../somewhere")));
    EXPECT_FALSE(result.rawFileSaved);
    EXPECT_TRUE(result.responseFileKept);
    EXPECT_EQ(allEntries(QDir::homePath() + QStringLiteral("/..")).filter("somewhere"),
              QStringList());
    EXPECT_EQ(allEntries(dataDirectory + QStringLiteral("/..")).filter("somewhere"), QStringList());
}

TEST_F(ReformatDataTest, UnwritableEngineDirectoryKeepsTheResponseAndLeavesNothing) {
    // A file where the engine directory should be stops even root.
    const QString directory = engineDirectory1();
    ASSERT_TRUE(QDir(directory).removeRecursively());
    {
        QFile blocker(directory);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    writeResponse(fullResponse());
    const ReformatResult result = convert();

    // One message for the three files, naming where the data is.
    const QString unable = QStringLiteral("Unable to open uploaded data processed file");
    EXPECT_EQ(notifier.messages,
              (QList<Message>{critical(
                  kErrorTitle,
                  unable + QStringLiteral("\n\nThe downloaded data is kept in ") + responsePath)}));
    EXPECT_FALSE(result.rawFileSaved);
    EXPECT_FALSE(result.steadyStateFileSaved);
    EXPECT_FALSE(result.transientFileSaved);
    EXPECT_TRUE(result.responseFileKept);
    EXPECT_EQ(readAll(responsePath), fullResponse());
    EXPECT_EQ(allEntries(aircraftDirectory(dataDirectory, kId)), QStringList{"engine_1"});
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 100);
}

TEST_F(ReformatDataTest, AMissingEngineDirectoryIsMadeAgain) {
    ASSERT_TRUE(QDir(aircraftDirectory(dataDirectory, kId)).removeRecursively());
    writeResponse(fullResponse());
    const ReformatResult result = convert();
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_TRUE(result.rawFileSaved);
    EXPECT_EQ(allEntries(engineDirectory1()).size(), 3);
}

class ConvertCommandTest : public ReformatDataTest {
protected:
    void SetUp() override {
        ReformatDataTest::SetUp();
        ASSERT_TRUE(KORALibWriteAircraft(kId, aircraft));
    }
    int run(const QStringList& arguments) {
        output.clear();
        QTextStream out(&output);
        return runConvertCommand(arguments, notifier, out);
    }
    QString output;
};

TEST_F(ConvertCommandTest, ConvertsASavedResponseAndKeepsIt) {
    writeResponse(fullResponse());
    ASSERT_EQ(run({responsePath, QStringLiteral("zk-raw"), QStringLiteral("2")}), 0);
    EXPECT_TRUE(notifier.messages.isEmpty());
    // One line per file, in the order raw, steady-state, transient, and nothing else written.
    const QString directory = engineDirectory(dataDirectory, kId, 2);
    QString expected;
    for (const QString& name : allEntries(directory))
        expected += directory + QLatin1Char('/') + name + QLatin1Char('\n');
    EXPECT_EQ(output, expected);
    ASSERT_EQ(allEntries(directory).size(), 3);
    EXPECT_TRUE(allEntries(directory)[0].endsWith(QStringLiteral(".raw")));
    // Engine 2's file, from the response as given.
    const QByteArray raw = readAll(directory + QLatin1Char('/') + allEntries(directory)[0]);
    ASSERT_EQ(raw.size(), RawFlightDataFile::kFileSize);
    EXPECT_EQ(qFromLittleEndian<qint32>(raw.constData() + 40), 2);
    EXPECT_EQ(readAll(responsePath), fullResponse());
}

TEST_F(ConvertCommandTest, RefusesUnknownAircraftMissingDataAndBadArguments) {
    writeResponse(fullResponse());
    EXPECT_EQ(run({responsePath, QStringLiteral("NOPE"), QStringLiteral("1")}), 1);
    EXPECT_EQ(
        notifier.messages,
        QList<Message>{critical(kErrorTitle, QStringLiteral("Aircraft ID \"NOPE\" not found"))});

    notifier.messages.clear();
    EXPECT_EQ(run({QDir::homePath() + QStringLiteral("/missing"), kId, QStringLiteral("1")}), 1);
    EXPECT_EQ(notifier.messages,
              QList<Message>{critical(kReformatDataTitle, kNoDataAvailableText)});
    EXPECT_TRUE(output.isEmpty());

    for (const QStringList& arguments :
         {QStringList{responsePath, kId}, QStringList{responsePath, kId, QStringLiteral("3")},
          QStringList{responsePath, kId, QStringLiteral("0")},
          QStringList{responsePath, kId, QStringLiteral("1"), QStringLiteral("extra")}}) {
        notifier.messages.clear();
        EXPECT_EQ(run(arguments), 2) << arguments.join(' ').toStdString();
        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_TRUE(
            notifier.messages[0].text.startsWith(QStringLiteral("usage: brix-cli convert")));
    }
    EXPECT_TRUE(allEntries(engineDirectory1()).isEmpty());
    EXPECT_EQ(readAll(responsePath), fullResponse());
}

} // namespace
