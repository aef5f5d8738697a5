#pragma once

#include <cstdint>

#include "dsp/ZeroedFloats.h"

namespace plimo {

// Block-processing delay element of the reverb and the chorus: each output
// sample mixes the new input sample with a sample one delay earlier, taken
// from this block's input or, for the block's first samples, from the
// unit's own output of earlier blocks. It writes floats for its owner to
// mix, so it is a part of an effect rather than one itself.
class CombUnit {
 public:
  static constexpr float kDefaultBaseDelaySeconds = 0.01f;
  static constexpr float kDefaultGain = 0.7f;
  static constexpr float kDefaultDelaySeconds = 0.025f;
  static constexpr float kHistorySeconds = 0.8f;
  // Highest sampling rate a run may have; the history is sized from it.
  static constexpr float kMaxSamplingRate = 384000.0f;  // Hz

  CombUnit() = default;
  virtual ~CombUnit() = default;

  CombUnit(const CombUnit&) = delete;
  CombUnit& operator=(const CombUnit&) = delete;

  // Restores base delay, gain and delay; the history is left alone.
  void Reset();

  // Sizes the history for 0.8 s at samplingRate (Hz), keeps the rate for
  // Process and clears the history, so a run starts silent. Allocates; call
  // once per run. Returns 1, or -1 for a rate outside
  // (0, kMaxSamplingRate], which leaves the history empty (the unit then
  // passes its input through).
  int Prepare(float samplingRate);

  // Silences the history without touching the delays.
  void ClearHistory();

  // out[i] = b * delayed + a * in[i] for i in 0 .. n-1, with a = 1/(g+1)
  // and b = 1 - a. The delay in samples is cut to the block length and to
  // the history length, so the unit never reads outside either; a delay
  // longer than the block therefore acts as exactly one block. Then the
  // history takes the last outputs. Allocates nothing; n <= 0 does nothing.
  void Process(float* out, const int16_t* in, int n) noexcept;

  float baseDelay = kDefaultBaseDelaySeconds;  // seconds
  float gain = kDefaultGain;
  float delay = kDefaultDelaySeconds;  // seconds
  float samplingRate = 0.0f;           // Hz, from Prepare

  int HistoryLength() const { return historyLength; }  // N, samples
  // The j-th of the last N outputs, oldest first (0 <= j < N).
  float HistoryAt(int j) const { return history[static_cast<size_t>((oldest + j) % historyLength)]; }

 private:
  // The last historyLength outputs as a ring, the oldest at oldest; a
  // unit that never runs costs no clearing.
  ZeroedFloats history;
  int historyLength = 0;  // N, samples
  int oldest = 0;
};

}  // namespace plimo
