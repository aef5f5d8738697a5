// plimo-cli pitch: the analysis half of a modification run over a wav file,
// one CSV row per analysis frame.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "engine/PitchTracker.h"
#include "engine/dsp/RandomGenerator.h"

namespace plimo::cli {

namespace {

constexpr const char* kPitchUsage =
    "usage: plimo-cli pitch FILE [--csv OUT] [--seed N]\n"
    "\n"
    "Tracks the fundamental frequency of FILE the way a modification run\n"
    "analyses it: 40 ms analysis buffers advanced by one pitch period when\n"
    "voiced and by 6 ms otherwise, dithered from the seeded generator.\n"
    "Writes CSV with the header frame,position,f0_hz (position in samples,\n"
    "f0 0 when unvoiced) to OUT, or to standard output without --csv.\n"
    "\n"
    "  --csv OUT   write the CSV to OUT and a summary to standard output\n"
    "  --seed N    seed of the dither generator (default 1)\n";

constexpr double kFrameSeconds = 0.04;
constexpr double kHopSeconds = 0.006;
constexpr double kVoicedF0 = 10.0;  // Hz
// Positions wrap back by this many samples once they pass twice it, as in a
// modification run; the pitch tracker is told so that octave correction
// stays on.
constexpr int64_t kWrapDistance = 1500000;
constexpr int kVoicedCountAfterWrap = 60;

struct PitchOptions {
  std::string input;
  std::string csv;
  uint32_t seed = 1;
};

int ParseOptions(int argc, char** argv, PitchOptions* options) {
  for (int i = 0; i < argc; ++i) {
    std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kPitchUsage, stdout);
      return kExitOk;
    }
    if (argument == "--csv" || argument == "--seed") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "plimo-cli pitch: %s needs a value\n", argument.c_str());
        return kExitUsage;
      }
      const char* value = argv[++i];
      if (argument == "--csv") {
        options->csv = value;
      } else {
        int64_t seed = 0;
        if (!ParseInt64(value, &seed) || seed < 0 || seed > 0xFFFFFFFFll) {
          std::fprintf(stderr, "plimo-cli pitch: --seed takes an integer 0 .. 4294967295, not '%s'\n",
                       value);
          return kExitUsage;
        }
        options->seed = static_cast<uint32_t>(seed);
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "plimo-cli pitch: unknown option '%s'\n", argv[i]);
      return kExitUsage;
    } else if (options->input.empty()) {
      options->input = argument;
    } else {
      std::fprintf(stderr, "plimo-cli pitch: one input file only ('%s' is extra)\n", argv[i]);
      return kExitUsage;
    }
  }
  if (options->input.empty()) {
    std::fprintf(stderr, "plimo-cli pitch: no file given (usage: plimo-cli pitch FILE [--csv OUT] [--seed N])\n");
    return kExitUsage;
  }
  return -1;
}

// Reads up to n samples; a short read at the end of the data is padded with
// zeros so that no earlier audio is analysed twice. Returns the samples read.
int ReadPadded(SoundFile& file, int16_t* buffer, int n) {
  int got = std::max(file.Read(buffer, n), 0);
  std::fill(buffer + got, buffer + n, int16_t{0});
  return got;
}

}  // namespace

int RunPitch(int argc, char** argv) {
  PitchOptions options;
  if (int status = ParseOptions(argc, argv, &options); status >= 0) return status;

  std::unique_ptr<SoundFile> input = SoundFile::OpenForReading(options.input);
  if (input->status != kSoundFileReading) {
    std::fprintf(stderr, "plimo-cli pitch: %s: %s\n", options.input.c_str(),
                 SoundFileStatusText(input->status));
    return kExitFailure;
  }

  std::FILE* out = stdout;
  if (!options.csv.empty()) {
    out = std::fopen(options.csv.c_str(), "w");
    if (out == nullptr) {
      std::fprintf(stderr, "plimo-cli pitch: cannot create %s\n", options.csv.c_str());
      return kExitFailure;
    }
  }

  const int fs = static_cast<int>(input->sampleRate);
  PitchTracker tracker;
  tracker.ConfigurePitchTracker(fs, kFrameSeconds, kHopSeconds);
  const int frameLength = tracker.frameLength;
  const int unvoicedHop = static_cast<int>(fs * kHopSeconds);
  RandomGenerator random(options.seed);

  std::vector<int16_t> samples(static_cast<size_t>(frameLength));
  std::vector<float> history(static_cast<size_t>(frameLength));
  int analysisLength = frameLength;  // two periods of the last voiced frame
  int previousHop = tracker.hop;
  int64_t position = 0;              // absolute, for the CSV
  int64_t wrappedPosition = 0;       // as a run keeps it
  int64_t frames = 0;
  int64_t voiced = 0;
  std::vector<float> voicedF0;

  std::fprintf(out, "frame,position,f0_hz\n");
  for (;;) {
    if (frames == 0) {
      if (ReadPadded(*input, samples.data(), frameLength) == 0) break;
      std::copy(samples.begin(), samples.end(), history.begin());
    } else {
      if (ReadPadded(*input, samples.data(), previousHop) == 0) break;
      std::copy(history.begin() + previousHop, history.end(), history.begin());
      std::copy(samples.begin(), samples.begin() + previousHop,
                history.end() - previousHop);
    }
    for (int i = 0; i < analysisLength; ++i) {
      history[i] += static_cast<float>(NoiseValue(random));
    }

    const float f0 = tracker.EstimatePitch(history.data());
    int hop = unvoicedHop;
    if (f0 > kVoicedF0) {
      analysisLength = std::min(static_cast<int>(2.0f * fs / f0), frameLength);
      analysisLength -= analysisLength % 2;
      // One period, but never more than the analysis buffer holds.
      hop = std::min(static_cast<int>(std::floor(fs / f0 + 0.5f)), frameLength);
      ++voiced;
      voicedF0.push_back(f0);
    }
    std::fprintf(out, "%lld,%lld,%g\n", static_cast<long long>(frames),
                 static_cast<long long>(position), f0 > kVoicedF0 ? f0 : 0.0f);

    ++frames;
    previousHop = hop;
    position += hop;
    wrappedPosition += hop;
    if (wrappedPosition > 2 * kWrapDistance) {
      wrappedPosition -= kWrapDistance;
      tracker.voicedFrameCount = kVoicedCountAfterWrap;
    }
  }

  bool writeFailed = std::ferror(out) != 0;
  if (out != stdout) {
    writeFailed = std::fclose(out) != 0 || writeFailed;
  } else {
    writeFailed = std::fflush(out) != 0 || writeFailed;
  }
  if (writeFailed) {
    std::fprintf(stderr, "plimo-cli pitch: writing %s failed\n",
                 options.csv.empty() ? "standard output" : options.csv.c_str());
    return kExitFailure;
  }
  if (!options.csv.empty()) {
    float median = 0.0f;
    if (!voicedF0.empty()) {
      std::nth_element(voicedF0.begin(), voicedF0.begin() + voicedF0.size() / 2, voicedF0.end());
      median = voicedF0[voicedF0.size() / 2];
    }
    std::printf("%s: %lld frames, %lld voiced, median F0 %.1f Hz\n", options.input.c_str(),
                static_cast<long long>(frames), static_cast<long long>(voiced), median);
  }
  return kExitOk;
}

}  // namespace plimo::cli
