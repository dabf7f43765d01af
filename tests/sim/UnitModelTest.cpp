// The unit's model on its own, without a socket: what it makes of commands and what they
// do to its memories, images and part numbers.
#include "UnitModel.h"
#include "LoopbackClient.h"
#include "UnitResponses.h"

#include <gtest/gtest.h>

namespace {

// A command as the server hands it over, with the ack the model itself would give it.
ReceivedCommand received(quint32 code, const QList<quint32>& payload) {
    ReceivedCommand command;
    command.packet = LoopbackClient::command(code, payload);
    command.length = quint32(command.packet.size());
    command.code = code;
    command.payload = payload;
    command.ack = UnitModel::validate(command, true);
    return command;
}

// Notes the command as received, then answers it, as the server does.
QByteArray exchange(UnitModel& unit, const ReceivedCommand& command) {
    unit.noteReceived(command.code);
    return unit.answer(command);
}

TEST(UnitModel, RefusedCommandsAreAnsweredWithTheirAckAndChangeNothing) {
    UnitModel unit;
    ReceivedCommand cutShort = received(101, {1});
    cutShort.ack = AckMalformedPacket;
    ReceivedCommand wronglyAccepted = received(101, {3}); // engine 3, handed over as valid
    wronglyAccepted.ack = AckOk;
    for (const ReceivedCommand& command :
         {cutShort, wronglyAccepted, received(7, {0}), received(240, QList<quint32>(1279, 1))}) {
        SCOPED_TRACE(command.code);
        EXPECT_EQ(exchange(unit, command),
                  unit_responses::headerOnlyResponse(command.code == 7 ? 1 : 2));
    }
    EXPECT_FALSE(unit.isErased(1, UnitMemory::Bearing4Data));
    EXPECT_TRUE(unit.uploadedImage(240).isEmpty());
    EXPECT_EQ(unit.partNumbers(), defaultPartNumbers());
}

TEST(UnitModel, EraseEmptiesTheDownloadOfThatEngineUntilRestored) {
    UnitModel unit;
    EXPECT_EQ(exchange(unit, received(101, {2})), unit_responses::headerOnlyResponse(0));
    EXPECT_EQ(unit.eraseCount(2, UnitMemory::Bearing4Data), 1);
    EXPECT_TRUE(exchange(unit, received(96, {2, 0})) ==
                unit_responses::downloadResponse(2, unit.config(), true));
    EXPECT_TRUE(exchange(unit, received(96, {1, 0})) ==
                unit_responses::downloadResponse(1, unit.config()));
    unit.restoreRecordedData();
    EXPECT_TRUE(exchange(unit, received(96, {2, 0})) ==
                unit_responses::downloadResponse(2, unit.config()));
}

TEST(UnitModel, AnUploadPacketContinuesItsImageOnlyRightAfterOneOfItsKind) {
    UnitModel unit;
    const ReceivedCommand first = received(243, QList<quint32>(1280, 0x41424344));
    const ReceivedCommand second = received(243, QList<quint32>(1280, 0x45464748));
    exchange(unit, first);
    exchange(unit, second);
    EXPECT_EQ(unit.uploadedImage(243), first.payload + second.payload);
    // Any other command in between starts the image afresh...
    exchange(unit, received(1, {0}));
    exchange(unit, second);
    EXPECT_EQ(unit.uploadedImage(243), second.payload);
    // ...but a refused packet of the same kind does not.
    unit.noteReceived(243);
    exchange(unit, first);
    EXPECT_EQ(unit.uploadedImage(243), second.payload + first.payload);
    // The part number is printable whatever the image holds: the digits of its first 8 bytes.
    EXPECT_EQ(unit.partNumbers()[size_t(PartNumberField::Configuration)], "4546474845464748");
    exchange(unit, received(1, {0}));
    exchange(unit, received(242, QList<quint32>(1280, 0x00FF7F0A)));
    EXPECT_EQ(unit.partNumbers()[size_t(PartNumberField::DspSoftware)], "00FF7F0A00FF7F0A");
    unit.setPartNumber(PartNumberField::BootDsp, "ZK4721-BT-0201-LONGER");
    EXPECT_EQ(unit.partNumbers()[size_t(PartNumberField::BootDsp)], "ZK4721-BT-0201-L");
}

} // namespace
