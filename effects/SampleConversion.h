#pragma once

#include <cstdint>

namespace plimo {

// Largest magnitude a sample leaving the effects may have; -32768 is kept
// out so that every result is symmetric about zero.
inline constexpr int kMaxSampleMagnitude = 32767;

// Truncates toward zero and limits to +-kMaxSampleMagnitude; NaN gives 0.
inline int16_t TruncateToSample(double value) {
  if (value >= kMaxSampleMagnitude) return kMaxSampleMagnitude;
  if (value <= -kMaxSampleMagnitude) return -kMaxSampleMagnitude;
  if (!(value == value)) return 0;
  return static_cast<int16_t>(value);
}

}  // namespace plimo
