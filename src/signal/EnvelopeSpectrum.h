#pragma once

// The envelope spectrum of a vibration record: the repetition rate of impacts (a damaged
// bearing's defect frequencies) shows as lines, even when each impact rings at a few kHz where
// the plain spectrum only shows the ringing.

// The band that the envelope is taken from, in Hz: where the impacts of a bearing defect ring,
// above the shaft tones.
inline constexpr double kEnvelopeBandLowHz = 1000;
inline constexpr double kEnvelopeBandHighHz = 4000;

// The 512 amplitudes in G of the envelope of one record of kRecordLength values in G, point k
// at k * kSpectrumSpacingHz: the record is band-passed in the frequency domain to the lines
// within kEnvelopeBandLowHz..kEnvelopeBandHighHz, its envelope is the magnitude of that band's
// analytic signal (a tone of A G in the band has an envelope of A G), and the envelope's
// spectrum is recordSpectrum() with windowType in the steady-state view.
void envelopeSpectrum(const double* record, int windowType, double* amplitudes);
