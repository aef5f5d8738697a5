// Reading a minute of audio in engine-sized blocks (20 ms), the file mode's
// steady load: 16 kHz mono as recorded, 44.1 kHz stereo as found on disk.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "audio/SoundFile.h"

namespace {

constexpr int kSeconds = 60;

struct Layout {
  uint32_t rate;
  uint16_t channels;
  int block;  // samples per 20 ms at the rate
};

constexpr Layout kMono16k = {16000, 1, 319};
constexpr Layout kStereo44k = {44100, 2, 881};

// A minute of a 220 Hz tone in a temporary 16-bit file, removed afterwards.
class TemporaryWav {
 public:
  explicit TemporaryWav(const Layout& layout) {
    char name[] = "/tmp/plimo-bench-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return;
    close(fd);
    path = name;
    const size_t frames = static_cast<size_t>(layout.rate) * kSeconds;
    std::vector<int16_t> tone(frames);
    for (size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / layout.rate;
      tone[i] = static_cast<int16_t>(10000.0 * std::sin(2.0 * std::numbers::pi * 220.0 * t));
    }
    auto file =
        plimo::SoundFile::CreateForWriting(path, layout.rate, 16, layout.channels, plimo::kWaveFormatPcm);
    if (file->Write(tone.data(), static_cast<int>(tone.size())) < 0 || !file->Close()) path.clear();
  }
  ~TemporaryWav() {
    if (!path.empty()) unlink(path.c_str());
  }

  std::string path;
};

void ReadWholeFile(benchmark::State& state, Layout layout) {
  const TemporaryWav wav(layout);
  if (wav.path.empty()) {
    state.SkipWithError("the benchmark file could not be written");
    return;
  }
  std::vector<int16_t> buffer(static_cast<size_t>(layout.block));
  int64_t samples = 0;
  for (auto _ : state) {
    auto file = plimo::SoundFile::OpenForReading(wav.path);
    if (file->Status() != plimo::SoundFileStatus::kSoundFileReading) {
      state.SkipWithError("the benchmark file did not open");
      break;
    }
    int got = 0;
    while ((got = file->Read(buffer.data(), layout.block)) > 0) samples += got;
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetItemsProcessed(samples);
}

BENCHMARK_CAPTURE(ReadWholeFile, mono16k_60s, kMono16k)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadWholeFile, stereo44k_60s, kStereo44k)->Unit(benchmark::kMillisecond);

}  // namespace
