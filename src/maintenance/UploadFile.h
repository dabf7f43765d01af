#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

class QIODevice;

// An upload file is text of whitespace-separated hexadecimal numbers, one 32-bit word each,
// read the way "%lx" reads them: an optional "0x" or "0X", then as many hexadecimal digits
// as follow. Reading ends at the end of the file or at the first text that is not such a
// number, so comments or junk after the last word are allowed; but when a whole word
// follows that text, the text is a stray character inside the image and the file is
// refused, since the words after it would silently be left out.

inline constexpr int kUploadPacketWords = 1280;
inline constexpr int kUploadPacketBytes = kUploadPacketWords * 4;

// The words of a file, or why it cannot be uploaded. The whole file is read before the
// first packet goes out: a 4 MiB image is small, and nothing can then vanish or fail to
// read halfway through an upload.
struct UploadFileReading {
    enum class Problem {
        None,
        Unreadable,  // the file cannot be opened, or a read fails
        NotText,     // not a regular file, or a byte that no text file holds (NUL, control)
        NoWords,     // not one word before the end or the first other text
        WordTooWide, // a number above 0xFFFFFFFF: it would be cut, so the file is refused
        StrayText,   // reading stopped at text that a whole word of 1 to 8 digits follows
    };

    Problem problem = Problem::None;
    QList<quint32> words;
    // WordTooWide: the line (from 1) and the number as written; StrayText: the line and the
    // blank-separated text where reading stopped. Cut to kShownWordLength characters with
    // "..." after them.
    int line = 0;
    QByteArray wordText;
};

// Longest text of a refused word that a message repeats.
inline constexpr int kShownWordLength = 24;

// Reads all words of `device` (opened for reading) from its current position.
UploadFileReading readUploadWords(QIODevice& device);
// Opens and reads the file at `path`. Anything but a regular file (a FIFO, a device) is
// refused as NotText before it is read, and opening never waits on a FIFO's writer.
UploadFileReading readUploadFile(const QString& path);

// How many packets `wordCount` words take: 1280 words each, the last one zero-filled.
int uploadPacketCount(qsizetype wordCount);
// Packet `index` (from 0) of `words`: words index * 1280 onward, zero where they run out.
std::array<quint32, kUploadPacketWords> uploadPacket(const QList<quint32>& words, int index);
