#include "Spectrum.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

// Fused multiply-adds would round differently from the plotted values, whatever the target.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

constexpr int kMaxComplexOrder = 30;
constexpr int kRecordOrder = 10; // 2^10 = kRecordLength
constexpr double kPi = 3.141592653589793;
constexpr double kAmplitudeScale = 0.001953125; // 1 / 512: DFT magnitude to peak amplitude

constexpr const char* kTwiddleAllocationFailure = "Unable to allocate complex W array.";
constexpr const char* kRecombinationAllocationFailure =
    "Unable to allocate trig recomb coefficients.";

static_assert(kRecordLength == 1 << kRecordOrder && kSpectrumPoints == kRecordLength / 2);

// The tables belong to the thread that computes: the viewer does so on the UI thread only, and
// a second computing thread (an export, a test) then gets tables of its own instead of a race.
struct TwiddleTable {
    int m = 0;
    // Stage by stage, the powers W^(j * 2^stage) that the stage uses, for j = 0 .. h - 1 as
    // (re, im): copies of W^1 .. W^(N/2 - 1), laid out so that each stage reads them in order.
    // The j = 0 slot holds (1, 0) and is never multiplied.
    std::vector<float> stagePowers;
    std::vector<std::uint32_t> swaps; // the bit reversal as (i, r) pairs with i < r
};

struct RecombinationTable {
    int M = 0;
    std::vector<float> angles; // (cos, sin) of (pi / N') * i for i = 1 .. N' - 1, at 2 * (i - 1)
};

thread_local TwiddleTable twiddleTable;
thread_local RecombinationTable recombinationTable;
std::atomic<int> twiddleBuildCount{0};
std::atomic<int> recombinationBuildCount{0};

[[noreturn]] void allocationFailed(const char* message) {
    std::fputs(message, stderr);
    std::fputc('\n', stderr);
    std::exit(1);
}

std::vector<float> allocateTable(std::size_t floats, const char* failure) {
    try {
        return std::vector<float>(floats);
    } catch (const std::bad_alloc&) {
        allocationFailed(failure);
    }
}

void buildTwiddleTable(int m) {
    twiddleTable.stagePowers = {}; // the old table goes before the new one is allocated
    twiddleTable.swaps = {};
    twiddleTable.m = m;
    const std::ptrdiff_t n = std::ptrdiff_t{1} << m;
    std::vector<float> powers = allocateTable(n, kTwiddleAllocationFailure); // W^0 .. W^(N/2-1)
    powers[0] = 1;
    powers[1] = 0;
    const double c = std::cos(2 * kPi / n);
    const double s = -std::sin(2 * kPi / n);
    // The running power stays in long double so that 2^m steps do not drift; only the stored
    // copies are rounded.
    long double re = c;
    long double im = s;
    for (std::ptrdiff_t k = 1; k < n / 2; ++k) {
        powers[2 * k] = static_cast<float>(re);
        powers[2 * k + 1] = static_cast<float>(im);
        const long double nextRe = re * c - im * s;
        im = re * s + im * c;
        re = nextRe;
    }

    std::vector<float> stagePowers = allocateTable(2 * (n - 1), kTwiddleAllocationFailure);
    float* stage = stagePowers.data();
    for (std::ptrdiff_t h = n / 2, d = 1; h >= 1; h /= 2, d *= 2) {
        for (std::ptrdiff_t j = 0; j < h; ++j, stage += 2) {
            stage[0] = powers[2 * j * d];
            stage[1] = powers[2 * j * d + 1];
        }
    }

    // The bit reversal's own counting, done once.
    std::vector<std::uint32_t> swaps;
    try {
        std::ptrdiff_t r = 0;
        for (std::ptrdiff_t i = 1; i < n - 1; ++i) {
            std::ptrdiff_t k = n / 2;
            while (r >= k) {
                r -= k;
                k /= 2;
            }
            r += k;
            if (i < r) {
                swaps.push_back(static_cast<std::uint32_t>(i));
                swaps.push_back(static_cast<std::uint32_t>(r));
            }
        }
    } catch (const std::bad_alloc&) {
        allocationFailed(kTwiddleAllocationFailure);
    }

    twiddleTable.stagePowers = std::move(stagePowers);
    twiddleTable.swaps = std::move(swaps);
    twiddleBuildCount.fetch_add(1, std::memory_order_relaxed);
}

void buildRecombinationTable(int M) {
    recombinationTable.angles = {};
    recombinationTable.M = M;
    const std::ptrdiff_t half = std::ptrdiff_t{1} << (M - 1);
    std::vector<float> angles = allocateTable(2 * (half - 1), kRecombinationAllocationFailure);
    for (std::ptrdiff_t i = 1; i < half; ++i) {
        const double angle = (kPi / static_cast<double>(half)) * static_cast<double>(i);
        angles[2 * (i - 1)] = static_cast<float>(std::cos(angle));
        angles[2 * (i - 1) + 1] = static_cast<float>(std::sin(angle));
    }
    recombinationTable.angles = std::move(angles);
    recombinationBuildCount.fetch_add(1, std::memory_order_relaxed);
}

// g * w[k] of the amplitude-corrected Hann window, multiplied in this order exactly as when
// the product is formed per sample; the weights depend on nothing, so they are made once.
const std::array<double, kRecordLength>& hannGains() {
    static const std::array<double, kRecordLength> gains = [] {
        std::array<double, kRecordLength> weights{};
        double sum = 0;
        for (int k = 0; k < kRecordLength; ++k) {
            weights[k] = (1 + std::cos((k - 512) * 2 * (1.0 / 1024) * kPi)) / 2;
            sum += weights[k];
        }
        const double gain = 1 / (sum * (1.0 / 1024));
        for (double& weight : weights) {
            weight = gain * weight;
        }
        return weights;
    }();
    return gains;
}

// Two floats per complex value, two complex values per vector. Every lane is rounded to float
// after each operation, exactly as the scalar steps are.
using Float4 = float __attribute__((vector_size(16)));

Float4 load4(const float* from) {
    Float4 value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

void store4(float* to, Float4 value) {
    std::memcpy(to, &value, sizeof value);
}

// (a, b) -> (a + b, a - b).
inline void butterflyWithoutTwiddle(float* top, float* bottom) {
    const float ar = top[0];
    const float ai = top[1];
    top[0] = ar + bottom[0];
    top[1] = ai + bottom[1];
    bottom[0] = ar - bottom[0];
    bottom[1] = ai - bottom[1];
}

// (a, b) -> (a + b, (a - b) * w), the difference rounded to float before the product.
inline void butterfly(float* top, float* bottom, const float* w) {
    const float ar = top[0];
    const float ai = top[1];
    const float br = bottom[0];
    const float bi = bottom[1];
    top[0] = ar + br;
    top[1] = ai + bi;
    const float dr = ar - br;
    const float di = ai - bi;
    bottom[0] = dr * w[0] - di * w[1];
    bottom[1] = dr * w[1] + di * w[0];
}

// butterfly() on two neighbouring values at once.
inline void butterflyPair(float* top, float* bottom, const float* w) {
    const Float4 a = load4(top);
    const Float4 b = load4(bottom);
    const Float4 twiddles = load4(w);
    store4(top, a + b);
    const Float4 difference = a - b;
    const Float4 real = __builtin_shufflevector(twiddles, twiddles, 0, 0, 2, 2);
    const Float4 imaginary = __builtin_shufflevector(twiddles, twiddles, 1, 1, 3, 3);
    const Float4 direct = difference * real; // (dr * wr, di * wr)
    const Float4 crossed = __builtin_shufflevector(difference, difference, 1, 0, 3, 2) * imaginary;
    // (dr * wr - di * wi, di * wr + dr * wi)
    store4(bottom, __builtin_shufflevector(direct - crossed, direct + crossed, 0, 5, 2, 7));
}

} // namespace

void ComplexFft(float* data, int m) {
    if (m <= 0 || m > kMaxComplexOrder) {
        return;
    }
    if (m != twiddleTable.m) {
        buildTwiddleTable(m);
    }
    const std::ptrdiff_t n = std::ptrdiff_t{1} << m;
    const float* powers = twiddleTable.stagePowers.data();

    // Decimation in frequency; W^0 = 1 is never multiplied.
    for (std::ptrdiff_t h = n / 2; h >= 1; powers += 2 * h, h /= 2) {
        for (std::ptrdiff_t g = 0; g < n; g += 2 * h) {
            float* const top = data + 2 * g;
            float* const bottom = top + 2 * h;
            butterflyWithoutTwiddle(top, bottom);
            if (h == 1) {
                continue;
            }
            butterfly(top + 2, bottom + 2, powers + 2);
            // The rest two by two: h - 2 is even.
            for (std::ptrdiff_t j = 2; j < h; j += 2) {
                butterflyPair(top + 2 * j, bottom + 2 * j, powers + 2 * j);
            }
        }
    }

    const std::uint32_t* const swaps = twiddleTable.swaps.data();
    const std::size_t swapCount = twiddleTable.swaps.size();
    for (std::size_t s = 0; s < swapCount; s += 2) {
        float* const x = data + 2 * std::size_t{swaps[s]};
        float* const y = data + 2 * std::size_t{swaps[s + 1]};
        std::swap(x[0], y[0]);
        std::swap(x[1], y[1]);
    }
}

void RealFft(float* samples, float* out, int M) {
    if (M < 1 || M > kMaxComplexOrder + 1) {
        return;
    }
    // The even and odd samples as one half-length complex transform.
    ComplexFft(samples, M - 1);
    if (M != recombinationTable.M) {
        buildRecombinationTable(M);
    }
    const std::ptrdiff_t half = std::ptrdiff_t{1} << (M - 1);
    const float* const z = samples;
    const float* const angles = recombinationTable.angles.data();

    out[0] = z[0] + z[1];
    out[1] = 0;
    for (std::ptrdiff_t k = 1; k < half; ++k) {
        const float a = z[2 * k];
        const float b = z[2 * k + 1];
        const float c = z[2 * (half - k)];
        const float d = z[2 * (half - k) + 1];
        const float u = angles[2 * (k - 1)];
        const float v = angles[2 * (k - 1) + 1];
        const float p = (b + d) / 2;
        const float q = (a - c) / 2;
        out[2 * k] = (a + c) / 2 + p * u - q * v;
        out[2 * k + 1] = (b - d) / 2 - p * v - q * u;
    }
}

void recordSpectrum(const double* record, int windowType, SpectrumView view, double* amplitudes) {
    float samples[kRecordLength];
    float transform[kRecordLength]; // kSpectrumPoints complex values
    const bool hann = windowType == kHannWindow;
    if (hann) {
        const std::array<double, kRecordLength>& gains = hannGains();
        for (int k = 0; k < kRecordLength; ++k) {
            // The sample is a float first, then windowed in double.
            samples[k] = static_cast<float>(gains[k] * static_cast<float>(record[k]));
        }
    } else {
        for (int k = 0; k < kRecordLength; ++k) {
            samples[k] = static_cast<float>(record[k]);
        }
    }

    RealFft(samples, transform, kRecordOrder);

    for (int k = 0; k < kSpectrumPoints; ++k) {
        const float re = transform[2 * k];
        const float im = transform[2 * k + 1];
        const float power = re * re + im * im;
        amplitudes[k] = static_cast<double>(std::sqrt(power)) * kAmplitudeScale;
    }
    amplitudes[0] = 0;
    if (hann && view == SpectrumView::SteadyState) {
        amplitudes[1] = 0;
    }
}

int twiddleTableBuilds() {
    return twiddleBuildCount.load(std::memory_order_relaxed);
}

int recombinationTableBuilds() {
    return recombinationBuildCount.load(std::memory_order_relaxed);
}
