// Feeds arbitrary bytes to the upload-file reader, as an upload does with a file picked by
// the user, and checks what the upload relies on: words only when the file is sound, a
// bounded text for a refused word or stray text, and packets that hold exactly the words read.
#include "UploadFile.h"

#include <QBuffer>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return 0;
    const UploadFileReading reading = readUploadWords(buffer);
    switch (reading.problem) {
    case UploadFileReading::Problem::None:
        // Every word takes at least one character and a separator.
        if (reading.words.isEmpty() || reading.words.size() > (bytes.size() + 1) / 2)
            std::abort();
        break;
    case UploadFileReading::Problem::WordTooWide:
    case UploadFileReading::Problem::StrayText:
        if (!reading.words.isEmpty() || reading.line < 1 || reading.wordText.isEmpty() ||
            reading.wordText.size() > kShownWordLength + 3 || bytes.count('\n') + 1 < reading.line)
            std::abort();
        return 0;
    case UploadFileReading::Problem::NotText:
        // Only a byte that no text holds makes a buffer "not text".
        if (!reading.words.isEmpty() || std::none_of(bytes.begin(), bytes.end(), [](char c) {
                const auto byte = static_cast<unsigned char>(c);
                return byte == 0x7F || (byte < 0x20 && !std::isspace(byte));
            }))
            std::abort();
        return 0;
    case UploadFileReading::Problem::NoWords:
    case UploadFileReading::Problem::Unreadable:
        if (!reading.words.isEmpty())
            std::abort();
        return 0;
    }
    const int packets = uploadPacketCount(reading.words.size());
    if (qsizetype(packets - 1) * kUploadPacketWords >= reading.words.size() ||
        qsizetype(packets) * kUploadPacketWords < reading.words.size())
        std::abort();
    const auto last = uploadPacket(reading.words, packets - 1);
    const qsizetype inLast = reading.words.size() - qsizetype(packets - 1) * kUploadPacketWords;
    if (last[size_t(inLast - 1)] != reading.words.last())
        std::abort();
    for (qsizetype index = inLast; index < kUploadPacketWords; ++index)
        if (last[size_t(index)] != 0)
            std::abort();
    return 0;
}
