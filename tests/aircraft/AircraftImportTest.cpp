#include "AircraftImportParser.h"
#include "FixedText.h"
#include "KORALib.h"
#include "RegisterFixture.h"

#include <QBuffer>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class AircraftImportTest : public RegisterFixture {
protected:
    int import(const QByteArray& contents) {
        const QString path = QDir::homePath() + QStringLiteral("/import.csv");
        writeFile(path, contents);
        return KORALibImportAircraft(path, notifier);
    }
    static QByteArray stored(const char* id) {
        return KORALibReadAircraft(QString::fromLatin1(id)).toBytes();
    }
};

TEST(AircraftImportParserTest, FieldsSkipLeadingWhiteSpaceAndAreCutToTheirLengths) {
    const ImportedFields fields =
        parseImportLine("  N1234567890123456,\tSHOP123456789 , CFM56-3-LONGER-TYPE,SN,"
                        " 2019-04-02 10:00:00 UTC,T2,S2,D2,Comment, with comma,tenth\r\n");
    EXPECT_EQ(fields.fieldCount, 9);
    EXPECT_EQ(fields.fields[0], "N12345678901234");
    EXPECT_EQ(fields.fields[1], "SHOP12345");
    EXPECT_EQ(fields.fields[2], "CFM56-3-LONGER-");
    EXPECT_EQ(fields.fields[4], "2019-04-02 10:00:00");
    EXPECT_EQ(fields.fields[8], "Comment");

    // White space before a comma stays; an empty or blank field is empty.
    const ImportedFields sparse = parseImportLine("A ,, ,x");
    EXPECT_EQ(sparse.fieldCount, 4);
    EXPECT_EQ(sparse.fields, (std::array<QByteArray, 9>{"A ", "", "", "x"}));
}

TEST(AircraftImportParserTest, LinesAreReadInBoundedPiecesAndTheLineEndIsDropped) {
    QByteArray bytes =
        "one\r\ntwo\n" + QByteArray(1023, 'a') + "\r\n" + QByteArray(1500, 'b') + "\nlast";
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    AircraftImportParser parser(buffer);
    ImportLine line;
    QList<QPair<QByteArray, bool>> lines;
    while (parser.next(line))
        lines.append({line.text, line.truncated});
    EXPECT_EQ(lines, (QList<QPair<QByteArray, bool>>{{"one", false},
                                                     {"two", false},
                                                     {QByteArray(1023, 'a'), false},
                                                     {QByteArray(1023, 'b'), true},
                                                     {"last", false}}));
    EXPECT_EQ(line.lineNumber, 5);
}

TEST_F(AircraftImportTest, EachLineIsARecordOfItsOwnFieldsOnly) {
    ASSERT_EQ(import("N1, SHOP, T1, S1, D1, T2, S2, D2, Some comments\r\n"
                     "N2,SHOP2,T3,S3,2020-01-01\r\n"
                     "N3\n"),
              3);
    QByteArray full = zeroRecordWith("N1");
    full.replace(17, 4, "SHOP").replace(28, 2, "T1").replace(45, 2, "S1").replace(56, 2, "D1");
    full.replace(339, 2, "T2").replace(356, 2, "S2").replace(367, 2, "D2");
    full.replace(650, 13, "Some comments");
    EXPECT_EQ(stored("N1"), full);

    QByteArray five = zeroRecordWith("N2");
    five.replace(17, 5, "SHOP2")
        .replace(28, 2, "T3")
        .replace(45, 2, "S3")
        .replace(56, 10, "2020-01-01");
    EXPECT_EQ(stored("N2"), five);
    EXPECT_EQ(stored("N3"), zeroRecordWith("N3"));

    EXPECT_EQ(value(kLastAircraftKey).toString(), QStringLiteral("N3"));
    EXPECT_TRUE(QFileInfo(dataDirectory + QStringLiteral("/N2_data/engine_2")).isDir());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(AircraftImportTest, SkippedLinesProduceNoRecordAndOnlyAMissingIdIsReported) {
    ASSERT_EQ(import("# header\n\n\r\n   , SHOP\n,x\nN1\n"), 1);
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N1"});
    EXPECT_EQ(notifier.messages,
              (Messages{warning(QStringLiteral("Line 4: no aircraft ID; the line was skipped")),
                        warning(QStringLiteral("Line 5: no aircraft ID; the line was skipped"))}));
}

TEST_F(AircraftImportTest, ReplacingARegisteredAircraftSwitchesItOffAndKeepsItsSpelling) {
    AircraftRecord old;
    writeFixedText(old.aircraftId, QStringLiteral("N1"));
    writeFixedText(old.comments, QStringLiteral("old comments"));
    for (EngineRecord& engine : old.engines)
        engine.downloadBearing4 = engine.eraseBearing4 = engine.eraseBearing4History =
            engine.eraseAccelHistory = 1;
    ASSERT_TRUE(KORALibWriteAircraft(QStringLiteral("N1"), old));

    ASSERT_EQ(import("n1,NEWSHOP\n"), 1);
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N1"});
    EXPECT_EQ(stored("N1"), zeroRecordWith("N1").replace(17, 7, "NEWSHOP"));
    EXPECT_EQ(value(kLastAircraftKey).toString(), QStringLiteral("N1"));
}

TEST_F(AircraftImportTest, InvalidIdsAreSkippedWithTheirLineNumber) {
    ASSERT_EQ(import("../../escape,x\nN1\na:b\nN123456789012..,x\n"), 1);
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N1"});
    EXPECT_EQ(
        notifier.messages,
        (Messages{warning(QStringLiteral("Line 1: Aircraft ID \"../../escape\" is not valid: it "
                                         "holds \"/\", which a directory name cannot hold; "
                                         "the line was skipped")),
                  warning(QStringLiteral("Line 3: Aircraft ID \"a:b\" is not valid: it holds "
                                         "\":\", which a directory name cannot hold; the "
                                         "line was skipped")),
                  warning(QStringLiteral("Line 4: Aircraft ID \"N123456789012..\" is not "
                                         "valid: it holds \"..\", which could lead outside "
                                         "the data directory; the line was skipped"))}));
    EXPECT_EQ(strayEntries(), QStringList{"import.csv"});
}

TEST_F(AircraftImportTest, LongFieldsAreCutAndTheRestOfAnOverlongLineIsDropped) {
    const QByteArray start = "N1234567890123456789,SHOP1234567890,T,S,D,T2,S2,D2,";
    ASSERT_EQ(import(start + QByteArray(1100, 'c') + ",tail\nN2\n"), 2);
    const AircraftRecord record = KORALibReadAircraft(QStringLiteral("N12345678901234"));
    EXPECT_EQ(readFixedBytes(record.shopId), "SHOP12345");
    // Only the first 1023 characters of the line are read.
    EXPECT_EQ(readFixedBytes(record.comments), QByteArray(1023 - start.size(), 'c'));
    EXPECT_EQ(KORALibCountAircraft(), 2);
    EXPECT_EQ(notifier.messages, Messages{warning(QStringLiteral("Line 1 is longer than 1023 "
                                                                 "characters; the rest of the "
                                                                 "line was ignored"))});
}

TEST_F(AircraftImportTest, AnUnreadableFileImportsNothing) {
    EXPECT_EQ(KORALibImportAircraft(QDir::homePath() + QStringLiteral("/missing.csv"), notifier),
              -1);
    EXPECT_EQ(notifier.messages,
              Messages{error(QStringLiteral("Unable to open the specified input file"))});
}

} // namespace
