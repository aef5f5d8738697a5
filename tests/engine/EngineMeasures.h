#pragma once

// Measuring tools for the engine's tests: pitch, resonance, alignment and
// wav files run through a real modification run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "dsp/Primitives.h"

namespace plimo::test {

// F0 of x[start .. start + length) by the cumulative mean normalised
// difference (YIN) with parabolic refinement; 0 when nothing periodic is
// found between minHz and maxHz. Independent of the engine's tracker.
inline double MeasureF0(const std::vector<int16_t>& x, int fs, size_t start, size_t length,
                        double minHz = 50.0, double maxHz = 600.0) {
  const int maxLag = static_cast<int>(fs / minHz);
  const int minLag = static_cast<int>(fs / maxHz);
  const size_t window = length - static_cast<size_t>(maxLag) - 1;
  if (start + length > x.size() || length <= static_cast<size_t>(maxLag) + 1) return 0.0;
  std::vector<double> d(static_cast<size_t>(maxLag) + 2, 0.0);
  for (int lag = 1; lag <= maxLag + 1; ++lag) {
    double sum = 0.0;
    for (size_t i = 0; i < window; ++i) {
      const double diff = static_cast<double>(x[start + i]) - x[start + i + static_cast<size_t>(lag)];
      sum += diff * diff;
    }
    d[static_cast<size_t>(lag)] = sum;
  }
  std::vector<double> normalised(d.size(), 1.0);
  double running = 0.0;
  for (size_t lag = 1; lag < d.size(); ++lag) {
    running += d[lag];
    normalised[lag] = running > 0.0 ? d[lag] * static_cast<double>(lag) / running : 1.0;
  }
  constexpr double kThreshold = 0.15;
  for (int lag = std::max(minLag, 2); lag <= maxLag; ++lag) {
    if (normalised[static_cast<size_t>(lag)] >= kThreshold) continue;
    while (lag < maxLag && normalised[static_cast<size_t>(lag) + 1] < normalised[static_cast<size_t>(lag)])
      ++lag;
    const double a = normalised[static_cast<size_t>(lag) - 1];
    const double b = normalised[static_cast<size_t>(lag)];
    const double c = normalised[static_cast<size_t>(lag) + 1];
    const double denominator = a - 2.0 * b + c;
    const double offset = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
    return fs / (lag + offset);
  }
  return 0.0;
}

// The frequency of the strongest peak of an LPC envelope of the given
// order fitted to the Hamming-windowed segment, searched on a 1 Hz grid.
inline double ResonanceHz(const std::vector<int16_t>& x, int fs, size_t start, size_t length, int order) {
  std::vector<float> segment(length);
  std::vector<float> window(length);
  HammingWindow(window.data(), static_cast<int>(length));
  for (size_t i = 0; i < length; ++i) segment[i] = static_cast<float>(x[start + i]) * window[i];
  std::vector<double> r(static_cast<size_t>(order) + 1);
  std::vector<double> a(static_cast<size_t>(order));
  std::vector<double> scratch(static_cast<size_t>(order));
  Autocorrelation(r.data(), segment.data(), order, static_cast<int>(length));
  LevinsonDurbin(a.data(), r.data(), order, scratch.data());
  double bestHz = 0.0;
  double bestGain = 0.0;
  for (int hz = 1; hz < fs / 2; ++hz) {
    double re = 1.0;
    double im = 0.0;
    for (int j = 1; j <= order; ++j) {
      const double angle = 2.0 * std::numbers::pi * hz * j / fs;
      re -= a[static_cast<size_t>(j) - 1] * std::cos(angle);
      im += a[static_cast<size_t>(j) - 1] * std::sin(angle);
    }
    const double gain = 1.0 / (re * re + im * im);
    if (gain > bestGain) {
      bestGain = gain;
      bestHz = hz;
    }
  }
  return bestHz;
}

// The lag (y later than x by lag samples) in 0 .. maxLag that best aligns
// y with x over x[from .. to).
inline int BestLag(const std::vector<int16_t>& x, const std::vector<int16_t>& y, size_t from, size_t to,
                   int maxLag) {
  int best = 0;
  double bestCorrelation = -1e300;
  for (int lag = 0; lag <= maxLag; ++lag) {
    double sum = 0.0;
    for (size_t i = from; i < to && i + static_cast<size_t>(lag) < y.size(); ++i) {
      sum += static_cast<double>(x[i]) * y[i + static_cast<size_t>(lag)];
    }
    if (sum > bestCorrelation) {
      bestCorrelation = sum;
      best = lag;
    }
  }
  return best;
}

// 10 log10 of signal energy over the energy of the difference, with y
// shifted by lag, over x[from .. to).
inline double SnrDb(const std::vector<int16_t>& x, const std::vector<int16_t>& y, size_t from, size_t to,
                    int lag) {
  double signal = 0.0;
  double noise = 0.0;
  for (size_t i = from; i < to; ++i) {
    const double reference = x[i];
    const double error = reference - y[i + static_cast<size_t>(lag)];
    signal += reference * reference;
    noise += error * error;
  }
  return 10.0 * std::log10(signal / std::max(noise, 1e-30));
}

inline double Rms(const std::vector<int16_t>& x, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(std::max<size_t>(to - from, 1)));
}

// Every mono sample of a wav file, through the program's reader.
inline std::vector<int16_t> ReadMono(const std::string& path) {
  std::vector<int16_t> all;
  std::unique_ptr<SoundFile> file = SoundFile::OpenForReading(path);
  if (file->Status() != SoundFileStatus::kSoundFileReading) return all;
  all.resize(static_cast<size_t>(file->FrameCount()));
  const int got = file->Read(all.data(), static_cast<int>(all.size()));
  all.resize(static_cast<size_t>(std::max(got, 0)));
  return all;
}

// A vowel-like signal with a single resonance: a pulse train at f0 through
// one two-pole resonator at centreHz, scaled to peak.
inline std::vector<int16_t> Resonance(double f0, double centreHz, double bandwidthHz, int fs, int n,
                                      double peak = 12000.0) {
  const double r = std::exp(-std::numbers::pi * bandwidthHz / fs);
  const double a1 = 2.0 * r * std::cos(2.0 * std::numbers::pi * centreHz / fs);
  const double a2 = -r * r;
  std::vector<double> y(static_cast<size_t>(n));
  double s1 = 0.0, s2 = 0.0, next = 0.0;
  for (int i = 0; i < n; ++i) {
    double pulse = 0.0;
    if (i >= next) {
      pulse = 1.0;
      next += fs / f0;
    }
    const double s = pulse + a1 * s1 + a2 * s2;
    s2 = s1;
    s1 = s;
    y[static_cast<size_t>(i)] = s;
  }
  double maxAbs = 0.0;
  for (double v : y) maxAbs = std::max(maxAbs, std::fabs(v));
  std::vector<int16_t> out(static_cast<size_t>(n));
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(std::lround(y[i] / maxAbs * peak));
  return out;
}

}  // namespace plimo::test
