#include "EnvelopeSpectrum.h"

#include "Spectrum.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr int kRecordOrder = 10; // 2^10 = kRecordLength
constexpr int kHalfLength = kRecordLength / 2;
constexpr int kHalfOrder = kRecordOrder - 1;
static_assert(kRecordLength == 1 << kRecordOrder);

// e^(-2 pi i n / kRecordLength) for n = 0 .. kHalfLength - 1; the second half is the negative
// of the first.
const std::array<std::complex<double>, kHalfLength>& halfTurnTwiddles() {
    static const std::array<std::complex<double>, kHalfLength> twiddles = [] {
        std::array<std::complex<double>, kHalfLength> powers{};
        for (int n = 0; n < kHalfLength; ++n) {
            powers[n] = std::polar(1.0, -2 * std::numbers::pi * n / kRecordLength);
        }
        return powers;
    }();
    return twiddles;
}

} // namespace

void envelopeSpectrum(const double* record, int windowType, double* amplitudes) {
    float samples[kRecordLength];
    float transform[kRecordLength]; // X[0] .. X[511], kHalfLength complex values
    for (int k = 0; k < kRecordLength; ++k) {
        samples[k] = static_cast<float>(record[k]);
    }
    RealFft(samples, transform, kRecordOrder);

    // The analytic signal of the band keeps its positive lines doubled and nothing else, so
    // only lines below kHalfLength are ever non-zero. Its inverse transform of kRecordLength
    // points is formed from two transforms of kHalfLength points (the even and the odd lines),
    // the size that the spectrum itself uses, so the transform tables are never rebuilt: the
    // inverse is the conjugate of the forward transform of the conjugated lines, and
    //   z[n] = conj(E[n mod 512] + W^n O[n mod 512]) / 1024,  W = e^(-2 pi i / 1024).
    const int firstLine = static_cast<int>(std::ceil(kEnvelopeBandLowHz / kSpectrumSpacingHz));
    const int lastLine = static_cast<int>(std::floor(kEnvelopeBandHighHz / kSpectrumSpacingHz));
    float even[2 * kHalfLength] = {};
    float odd[2 * kHalfLength] = {};
    for (int k = firstLine; k <= lastLine; ++k) {
        float* const line = (k % 2 == 0 ? even : odd) + 2 * (k / 2);
        line[0] = 2 * transform[2 * k];
        line[1] = -2 * transform[2 * k + 1];
    }
    ComplexFft(even, kHalfOrder);
    ComplexFft(odd, kHalfOrder);

    const std::array<std::complex<double>, kHalfLength>& twiddles = halfTurnTwiddles();
    double envelope[kRecordLength];
    for (int n = 0; n < kHalfLength; ++n) {
        const std::complex<double> evenPart(even[2 * n], even[2 * n + 1]);
        const std::complex<double> oddPart =
            twiddles[n] * std::complex<double>(odd[2 * n], odd[2 * n + 1]);
        envelope[n] = std::abs(evenPart + oddPart) / kRecordLength;
        envelope[n + kHalfLength] = std::abs(evenPart - oddPart) / kRecordLength;
    }
    recordSpectrum(envelope, windowType, SpectrumView::SteadyState, amplitudes);
}
