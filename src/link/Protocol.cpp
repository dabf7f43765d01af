#include "Protocol.h"

#include "CommunicationLog.h"
#include "LinkLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

// Both sides of the conversion go through buffers of this size, so a response of some
// megabytes costs a few dozen system calls rather than one per block.
constexpr qint64 kBufferSize = 256 * 1024;

constexpr int kStatusError = 4;

quint32 readBigEndianWord(const char* bytes) {
    return qFromBigEndian<quint32>(bytes);
}

void putLittleEndianWord(char* bytes, quint32 value) {
    qToLittleEndian<quint32>(value, bytes);
}

int elementWidth(quint32 type) {
    return type == 1 ? 2 : (type == 2 || type == 3) ? 4 : 1;
}

// The raw response, read ahead in large pieces. Gives the device back in the state the
// caller handed it over.
class RawResponseReader {
public:
    explicit RawResponseReader(QIODevice& device)
        : device_(device), buffer_(std::make_unique<char[]>(kBufferSize)) {}
    ~RawResponseReader() {
        if (openedHere_)
            device_.close();
    }

    bool rewind() {
        if (device_.isOpen() && !device_.isReadable())
            device_.close();
        if (!device_.isOpen()) {
            if (!device_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                return false;
            openedHere_ = true;
        }
        return device_.isSequential() || device_.seek(0);
    }

    // Makes at least `count` (at most kBufferSize) bytes available; false when the
    // response ends first. A staged response is complete, so running dry means the unit
    // sent less than it announced.
    bool ensure(qint64 count) {
        if (end_ - begin_ >= count)
            return true;
        if (begin_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + begin_, size_t(end_ - begin_));
            end_ -= begin_;
            begin_ = 0;
        }
        while (end_ < count) {
            const qint64 got = device_.read(buffer_.get() + end_, kBufferSize - end_);
            if (got <= 0)
                return false;
            end_ += got;
        }
        return true;
    }

    qint64 available() const { return end_ - begin_; }
    const char* data() const { return buffer_.get() + begin_; }
    void consume(qint64 count) { begin_ += count; }

private:
    QIODevice& device_;
    std::unique_ptr<char[]> buffer_;
    qint64 begin_ = 0;
    qint64 end_ = 0;
    bool openedHere_ = false;
};

// The response file while it is being written. It is removed again, and the name
// cleared, unless the conversion reaches its end.
class ResponseFileWriter {
public:
    explicit ResponseFileWriter(QString& name)
        : name_(name), file_(name), buffer_(std::make_unique<char[]>(kBufferSize)) {}
    ~ResponseFileWriter() {
        if (!committed_)
            discard();
    }

    bool open() {
        return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    }

    qint64 space() const { return kBufferSize - used_; }
    // Room for `count` more bytes, flushing first when needed.
    char* reserve(qint64 count) {
        if (space() < count && !flush())
            return nullptr;
        return buffer_.get() + used_;
    }
    void commitBytes(qint64 count) { used_ += count; }

    bool flush() {
        if (used_ > 0 && file_.write(buffer_.get(), used_) != used_) {
            reportWriteError();
            return false;
        }
        used_ = 0;
        return true;
    }

    bool finish() {
        if (!flush())
            return false;
        file_.close();
        if (file_.error() != QFileDevice::NoError) {
            reportWriteError();
            return false;
        }
        committed_ = true;
        return true;
    }

    // Keeps the name set for the worker to clean up; used when the file never opened.
    void abandon() { committed_ = true; }

private:
    void reportWriteError() {
        qCWarning(lcLink).noquote() << "cannot write" << name_ << ":" << file_.errorString();
    }
    void discard() {
        file_.close();
        file_.remove();
        name_.clear();
    }

    QString& name_;
    QFile file_;
    std::unique_ptr<char[]> buffer_;
    qint64 used_ = 0;
    bool committed_ = false;
};

void reportEndedEarly(const char* where) {
    qCWarning(lcLink, "response ended early (%s)", where);
}

// Copies `count` bytes of block data from the raw response to the response file,
// converting whole elements on the way. Every piece handed on ends on an element boundary
// counted from the block's start, except the block's own trailing bytes.
bool convertBlockData(RawResponseReader& input, ResponseFileWriter& output, quint32 count,
                      quint32 type) {
    const int width = elementWidth(type);
    qint64 remaining = count;
    while (remaining > 0) {
        const qint64 smallest = qMin<qint64>(width, remaining);
        if (!input.ensure(smallest)) {
            reportEndedEarly("block data");
            return false;
        }
        char* target = output.reserve(smallest);
        if (target == nullptr)
            return false;
        qint64 piece = qMin(qMin(input.available(), remaining), output.space());
        if (piece < remaining)
            piece -= piece % width;
        std::memcpy(target, input.data(), size_t(piece));
        swapElements(target, quint32(piece), type);
        input.consume(piece);
        output.commitBytes(piece);
        remaining -= piece;
    }
    return true;
}

} // namespace

bool buildCommand(unsigned char* commandBuffer, const quint32* payload, int payloadLength,
                  quint32 code) {
    if (commandBuffer == nullptr || payloadLength < 0 || payloadLength % 4 != 0 ||
        payloadLength > kMaxPayloadLength || (payloadLength > 0 && payload == nullptr))
        return false;

    const int payloadWords = payloadLength / 4;
    const quint32 length = static_cast<quint32>(payloadLength + kCommandHeaderSize);

    if (lcLink().isDebugEnabled()) {
        QString line =
            QStringLiteral("cmd: %1 %2 ").arg(QString::number(length), QString::number(code));
        for (int i = 0; i < payloadWords; ++i)
            line += QString::number(payload[i]) + QLatin1Char(' ');
        qCDebug(lcLink).noquote() << line;
    }

    qToBigEndian<quint32>(length, commandBuffer);
    qToBigEndian<quint32>(code, commandBuffer + 4);
    for (int i = 0; i < payloadWords; ++i)
        qToBigEndian<quint32>(payload[i], commandBuffer + kCommandHeaderSize + 4 * i);
    return true;
}

QString responseFilePath() {
    return QDir::homePath() + QStringLiteral("/ZELK-") +
           QString::number(QCoreApplication::applicationPid());
}

void swapElements(char* data, quint32 byteCount, quint32 type) {
    if (type == 1) {
        const quint32 count = byteCount / 2;
        for (quint32 i = 0; i < count; ++i) {
            char* element = data + 2 * i;
            qToUnaligned(qFromBigEndian<quint16>(element), element);
        }
    } else if (type == 2 || type == 3) {
        const quint32 count = byteCount / 4;
        for (quint32 i = 0; i < count; ++i) {
            char* element = data + 4 * i;
            qToUnaligned(qFromBigEndian<quint32>(element), element);
        }
    }
}

int parseResponse(QString& responseFile, QIODevice& rawResponse, quint32 declaredSize,
                  const ResponseLayout& expected) {
    // Bounded before anything is allocated, and nothing shorter than the header is a
    // response; neither is worth a log record of its own (the worker logs the failure).
    if (declaredSize > kMaxDeclaredSize || declaredSize < quint32(kResponseHeaderSize)) {
        qCWarning(lcLink, "invalid response size %u", declaredSize);
        responseFile.clear();
        return -1;
    }
    RawResponseReader input(rawResponse);
    if (!input.rewind()) {
        responseFile.clear();
        return -1;
    }

    responseFile = responseFilePath();
    ResponseFileWriter output(responseFile);
    if (!output.open()) {
        output.abandon();
        return -1;
    }

    if (!input.ensure(kResponseHeaderSize)) {
        reportEndedEarly("header");
        return -1;
    }
    const quint32 size = readBigEndianWord(input.data());
    const quint32 ack = readBigEndianWord(input.data() + 4);
    const quint32 blockNb = readBigEndianWord(input.data() + 8);
    input.consume(kResponseHeaderSize);
    char* header = output.reserve(kResponseHeaderSize);
    if (header == nullptr)
        return -1;
    putLittleEndianWord(header, size);
    putLittleEndianWord(header + 4, ack);
    putLittleEndianWord(header + 8, blockNb);
    output.commitBytes(kResponseHeaderSize);
    qCDebug(lcLink, "resp.size = %d", int(size));
    qCDebug(lcLink, "resp.ack = %d", int(ack));
    qCDebug(lcLink, "resp.blockNb = %d", int(blockNb));

    if (ack != 0) {
        const QString text = kUnitReturnedErrorText.arg(ack);
        logStatus(text, kStatusError);
        qCCritical(lcLink).noquote() << text;
        return -1;
    }
    if (!expected.acceptsSize(declaredSize)) {
        qCWarning(lcLink, "a response of %u bytes does not answer this command", declaredSize);
        return kResponseDoesNotFit;
    }

    quint32 consumed = kResponseHeaderSize;
    for (int index = 0; consumed < declaredSize; ++index) {
        if (declaredSize - consumed < quint32(kBlockHeaderSize)) {
            reportEndedEarly("block header past the declared size");
            return -1;
        }
        if (!input.ensure(kBlockHeaderSize)) {
            reportEndedEarly("block header");
            return -1;
        }
        const quint32 type = readBigEndianWord(input.data());
        const quint32 byteCount = readBigEndianWord(input.data() + 4);
        input.consume(kBlockHeaderSize);
        consumed += kBlockHeaderSize;

        if (type > 3) {
            logStatus(kInvalidBlockTypeText, kStatusError);
            return -1;
        }
        if (byteCount > kMaxDeclaredSize) {
            logStatus(kInvalidByteCountText, kStatusError);
            return -1;
        }
        if (byteCount > declaredSize - consumed) {
            reportEndedEarly("block data past the declared size");
            return -1;
        }
        if (!expected.acceptsBlock(index, type, byteCount)) {
            qCWarning(lcLink, "block %d (type %u, %u bytes) does not answer this command", index,
                      type, byteCount);
            return kResponseDoesNotFit;
        }
        char* blockHeader = output.reserve(kBlockHeaderSize);
        if (blockHeader == nullptr)
            return -1;
        putLittleEndianWord(blockHeader, type);
        putLittleEndianWord(blockHeader + 4, byteCount);
        output.commitBytes(kBlockHeaderSize);

        if (!convertBlockData(input, output, byteCount, type))
            return -1;
        consumed += byteCount;
    }

    // A response file that could not be written completely is no response at all.
    return output.finish() ? 0 : -1;
}
