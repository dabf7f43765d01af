// The fault table on its own, without a socket: which rows a command takes, and what they
// make of its answer and its delivery.
#include "FaultInjector.h"
#include "UnitResponses.h"

#include <gtest/gtest.h>

namespace {

SimulatorFault row(quint32 code, FaultKind kind, quint32 argument, int times = 1, int after = 0) {
    return {code, kind, argument, {}, times, after};
}

TEST(FaultInjector, RowsApplyToTheirCommandAfterTheirWaitForAsManyTimesAsAsked) {
    FaultInjector injector;
    injector.add(row(96, FaultKind::Delay, 10, 2, 1)); // the second and third downloads
    injector.add(row(SimulatorFault::kAnyCommand, FaultKind::Delay, 1, 1));
    injector.add(row(1, FaultKind::Delay, 100, SimulatorFault::kAlways));
    injector.add(row(1, FaultKind::Delay, 1000, 0)); // affects nothing, so never added
    const struct {
        quint32 code;
        int delayMs;
        int rowsLeft;
    } steps[] = {{96, 1, 2}, {96, 10, 2}, {1, 100, 2}, {96, 10, 1}, {96, 0, 1}, {1, 100, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "code " << step.code << ", " << step.delayMs);
        EXPECT_EQ(injector.take(step.code).delayMs(), step.delayMs);
        EXPECT_EQ(injector.rows().size(), step.rowsLeft);
    }
    injector.clear();
    EXPECT_EQ(injector.take(1).delayMs(), 0);
}

TEST(FaultInjector, ContentRowsEditTheAnswerInAFixedOrder) {
    const QByteArray answer = unit_responses::partNumberResponse(defaultPartNumbers());
    SimulatorFault rawHeader = row(1, FaultKind::RawResponse, 0);
    rawHeader.rawResponse = QByteArray::fromHex("0000000c0000000000000000");
    const struct {
        const char* what;
        std::vector<SimulatorFault> rows;
        QByteArray expected;
    } cases[] = {
        {"no content row", {row(1, FaultKind::Delay, 5)}, answer},
        {"raw bytes win over an ack error",
         {rawHeader, row(1, FaultKind::AckError, 9)},
         rawHeader.rawResponse},
        {"a block added to a bare header, counted in the size",
         {row(1, FaultKind::BadBlockType, 7), rawHeader},
         QByteArray::fromHex("000000140000000000000000"
                             "0000000700000000")},
        {"the size field set last",
         {row(1, FaultKind::DeclaredSize, 3), row(1, FaultKind::BadBlockType, 7), rawHeader},
         QByteArray::fromHex("000000030000000000000000"
                             "0000000700000000")},
        {"ack error", {row(1, FaultKind::AckError, 9)}, unit_responses::headerOnlyResponse(9)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FaultEffect(c.rows).applyTo(answer), c.expected);
    }
}

TEST(FaultInjector, DeliveryRowsAddUp) {
    const FaultEffect effect({row(1, FaultKind::Delay, 30), row(1, FaultKind::Delay, 20),
                              row(1, FaultKind::Trickle, 2), row(1, FaultKind::Trickle, 5),
                              row(1, FaultKind::CloseAfterBytes, 100),
                              row(1, FaultKind::CloseAfterBytes, 40)});
    EXPECT_EQ(effect.delayMs(), 50);
    EXPECT_TRUE(effect.trickles());
    EXPECT_EQ(effect.tricklePauseMs(), 5);
    EXPECT_EQ(effect.closeAfterBytes(), qsizetype(40));
    EXPECT_FALSE(effect.silencesConnection());
    EXPECT_FALSE(effect.suppressesCommand());
    EXPECT_TRUE(FaultEffect({row(1, FaultKind::NoAnswer, 0)}).silencesConnection());
    EXPECT_TRUE(FaultEffect({row(1, FaultKind::AckError, 0)}).suppressesCommand());
    EXPECT_FALSE(FaultEffect().closeAfterBytes().has_value());
}

} // namespace
