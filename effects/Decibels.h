#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace plimo {

// Level of a sample in dB, 10 log10(s^2) with s^2 formed as a 32-bit
// integer (32768^2 = 2^30 fits). Silence is minus infinity, which is never
// above any threshold. The level is a float like the stored full-scale and
// floor levels, so the floor amplitude lies exactly at the lowest threshold
// and full scale exactly at the top.
inline float SampleLevelDb(int16_t s) {
  const int32_t square = static_cast<int32_t>(s) * static_cast<int32_t>(s);
  if (square == 0) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(10.0 * std::log10(static_cast<double>(square)));
}

// Amplitude of a level in dB: sqrt(10^(0.1 L)).
inline double AmplitudeOfDb(double levelDb) { return std::sqrt(std::pow(10.0, 0.1 * levelDb)); }

}  // namespace plimo
