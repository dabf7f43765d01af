// The fast formatter must write exactly what C's printf writes, byte for byte: glibc's
// snprintf is the reference for every value below.
#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace number_format;

namespace {

std::string general(double value, int width) {
    char text[64];
    return std::string(text, appendGeneral(text, value, width));
}

std::string printed(const char* format, auto... arguments) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, arguments...);
    return std::string(text, size_t(length));
}

// SplitMix64: a fixed sequence, so a failure can be reproduced.
struct BitSource {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

// Counts the values whose "%12g" differs from snprintf's and reports the first few.
class GeneralChecker {
public:
    void check(double value) {
        char ours[64];
        char reference[64];
        const int ourLength = int(appendGeneral(ours, value, 12) - ours);
        const int referenceLength = std::snprintf(reference, sizeof reference, "%12g", value);
        if (ourLength == referenceLength && std::memcmp(ours, reference, size_t(ourLength)) == 0)
            return;
        if (++mismatches_ <= 10)
            ADD_FAILURE() << "value " << printed("%.17g", value) << " (bits 0x" << std::hex
                          << std::bit_cast<std::uint64_t>(value) << std::dec << "): ours \""
                          << std::string(ours, size_t(ourLength)) << "\", printf \"" << reference
                          << "\"";
    }
    void checkFloat(float value) { check(double(value)); }
    int mismatches() const { return mismatches_; }

private:
    int mismatches_ = 0;
};

const std::vector<int> kIntegerEdges = {
    INT_MIN,   INT_MIN + 1, -1000000000, -999999999, -100000,  -99999,   -1000,  -999,   -100,
    -99,       -10,         -9,          -1,         0,        1,        9,      10,     99,
    100,       999,         1000,        9999,       10000,    99999,    100000, 999999, 1000000,
    999999999, 1000000000,  INT_MAX - 1, INT_MAX,    SHRT_MIN, SHRT_MAX, 65536,  -65536, 123456789};

TEST(IntegerFormat, EverySixteenBitValueMatchesPrintf) {
    int mismatches = 0;
    for (int value = SHRT_MIN; value <= SHRT_MAX; ++value) {
        const std::string reference = printed("%hd", short(value));
        char ours[16];
        const std::string text(ours, appendInteger(ours, value));
        if (text != reference && ++mismatches <= 10)
            ADD_FAILURE() << value << ": \"" << text << "\" instead of \"" << reference << "\"";
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(IntegerFormat, WidthsAndEdgeValuesMatchPrintf) {
    std::vector<int> values = kIntegerEdges;
    BitSource bits{7};
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t random = bits.next();
        // Every magnitude from one digit to ten.
        values.push_back(int(std::int32_t(random)) >> int(random >> 59));
    }
    for (const int value : values) {
        char text[64];
        EXPECT_EQ(std::string(text, appendInteger(text, value)), printed("%d", value));
        EXPECT_EQ(std::string(text, appendIntegerRightAligned(text, value, 3)),
                  printed("%3d", value));
        EXPECT_EQ(std::string(text, appendIntegerLeftAligned(text, value, 6)),
                  printed("%-6d", value));
        EXPECT_EQ(std::string(text, appendIntegerZeroPadded(text, value, 2)),
                  printed("%02d", value));
        EXPECT_EQ(std::string(text, appendIntegerZeroPadded(text, value, 12)),
                  printed("%012d", value));
        ASSERT_LE(int(appendInteger(text, value) - text), kMaxIntegerLength);
    }
}

TEST(GeneralFormat, SpecialValuesReadAsGlibcPrintsThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(general(0.0, 12), "           0");
    EXPECT_EQ(general(-0.0, 12), "          -0");
    EXPECT_EQ(general(std::numeric_limits<double>::infinity(), 12), "         inf");
    EXPECT_EQ(general(-std::numeric_limits<double>::infinity(), 12), "        -inf");
    EXPECT_EQ(general(nan, 12), "         nan");
    EXPECT_EQ(general(-nan, 12), "        -nan");
    // A float NaN with payload and either sign, promoted as printf would get it.
    GeneralChecker checker;
    for (const std::uint32_t bits : {0x7FC00000u, 0xFFC00000u, 0x7F800001u, 0xFFBFFFFFu})
        checker.checkFloat(std::bit_cast<float>(bits));
    checker.checkFloat(std::numeric_limits<float>::infinity());
    checker.checkFloat(-std::numeric_limits<float>::infinity());
    EXPECT_EQ(checker.mismatches(), 0);
}

TEST(GeneralFormat, RoundingAtTheSixthDigitIsHalfToEvenOnTheExactValue) {
    // Exact ties: the digit before the 5 decides.
    EXPECT_EQ(general(1234565.0, 0), "1.23456e+06");
    EXPECT_EQ(general(1234575.0, 0), "1.23458e+06");
    EXPECT_EQ(general(100000.5, 0), "100000");
    EXPECT_EQ(general(100001.5, 0), "100002");
    // Rounding that reaches the next power of ten changes the form.
    EXPECT_EQ(general(999999.5, 0), "1e+06");
    EXPECT_EQ(general(999999.4, 0), "999999");
    EXPECT_EQ(general(0.0001, 0), "0.0001");
    EXPECT_EQ(general(0.00001, 0), "1e-05");
    EXPECT_EQ(general(0.000099999951, 0), "0.0001");
    // 0.1f is 0.100000001490116...; the float, not the decimal, is rounded.
    EXPECT_EQ(general(double(0.1f), 0), "0.1");
    EXPECT_EQ(general(double(2.675f), 0), "2.675");

    GeneralChecker checker;
    const double ties[] = {1234565.0, 1234575.0, 8388605.0, 8388615.0, 16777205.0, 100000.5,
                           100001.5,  999999.5,  999998.5,  0.5,       2.5,        1.5,
                           12345.65,  1.0000005, 9.999995,  9.9999949, 9.9999951,  99999.95};
    for (const double value : ties) {
        checker.check(value);
        checker.check(-value);
        checker.checkFloat(float(value));
        checker.checkFloat(-float(value));
        // The float neighbours of the value either side of the rounding point.
        for (float near = std::nextafter(float(value), 0.0f), steps = 0; steps < 5;
             near = std::nextafter(near, INFINITY), ++steps)
            checker.checkFloat(near);
    }
    EXPECT_EQ(checker.mismatches(), 0);
}

TEST(GeneralFormat, FormBoundariesAndExtremesMatchPrintf) {
    GeneralChecker checker;
    const double values[] = {
        1e-5,     1e-4,      9.999995e-5,  9.9999949e-5, 1e-3,       0.1,         1.0,
        10.0,     99999.95,  999999.0,     999999.5,     9.999995e5, 1e6,         1e15,
        1e16,     1e38,      3.4e38,       FLT_MAX,      FLT_MIN,    FLT_EPSILON, FLT_TRUE_MIN,
        DBL_MAX,  DBL_MIN,   DBL_TRUE_MIN, 1e-300,       1e300,      1e100,       1e-100,
        123456.0, 1234567.0, 0.000123456,  0.0000123456};
    for (const double value : values) {
        checker.check(value);
        checker.check(-value);
        checker.checkFloat(float(value));
        checker.checkFloat(-float(value));
    }
    // Every power of ten a float reaches, and its float neighbours.
    for (int exponent = -45; exponent <= 38; ++exponent) {
        const float power = float(std::pow(10.0, exponent));
        checker.checkFloat(power);
        checker.checkFloat(std::nextafter(power, 0.0f));
        checker.checkFloat(std::nextafter(power, INFINITY));
    }
    // Float denormals (normal once promoted) and double denormals.
    for (std::uint32_t bits = 1; bits < 0x00800000u; bits = bits * 3 + 1) {
        checker.checkFloat(std::bit_cast<float>(bits));
        checker.checkFloat(std::bit_cast<float>(bits | 0x80000000u));
    }
    for (std::uint64_t bits = 1; bits < 0x0010000000000000ull; bits = bits * 5 + 3)
        checker.check(std::bit_cast<double>(bits));
    EXPECT_EQ(checker.mismatches(), 0);

    // Width: right-aligned, never cut.
    EXPECT_EQ(general(-FLT_MIN, 12), "-1.17549e-38");
    EXPECT_EQ(general(-DBL_MAX, 12), "-1.79769e+308");
    EXPECT_EQ(general(1.5, 0), "1.5");
    EXPECT_EQ(general(1.5, 5), "  1.5");
}

TEST(GeneralFormat, MillionsOfRandomFloatBitPatternsMatchPrintf) {
    GeneralChecker checker;
    BitSource bits{4242};
    for (int i = 0; i < 1500000; ++i) {
        const std::uint64_t random = bits.next();
        checker.checkFloat(std::bit_cast<float>(std::uint32_t(random)));
        checker.checkFloat(std::bit_cast<float>(std::uint32_t(random >> 32)));
    }
    // The range the unit's readings live in, where the fixed form is taken.
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t random = bits.next();
        const float value =
            float(std::ldexp(double(random >> 11) / 9007199254740992.0, int(random % 44) - 22));
        checker.checkFloat((random & 1) ? -value : value);
    }
    EXPECT_EQ(checker.mismatches(), 0);
}

} // namespace
