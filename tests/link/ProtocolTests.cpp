#include "CommunicationLog.h"
#include "Protocol.h"
#include "SettingsSandbox.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian(quint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

struct Block {
    quint32 type;
    QByteArray data;
};

// A raw response as the unit sends it; `size` defaults to the real length.
QByteArray wireResponse(quint32 ack, const QList<Block>& blocks, qint64 size = -1) {
    QByteArray body;
    for (const Block& block : blocks)
        body += bigEndian(block.type) + bigEndian(quint32(block.data.size())) + block.data;
    const quint32 total = size >= 0 ? quint32(size) : quint32(12 + body.size());
    return bigEndian(total) + bigEndian(ack) + bigEndian(7) + body;
}

// The response file expected for the same response: every field and element reversed by
// its width, trailing partial elements as they came.
QByteArray hostResponse(quint32 ack, const QList<Block>& blocks) {
    QByteArray body;
    for (const Block& block : blocks) {
        QByteArray data = block.data;
        const int width = block.type == 1 ? 2 : block.type >= 2 ? 4 : 1;
        for (int at = 0; at + width <= data.size(); at += width)
            std::reverse(data.begin() + at, data.begin() + at + width);
        body += littleEndian(block.type) + littleEndian(quint32(data.size())) + data;
    }
    return littleEndian(quint32(12 + body.size())) + littleEndian(ack) + littleEndian(7) + body;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray patternBytes(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) & 0xFF);
    return bytes;
}

// A raw response that hands out at most a few bytes per read, so that the conversion
// cannot rely on one read filling its buffer.
class TrickleDevice : public QIODevice {
public:
    explicit TrickleDevice(const QByteArray& bytes) : bytes_(bytes) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return bytes_.size() - position_ + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 count = std::min<qint64>({maxSize, 7, bytes_.size() - position_});
        std::memcpy(data, bytes_.constData() + position_, size_t(count));
        position_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 position_ = 0;
};

class ParseResponseTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsAndHome(); }

    // A conversion that never returns would hang the whole run; fail it within bounds.
    int parse(QIODevice& raw, quint32 declaredSize) {
        auto task = std::packaged_task<int()>(
            [&] { return parseResponse(responseFile, raw, declaredSize); });
        auto result = task.get_future();
        std::thread(std::move(task)).detach();
        if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << "parseResponse did not return";
            std::abort();
        }
        return result.get();
    }

    int parse(const QByteArray& raw) {
        QByteArray copy = raw;
        QBuffer buffer(&copy);
        return parse(buffer, raw.size() >= 4 ? qFromBigEndian<quint32>(raw.constData()) : 0);
    }

    void expectFailedWithoutFile() {
        EXPECT_TRUE(responseFile.isEmpty());
        EXPECT_FALSE(QFile::exists(responseFilePath()));
    }

    QString logText() const { return QString::fromUtf8(readFile(communicationLogPath())); }

    QString responseFile = QStringLiteral("left over from the last command");
};

} // namespace

TEST(BuildCommandTest, PacketsMatchTheWireBytes) {
    unsigned char buffer[kCommandBufferSize];
    const quint32 readPartNumbers[] = {0};
    ASSERT_TRUE(buildCommand(buffer, readPartNumbers, 4, ReadPartNumbersCommand));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 12),
              bytesOf({0, 0, 0, 0x0C, 0, 0, 0, 0x01, 0, 0, 0, 0}));

    const quint32 engineTwo[] = {2};
    ASSERT_TRUE(buildCommand(buffer, engineTwo, 4, EraseBearing4Command));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 12),
              bytesOf({0, 0, 0, 0x0C, 0, 0, 0, 0x65, 0, 0, 0, 0x02}));
}

TEST(BuildCommandTest, UploadPacketCarriesLengthAndWordsInWireOrder) {
    unsigned char buffer[kCommandBufferSize];
    std::memset(buffer, 0xFF, sizeof buffer);
    quint32 payload[1280];
    for (quint32 i = 0; i < 1280; ++i)
        payload[i] = 0x01020300u + i;
    ASSERT_TRUE(buildCommand(buffer, payload, 5120, UploadMainSoftwareCommand));
    const QByteArray packet(reinterpret_cast<char*>(buffer), sizeof buffer);
    EXPECT_EQ(packet.left(4), bytesOf({0x00, 0x00, 0x14, 0x08}));
    EXPECT_EQ(packet.mid(4, 4), bytesOf({0, 0, 0, 0xF0}));
    EXPECT_EQ(packet.mid(8, 4), bytesOf({0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(packet.mid(5124, 4), bytesOf({0x01, 0x02, 0x07, 0xFF}));
    // Nothing past the 5128 bytes of the packet is touched.
    EXPECT_EQ(packet.mid(5128, 4), bytesOf({0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(BuildCommandTest, RefusedPayloadLengthsLeaveTheBufferUntouched) {
    std::vector<quint32> payload(kCommandBufferSize / 4, 0);
    for (int length : {-4, -1, 1, 6, 5118, kMaxPayloadLength + 4, kMaxPayloadLength + 1}) {
        unsigned char buffer[kCommandBufferSize];
        std::memset(buffer, 0xFF, sizeof buffer);
        EXPECT_FALSE(buildCommand(buffer, payload.data(), length, 1)) << length;
        EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), sizeof buffer),
                  QByteArray(kCommandBufferSize, char(0xFF)))
            << length;
    }
    // The largest payload fills the buffer to its last byte.
    unsigned char buffer[kCommandBufferSize];
    payload.back() = 0xA1B2C3D4u;
    ASSERT_TRUE(buildCommand(buffer, payload.data() + 2, kMaxPayloadLength, 243));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 4), bigEndian(16384));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer) + 16380, 4),
              bytesOf({0xA1, 0xB2, 0xC3, 0xD4}));
}

TEST(SwapElementsTest, ConvertsWholeElementsByTypeOnly) {
    const QByteArray wire = bytesOf({1, 2, 3, 4, 5, 6, 7});
    const struct {
        quint32 type;
        QByteArray expected;
    } cases[] = {
        {0, bytesOf({1, 2, 3, 4, 5, 6, 7})}, {1, bytesOf({2, 1, 4, 3, 6, 5, 7})},
        {2, bytesOf({4, 3, 2, 1, 5, 6, 7})}, {3, bytesOf({4, 3, 2, 1, 5, 6, 7})},
        {4, bytesOf({1, 2, 3, 4, 5, 6, 7})}, {0xFFFFFFFF, bytesOf({1, 2, 3, 4, 5, 6, 7})},
    };
    for (const auto& c : cases) {
        QByteArray data = wire;
        swapElements(data.data(), quint32(data.size()), c.type);
        EXPECT_EQ(data, c.expected) << "type " << c.type;
    }
}

TEST_F(ParseResponseTest, HeaderOnlyResponseGivesTwelveByteFile) {
    ASSERT_EQ(parse(wireResponse(0, {})), 0);
    EXPECT_EQ(responseFile, responseFilePath());
    EXPECT_EQ(readFile(responseFile), hostResponse(0, {}));
    EXPECT_FALSE(QFile::exists(communicationLogPath()));
}

TEST_F(ParseResponseTest, BlocksAreConvertedByTheirElementWidth) {
    const QList<Block> blocks = {
        {1, bytesOf({0x12, 0x34, 0x56, 0x78, 0x9A})},
        {2, bytesOf({1, 2, 3, 4, 5, 6})},
        {3, bytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9})},
        {0, bytesOf({1, 2, 3})},
        {2, QByteArray()},
    };
    ASSERT_EQ(parse(wireResponse(0, blocks)), 0);
    const QByteArray file = readFile(responseFile);
    EXPECT_EQ(file, hostResponse(0, blocks));
    // The type-1 block by hand: two elements swapped, the fifth byte as it came.
    EXPECT_EQ(file.mid(20, 5), bytesOf({0x34, 0x12, 0x78, 0x56, 0x9A}));
}

TEST_F(ParseResponseTest, LargeBlocksAtOddOffsetsKeepElementAlignment) {
    // Blocks larger than any read piece, starting at offsets that are not multiples of
    // four, with partial trailing elements: alignment must follow each block's start.
    const QList<Block> blocks = {
        {1, patternBytes(3, 1)},
        {2, patternBytes(200001, 2)},
        {1, patternBytes(131075, 3)},
        {3, patternBytes(65536 + 4, 4)},
    };
    ASSERT_EQ(parse(wireResponse(0, blocks)), 0);
    EXPECT_EQ(readFile(responseFile), hostResponse(0, blocks));
}

TEST_F(ParseResponseTest, ShortReadsFromTheRawResponseAreCarriedOn) {
    const QList<Block> blocks = {{1, patternBytes(33, 5)}, {2, patternBytes(70001, 6)}};
    const QByteArray wire = wireResponse(0, blocks);
    TrickleDevice raw(wire);
    ASSERT_EQ(parse(raw, quint32(wire.size())), 0);
    EXPECT_EQ(readFile(responseFile), hostResponse(0, blocks));
}

TEST_F(ParseResponseTest, StagedTemporaryFileIsReadFromItsStart) {
    const QList<Block> blocks = {{2, bytesOf({0, 0, 1, 0})}};
    QTemporaryFile raw;
    ASSERT_TRUE(raw.open());
    const QByteArray wire = wireResponse(0, blocks);
    raw.write(wire);
    // Left open at its end, as after receiving.
    ASSERT_EQ(parse(raw, quint32(wire.size())), 0);
    EXPECT_EQ(readFile(responseFile), hostResponse(0, blocks));
    raw.close();
    ASSERT_EQ(parse(raw, quint32(wire.size())), 0);
    EXPECT_EQ(readFile(responseFile), hostResponse(0, blocks));
}

TEST_F(ParseResponseTest, EarlierResponseFileIsReplaced) {
    {
        QFile old(responseFilePath());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    ASSERT_EQ(parse(wireResponse(0, {})), 0);
    EXPECT_EQ(readFile(responseFile).size(), 12);
}

TEST_F(ParseResponseTest, BytesBeyondTheDeclaredSizeAreIgnored) {
    const QList<Block> blocks = {{1, bytesOf({1, 2})}};
    ASSERT_EQ(parse(wireResponse(0, blocks) + QByteArray(9, 'z')), 0);
    EXPECT_EQ(readFile(responseFile), hostResponse(0, blocks));
}

TEST_F(ParseResponseTest, UnitErrorIsLoggedAndLeavesNoFile) {
    EXPECT_EQ(parse(wireResponse(5, {{0, bytesOf({1})}})), -1);
    expectFailedWithoutFile();
    const QString log = logText();
    EXPECT_TRUE(log.contains(QStringLiteral(
        "status code:  4\nstatus msg:   Unit returned error (ACK = 5)\ncurrent time: ")))
        << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("Process id:")), 1);

    resetSettingsAndHome();
    EXPECT_EQ(parse(wireResponse(0x80000001u, {})), -1);
    EXPECT_TRUE(logText().contains(QStringLiteral("(ACK = 2147483649)")));
}

TEST_F(ParseResponseTest, BadBlockHeadersAreLoggedAndLeaveNoFile) {
    const struct {
        QByteArray wire;
        QString logged;
    } cases[] = {
        {wireResponse(0, {{1, bytesOf({1, 2})}, {4, bytesOf({1, 2, 3, 4})}}),
         kInvalidBlockTypeText},
        {wireResponse(0, {{0xFFFFFFFF, QByteArray()}}), kInvalidBlockTypeText},
        {bigEndian(40) + bigEndian(0) + bigEndian(0) + bigEndian(2) + bigEndian(0x1000000) +
             QByteArray(20, 'a'),
         kInvalidByteCountText},
    };
    for (const auto& c : cases) {
        resetSettingsAndHome();
        responseFile = QStringLiteral("stale");
        EXPECT_EQ(parse(c.wire), -1);
        expectFailedWithoutFile();
        EXPECT_TRUE(logText().contains(QStringLiteral("status msg:   ") + c.logged + '\n'))
            << logText().toStdString();
    }
}

TEST_F(ParseResponseTest, ImpossibleDeclaredSizesFailWithoutLogOrFile) {
    // Too large to stage, or too small to hold the header.
    for (quint32 size : {0x1000000u, 0xFFFFFFFFu, 0u, 1u, 11u}) {
        QByteArray wire = wireResponse(0, {}, size);
        QBuffer raw(&wire);
        responseFile = QStringLiteral("stale");
        EXPECT_EQ(parse(raw, size), -1) << size;
        expectFailedWithoutFile();
        EXPECT_FALSE(QFile::exists(communicationLogPath())) << size;
    }
}

TEST_F(ParseResponseTest, ResponseEndingEarlyFailsWithoutFile) {
    const QByteArray full = wireResponse(0, {{2, patternBytes(16, 1)}, {1, patternBytes(9, 2)}});
    const struct {
        const char* where;
        QByteArray raw;
        quint32 declared;
    } cases[] = {
        {"size field only", full.left(4), quint32(full.size())},
        {"inside the header", full.left(11), quint32(full.size())},
        {"inside a block header", full.left(16), quint32(full.size())},
        {"inside block data", full.left(30), quint32(full.size())},
        {"inside the last block", full.left(full.size() - 1), quint32(full.size())},
        {"declared size cuts a block header", full, 12 + 24 + 4},
        {"declared size cuts block data", full, 12 + 20},
        {"blocks stop before the declared size", full, quint32(full.size() + 8)},
    };
    for (const auto& c : cases) {
        QByteArray raw = c.raw;
        QBuffer buffer(&raw);
        responseFile = QStringLiteral("stale");
        EXPECT_EQ(parse(buffer, c.declared), -1) << c.where;
        expectFailedWithoutFile();
    }
    EXPECT_FALSE(QFile::exists(communicationLogPath()));
}

TEST_F(ParseResponseTest, UnreadableResponseFileKeepsTheNameForTheWorker) {
    // A directory in the way of the response file.
    ASSERT_TRUE(QDir().mkpath(responseFilePath()));
    EXPECT_EQ(parse(wireResponse(0, {})), -1);
    EXPECT_EQ(responseFile, responseFilePath());
    QDir(responseFilePath()).removeRecursively();
}

namespace {

struct ShapeRow {
    const char* name;
    quint32 code;
    QByteArray response;
    int expected;
};

void PrintTo(const ShapeRow& row, std::ostream* out) {
    *out << row.name;
}

QByteArray words32(int count) {
    return QByteArray(4 * count, '\x01');
}

const ShapeRow kShapeRows[] = {
    {"EraseWithBareHeader", EraseBearing4Command, wireResponse(0, {}), 0},
    {"EraseWithABlock", EraseAccelHistoryCommand, wireResponse(0, {{0, "x"}}), kResponseDoesNotFit},
    {"UploadWithBareHeader", UploadDspConfigurationCommand, wireResponse(0, {}), 0},
    {"PartNumbersAsOneBlock", ReadPartNumbersCommand, wireResponse(0, {{0, QByteArray(276, 'P')}}),
     0},
    {"PartNumbersAsABareHeader", ReadPartNumbersCommand, wireResponse(0, {}), kResponseDoesNotFit},
    {"PartNumbersOneByteShort", ReadPartNumbersCommand,
     wireResponse(0, {{0, QByteArray(275, 'P')}}), kResponseDoesNotFit},
    // The unit's own error answer is reported as such, whatever its shape.
    {"PartNumbersRefusedByTheUnit", ReadPartNumbersCommand, wireResponse(5, {}), -1},
    {"DownloadCutAfterItsHeaders", DownloadBearing4Command,
     wireResponse(0, {{2, words32(7)}, {3, words32(7)}, {3, words32(13)}}), 0},
    {"DownloadHeaderAsSixteenBitWords", DownloadBearing4Command, wireResponse(0, {{1, words32(7)}}),
     kResponseDoesNotFit},
    {"DownloadAnsweredWithPartNumbers", DownloadBearing4Command,
     wireResponse(0, {{0, QByteArray(276, 'P')}}), kResponseDoesNotFit},
    {"DownloadWithATimeRecordOfRealsInItsFirstBin", DownloadBearing4Command,
     wireResponse(0, {{2, words32(7)}, {2, words32(7)}, {3, words32(13)}, {3, words32(512)}}),
     kResponseDoesNotFit},
    {"DownloadAnsweredWithABareHeader", DownloadBearing4Command, wireResponse(0, {}),
     kResponseDoesNotFit},
    {"UnknownCommandTakesAnything", 200, wireResponse(0, {{1, "abc"}}), 0},
};

class ResponseShapeTest : public ::testing::TestWithParam<ShapeRow> {
protected:
    void SetUp() override { resetSettingsAndHome(); }
};

TEST_P(ResponseShapeTest, AnAnswerOfAnotherShapeIsRefusedWithoutAFile) {
    const ShapeRow& row = GetParam();
    QByteArray copy = row.response;
    QBuffer buffer(&copy);
    QString responseFile;
    const int result = parseResponse(responseFile, buffer, quint32(row.response.size()),
                                     ResponseLayout::forCommand(row.code));
    EXPECT_EQ(result, row.expected);
    EXPECT_EQ(QFile::exists(responseFilePath()), row.expected == 0);
    EXPECT_EQ(responseFile.isEmpty(), row.expected != 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ResponseShapeTest, ::testing::ValuesIn(kShapeRows),
                         [](const ::testing::TestParamInfo<ShapeRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
