// Reading upload files the way "%lx" reads them, and cutting the words into packets.
#include "UploadFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Problem = UploadFileReading::Problem;

UploadFileReading readText(const QByteArray& text) {
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    EXPECT_TRUE(buffer.open(QIODevice::ReadOnly));
    return readUploadWords(buffer);
}

struct ReadingCase {
    const char* name;
    QByteArray text;
    Problem problem;
    QList<quint32> words;
    int line = 0;
    QByteArray wordText;
};

void PrintTo(const ReadingCase& c, std::ostream* out) {
    *out << c.name;
}

const ReadingCase kReadingCases[] = {
    {"BlankSeparatedWordsOfAnyCase",
     "1 aBcD\tFFFFFFFF\r\n0\n",
     Problem::None,
     {1, 0xABCD, 0xFFFFFFFF, 0},
     0,
     {}},
    {"HexPrefixes", "0x10 0X20 010", Problem::None, {0x10, 0x20, 0x10}, 0, {}},
    {"LeadingZerosDoNotMakeAWordWide", "000000000000DEADBEEF", Problem::None, {0xDEADBEEF}, 0, {}},
    {"JunkAfterTheWordsEndsReading", "1 2\n# checksum\n", Problem::None, {1, 2}, 0, {}},
    {"JunkRightAfterDigitsEndsReadingAfterTheWord", "12g", Problem::None, {0x12}, 0, {}},
    {"PrefixWithoutDigitsIsAZero", "5 0xg", Problem::None, {5, 0}, 0, {}},
    {"SignIsNotAWord", "7 -1", Problem::None, {7}, 0, {}},
    {"WordAtTheVeryEnd", "\n\n  c0ffee", Problem::None, {0xC0FFEE}, 0, {}},
    {"EmptyFile", "", Problem::NoWords, {}, 0, {}},
    {"BlanksOnly", " \n\t\n", Problem::NoWords, {}, 0, {}},
    {"FirstTextNotHexadecimal", "; image v2\n", Problem::NoWords, {}, 0, {}},
    {"ThirtyThreeBitWord", "1\n2\n  1FFFFFFFF 3", Problem::WordTooWide, {}, 3, "1FFFFFFFF"},
    {"WideWordWithPrefix", "0x100000000", Problem::WordTooWide, {}, 1, "0x100000000"},
    {"WideWordAtTheEndOfTheFile", "1 123456789", Problem::WordTooWide, {}, 1, "123456789"},
    {"LongWideWordIsCutInTheMessage",
     QByteArray(100, 'f'),
     Problem::WordTooWide,
     {},
     1,
     QByteArray(kShownWordLength, 'f') + "..."},
    // A wide word after the junk is never read.
    {"WideWordAfterJunkIsNotRead", "1 x 123456789", Problem::None, {1}, 0, {}},

    // Text where reading stops, followed by whole words that would be left out.
    {"WordsAfterACommentLine", "1 2\n# checksum 3\n4", Problem::StrayText, {}, 2, "#"},
    {"WordsAfterTextStuckToAWord", "12g 34", Problem::StrayText, {}, 1, "12g"},
    {"WordsAfterAPrefixWithoutDigits", "5 0xg 6", Problem::StrayText, {}, 1, "0xg"},
    {"WordsAfterASign", "7 -1 8", Problem::StrayText, {}, 1, "-1"},
    {"WordsAfterAHeaderLine", "; image v2\n1 2 3", Problem::StrayText, {}, 1, ";"},
    {"StrayCharacterMidImage", "1 2\n\n3 ,4 5\n6", Problem::StrayText, {}, 3, ",4"},
    {"PrefixedWordLater", "1 z\n\n0XaB", Problem::StrayText, {}, 1, "z"},
    // Neither a bare prefix, nor nine digits, nor digits stuck to text are whole words.
    {"TextWithoutWholeWordsAfterTheImage",
     "1 2\n# end of image v2.1, 0x 123456789 ab; \xc3\xa9\n",
     Problem::None,
     {1, 2},
     0,
     {}},

    // Bytes that no text file holds, wherever they are.
    {"BinaryAfterTextThatLooksLikeAWord",
     QByteArray("abc\0\0\x01\x02", 7),
     Problem::NotText,
     {},
     0,
     {}},
    {"ControlByteBetweenWords", "1 2\x01 3", Problem::NotText, {}, 0, {}},
    {"NulAfterAWideWord", QByteArray("123456789 \0", 11), Problem::NotText, {}, 0, {}},
};

class ReadingUploadText : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadingUploadText, GivesTheWordsOrTheProblem) {
    const ReadingCase& c = GetParam();
    const UploadFileReading reading = readText(c.text);
    EXPECT_EQ(reading.problem, c.problem);
    EXPECT_EQ(reading.words, c.words);
    if (c.problem != Problem::None) {
        EXPECT_EQ(reading.words.capacity(), 0) << "a refused file keeps the words' memory";
    }
    EXPECT_EQ(reading.line, c.line);
    EXPECT_EQ(reading.wordText, c.wordText);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadingUploadText, ::testing::ValuesIn(kReadingCases),
                         [](const ::testing::TestParamInfo<ReadingCase>& info) {
                             return std::string(info.param.name);
                         });

// The reader takes the file in pieces; a word split between two of them is one word.
TEST(ReadingUploadFile, WordsAcrossReadChunksAndMissingFiles) {
    QByteArray text;
    QList<quint32> expected;
    for (quint32 word = 0; text.size() < 200 * 1024; ++word) {
        text += QByteArray::number(word * 2654435761u, 16) + (word % 7 ? " " : "\n");
        expected.append(word * 2654435761u);
    }
    const QString path = QDir::homePath() + QStringLiteral("/image.dat");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    const UploadFileReading reading = readUploadFile(path);
    EXPECT_EQ(reading.problem, Problem::None);
    EXPECT_TRUE(reading.words == expected);

    EXPECT_EQ(readUploadFile(QDir::homePath() + QStringLiteral("/missing.dat")).problem,
              Problem::Unreadable);
    EXPECT_EQ(readUploadFile(QDir::homePath()).problem, Problem::Unreadable);
}

QList<quint32> countingWords(int count) {
    QList<quint32> words(count);
    for (int i = 0; i < count; ++i)
        words[i] = quint32(i + 1);
    return words;
}

TEST(UploadPackets, FullPacketsThenAZeroFilledLastOne) {
    const struct {
        int words;
        int packets;
        int wordsInLast;
    } cases[] = {{1, 1, 1}, {1280, 1, 1280}, {1281, 2, 1}, {2560, 2, 1280}, {2561, 3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        const QList<quint32> words = countingWords(c.words);
        ASSERT_EQ(uploadPacketCount(words.size()), c.packets);
        for (int index = 0; index < c.packets; ++index) {
            const auto packet = uploadPacket(words, index);
            const int used = index + 1 < c.packets ? kUploadPacketWords : c.wordsInLast;
            EXPECT_EQ(packet[0], quint32(index * kUploadPacketWords + 1));
            EXPECT_EQ(packet[used - 1], quint32(index * kUploadPacketWords + used));
            EXPECT_TRUE(std::all_of(packet.begin() + used, packet.end(),
                                    [](quint32 word) { return word == 0; }));
        }
    }
    EXPECT_EQ(uploadPacketCount(0), 0);
}

} // namespace
