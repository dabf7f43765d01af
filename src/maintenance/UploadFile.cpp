#include "UploadFile.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr qint64 kReadChunk = 64 * 1024;
constexpr quint64 kLargestWord = 0xFFFFFFFFu;

// The blanks that "%lx" skips before a number.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The reader's state between two characters; a number may span two chunks of the file.
class WordScanner {
public:
    explicit WordScanner(UploadFileReading& result) : result_(result) {}

    // False once reading has ended: at text that is not a number, or at a refused word.
    bool take(char c) {
        const int digit = hexDigit(c);
        switch (state_) {
        case State::Between:
            if (isBlank(c)) {
                countLine(c);
                return true;
            }
            if (digit < 0)
                return false;
            startWord(c, digit);
            return true;
        case State::LeadingZero:
            if (c == 'x' || c == 'X') {
                state_ = State::Prefix;
                keepText(c);
                return true;
            }
            return continueDigits(c, digit);
        case State::Digits:
            return continueDigits(c, digit);
        case State::Prefix:
            if (digit >= 0) {
                state_ = State::Digits;
                addDigit(c, digit);
                return true;
            }
            // "0x" without a digit: the "0" is the number, and the "x" is other text.
            endWord();
            return false;
        }
        return false;
    }

    // The end of the file ends a number in progress.
    void finish() {
        if (state_ != State::Between)
            endWord();
    }

private:
    enum class State { Between, LeadingZero, Prefix, Digits };

    void countLine(char c) {
        if (c == '\n')
            ++line_;
    }

    void startWord(char c, int digit) {
        value_ = 0;
        tooWide_ = false;
        text_.clear();
        wordLine_ = line_;
        state_ = c == '0' ? State::LeadingZero : State::Digits;
        addDigit(c, digit);
    }

    bool continueDigits(char c, int digit) {
        if (digit >= 0) {
            addDigit(c, digit);
            return true;
        }
        if (!endWord() || !isBlank(c))
            return false;
        countLine(c);
        return true;
    }

    void addDigit(char c, int digit) {
        keepText(c);
        // Once too wide the value is not needed any more; it must not wrap either.
        if (!tooWide_) {
            value_ = (value_ << 4) | quint64(digit);
            tooWide_ = value_ > kLargestWord;
        }
    }

    // One character more than is shown, to know whether the text was cut.
    void keepText(char c) {
        if (text_.size() <= kShownWordLength)
            text_.append(c);
    }

    bool endWord() {
        state_ = State::Between;
        if (tooWide_) {
            result_.problem = UploadFileReading::Problem::WordTooWide;
            result_.line = wordLine_;
            result_.wordText = text_.size() > kShownWordLength
                                   ? text_.left(kShownWordLength) + QByteArrayLiteral("...")
                                   : text_;
            return false;
        }
        result_.words.append(quint32(value_));
        return true;
    }

    UploadFileReading& result_;
    State state_ = State::Between;
    quint64 value_ = 0;
    bool tooWide_ = false;
    QByteArray text_;
    int line_ = 1;
    int wordLine_ = 1;
};

} // namespace

UploadFileReading readUploadWords(QIODevice& device) {
    UploadFileReading result;
    WordScanner scanner(result);
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    bool reading = true;
    while (reading) {
        const qint64 count = device.read(chunk.data(), kReadChunk);
        if (count < 0) {
            result.problem = UploadFileReading::Problem::Unreadable;
            result.words.clear();
            return result;
        }
        if (count == 0) {
            scanner.finish();
            break;
        }
        for (qint64 index = 0; index < count && reading; ++index)
            reading = scanner.take(chunk[index]);
    }
    if (result.problem == UploadFileReading::Problem::WordTooWide)
        result.words.clear();
    else if (result.words.isEmpty())
        result.problem = UploadFileReading::Problem::NoWords;
    return result;
}

UploadFileReading readUploadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        UploadFileReading result;
        result.problem = UploadFileReading::Problem::Unreadable;
        return result;
    }
    return readUploadWords(file);
}

int uploadPacketCount(qsizetype wordCount) {
    return int((wordCount + kUploadPacketWords - 1) / kUploadPacketWords);
}

std::array<quint32, kUploadPacketWords> uploadPacket(const QList<quint32>& words, int index) {
    std::array<quint32, kUploadPacketWords> packet{};
    const qsizetype first = qsizetype(index) * kUploadPacketWords;
    if (index >= 0 && first < words.size()) {
        const qsizetype count = std::min<qsizetype>(kUploadPacketWords, words.size() - first);
        std::copy_n(words.constBegin() + first, count, packet.begin());
    }
    return packet;
}
