// Pitch estimation per 40 ms analysis buffer: the decimated path at the
// standard rates, the full-rate path elsewhere.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/PitchTracker.h"

namespace {

constexpr double kFrameSeconds = 0.04;
constexpr double kHopSeconds = 0.006;
constexpr double kVoiceHz = 150.0;
constexpr double kAmplitude = 8000.0;  // 16-bit units

void EstimatePitchPerBuffer(benchmark::State& state) {
  const int fs = static_cast<int>(state.range(0));
  plimo::PitchTracker tracker;
  tracker.ConfigurePitchTracker(fs, kFrameSeconds, kHopSeconds);
  std::vector<float> buffer(static_cast<size_t>(tracker.FrameLength()));
  for (size_t i = 0; i < buffer.size(); ++i) {
    buffer[i] = static_cast<float>(kAmplitude * std::sin(2.0 * std::numbers::pi * kVoiceHz * i / fs));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(tracker.EstimatePitch(buffer.data()));
  }
  // Buffers per second of audio when advancing one 150 Hz period per frame.
  state.counters["buffers_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(EstimatePitchPerBuffer)->Arg(8000)->Arg(16000)->Arg(44100)->Arg(12000);

}  // namespace
