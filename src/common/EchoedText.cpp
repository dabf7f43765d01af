#include "EchoedText.h"

QString echoedText(const QString& text) {
    if (text.size() <= kEchoedTextLength)
        return text;
    int length = kEchoedTextLength;
    // Half of a character written as two code units would show as garbage.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length) + kEchoCutMark;
}
