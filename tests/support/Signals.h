#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace plimo::test {

// A sine of frequency hz and the given amplitude (16-bit units), n samples.
inline std::vector<float> Tone(double hz, double amplitude, int fs, int n, double phase = 0.0) {
  std::vector<float> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    x[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / fs + phase));
  }
  return x;
}

// A synthetic vowel: a glottal pulse train at f0 through two resonators
// (formants near 700 and 1200 Hz), scaled to the given peak. Its spectrum is
// harmonic with a strong fundamental period, like a sustained voiced sound.
inline std::vector<int16_t> Vowel(double f0, int fs, int n, double peak = 12000.0) {
  std::vector<double> y(static_cast<size_t>(n), 0.0);
  const double period = fs / f0;
  double nextPulse = 0.0;
  // Two second-order resonators in cascade.
  auto coefficients = [fs](double centre, double bandwidth, double* a1, double* a2) {
    const double r = std::exp(-std::numbers::pi * bandwidth / fs);
    *a1 = 2.0 * r * std::cos(2.0 * std::numbers::pi * centre / fs);
    *a2 = -r * r;
  };
  double a1, a2, c1, c2;
  coefficients(700.0, 130.0, &a1, &a2);
  coefficients(1200.0, 150.0, &c1, &c2);
  double s1 = 0, s2 = 0, u1 = 0, u2 = 0;
  for (int i = 0; i < n; ++i) {
    double pulse = 0.0;
    if (i >= nextPulse) {
      pulse = 1.0;
      nextPulse += period;
    }
    const double s = pulse + a1 * s1 + a2 * s2;
    s2 = s1;
    s1 = s;
    const double u = s + c1 * u1 + c2 * u2;
    u2 = u1;
    u1 = u;
    y[i] = u;
  }
  double maxAbs = 0.0;
  for (double v : y) maxAbs = std::max(maxAbs, std::fabs(v));
  std::vector<int16_t> out(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    out[i] = static_cast<int16_t>(std::lround(maxAbs > 0 ? y[i] / maxAbs * peak : 0.0));
  }
  return out;
}

}  // namespace plimo::test
