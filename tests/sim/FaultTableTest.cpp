// Every fault row's observable behaviour. A new fault kind is covered by a new row.
#include "LoopbackClient.h"
#include "UnitResponses.h"
#include "UnitSimulator.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray packet(quint32 code, const QList<quint32>& payload) {
    return LoopbackClient::command(code, payload);
}

QByteArray partNumbers() {
    return unit_responses::partNumberResponse(defaultPartNumbers());
}

QByteArray withWord(QByteArray bytes, qsizetype at, quint32 value) {
    bytes.replace(at, 4, packet(value, {}).mid(4, 4));
    return bytes;
}

struct FaultRow {
    const char* name;
    SimulatorFault fault;
    QByteArray packet;
    // Checks what the client sees after sending the command once.
    std::function<void(LoopbackClient&, UnitSimulator&)> check;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
}

SimulatorFault row(quint32 code, FaultKind kind, quint32 argument = 0, int times = 1) {
    return {code, kind, argument, {}, times};
}

SimulatorFault raw(quint32 code, const char* hex) {
    return {code, FaultKind::RawResponse, 0, QByteArray::fromHex(hex), 1};
}

// The next command on the same connection is answered normally again.
void answersNormallyAgain(LoopbackClient& client) {
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse(), partNumbers());
}

void seesRawBytes(LoopbackClient& client, const char* hex) {
    const QByteArray expected = QByteArray::fromHex(hex);
    EXPECT_EQ(client.read(expected.size(), 5000), expected);
    EXPECT_TRUE(client.quietFor(200));
}

const FaultRow kRows[] = {
    {"AckError", row(1, FaultKind::AckError, 5), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(5));
         answersNormallyAgain(client);
         EXPECT_EQ(simulator.faults().size(), 1); // the used-up row is gone
     }},
    {"AckErrorLeavesTheMemory", row(101, FaultKind::AckError, 3), packet(101, {1}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(3));
         EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
     }},
    {"DeclaredSizeTooLarge", row(1, FaultKind::DeclaredSize, 16777216), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.read(296), withWord(partNumbers(), 0, 16777216));
         EXPECT_TRUE(client.quietFor(200));
     }},
    {"DeclaredSizeAllOnes", row(96, FaultKind::DeclaredSize, 0xFFFFFFFF), packet(96, {2, 0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         const QByteArray expected = UnitSimulator::downloadResponse(2, simulator.config());
         EXPECT_TRUE(client.read(expected.size()) == withWord(expected, 0, 0xFFFFFFFF));
     }},
    {"BadBlockType", row(1, FaultKind::BadBlockType, 4), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.readResponse(), withWord(partNumbers(), 12, 4));
     }},
    {"BadBlockTypeOnAnAnswerWithoutBlocks", row(102, FaultKind::BadBlockType, 7), packet(102, {2}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.readResponse(), QByteArray::fromHex("000000140000000000000000"
                                                              "0000000700000000"));
     }},
    {"RawSizeZero", raw(1, "00000000"), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) { seesRawBytes(client, "00000000"); }},
    {"RawSizeOne", raw(1, "00000001"), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) { seesRawBytes(client, "00000001"); }},
    {"RawSizeElevenAndShort", raw(1, "0000000b00000000000000"), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         seesRawBytes(client, "0000000b00000000000000");
     }},
    {"RawHeaderPromisingMore", raw(101, "00ffffff0000000000000000"), packet(101, {1}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         seesRawBytes(client, "00ffffff0000000000000000");
         EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
     }},
    // A response sent twice, and an answer of another command's shape: what the link must
    // not take for the next command's answer.
    {"RawResponseSentTwice",
     {1, FaultKind::RawResponse, 0, partNumbers() + partNumbers(), 1},
     packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.readResponse(), partNumbers());
         EXPECT_EQ(client.readResponse(), partNumbers());
         EXPECT_TRUE(client.quietFor(200));
     }},
    {"DownloadAnsweredWithPartNumbers",
     {96, FaultKind::RawResponse, 0, partNumbers(), 1},
     packet(96, {1, 0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_EQ(client.readResponse(), partNumbers());
         EXPECT_TRUE(client.quietFor(200));
         EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
     }},
    {"Delay", row(1, FaultKind::Delay, 1500), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_TRUE(client.quietFor(300));
         EXPECT_EQ(client.readResponse(), partNumbers());
     }},
    {"NoAnswerHangsTheConnectionUntilReconnect", row(1, FaultKind::NoAnswer), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_TRUE(client.quietFor(300));
         ASSERT_TRUE(client.sendCommand(101, {1}));
         ASSERT_TRUE(simulator.waitForCommands(2, 5000));
         EXPECT_TRUE(client.quietFor(300));
         EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
         ASSERT_EQ(client.connectTo(simulator.port()), 0);
         answersNormallyAgain(client);
     }},
    {"CloseAfterBytes", row(96, FaultKind::CloseAfterBytes, 100), packet(96, {1, 0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_EQ(client.read(4096),
                   UnitSimulator::downloadResponse(1, simulator.config()).left(100));
         EXPECT_TRUE(client.peerClosed());
     }},
    {"CloseBeforeAnything", row(1, FaultKind::CloseAfterBytes, 0), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) { EXPECT_TRUE(client.closedByPeer()); }},
    {"Trickle", row(1, FaultKind::Trickle, 2), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.readResponse(), partNumbers());
         EXPECT_GT(client.reads(), 10) << "the answer came in too few pieces";
     }},
    {"TrickleOfTheWholeDownload", row(96, FaultKind::Trickle), packet(96, {1, 0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         EXPECT_TRUE(client.readResponse(60000) ==
                     UnitSimulator::downloadResponse(1, simulator.config()));
     }},
    {"AnyCommandRow", row(SimulatorFault::kAnyCommand, FaultKind::AckError, 9, 2), packet(103, {1}),
     [](LoopbackClient& client, UnitSimulator&) {
         EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(9));
         ASSERT_TRUE(client.sendCommand(1, {0}));
         EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(9));
         answersNormallyAgain(client);
     }},
    // The third upload packet refused: the row lets two through first.
    {"AckErrorAfterTwoCommands",
     {242, FaultKind::AckError, 5, {}, 1, 2},
     packet(242, QList<quint32>(1280, 7)),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         for (quint32 ack : {0u, 0u, 5u, 0u}) {
             EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(ack));
             ASSERT_TRUE(client.sendCommand(242, QList<quint32>(1280, 7)));
         }
         EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
         EXPECT_TRUE(simulator.faults().size() == 1); // the used-up row is gone
         // The refused packet was not taken: four packets of seven make the image.
         EXPECT_EQ(simulator.uploadedImage(242).size(), 4 * 1280);
     }},
    {"AlwaysRowStays", row(1, FaultKind::AckError, 4, SimulatorFault::kAlways), packet(1, {0}),
     [](LoopbackClient& client, UnitSimulator& simulator) {
         for (int i = 0; i < 3; ++i) {
             EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(4));
             if (i < 2) {
                 ASSERT_TRUE(client.sendCommand(1, {0}));
             }
         }
         EXPECT_EQ(simulator.faults().size(), 2);
         simulator.clearFaults();
         answersNormallyAgain(client);
     }},
};

class FaultTable : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultTable, BehavesAsTheRowSays) {
    UnitSimulator simulator;
    ASSERT_TRUE(simulator.start());
    simulator.addFault(GetParam().fault);
    // A row for another command leaves this one alone.
    simulator.addFault(row(243, FaultKind::CloseAfterBytes, 0, SimulatorFault::kAlways));
    LoopbackClient client;
    ASSERT_EQ(client.connectTo(simulator.port()), 0);
    ASSERT_TRUE(client.send(GetParam().packet));
    GetParam().check(client, simulator);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<FaultRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
