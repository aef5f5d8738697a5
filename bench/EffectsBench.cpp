#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/RandomGenerator.h"
#include "effects/Chorus.h"
#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"
#include "effects/Reverb.h"
#include "engine/EqualiserCurve.h"

namespace plimo {
namespace {

// The engine's 20 ms blocks: 319 samples at 16000 Hz, 881 at 44100 Hz.
int BlockLength(int samplingRate) { return static_cast<int>(static_cast<float>(samplingRate) * 0.02f); }

// A loud-and-quiet test block so that every branch of the dynamics runs.
std::vector<int16_t> TestBlock(int length) {
  std::vector<int16_t> x(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) {
    const double envelope = (i / 40) % 2 ? 20000.0 : 300.0;
    x[i] = static_cast<int16_t>(envelope * std::sin(0.09 * i));
  }
  return x;
}

// Each iteration restores the block first so that every pass sees the same
// input; the copy is small next to the effect.
template <typename Effect>
void RunDynamics(benchmark::State& state, Effect& effect) {
  const int length = BlockLength(static_cast<int>(state.range(0)));
  const std::vector<int16_t> input = TestBlock(length);
  std::vector<int16_t> block(input.size());
  for (auto _ : state) {
    block = input;
    effect.Process(block.data(), length);
    benchmark::DoNotOptimize(block.data());
  }
}

void BM_Compressor(benchmark::State& state) {
  Compressor compressor;
  compressor.SetThreshold(0.5f, 0.5f);
  RunDynamics(state, compressor);
}

void BM_Expander(benchmark::State& state) {
  Expander expander;
  expander.SetThreshold(0.5f);
  RunDynamics(state, expander);
}

void BM_Limiter(benchmark::State& state) {
  Limiter limiter;
  limiter.SetThreshold(0.5f);
  RunDynamics(state, limiter);
}

void BM_Gater(benchmark::State& state) {
  Gater gater;
  gater.SetThreshold(0.5f);
  RunDynamics(state, gater);
}

void BM_Reverb(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const int length = BlockLength(rate);
  Reverb reverb;
  reverb.SetLevel(0.5f);
  reverb.Prepare(static_cast<float>(rate), length);
  const std::vector<int16_t> input = TestBlock(length);
  std::vector<int16_t> block(input.size());
  for (auto _ : state) {
    block = input;
    reverb.Process(block.data(), length);
    benchmark::DoNotOptimize(block.data());
  }
}

void BM_Chorus(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const int length = BlockLength(rate);
  RandomGenerator random;
  Chorus chorus(random);
  chorus.Prepare(static_cast<float>(rate), length);
  const std::vector<int16_t> input = TestBlock(length);
  std::vector<int16_t> block(input.size());
  for (auto _ : state) {
    block = input;
    chorus.Process(block.data(), length);
    benchmark::DoNotOptimize(block.data());
  }
}

void BM_BuildEqualiserCurve(benchmark::State& state) {
  const int bins = static_cast<int>(state.range(0));
  Equaliser equaliser;
  for (int k = 0; k < equaliser.BandCount(); ++k) {
    equaliser.SetGain(k, static_cast<float>(4 * k - 18));
  }
  EqualiserCurve curve;
  curve.Prepare(bins);
  for (auto _ : state) {
    curve.BuildEqualiserCurve(equaliser, 16000.0f, bins);
    benchmark::DoNotOptimize(curve.Curve());
  }
}

BENCHMARK(BM_Compressor)->Arg(16000)->Arg(44100);
BENCHMARK(BM_Expander)->Arg(16000)->Arg(44100);
BENCHMARK(BM_Limiter)->Arg(16000)->Arg(44100);
BENCHMARK(BM_Gater)->Arg(16000)->Arg(44100);
BENCHMARK(BM_Reverb)->Arg(16000)->Arg(44100);
BENCHMARK(BM_Chorus)->Arg(16000)->Arg(44100);
BENCHMARK(BM_BuildEqualiserCurve)->Arg(513)->Arg(1025);

}  // namespace
}  // namespace plimo
