#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace number_format {

namespace {

using detail::kDigitPairs;

int digitCount(unsigned value) {
    int count = 1;
    for (;;) {
        if (value < 10)
            return count;
        if (value < 100)
            return count + 1;
        if (value < 1000)
            return count + 2;
        if (value < 10000)
            return count + 3;
        value /= 10000;
        count += 4;
    }
}

// Writes the `digits` decimal digits of `value` (digitCount) at `out`, two at a time from
// the end.
char* appendDigits(char* out, unsigned value, int digits) {
    char* end = out + digits;
    char* at = end;
    while (value >= 100) {
        const unsigned pair = (value % 100) * 2;
        value /= 100;
        *--at = kDigitPairs[pair + 1];
        *--at = kDigitPairs[pair];
    }
    if (value >= 10) {
        *--at = kDigitPairs[value * 2 + 1];
        *--at = kDigitPairs[value * 2];
    } else {
        *--at = char('0' + value);
    }
    return end;
}

// Unsigned arithmetic keeps the magnitude of INT_MIN representable.
unsigned magnitudeOf(int value) {
    return value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
}

char* appendBlanks(char* out, int count) {
    if (count <= 0)
        return out;
    std::memset(out, ' ', static_cast<size_t>(count));
    return out + count;
}

char* appendText(char* out, const char* text, int length) {
    std::memcpy(out, text, static_cast<size_t>(length));
    return out + length;
}

// "%g" without a width into `out`, which holds at least kMaxGeneralLength characters.
char* writeGeneral(char* out, double value) {
    if (std::isnan(value))
        return std::signbit(value) ? appendText(out, "-nan", 4) : appendText(out, "nan", 3);
    if (std::isinf(value))
        return value < 0 ? appendText(out, "-inf", 4) : appendText(out, "inf", 3);
    if (value == 0)
        return std::signbit(value) ? appendText(out, "-0", 2) : appendText(out, "0", 1);

    // The six significant digits, rounded exactly, and the decimal exponent X of the value
    // so rounded; %g then picks the fixed or the exponent form by X.
    char scientific[32];
    const std::to_chars_result result = std::to_chars(scientific, scientific + sizeof scientific,
                                                      value, std::chars_format::scientific, 5);
    const char* at = scientific;
    if (*at == '-') {
        *out++ = '-';
        ++at;
    }
    char digits[6];
    digits[0] = at[0];
    std::memcpy(digits + 1, at + 2, 5); // behind "d."
    at += 7;                            // now at 'e'
    const bool negativeExponent = at[1] == '-';
    int exponent = 0;
    for (const char* e = at + 2; e < result.ptr; ++e)
        exponent = exponent * 10 + (*e - '0');
    if (negativeExponent)
        exponent = -exponent;

    int significant = 6;
    while (significant > 1 && digits[significant - 1] == '0')
        --significant;

    if (exponent < -4 || exponent >= 6) {
        *out++ = digits[0];
        if (significant > 1) {
            *out++ = '.';
            out = appendText(out, digits + 1, significant - 1);
        }
        *out++ = 'e';
        *out++ = negativeExponent ? '-' : '+';
        // At least two exponent digits.
        const unsigned magnitude = magnitudeOf(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return appendDigits(out, magnitude, digitCount(magnitude));
    }
    if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        out = appendText(out, digits, integerDigits);
        if (significant > integerDigits) {
            *out++ = '.';
            out = appendText(out, digits + integerDigits, significant - integerDigits);
        }
        return out;
    }
    *out++ = '0';
    *out++ = '.';
    for (int zero = -1; zero > exponent; --zero)
        *out++ = '0';
    return appendText(out, digits, significant);
}

} // namespace

char* detail::appendLargeMagnitude(char* out, unsigned magnitude) {
    return appendDigits(out, magnitude, digitCount(magnitude));
}

char* appendIntegerRightAligned(char* out, int value, int width) {
    const unsigned magnitude = magnitudeOf(value);
    const int digits = digitCount(magnitude);
    out = appendBlanks(out, width - digits - (value < 0 ? 1 : 0));
    if (value < 0)
        *out++ = '-';
    return appendDigits(out, magnitude, digits);
}

char* appendIntegerLeftAligned(char* out, int value, int width) {
    char* start = out;
    out = appendInteger(out, value);
    return appendBlanks(out, width - int(out - start));
}

char* appendIntegerZeroPadded(char* out, int value, int width) {
    const unsigned magnitude = magnitudeOf(value);
    const int digits = digitCount(magnitude);
    if (value < 0)
        *out++ = '-';
    const int zeros = width - digits - (value < 0 ? 1 : 0);
    if (zeros > 0) {
        std::memset(out, '0', static_cast<size_t>(zeros));
        out += zeros;
    }
    return appendDigits(out, magnitude, digits);
}

char* appendGeneral(char* out, double value, int width) {
    char text[kMaxGeneralLength];
    const int length = int(writeGeneral(text, value) - text);
    out = appendBlanks(out, width - length);
    return appendText(out, text, length);
}

} // namespace number_format
