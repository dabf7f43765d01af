// The bytes of the unit's answers, checked against offsets worked out by hand rather than
// against the builder's own constants.
#include "LoopbackClient.h"
#include "UnitResponses.h"
#include "UnitSimulator.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <bit>
#include <set>

namespace {

constexpr qsizetype kResponseSize = 2777488;
constexpr qsizetype kFlightSize = 138872;
constexpr qsizetype kFirstFlight = 48;

qint32 hostInt(const QByteArray& host, qsizetype at) {
    return qFromLittleEndian<qint32>(host.constData() + at);
}
float hostReal(const QByteArray& host, qsizetype at) {
    return std::bit_cast<float>(qFromLittleEndian<quint32>(host.constData() + at));
}
qint16 hostSample(const QByteArray& host, qsizetype at) {
    return qFromLittleEndian<qint16>(host.constData() + at);
}

struct Block {
    qsizetype at;
    quint32 type;
    quint32 byteCount;
};

// Walks the response block by block as a receiver does; empty when a header is invalid or
// the blocks do not end exactly at the end.
std::vector<Block> walkBlocks(const QByteArray& wire) {
    std::vector<Block> blocks;
    qsizetype at = 12;
    while (at < wire.size()) {
        if (wire.size() - at < 8)
            return {};
        const Block block{at, wordAt(wire, at), wordAt(wire, at + 4)};
        const quint32 width = block.type == 0 ? 1 : block.type == 1 ? 2 : 4;
        if (block.type > 3 || block.byteCount > 0xFFFFFF || block.byteCount % width != 0 ||
            qsizetype(block.byteCount) > wire.size() - at - 8)
            return {};
        blocks.push_back(block);
        at += 8 + block.byteCount;
    }
    return blocks;
}

// Where the layout of the downloaded data puts a block header, with the type it needs.
std::map<qsizetype, quint32> documentedHeaders() {
    std::map<qsizetype, quint32> headers{{12, 2}};
    for (qsizetype slot = 0; slot < 20; ++slot) {
        const qsizetype flight = kFirstFlight + slot * kFlightSize;
        headers[flight] = 2;
        for (qsizetype bin = 0; bin < 26; ++bin) {
            headers[flight + 36 + 2116 * bin] = 3;
            headers[flight + 36 + 2116 * bin + 60] = 1;
        }
        for (qsizetype phase = 0; phase < 4; ++phase) {
            const qsizetype p = flight + 55052 + 20952 * phase;
            headers[p] = 3;
            for (qsizetype sample = 0; sample < 10; ++sample) {
                headers[p + 32 + 2092 * sample] = 3;
                headers[p + 32 + 2092 * sample + 36] = 1;
            }
        }
        headers[flight + 138860] = 0;
    }
    return headers;
}

TEST(ResponseLayout, PartNumberRecordIsOneByteBlockWithFieldsAtTheirOffsets) {
    PartNumbers numbers = defaultPartNumbers();
    numbers[size_t(PartNumberField::DspSoftware)] = "DSP-0123456789ABCDEF-TOO-LONG";
    const QByteArray wire = unit_responses::partNumberResponse(numbers);
    ASSERT_EQ(wire.size(), 296);
    EXPECT_EQ(wordAt(wire, 0), 296u);
    EXPECT_EQ(wordAt(wire, 4), 0u);
    EXPECT_EQ(wordAt(wire, 12), 0u);   // type 0
    EXPECT_EQ(wordAt(wire, 16), 276u); // the rest of the 284-byte record
    const QByteArray record = wire.mid(12);
    EXPECT_EQ(record.mid(44, 16), QByteArray("ZK4711-BT-0102\0\0", 16));
    // Exactly 16 characters, no terminator: block data bytes 52..67.
    EXPECT_EQ(record.mid(60, 16), QByteArray("ZK4712-SW-0305-C"));
    EXPECT_EQ(wire.mid(20 + 52, 16), QByteArray("ZK4712-SW-0305-C"));
    EXPECT_EQ(record.mid(100, 16), QByteArray("ZK4721-BT-0201\0\0", 16));
    // A text too long is cut at 16 bytes and spills into nothing after it.
    EXPECT_EQ(record.mid(116, 16), QByteArray("DSP-0123456789AB"));
    EXPECT_EQ(record.mid(132, 16), QByteArray(16, '\0'));
    EXPECT_EQ(record.mid(148, 16), QByteArray("ZK4730-CF-0007\0\0", 16));
    // In host order only the block header changes: type 0 bytes need no swapping.
    QByteArray hostRecord = record;
    hostRecord.replace(0, 8, QByteArray::fromHex("0000000014010000"));
    EXPECT_EQ(UnitSimulator::hostOrderResponse(wire)->mid(12), hostRecord);
}

TEST(ResponseLayout, DownloadBlocksSitExactlyAtTheDocumentedHeaderOffsets) {
    const QByteArray wire = UnitSimulator::downloadResponse(1, {});
    ASSERT_EQ(wire.size(), kResponseSize);
    EXPECT_EQ(wordAt(wire, 0), quint32(kResponseSize));
    EXPECT_EQ(wordAt(wire, 4), 0u);
    const std::vector<Block> blocks = walkBlocks(wire);
    ASSERT_FALSE(blocks.empty()) << "the blocks do not chain to the end of the response";
    std::map<qsizetype, quint32> walked;
    for (const Block& block : blocks)
        walked[block.at] = block.type;
    EXPECT_EQ(walked, documentedHeaders());
    EXPECT_EQ(wordAt(wire, 8), quint32(blocks.size()));
}

TEST(ResponseLayout, HostOrderCopyHoldsPlausibleValuesAtTheDocumentedOffsets) {
    UnitSimulatorConfig config;
    config.emptySlots = {0, 19};
    config.postDefectSlots = {5};
    const QByteArray wire = UnitSimulator::downloadResponse(2, config);
    const QByteArray host = *UnitSimulator::hostOrderResponse(wire);
    ASSERT_EQ(host.size(), kResponseSize);
    EXPECT_EQ(hostInt(host, 0), kResponseSize);
    const qint32 totalFlights = hostInt(host, 12 + 12);
    EXPECT_GT(totalFlights, 0);
    EXPECT_GT(hostInt(host, 12 + 16), 0);                      // hours
    EXPECT_LT(hostInt(host, 12 + 20), 60);                     // minutes
    EXPECT_GE(hostInt(host, 12 + 32), hostInt(host, 12 + 28)); // historic >= current alarm

    qint32 previous = 0;
    for (qsizetype slot = 0; slot < 20; ++slot) {
        const qsizetype flight = kFirstFlight + slot * kFlightSize;
        const qint32 number = hostInt(host, flight + 24);
        SCOPED_TRACE(slot);
        if (slot == 0 || slot == 19) {
            EXPECT_EQ(number, 0);
            EXPECT_EQ(hostReal(host, flight + 36 + 8 + 4 * 8), 0.0f);
            continue;
        }
        EXPECT_GT(number, previous);
        EXPECT_LE(number, totalFlights);
        previous = number;
        EXPECT_EQ(hostInt(host, flight + 32), slot == 5 ? 1 : 0);
        for (qsizetype bin = 0; bin < 26; ++bin) {
            const qsizetype reals = flight + 36 + 2116 * bin + 8;
            EXPECT_GE(hostReal(host, reals + 4 * 8), 2500.0f); // N1, RPM
            EXPECT_LE(hostReal(host, reals + 4 * 8), 5600.0f);
            EXPECT_GE(hostReal(host, reals + 4 * 6), 0.0f); // A4R
            EXPECT_LE(hostReal(host, reals + 4 * 6), 8.0f);
        }
        // The last phase's last sample: its reals and the last of its 1024 samples.
        const qsizetype sample = flight + 55052 + 20952 * 3 + 32 + 2092 * 9;
        EXPECT_GE(hostReal(host, sample + 8 + 4 * 2), 2500.0f);
        std::set<qint16> values;
        for (qsizetype i = 0; i < 1024; ++i)
            values.insert(hostSample(host, sample + 44 + 2 * i));
        EXPECT_GT(values.size(), 200u) << "a time record should look like a signal";
        EXPECT_EQ(hostSample(host, sample + 44 + 2 * 1023),
                  qFromBigEndian<qint16>(wire.constData() + sample + 44 + 2 * 1023));
    }
}

TEST(ResponseLayout, DataIsDeterministicPerSeedAndDiffersBetweenEnginesAndSeeds) {
    UnitSimulatorConfig config;
    const QByteArray first = UnitSimulator::downloadResponse(1, config);
    EXPECT_EQ(first, UnitSimulator::downloadResponse(1, config));
    EXPECT_NE(first, UnitSimulator::downloadResponse(2, config));
    config.seed = 7;
    EXPECT_NE(first, UnitSimulator::downloadResponse(1, config));
}

TEST(ResponseLayout, NegativeValuesAppearOnlyOnRequest) {
    auto negativeAmplitudes = [](const UnitSimulatorConfig& config) {
        const QByteArray host =
            *UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, config));
        int count = 0;
        for (qsizetype slot = 0; slot < 20; ++slot)
            for (qsizetype bin = 0; bin < 26; ++bin)
                count += hostReal(host, kFirstFlight + slot * kFlightSize + 36 + 2116 * bin + 8 +
                                            4 * 6) < 0;
        return count;
    };
    UnitSimulatorConfig config;
    EXPECT_EQ(negativeAmplitudes(config), 0);
    config.negativeValues = true;
    EXPECT_GT(negativeAmplitudes(config), 0);
}

TEST(ResponseLayout, ErasedMemoryKeepsTheLayoutWithEverySlotEmpty) {
    const QByteArray recorded = UnitSimulator::downloadResponse(1, {});
    const QByteArray erased = UnitSimulator::downloadResponse(1, {}, true);
    ASSERT_EQ(erased.size(), kResponseSize);
    EXPECT_EQ(erased.left(48), recorded.left(48)); // the engine's totals survive
    const std::vector<Block> blocks = walkBlocks(erased);
    ASSERT_EQ(blocks.size(), walkBlocks(recorded).size());
    for (const Block& block : blocks) {
        if (block.at == 12)
            continue;
        EXPECT_EQ(erased.mid(block.at + 8, block.byteCount), QByteArray(block.byteCount, '\0'))
            << "data left in the block at " << block.at;
    }
}

TEST(ResponseLayout, HostOrderConversionRefusesBrokenResponses) {
    const QByteArray good = unit_responses::partNumberResponse(defaultPartNumbers());
    QByteArray badType = good;
    qToBigEndian(quint32(4), badType.data() + 12);
    QByteArray shortBlock = good;
    qToBigEndian(quint32(277), shortBlock.data() + 16);
    QByteArray wrongSize = good;
    qToBigEndian(quint32(295), wrongSize.data());
    EXPECT_FALSE(UnitSimulator::hostOrderResponse(badType));
    EXPECT_FALSE(UnitSimulator::hostOrderResponse(shortBlock));
    EXPECT_FALSE(UnitSimulator::hostOrderResponse(wrongSize));
    EXPECT_FALSE(UnitSimulator::hostOrderResponse(good.left(11)));
    EXPECT_TRUE(UnitSimulator::hostOrderResponse(unit_responses::headerOnlyResponse(0)));
}

} // namespace
