#pragma once

#include <cstdint>

namespace plimo {

// The sizes of a modification run that follow from its sampling rate.

inline constexpr double kAnalysisFrameSeconds = 0.04;  // L, two periods at 50 Hz
inline constexpr double kFirstHopSeconds = 0.006;      // also the unvoiced hop
// The output block: 20 ms with 0.02 in single precision, so 159 samples at
// 8000 Hz rather than 160.
inline constexpr float kBlockSeconds = 0.02f;
// How far output trails the synthesis position.
inline constexpr double kOutputLagSeconds = 0.02;

// Rates a run accepts. Above the top one the per-run tables (the LPC
// exponential table grows with rate squared, and one inverse transform is
// made for each reachable length) outgrow any use a voice has for them.
inline constexpr int kMinRunRate = 1000;   // Hz
inline constexpr int kMaxRunRate = 96000;  // Hz

// The largest overlap-add ring. A ring must hold every position between
// the output position and the end of the last placed frame: under
// L * (duration + 4) + 0.02 fs samples (one hop of up to L stretched by the
// duration, a pitch-factor step of up to 3 L, the frame itself, and the
// output lag), which the limits below keep within the ring.
inline constexpr int kRingSize = 100000;  // samples
inline constexpr float kMinDurationFactor = 0.1f;
inline constexpr float kMaxDurationFactor = 10.0f;
static_assert(kAnalysisFrameSeconds * kMaxRunRate * (kMaxDurationFactor + 4) +
                      kOutputLagSeconds * kMaxRunRate <
                  kRingSize,
              "the overlap-add ring must hold a whole frame step at the highest rate");

// The pitch factor of a frame is limited to this range.
inline constexpr float kMinPitchFactor = 0.6f;
inline constexpr float kMaxPitchFactor = 3.0f;
// The formant factor is taken within the widest range a parameter file may
// hold; the warped envelope is sized for its top (for pitch factors below 1
// the envelope is stretched by the formant factor itself).
inline constexpr float kMinFormantFactor = 0.1f;
inline constexpr float kMaxFormantFactor = 10.0f;

// The overlap-add rings of a run at samplingRate: twice the span above for
// its own frame length and output lag, at most kRingSize. A run at a common
// rate then clears and walks a fifth to a half of the largest ring.
int RingSizeFor(int samplingRate);

// Positions are kept in 64 bits and never wrap; the pitch tracker is still
// told of the wrap a 32-bit run would make every kWrapDistance samples past
// twice that, so that its octave correction behaves the same.
inline constexpr int64_t kWrapDistance = 1500000;  // samples
inline constexpr int kVoicedCountAfterWrap = 60;

// FFT size N: 128 doubled while it is below two 20 ms spans (rounded).
int FftSizeFor(int samplingRate);

// B: the integer part of samplingRate * 0.02f.
int BlockLengthFor(int samplingRate);

// p = samplingRate / 1000 + 2.
int LpcOrderFor(int samplingRate);

// The unvoiced hop: the integer part of samplingRate * 0.006.
int UnvoicedHopFor(int samplingRate);

// The smallest inverse bin count K' any pitch factor up to kMaxPitchFactor
// gives for binCount bins (always odd).
int SmallestInverseBinCount(int binCount);

}  // namespace plimo
