#pragma once

// Amplitude spectra of the viewer's acceleration records. The float/double rounding of every
// step is deliberate: it fixes the values that are plotted and exported, so any change here is
// a visible change of the viewer's output.

inline constexpr int kRecordLength = 1024;                    // samples of one time record
inline constexpr int kSpectrumPoints = 512;                   // amplitudes of one spectrum
inline constexpr double kSpectrumSpacingHz = 9.5367431640625; // 9765.625 Hz / 1024
inline constexpr int kHannWindow = 1; // the one window type; any other value means none

// The view decides what happens to point 1 under the Hann window: the steady-state view blanks
// it (it only shows window leakage of the mean), the transient view keeps it.
enum class SpectrumView { SteadyState, Transient };

// In-place forward DFT of 2^m interleaved (re, im) floats, natural order, no normalisation.
// m = 0 leaves the data as it is; m outside 0..30 is ignored.
void ComplexFft(float* data, int m);

// X[0] .. X[N/2 - 1] of 2^M real samples into out (2^(M-1) interleaved complex values), with
// out[0] = (X[0], 0); the Nyquist term is not produced. samples is overwritten (work space)
// and must not overlap out. M outside 1..31 is ignored.
void RealFft(float* samples, float* out, int M);

// The 512 amplitudes in G of one record of kRecordLength values in G, point k at
// k * kSpectrumSpacingHz. Point 0 is always 0; with the Hann window in the steady-state view
// point 1 is 0 as well.
void recordSpectrum(const double* record, int windowType, SpectrumView view, double* amplitudes);

// How often the twiddle and the recombination tables have been built so far (for tests: the
// tables are kept between calls and rebuilt only when the transform size changes).
int twiddleTableBuilds();
int recombinationTableBuilds();
