#include "AircraftRecord.h"
#include "FixedText.h"
#include "RegisterFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(AircraftRecordTest, FieldsLandAtTheirStoredOffsets) {
    AircraftRecord record;
    writeFixedText(record.aircraftId, QStringLiteral("N123"));
    writeFixedText(record.shopId, QStringLiteral("SHOP"));
    writeFixedText(record.comments, QStringLiteral("C"));
    QByteArray expected(2699, '\0');
    expected.replace(0, 4, "N123").replace(17, 4, "SHOP").replace(650, 1, "C");
    for (int engine = 0; engine < 2; ++engine) {
        EngineRecord& block = record.engines[engine];
        const char digit = char('1' + engine);
        writeFixedText(block.engineType, QStringLiteral("T%1").arg(digit));
        writeFixedText(block.serialNumber, QStringLiteral("S%1").arg(digit));
        writeFixedText(block.installDate, QStringLiteral("D%1").arg(digit));
        block.downloadBearing4 = 1;
        block.eraseBearing4 = 2;
        block.eraseBearing4History = 3;
        block.eraseAccelHistory = 4;
        const int base = engine == 0 ? 28 : 339;
        expected.replace(base, 2, QByteArray("T") + digit);
        expected.replace(base + 17, 2, QByteArray("S") + digit);
        expected.replace(base + 28, 2, QByteArray("D") + digit);
        expected.replace(base + 49, 1, "\x01");
        expected.replace(base + 52, 3, "\x02\x03\x04");
    }
    EXPECT_EQ(record.toBytes(), expected);
    EXPECT_EQ(AircraftRecord::fromBytes(expected).toBytes(), expected);
}

TEST(AircraftRecordTest, ShortOrMissingValueLeavesZerosBehindTheStoredBytes) {
    EXPECT_EQ(AircraftRecord::fromBytes({}).toBytes(), QByteArray(2699, '\0'));
    QByteArray expected(2699, '\0');
    expected.replace(0, 30, QByteArray(30, 'x'));
    EXPECT_EQ(AircraftRecord::fromBytes(QByteArray(30, 'x')).toBytes(), expected);
    EXPECT_EQ(AircraftRecord::fromBytes(QByteArray(5000, 'y')).toBytes(), QByteArray(2699, 'y'));
}

TEST(AircraftRecordTest, TextFieldsAreCutTerminatedAndReadWithinTheirBounds) {
    AircraftRecord record;
    writeFixedText(record.shopId, QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(readFixedText(record.shopId), QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(record.engines[0].engineType[0], '\0');
    // A shorter text leaves nothing of the longer one behind its terminator.
    writeFixedText(record.shopId, QStringLiteral("AB"));
    EXPECT_EQ(QByteArray(record.shopId, 11), QByteArray("AB\0\0\0\0\0\0\0\0\0", 11));

    // A damaged record without terminators is read up to size - 1, never into the next field.
    const AircraftRecord damaged = AircraftRecord::fromBytes(QByteArray(28, 'Z'));
    EXPECT_EQ(readFixedBytes(damaged.aircraftId), QByteArray(16, 'Z'));
    EXPECT_EQ(readFixedBytes(damaged.shopId), QByteArray(10, 'Z'));

    writeFixedText(record.comments, QStringLiteral("Pr\u00fcfung"));
    EXPECT_EQ(record.comments[2], '\xfc');
    EXPECT_EQ(readFixedText(record.comments), QStringLiteral("Pr\u00fcfung"));
    EXPECT_TRUE(fitsFixedText(QStringLiteral("0123456789"), 10));
    EXPECT_FALSE(fitsFixedText(QStringLiteral("0123456789A"), 10));
    EXPECT_FALSE(fitsFixedText(QStringLiteral("\u20ac"), 10));
}

} // namespace
