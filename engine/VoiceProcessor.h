#pragma once

#include <cstdint>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "engine/EffectsChain.h"
#include "engine/FrameModifier.h"
#include "engine/FramePlan.h"
#include "engine/OverlapAdd.h"
#include "engine/PitchTracker.h"
#include "engine/RunGeometry.h"
#include "engine/WindowCache.h"

namespace plimo {

class VoiceParameters;

// What one frame's analysis found, for the run's observer.
struct FrameAnalysis {
  int64_t index = 0;             // frames from the start of the run
  int64_t analysisPosition = 0;  // P_a of the frame, samples
  float f0 = 0.0f;               // Hz, 0 when the frame is unvoiced
};

// The processing of a modification run, with no device, file or thread of
// its own: takes 16-bit mono input samples, one pitch period at a time,
// estimates F0, modifies each two-period frame, lays the frames out again
// by weighted overlap-add at the new period and duration, and hands out
// 20 ms blocks that have been through the effects chain. The driver
// (VoiceModifier) reads the input, feeds it here and writes the blocks.
//
// Use: Configure with the rate, Prepare, then while there is input
// ProcessFrame with SamplesWanted() samples, and Drain at the end. Prepare
// makes every buffer, transform and table; ProcessFrame and Drain allocate
// nothing and take no lock, so the driver may call them on an audio
// thread. The record stays the run's source of settings: the pitch,
// formant and whisper settings are read at the start of every frame, the
// duration once in Prepare, the effects' switches and levels at every
// block.
//
// Latency. A sample that enters at input position t leaves at output
// position t * d; what delays it is the waiting before it may leave, which
// LatencySamples states for d = 1 (with another duration the output time
// line runs d times the input's, and the delay grows or shrinks over the
// run):
//   - the look-ahead: a frame is analysed once its whole L-sample history
//     has arrived, and its synthesis reaches a * h past the frame's start,
//     so the synthesis position trails the newest input by L - a * h;
//   - the output lag: output stops 20 ms less one hop c before the
//     synthesis position, in chunks of c, so it trails the synthesis
//     position by (floor(0.02 fs / c) - 1) * c;
//   - the block: a block's first sample waits for the B - 1 samples after
//     it, which arrive in chunks of c, up to c - gcd(B, c) past the block's
//     end, so the longest wait is B + c - gcd(B, c).
// At low latency there is no output lag, and the look-ahead is the whole
// L plus (1 - a) * c: a sample just at the last synthesis position waits
// for the next frame, which still adds to it. While reverb or chorus is on
// a block waits for its last sample, B - 1 more.
// With a steady hop (h = c) that is the delay a listener needs for the
// output never to run dry; a pitch factor other than 1 moves the synthesis
// position by up to one placement step more.
class VoiceProcessor : private BlockSink {
 public:
  // The run's pseudo-random generator (dither, whisper, chorus) starts
  // from seed.
  VoiceProcessor(const VoiceParameters& record, uint32_t seed);

  VoiceProcessor(const VoiceProcessor&) = delete;
  VoiceProcessor& operator=(const VoiceProcessor&) = delete;

  // Sets the rate, the LPC order (when it is not set yet) and the pitch
  // tracker: frame length and first hop in seconds (0.04 and 0.006). 1, or
  // -1 for a rate outside kMinRunRate .. kMaxRunRate.
  [[nodiscard]] int Configure(int rate, double frameSeconds, double hopSeconds);
  // Lets the next Configure set the LPC order for its rate.
  void ClearLpcOrder() { lpcOrder = 0; }

  // Low latency, for a listener waiting on the other end (set before
  // Prepare): every sample leaves as soon as no later frame can change it,
  // in pieces smaller than a block while the effects that work on whole
  // blocks (reverb, chorus) are off, and the duration is held at 1. The
  // samples are the same as without it; only when they leave differs.
  void SetLowLatency(bool on) { lowLatency = on; }
  bool LowLatency() const { return lowLatency; }

  // When the inverse transforms are made (set before Prepare): a live run
  // makes them all up front, a file run as it meets them.
  void SetInverseTiming(InverseTiming timing) { frameModifier.SetInverseTiming(timing); }

  // Makes the run's buffers, transforms and tables and starts the time
  // lines at 0. With analysisOnly, frames are analysed but nothing is
  // synthesised. 1, or -1 when Configure has not succeeded or a transform
  // cannot be made.
  [[nodiscard]] int Prepare(bool analysisOnly);

  // The input samples the next frame takes: L for the first, then the
  // previous frame's hop c.
  int SamplesWanted() const { return frameIndex == 0 ? pitchTracker.FrameLength() : previousHop; }

  // One frame of count == SamplesWanted() samples (a short read completed
  // with silence by the caller). Every block no later frame can change goes
  // to sink, through the effects.
  FrameAnalysis ProcessFrame(const int16_t* samples, int count, BlockSink& sink);

  // The end of the input: every whole block up to the synthesis position
  // goes to sink.
  void Drain(BlockSink& sink);

  // The delay from input to output, samples, at the current rate, hop and
  // pitch factor (see the class comment); 0 before Prepare.
  int LatencySamples() const;

  float DurationScale() const { return durationScale; }            // d, from Prepare
  int SamplingRate() const { return samplingRate; }                // Hz
  int FftSize() const { return fftSize; }                          // N
  int LpcOrder() const { return lpcOrder; }                        // p
  int BlockLength() const { return blockLength; }                  // B
  int64_t SynthesisPosition() const { return synthesisPosition; }  // P_s, samples
  // The sliding analysis history, L samples, as the last frame left it.
  const std::vector<float>& History() const { return history; }
  const PitchTracker& Tracker() const { return pitchTracker; }

 private:
  void LoadFrameParameters();
  // Reverb or chorus, which keep to whole blocks, is on.
  bool BlockEffectsOn() const;
  void SynthesiseFrame(const FramePlan& plan);
  void TakeBlock(int16_t* block, int length) override;

  const VoiceParameters& record;

  // Settings read from the record.
  PitchSettings pitch;         // robot switch and pitch, pitch scale and offset
  float durationScale = 1.0f;  // d, read once per run
  float formantScale = 1.0f;
  int whisperOn = 0;
  float whisperLevel = 0.0f;

  // The run's geometry.
  int samplingRate = 0;  // fs, Hz
  int fftSize = 0;       // N
  int binCount = 0;      // K
  int lpcOrder = 0;      // p
  int blockLength = 0;   // B
  bool analysisOnly = false;
  bool lowLatency = false;

  // Positions on the input and output time lines, in samples from the
  // start of the run.
  int64_t analysisPosition = 0;         // P_a
  int64_t synthesisPosition = 0;        // P_s
  int64_t wrappedAnalysisPosition = 0;  // P_a as a 32-bit run would wrap it
  int64_t frameIndex = 0;
  int previousHop = 0;           // c
  int analysisLength = 0;        // L'
  float lastPitchFactor = 1.0f;  // a of the last frame

  // L samples each: the sliding analysis history and the frame being
  // modified.
  std::vector<float> history;
  std::vector<float> frame;

  RandomGenerator random;
  PitchTracker pitchTracker;
  FrameModifier frameModifier;
  OverlapAdd overlapAdd;
  EffectsChain effectsChain;
  WindowCache analysisWindow;
  WindowCache synthesisWindow;

  BlockSink* output = nullptr;  // the sink of the call in progress
};

}  // namespace plimo
