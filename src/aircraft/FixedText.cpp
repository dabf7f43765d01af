#include "FixedText.h"

bool fitsFixedText(const QString& text, int capacity) {
    if (text.size() > capacity)
        return false;
    for (const QChar c : text) {
        if (c.unicode() == 0 || c.unicode() > 0xff)
            return false;
    }
    return true;
}
