// The socket server in front of a model of its own, with an empty fault table: it serves
// what the model holds and hands the model what arrives.
#include "UnitServer.h"
#include "FaultInjector.h"
#include "LoopbackClient.h"
#include "UnitModel.h"
#include "UnitResponses.h"

#include <gtest/gtest.h>

namespace {

TEST(UnitServer, ServesTheModelItWasGiven) {
    UnitSimulatorConfig config;
    config.partNumbers[size_t(PartNumberField::BootMain)] = "ZK4711-BT-0999";
    UnitModel unit(config);
    FaultInjector noFaults;
    UnitServer server(unit, noFaults);
    ASSERT_TRUE(server.start()) << qPrintable(server.errorString());
    LoopbackClient client;
    ASSERT_EQ(client.connectTo(server.port()), 0);

    unit.setPartNumber(PartNumberField::Configuration, "ZK4730-CF-0042");
    ASSERT_TRUE(client.sendCommand(1, {0}));
    EXPECT_EQ(client.readResponse(), unit_responses::partNumberResponse(unit.partNumbers()));
    EXPECT_EQ(unit.partNumbers()[size_t(PartNumberField::BootMain)], "ZK4711-BT-0999");

    ASSERT_TRUE(client.sendCommand(102, {2}));
    EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(0));
    EXPECT_TRUE(unit.isErased(2, UnitMemory::Bearing4History));
    ASSERT_TRUE(client.sendCommand(102, {5}));
    EXPECT_EQ(client.readResponse(), unit_responses::headerOnlyResponse(2));
    EXPECT_EQ(unit.eraseCount(2, UnitMemory::Bearing4History), 1);

    const QList<ReceivedCommand> commands = server.receivedCommands();
    ASSERT_EQ(commands.size(), 3);
    EXPECT_EQ(commands[2].payload, QList<quint32>{5});
    EXPECT_EQ(commands[2].ack, 2u);
    EXPECT_EQ(server.connectionsAccepted(), 1);
}

} // namespace
