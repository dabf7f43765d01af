#include "PartNumberRecord.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class DecodePartNumbers : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsAndHome(); }

    QString writeResponse(const QByteArray& bytes) {
        const QString path = QDir::homePath() + QStringLiteral("/ZELK-test");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray header(quint32 size) {
        QByteArray bytes(12, '\0');
        qToLittleEndian<quint32>(size, bytes.data());
        return bytes;
    }

    RecordingNotifier notifier;
    PartNumberRecord record;
};

TEST_F(DecodePartNumbers, OneBlockFillsTheRecordWithItsHeaderIncluded) {
    // One type-0 block of 276 bytes: its 8-byte header is the record's first 8 bytes, so
    // the main software part number is block data bytes 52 to 67.
    QByteArray block(8 + 276, '\0');
    qToLittleEndian<quint32>(276, block.data() + 4);
    const QByteArray main = "ZK4712-SW-0305-C"; // 16 characters, no terminator
    block.replace(8 + 52, 16, main);
    block.replace(8 + 36, 14, "ZK4711-BT-0102");
    const QString path = writeResponse(header(296) + block);

    DecodePN(path, record, notifier);

    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(record.field(PartNumberRecord::MainSoftware), main);
    EXPECT_EQ(record.paddedField(PartNumberRecord::BootMainSoftware), "ZK4711-BT-0102  ");
    EXPECT_EQ(record.paddedField(PartNumberRecord::DspSoftware), QByteArray(16, ' '));
    EXPECT_FALSE(QFile::exists(path)) << "the response file is deleted once decoded";

    const QStringList lines = record.headerLines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Boot Main S/W PN:         ZK4711-BT-0102  "));
    EXPECT_EQ(lines[1], QStringLiteral("Main Software PN:         ZK4712-SW-0305-C"));
    EXPECT_EQ(lines[4], QStringLiteral("CMFI Table PN:            ") + QString(16, ' '));
}

TEST_F(DecodePartNumbers, ShortResponseIsAFormatErrorAndLeavesTheRestZero) {
    QByteArray partial(100, 'x');
    const QString path = writeResponse(header(112) + partial);
    record.data()[200] = 'y'; // zeroed before every decode

    DecodePN(path, record, notifier);

    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(
        notifier.messages[0],
        (RecordingNotifier::Message{QStringLiteral("critical"), QStringLiteral("File Format Error"),
                                    QStringLiteral("Error decoding Part Number message")}));
    EXPECT_EQ(record.data()[99], 'x');
    EXPECT_EQ(record.data()[200], '\0');
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DecodePartNumbers, HeaderOnlyResponseIsAFormatError) {
    const QString path = writeResponse(header(12));
    DecodePN(path, record, notifier);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("File Format Error"));
}

TEST_F(DecodePartNumbers, MissingFileNamesItAndItsErrorCode) {
    const QString path = QDir::homePath() + QStringLiteral("/ZELK-missing");
    DecodePN(path, record, notifier);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("DecodePN()"));
    EXPECT_EQ(
        notifier.messages[0].text,
        QStringLiteral("Failed to open %1 (error = %2)").arg(path).arg(int(QFile::OpenError)));
}

} // namespace
