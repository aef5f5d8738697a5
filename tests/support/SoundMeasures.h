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

// Frequency of a steady tone from its rising zero crossings.
inline double ToneHz(const std::vector<int16_t>& samples, int rate) {
  int rises = 0;
  for (size_t i = 1; i < samples.size(); ++i) rises += samples[i - 1] < 0 && samples[i] >= 0;
  return samples.empty() ? 0.0 : rises * double(rate) / static_cast<double>(samples.size());
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
