// The simulator as a client on loopback sees it: exchanges, malformed packets, the effects
// of erase and upload, connections and stopping.
#include "UnitSimulator.h"
#include "LoopbackClient.h"
#include "UnitResponses.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

QList<quint32> uploadWords(quint32 first) {
    QList<quint32> words(1280);
    for (int i = 0; i < words.size(); ++i)
        words[i] = first + quint32(i);
    return words;
}

class UnitSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(simulator.start()) << qPrintable(simulator.errorString());
        ASSERT_EQ(client.connectTo(simulator.port()), 0);
    }

    UnitSimulator simulator{[] {
        UnitSimulatorConfig config;
        config.packetCompletionTimeoutMs = 200;
        return config;
    }()};
    LoopbackClient client;
};

TEST_F(UnitSimulatorTest, ServesSeveralExchangesOnOneConnectionAndRecordsThem) {
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse(), unit_responses::partNumberResponse(defaultPartNumbers()));
    for (quint32 engine : {1u, 2u}) {
        ASSERT_TRUE(client.sendCommand(96, {engine, 0}));
        const QByteArray response = client.readResponse();
        EXPECT_EQ(response.size(), 2777488);
        EXPECT_TRUE(response == UnitSimulator::downloadResponse(int(engine), simulator.config()));
    }
    const QList<ReceivedCommand> commands = simulator.receivedCommands();
    ASSERT_EQ(commands.size(), 3);
    EXPECT_EQ(commands[0].packet, QByteArray::fromHex("0000000c0000000100000000"));
    EXPECT_EQ(commands[1].code, 96u);
    EXPECT_EQ(commands[2].payload, (QList<quint32>{2, 0}));
    EXPECT_EQ(commands[2].length, 16u);
    EXPECT_EQ(simulator.connectionsAccepted(), 1);
}

TEST_F(UnitSimulatorTest, MalformedPacketsGetANonZeroAckAndTheConnectionGoesOn) {
    const struct {
        const char* what;
        QByteArray packet;
        quint32 ack;
    } cases[] = {
        {"unknown code", LoopbackClient::command(7, {0}), 1},
        {"part numbers with two words", LoopbackClient::command(1, {0, 0}), 2},
        {"part numbers with a non-zero word", LoopbackClient::command(1, {1}), 2},
        {"download of engine 3", LoopbackClient::command(96, {3, 0}), 2},
        {"download without its second word", LoopbackClient::command(96, {1}), 2},
        {"erase of engine 0", LoopbackClient::command(101, {0}), 2},
        {"short upload packet", LoopbackClient::command(240, uploadWords(0).mid(1)), 2},
        {"length not in whole words", QByteArray::fromHex("0000000d000000010000000000"), 2},
        {"length word larger than the packet", QByteArray::fromHex("000000100000000100000000"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(client.send(c.packet));
        EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(c.ack));
    }
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_TRUE(simulator.uploadedImage(240).isEmpty());
    EXPECT_EQ(simulator.partNumbers(), defaultPartNumbers());
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse().size(), 296);
}

TEST_F(UnitSimulatorTest, ImpossibleLengthIsAnsweredThenTheConnectionIsDropped) {
    for (const char* lengthWord : {"00000004", "00004004"}) {
        SCOPED_TRACE(lengthWord);
        ASSERT_TRUE(client.send(QByteArray::fromHex(lengthWord) + QByteArray(8, '\0')));
        EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(2));
        EXPECT_TRUE(client.closedByPeer());
        ASSERT_EQ(client.connectTo(simulator.port()), 0);
    }
}

TEST_F(UnitSimulatorTest, EraseEmptiesOnlyThatEnginesMemory) {
    ASSERT_TRUE(client.sendCommand(101, {1}));
    EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
    ASSERT_TRUE(client.sendCommand(103, {2}));
    EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
    EXPECT_TRUE(simulator.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_FALSE(simulator.isErased(1, UnitMemory::Bearing4History));
    EXPECT_FALSE(simulator.isErased(2, UnitMemory::Bearing4Data));
    EXPECT_EQ(simulator.eraseCount(2, UnitMemory::AccelHistory), 1);

    ASSERT_TRUE(client.sendCommand(96, {1, 0}));
    EXPECT_TRUE(client.readResponse() ==
                UnitSimulator::downloadResponse(1, simulator.config(), true));
    ASSERT_TRUE(client.sendCommand(96, {2, 0}));
    EXPECT_TRUE(client.readResponse() == UnitSimulator::downloadResponse(2, simulator.config()));

    simulator.restoreRecordedData();
    ASSERT_TRUE(client.sendCommand(96, {1, 0}));
    EXPECT_TRUE(client.readResponse() == UnitSimulator::downloadResponse(1, simulator.config()));
}

// The first four words of an image, as text: "ZK4730-CF-0009" and two NULs. The part number
// read back is the hexadecimal digits of its first 8 bytes.
const QList<quint32> kNamedImageStart = {0x5A4B3437, 0x33302D43, 0x462D3030, 0x30390000};

TEST_F(UnitSimulatorTest, EachKindKeepsItsImageAndTakesItsPartNumberFromIt) {
    const struct {
        quint32 code;
        int offset;
    } kinds[] = {{240, 60}, {242, 116}, {243, 148}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.code);
        QList<quint32> first = uploadWords(kind.code);
        std::copy(kNamedImageStart.begin(), kNamedImageStart.end(), first.begin());
        for (const QList<quint32>& words : {first, uploadWords(0)}) {
            ASSERT_TRUE(client.sendCommand(kind.code, words));
            EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
        }
        EXPECT_EQ(simulator.uploadedImage(kind.code), first + uploadWords(0));
        ASSERT_TRUE(client.sendCommand(1, {0}));
        EXPECT_EQ(client.readResponse().mid(12 + kind.offset, 16), QByteArray("5A4B343733302D43"));
    }
    // The boot numbers are never touched by an upload.
    EXPECT_EQ(simulator.partNumbers()[0], "ZK4711-BT-0102");
    EXPECT_EQ(simulator.partNumbers()[2], "ZK4721-BT-0201");
}

TEST_F(UnitSimulatorTest, AnotherCommandBetweenPacketsStartsANewImage) {
    const struct {
        const char* what;
        QByteArray between; // sent between the two packets
        QList<quint32> image;
        const char* partNumber;
    } cases[] = {
        {"a run of packets", {}, uploadWords(1) + uploadWords(2), "0000000100000002"},
        {"a part-number read", LoopbackClient::command(1, {0}), uploadWords(2), "0000000200000003"},
        {"a packet of another kind", LoopbackClient::command(242, uploadWords(9)), uploadWords(2),
         "0000000200000003"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(client.sendCommand(240, uploadWords(1)));
        client.readResponse();
        if (!c.between.isEmpty()) {
            ASSERT_TRUE(client.send(c.between));
            client.readResponse();
        }
        ASSERT_TRUE(client.sendCommand(240, uploadWords(2)));
        EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
        EXPECT_EQ(simulator.uploadedImage(240), c.image);
        EXPECT_EQ(simulator.partNumbers()[1], QByteArray(c.partNumber));
        // The next case starts its own image.
        ASSERT_TRUE(client.sendCommand(1, {0}));
        client.readResponse();
    }
}

TEST_F(UnitSimulatorTest, ClientsMayReconnectAtAnyTime) {
    ASSERT_TRUE(client.sendCommand(96, {1, 0}));
    EXPECT_EQ(client.read(1000).size(), 1000); // leave in the middle of the answer
    client.close();
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(client.connectTo(simulator.port()), 0);
        ASSERT_TRUE(client.sendCommand(1, {0}));
        EXPECT_EQ(client.readResponse().size(), 296);
        client.close();
    }
    EXPECT_EQ(simulator.connectionsAccepted(), 3);
}

TEST_F(UnitSimulatorTest, RefusalIsARealConnectionRefusalOnTheSamePort) {
    const quint16 port = simulator.port();
    simulator.setRefuseConnections(true);
    LoopbackClient other;
    EXPECT_EQ(other.connectTo(port), ECONNREFUSED);
    simulator.setRefuseConnections(false);
    client.close(); // the simulator serves one client at a time
    EXPECT_EQ(other.connectTo(port), 0);
    ASSERT_TRUE(other.sendCommand(1, {0}));
    EXPECT_EQ(other.readResponse().size(), 296);
}

TEST_F(UnitSimulatorTest, ListensOnLoopbackOnly) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QByteArray listener = QStringLiteral(":%1 00000000:0000 0A")
                                    .arg(simulator.port(), 4, 16, QLatin1Char('0'))
                                    .toUpper()
                                    .toLatin1();
    const QByteArray lines = table.readAll();
    const qsizetype at = lines.indexOf(listener);
    ASSERT_GE(at, 8);
    EXPECT_EQ(lines.mid(at - 8, 8), "0100007F");
}

TEST_F(UnitSimulatorTest, StopReturnsPromptlyWhateverTheClientIsDoing) {
    // A client that asked for the big download and reads nothing keeps the simulator
    // blocked on a full socket; one whose answer is held back keeps it waiting. A stop
    // must get through either way.
    ASSERT_TRUE(client.sendCommand(96, {1, 0}));
    LoopbackClient idle; // waits in the listen queue
    ASSERT_EQ(idle.connectTo(simulator.port()), 0);
    EXPECT_EQ(client.read(100).size(), 100);
    for (int round = 0; round < 2; ++round) {
        const auto begin = std::chrono::steady_clock::now();
        simulator.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
        EXPECT_FALSE(simulator.isRunning());
        client.read(4 * 1024 * 1024, 5000);
        EXPECT_TRUE(client.peerClosed());
        if (round == 0) {
            ASSERT_TRUE(simulator.start());
            simulator.addFault({1, FaultKind::Delay, 60000, {}, 1});
            ASSERT_EQ(client.connectTo(simulator.port()), 0);
            ASSERT_TRUE(client.sendCommand(1, {0}));
            ASSERT_TRUE(simulator.waitForCommands(2, 5000));
        }
    }
    // State survives, and the simulator can serve again.
    ASSERT_TRUE(simulator.start());
    ASSERT_EQ(client.connectTo(simulator.port()), 0);
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse().size(), 296);
    EXPECT_EQ(simulator.receivedCommands().size(), 3);
}

} // namespace
