#include "EchoedText.h"

QString echoedText(const QString& text) {
    if (text.size() <= kEchoedTextLength)
        return text;
    return text.left(kEchoedTextLength) + kEchoCutMark;
}
