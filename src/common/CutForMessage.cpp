#include "CutForMessage.h"

QString cutForMessage(const QString& text) {
    if (text.size() <= kMessageEchoLimit)
        return text;
    int length = kMessageEchoLimit;
    // Half of a character written as two code units would show as garbage.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length) + QStringLiteral("...");
}
