// The modification engine's speed: one frame modification, the set-up of a
// run, and whole file runs, in seconds of audio per second ("x_realtime").

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "dsp/Primitives.h"
#include "dsp/RandomGenerator.h"
#include "engine/FrameModifier.h"
#include "engine/RunGeometry.h"
#include "engine/VoiceModifier.h"
#include "params/Equaliser.h"
#include "params/Presets.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

constexpr int kWoman1 = 4;
constexpr double kSpeechF0 = 125.0;    // Hz
constexpr double kFileSeconds = 10.0;  // of audio per file run

// A sung vowel: a pulse train gliding around kSpeechF0 through two formant
// resonators, with 2 s of silence and noise between phrases, so the
// engine meets voiced and unvoiced frames as in speech.
std::vector<int16_t> SpeechLike(int fs, double seconds) {
  const int n = static_cast<int>(fs * seconds);
  std::vector<int16_t> out(static_cast<size_t>(n));
  auto resonator = [fs](double hz, double bandwidth, double* a1, double* a2) {
    const double r = std::exp(-std::numbers::pi * bandwidth / fs);
    *a1 = 2.0 * r * std::cos(2.0 * std::numbers::pi * hz / fs);
    *a2 = -r * r;
  };
  double a1, a2, b1, b2;
  resonator(700.0, 130.0, &a1, &a2);
  resonator(1200.0, 150.0, &b1, &b2);
  double s1 = 0, s2 = 0, u1 = 0, u2 = 0, next = 0;
  uint32_t noise = 1;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / fs;
    const bool voiced = std::fmod(t, 2.5) < 2.0;
    double excitation = 0.0;
    if (voiced && i >= next) {
      excitation = 1.0;
      next = i + fs / (kSpeechF0 * (1.0 + 0.1 * std::sin(2.0 * std::numbers::pi * 0.5 * t)));
    } else if (!voiced) {
      noise = noise * 1103515245u + 12345u;
      excitation = 0.02 * (static_cast<double>((noise >> 16) & 0x7FFF) / 16384.0 - 1.0);
    }
    const double s = excitation + a1 * s1 + a2 * s2;
    s2 = s1;
    s1 = s;
    const double u = s + b1 * u1 + b2 * u2;
    u2 = u1;
    u1 = u;
    out[static_cast<size_t>(i)] = static_cast<int16_t>(std::clamp(u * 400.0, -32000.0, 32000.0));
  }
  return out;
}

// A frame as the driver hands it over: two periods, DC-free, windowed.
std::vector<float> VoicedFrame(int fs, int n) {
  const std::vector<int16_t> speech = SpeechLike(fs, 0.5);
  std::vector<float> frame(static_cast<size_t>(n));
  std::vector<float> window(static_cast<size_t>(n));
  HammingWindow(window.data(), n);
  for (int i = 0; i < n; ++i) frame[i] = speech[static_cast<size_t>(fs / 10 + i)] * window[i];
  return frame;
}

void BM_ModifyFrame(benchmark::State& state) {
  const int fs = static_cast<int>(state.range(0));
  Equaliser equaliser;
  RandomGenerator random;
  FrameModifier modifier;
  const int frameLength = static_cast<int>(std::floor(kAnalysisFrameSeconds * fs + 0.5));
  modifier.Configure(fs, FftSizeFor(fs), LpcOrderFor(fs), frameLength, equaliser, random);
  const int n = static_cast<int>(2.0 * fs / kSpeechF0) / 2 * 2;
  const std::vector<float> input = VoicedFrame(fs, n);
  std::vector<float> frame(static_cast<size_t>(frameLength));
  for (auto _ : state) {
    std::copy(input.begin(), input.end(), frame.begin());
    benchmark::DoNotOptimize(modifier.ModifyFrame(frame.data(), n, 1.8f, 1.2f, 0, 0.75f));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ModifyFrame)->Arg(8000)->Arg(16000)->Arg(44100)->Unit(benchmark::kMicrosecond);

// A temporary input file for the file runs, removed at exit.
class InputFile {
 public:
  explicit InputFile(int fs) {
    char pattern[] = "/tmp/plimo-bench-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    path = pattern;
    output = path + "-out.wav";
    const std::vector<int16_t> samples = SpeechLike(fs, kFileSeconds);
    auto file = SoundFile::CreateForWriting(path, static_cast<uint32_t>(fs), 16, 1, kWaveFormatPcm);
    // Timings of a run over a broken input would mean nothing.
    if (file->Write(samples.data(), static_cast<int>(samples.size())) < 0 || !file->Close()) {
      std::fprintf(stderr, "plimo-bench: cannot write %s\n", path.c_str());
      std::exit(EXIT_FAILURE);
    }
  }
  ~InputFile() {
    std::remove(path.c_str());
    std::remove(output.c_str());
  }
  std::string path;
  std::string output;
};

const InputFile& InputAt(int fs) {
  static const InputFile at16000(16000);
  static const InputFile at44100(44100);
  return fs == 16000 ? at16000 : at44100;
}

// "Woman 1" for a male speaker, as the main window starts; with effects the
// reverb, chorus and compressor are switched on too.
void BM_FileRun(benchmark::State& state) {
  const int fs = static_cast<int>(state.range(0));
  const bool effects = state.range(1) != 0;
  const InputFile& input = InputAt(fs);
  VoiceParameters record;
  static_cast<void>(PreviewPreset(record, kSpeakerMan, kWoman1));  // a preset that exists
  if (effects) {
    record.reverbOn = 1;
    record.derivedEffects.reverbLevel = 0.5f;
    record.chorusOn = 1;
    record.derivedEffects.chorusLevel = 0.75f;
    record.compressorOn = 1;
    record.derivedEffects.compressionThreshold = 0.5f;
  }
  record.inputFileName = input.path;
  record.outputFileName = input.output;
  record.realTimeMode = 0;
  record.meterDisplay = 0;
  const std::atomic<bool> running{true};
  for (auto _ : state) {
    VoiceModifier modifier(record, running, nullptr, 1);
    if (modifier.Start(record) != StreamsStatus::kStreamsOpen) {
      state.SkipWithError("the input file cannot be opened");
      break;
    }
    benchmark::DoNotOptimize(modifier.Process());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(kFileSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FileRun)
    ->Args({16000, 0})
    ->Args({44100, 0})
    ->Args({16000, 1})
    ->Args({44100, 1})
    ->Unit(benchmark::kMillisecond);

// What a run makes before its first frame once the transforms' plans are
// cached for the process: the exponential table and one inverse transform
// per reachable length.
void BM_RunSetUp(benchmark::State& state) {
  const int fs = static_cast<int>(state.range(0));
  const int frameLength = static_cast<int>(std::floor(kAnalysisFrameSeconds * fs + 0.5));
  Equaliser equaliser;
  RandomGenerator random;
  for (auto _ : state) {
    FrameModifier modifier;
    benchmark::DoNotOptimize(
        modifier.Configure(fs, FftSizeFor(fs), LpcOrderFor(fs), frameLength, equaliser, random));
  }
}
BENCHMARK(BM_RunSetUp)->Arg(8000)->Arg(16000)->Arg(44100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimo
