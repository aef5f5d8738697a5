#pragma once

// Measures of recorded sound for device tests.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace plimo::test {

// Windows of 10 ms whose level is above quiet (the sound servers' null
// sinks add no noise, so silence is exactly 0).
inline constexpr int kMeasureWindowMs = 10;
inline constexpr double kQuietRms = 500.0;

inline double Rms(const int16_t* x, size_t n) {
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) sum += double(x[i]) * x[i];
  return n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

// Milliseconds of a recording that are louder than quiet.
inline int LoudMs(const std::vector<int16_t>& samples, int rate) {
  const size_t window = static_cast<size_t>(rate * kMeasureWindowMs / 1000);
  int loud = 0;
  for (size_t at = 0; at + window <= samples.size(); at += window) {
    if (Rms(samples.data() + at, window) > kQuietRms) loud += kMeasureWindowMs;
  }
  return loud;
}

// Index of the first sample of the first loud window, or -1.
inline long FirstLoud(const std::vector<int16_t>& samples, int rate) {
  const size_t window = static_cast<size_t>(rate * kMeasureWindowMs / 1000);
  for (size_t at = 0; at + window <= samples.size(); at += window) {
    if (Rms(samples.data() + at, window) > kQuietRms) return static_cast<long>(at);
  }
  return -1;
}

// Frequency of a steady tone: whole periods between its first and last
// rising zero crossing, each placed between its two samples. Counting the
// crossings in a window instead is a period off whenever one falls on the
// window's edge, which a window of a whole number of periods keeps for
// every window of a recording (800 Hz read as 750 in 20 ms windows).
inline double ToneHz(const std::vector<int16_t>& samples, int rate) {
  int rises = 0;
  double first = 0.0;
  double last = 0.0;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] >= 0 || samples[i] < 0) continue;
    const double before = samples[i - 1];
    const double at = static_cast<double>(i - 1) + before / (before - samples[i]);
    if (rises == 0) first = at;
    last = at;
    ++rises;
  }
  return rises >= 2 ? (rises - 1) * double(rate) / (last - first) : 0.0;
}

// The median of ToneHz over 20 ms windows of the loud part: a tone with a
// few gaps or clicks still shows its frequency.
inline double MedianToneHz(const std::vector<int16_t>& samples, int rate) {
  const size_t window = static_cast<size_t>(rate / 50);
  std::vector<double> values;
  for (size_t at = 0; at + window <= samples.size(); at += window) {
    if (Rms(samples.data() + at, window) <= kQuietRms) continue;
    values.push_back(ToneHz(std::vector<int16_t>(samples.begin() + at, samples.begin() + at + window), rate));
  }
  if (values.empty()) return 0.0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

}  // namespace plimo::test
