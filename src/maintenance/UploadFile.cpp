#include "UploadFile.h"

#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kReadChunk = 64 * 1024;
constexpr quint64 kLargestWord = 0xFFFFFFFFu;
// A whole word after the point where reading stopped: "0x" and 1 to 8 digits at most.
constexpr int kLongestWholeWord = 10;

// The blanks that "%lx" skips before a number.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// NUL and the other control bytes that no text file of words holds; bytes above 127 may be
// a comment in UTF-8 and pass.
bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 || byte == 0x7F) && !isBlank(c);
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

// A blank-separated token that the reader would have taken whole: an optional "0x" or
// "0X", then 1 to 8 hexadecimal digits and nothing else.
bool isWholeWord(QByteArrayView token) {
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
        token = token.sliced(2);
    return !token.isEmpty() && token.size() <= 8 &&
           std::all_of(token.begin(), token.end(), [](char c) { return hexDigit(c) >= 0; });
}

QByteArray shownText(const QByteArray& text) {
    return text.size() > kShownWordLength ? text.left(kShownWordLength) + QByteArrayLiteral("...")
                                          : text;
}

// The reader's state between two characters; a number may span two chunks of the file.
// Once reading has ended at other text, the rest of the file is still looked at: for bytes
// that no text holds, and for whole words that reading would have left out.
class WordScanner {
public:
    explicit WordScanner(UploadFileReading& result) : result_(result) {}

    // False once the file is known not to be text: nothing after that can change the result.
    bool take(char c) {
        if (isControl(c)) {
            notText_ = true;
            return false;
        }
        switch (state_) {
        case State::Between:
            if (isBlank(c)) {
                countLine(c);
                return true;
            }
            if (hexDigit(c) < 0) {
                stopAt(line_, QByteArray(1, c));
                return true;
            }
            startWord(c, hexDigit(c));
            return true;
        case State::LeadingZero:
            if (c == 'x' || c == 'X') {
                state_ = State::Prefix;
                keepText(c);
                return true;
            }
            continueDigits(c);
            return true;
        case State::Digits:
            continueDigits(c);
            return true;
        case State::Prefix:
            if (hexDigit(c) >= 0) {
                state_ = State::Digits;
                addDigit(c, hexDigit(c));
                return true;
            }
            // "0x" without a digit: the "0" is the number, and the "x" is other text.
            endWord();
            stopAt(wordLine_, text_);
            takeAfterReading(c);
            return true;
        case State::Refused:
            return true;
        case State::StrayToken:
        case State::LaterToken:
            takeAfterReading(c);
            return true;
        }
        return true;
    }

    // The end of the file ends a number or a token in progress, and gives the outcome.
    void finish() {
        switch (state_) {
        case State::LeadingZero:
        case State::Prefix:
        case State::Digits:
            endWord();
            break;
        case State::LaterToken:
            endLaterToken();
            break;
        default:
            break;
        }
        if (notText_)
            result_.problem = UploadFileReading::Problem::NotText;
        else if (strayFollowed_)
            result_.problem = UploadFileReading::Problem::StrayText;
        else if (result_.problem == UploadFileReading::Problem::None && result_.words.isEmpty())
            result_.problem = UploadFileReading::Problem::NoWords;
        if (result_.problem == UploadFileReading::Problem::StrayText) {
            result_.line = strayLine_;
            result_.wordText = shownText(strayText_);
        } else if (result_.problem != UploadFileReading::Problem::WordTooWide) {
            result_.line = 0;
            result_.wordText.clear();
        }
        // A refused file keeps no words, nor the memory they took: assigning an empty list
        // frees it, where clear() would keep it for words that never come.
        if (result_.problem != UploadFileReading::Problem::None)
            result_.words = {};
    }

private:
    enum class State {
        Between,
        LeadingZero,
        Prefix,
        Digits,
        Refused,    // a word too wide: the file is refused, only its bytes are still looked at
        StrayToken, // in the token where reading stopped
        LaterToken, // in a token after it
    };

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

    void continueDigits(char c) {
        const int digit = hexDigit(c);
        if (digit >= 0) {
            addDigit(c, digit);
            return;
        }
        if (!endWord())
            return;
        if (isBlank(c)) {
            countLine(c);
            return;
        }
        // Text stuck to a word, as in "12g": the word is read, and the token is "12g".
        keepText(c);
        stopAt(wordLine_, text_);
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
            state_ = State::Refused;
            result_.problem = UploadFileReading::Problem::WordTooWide;
            result_.line = wordLine_;
            result_.wordText = shownText(text_);
            return false;
        }
        result_.words.append(quint32(value_));
        return true;
    }

    // Reading has ended at the token that begins with `text`, on `line`.
    void stopAt(int line, const QByteArray& text) {
        state_ = State::StrayToken;
        strayLine_ = line;
        strayText_ = text;
    }

    void takeAfterReading(char c) {
        if (isBlank(c)) {
            if (state_ == State::LaterToken)
                endLaterToken();
            state_ = State::LaterToken;
            laterToken_.clear();
            countLine(c);
            return;
        }
        if (state_ == State::StrayToken) {
            if (strayText_.size() <= kShownWordLength)
                strayText_.append(c);
        } else if (laterToken_.size() <= kLongestWholeWord) {
            laterToken_.append(c);
        }
    }

    void endLaterToken() {
        if (isWholeWord(laterToken_))
            strayFollowed_ = true;
        laterToken_.clear();
    }

    UploadFileReading& result_;
    State state_ = State::Between;
    quint64 value_ = 0;
    bool tooWide_ = false;
    QByteArray text_;
    int line_ = 1;
    int wordLine_ = 1;
    bool notText_ = false;
    int strayLine_ = 0;
    QByteArray strayText_;
    // One character more than a whole word takes, so that a longer token is not one.
    QByteArray laterToken_;
    bool strayFollowed_ = false;
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
            result.words = {};
            return result;
        }
        if (count == 0)
            break;
        for (qint64 index = 0; index < count && reading; ++index)
            reading = scanner.take(chunk[index]);
    }
    scanner.finish();
    return result;
}

UploadFileReading readUploadFile(const QString& path) {
    UploadFileReading result;
    result.problem = UploadFileReading::Problem::Unreadable;
    // Non-blocking, so that a FIFO put in place of a file cannot hang the open; the type is
    // then taken from what was opened, not from the name.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return result;
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(descriptor);
        result.problem = UploadFileReading::Problem::NotText;
        return result;
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
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
