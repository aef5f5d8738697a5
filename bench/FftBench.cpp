#include <benchmark/benchmark.h>

#include <algorithm>
#include <complex>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/RandomGenerator.h"

namespace plimo {
namespace {

std::vector<float> Noise(size_t count) {
  RandomGenerator random;
  std::vector<float> values(count);
  for (float& v : values) {
    v = static_cast<float>(20000.0 * NoiseValue(random));
  }
  return values;
}

// Planning every inverse length a run at 48000 Hz can meet (Q = 2K' - 2
// with K' odd, from K / 3 up to K = 1025), the first time in the process.
// Registered first and run once, so every length is still unplanned.
void BM_PlanInverseLengthsOfARun(benchmark::State& state) {
  const int bins = 1025;
  int planned = 0;
  for (auto _ : state) {
    for (int odd = bins / 3 | 1; odd <= bins; odd += 2) {
      RealFft fft(2 * odd - 2, RealFftUse::kBackwardOnly);
      benchmark::DoNotOptimize(fft.Ready());
      ++planned;
    }
  }
  state.counters["lengths"] = planned;
}
BENCHMARK(BM_PlanInverseLengthsOfARun)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

void BM_ComplexFftTransform(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  ComplexFft fft(n);
  const std::vector<float> input = Noise(2 * static_cast<size_t>(n));
  std::vector<float> data(input.size());
  for (auto _ : state) {
    // A fresh copy each time, since repeated unscaled transforms would
    // grow the values to infinity.
    std::copy(input.begin(), input.end(), data.begin());
    fft.Transform(data.data(), kFftForward);
    benchmark::DoNotOptimize(data.data());
  }
}
BENCHMARK(BM_ComplexFftTransform)->Arg(340)->Arg(512)->Arg(1024)->Arg(2048);

void BM_RealFftForwardBackward(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  RealFft fft(n);
  const std::vector<float> x = Noise(static_cast<size_t>(n));
  std::vector<std::complex<float>> bins(static_cast<size_t>(fft.BinCount()));
  std::vector<float> y(x.size());
  for (auto _ : state) {
    fft.Forward(x.data(), bins.data());
    fft.Backward(bins.data(), y.data());
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(BM_RealFftForwardBackward)->Arg(512)->Arg(1024)->Arg(2048);

// The inverse transform of a frame, at lengths FFTW plans directly (340,
// 512) and at lengths carried out as a chirp convolution (356 = 4 * 89,
// 568 = 8 * 71, 1480 = 8 * 5 * 37).
void BM_RealFftBackward(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  RealFft fft(n, RealFftUse::kBackwardOnly);
  const std::vector<float> noise = Noise(2 * static_cast<size_t>(fft.BinCount()));
  std::vector<std::complex<float>> bins(static_cast<size_t>(fft.BinCount()));
  for (size_t k = 0; k < bins.size(); ++k) bins[k] = {noise[2 * k], noise[2 * k + 1]};
  std::vector<float> x(static_cast<size_t>(n));
  for (auto _ : state) {
    fft.Backward(bins.data(), x.data());
    benchmark::DoNotOptimize(x.data());
  }
}
BENCHMARK(BM_RealFftBackward)->Arg(340)->Arg(512)->Arg(356)->Arg(568)->Arg(1480);

// Building an object whose plans are already cached: a lock, a map lookup
// and the work array.
void BM_ComplexFftConstructCached(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  ComplexFft warm(n);
  for (auto _ : state) {
    ComplexFft fft(n);
    benchmark::DoNotOptimize(fft.Ready());
  }
}
BENCHMARK(BM_ComplexFftConstructCached)->Arg(340)->Arg(2048);

}  // namespace
}  // namespace plimo
