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
    static RecordingNotifier::Message notice(const char* text) {
        return {QStringLiteral("information"), QStringLiteral(" Thalvex "),
                QString::fromLatin1(text)};
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

TEST_F(AircraftImportTest, FieldsALineLacksComeFromTheLineImportedBeforeIt) {
    ASSERT_EQ(import("N1, SHOP, T1, S1, D1, T2, S2, D2, Some comments\r\n"
                     "N2,SHOP2,T3,S3,2020-01-01\r\n"
                     "a/b,NOSHOP,X,X,X,X,X,X,refused line\n"
                     "N3\n"
                     "N4,,T4\n"),
              4);
    QByteArray full = zeroRecordWith("N1");
    full.replace(17, 4, "SHOP").replace(28, 2, "T1").replace(45, 2, "S1").replace(56, 2, "D1");
    full.replace(339, 2, "T2").replace(356, 2, "S2").replace(367, 2, "D2");
    full.replace(650, 13, "Some comments");
    EXPECT_EQ(stored("N1"), full);

    // Engine 2 and the comments are those of N1.
    QByteArray five = QByteArray(full).replace(0, 2, "N2");
    five.replace(17, 5, "SHOP2")
        .replace(28, 2, "T3")
        .replace(45, 2, "S3")
        .replace(56, 10, "2020-01-01");
    EXPECT_EQ(stored("N2"), five);
    // The refused line passes nothing on.
    EXPECT_EQ(stored("N3"), QByteArray(five).replace(0, 2, "N3"));
    // An empty field is a field: it empties the shop.
    QByteArray emptied = QByteArray(five).replace(0, 2, "N4").replace(17, 5, QByteArray(5, '\0'));
    EXPECT_EQ(stored("N4"), emptied.replace(28, 2, "T4"));

    EXPECT_EQ(value(kLastAircraftKey).toString(), QStringLiteral("N4"));
    EXPECT_TRUE(QFileInfo(dataDirectory + QStringLiteral("/N3_data/engine_2")).isDir());
    EXPECT_EQ(notifier.messages.last(), notice("Imported 4 aircraft: 4 added, 0 replaced"));
}

TEST_F(AircraftImportTest, OneNoticeCountsAddedAndReplacedAndNamesEveryRepeatedId) {
    for (const char* id : {"R1", "R2", "KEPT"})
        ASSERT_TRUE(KORALibWriteAircraft(QString::fromLatin1(id), AircraftRecord()));
    ASSERT_EQ(import("A1,first\nR2\na1,second\nr1\n# note\nB1\nA1,third\nR2\n"), 4);
    EXPECT_EQ(readFixedBytes(KORALibReadAircraft(QStringLiteral("A1")).shopId), "third");
    EXPECT_EQ(notifier.messages,
              Messages{notice("Imported 4 aircraft: 2 added, 2 replaced\n"
                              "Replaced: R2, R1\n"
                              "A1 appears on lines 1, 3 and 7; the last is kept\n"
                              "R2 appears on lines 2 and 8; the last is kept")});
}

TEST_F(AircraftImportTest, LongListsInTheNoticeAreCutAt200Characters) {
    QByteArray lines;
    for (int n = 0; n < 30; ++n) {
        const QString id = QStringLiteral("AC%1").arg(n, 7, 10, QLatin1Char('0'));
        ASSERT_TRUE(KORALibWriteAircraft(id, AircraftRecord()));
        lines += id.toLatin1() + '\n';
    }
    for (int n = 31; n <= 100; ++n)
        lines += "DUP\n";
    ASSERT_EQ(import(lines), 31);
    const QStringList notice = notifier.messages.last().text.split(QLatin1Char('\n'));
    ASSERT_EQ(notice.size(), 3);
    // 30 identifiers of 9 characters and their separators make 328 characters; 18 of them
    // and the next one's first two characters are kept.
    EXPECT_EQ(notice[1].size(), QStringLiteral("Replaced: ").size() + 200 + 3);
    EXPECT_TRUE(notice[1].startsWith(QStringLiteral("Replaced: AC0000000, AC0000001, ")));
    EXPECT_TRUE(notice[1].endsWith(QStringLiteral(", AC0000017, AC...")));
    // The list of lines 31 to 100 is cut after "80, ".
    QStringList kept;
    for (int line = 31; line <= 80; ++line)
        kept.append(QString::number(line));
    EXPECT_EQ(notice[2], QStringLiteral("DUP appears on lines %1, ...; the last is kept")
                             .arg(kept.join(QStringLiteral(", "))));
}

TEST_F(AircraftImportTest, SkippedLinesProduceNoRecordAndOnlyAMissingIdIsReported) {
    ASSERT_EQ(import("# header\n\n\r\n   , SHOP\n,x\nN1\n"), 1);
    EXPECT_EQ(KORALibListAircraft().items, QStringList{"N1"});
    EXPECT_EQ(notifier.messages,
              (Messages{warning(QStringLiteral("Line 4: no aircraft ID; the line was skipped")),
                        warning(QStringLiteral("Line 5: no aircraft ID; the line was skipped")),
                        notice("Imported 1 aircraft: 1 added, 0 replaced")}));
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
                                         "the data directory; the line was skipped")),
                  notice("Imported 1 aircraft: 1 added, 0 replaced")}));
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
    EXPECT_EQ(notifier.messages,
              (Messages{warning(QStringLiteral("Line 1 is longer than 1023 characters; the rest "
                                               "of the line was ignored")),
                        notice("Imported 2 aircraft: 2 added, 0 replaced")}));
}

TEST_F(AircraftImportTest, AnUnreadableFileImportsNothing) {
    EXPECT_EQ(KORALibImportAircraft(QDir::homePath() + QStringLiteral("/missing.csv"), notifier),
              -1);
    EXPECT_EQ(notifier.messages,
              Messages{error(QStringLiteral("Unable to open the specified input file"))});
}

} // namespace
