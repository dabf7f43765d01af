#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Number to text, byte for byte as C's printf would write it, but without its cost: the
// engine data files hold over a million numbers per engine. Each function writes at `out`
// (no terminator) and returns the position behind the last character. The caller provides
// the room: the maximum length below plus any width asked for; an integer may use all of
// kMaxIntegerLength as scratch even when its text is shorter.
namespace number_format {

// "-2147483648".
inline constexpr int kMaxIntegerLength = 11;
// "-1.79769e+308"; a float promoted to double needs at most 12.
inline constexpr int kMaxGeneralLength = 13;

// "%d" (and "%hd" for a 16-bit value). Inline: it runs once per time-history sample.
inline char* appendInteger(char* out, int value);
// "%*d": right-aligned in `width`, padded with blanks.
char* appendIntegerRightAligned(char* out, int value, int width);
// "%-*d": left-aligned in `width`, padded with blanks.
char* appendIntegerLeftAligned(char* out, int value, int width);
// "%0*d": padded with zeros after any sign.
char* appendIntegerZeroPadded(char* out, int value, int width);

// "%*g" with the default precision 6, right-aligned in `width`. A float is passed promoted
// to double, as printf receives it. Rounding is exact (round half to even on the exact
// binary value, as glibc does); infinities and NaNs read "inf", "-inf", "nan", "-nan".
char* appendGeneral(char* out, double value, int width);

namespace detail {

inline constexpr char kDigitPairs[] = "00010203040506070809"
                                      "10111213141516171819"
                                      "20212223242526272829"
                                      "30313233343536373839"
                                      "40414243444546474849"
                                      "50515253545556575859"
                                      "60616263646566676869"
                                      "70717273747576777879"
                                      "80818283848586878889"
                                      "90919293949596979899";

char* appendLargeMagnitude(char* out, unsigned magnitude);

} // namespace detail

inline char* appendInteger(char* out, int value) {
    // Without branches on the sign and the digit count, which random samples would
    // mispredict: all five digits are made in one register and the significant ones kept.
    *out = '-';
    out += value < 0 ? 1 : 0;
    const unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    if (std::endian::native != std::endian::little || magnitude >= 100000) [[unlikely]]
        return detail::appendLargeMagnitude(out, magnitude);
    const unsigned rest = magnitude % 10000;
    std::uint16_t middle;
    std::uint16_t low;
    std::memcpy(&middle, detail::kDigitPairs + 2 * (rest / 100), 2);
    std::memcpy(&low, detail::kDigitPairs + 2 * (rest % 100), 2);
    const int count =
        1 + (magnitude >= 10) + (magnitude >= 100) + (magnitude >= 1000) + (magnitude >= 10000);
    // The first character is the lowest byte; shifting drops the leading zeros.
    const std::uint64_t digits = (std::uint64_t('0' + magnitude / 10000) |
                                  std::uint64_t(middle) << 8 | std::uint64_t(low) << 24) >>
                                 (8 * (5 - count));
    // Eight bytes at once; at most 1 + 5 of them count, within kMaxIntegerLength.
    std::memcpy(out, &digits, 8);
    return out + count;
}

} // namespace number_format
