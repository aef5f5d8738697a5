// plimo-cli pitch: the analysis half of a modification run over a wav file,
// one CSV row per analysis frame.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "engine/RunGeometry.h"
#include "engine/RunObserver.h"
#include "engine/VoiceModifier.h"
#include "params/VoiceParameters.h"

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
          std::fprintf(stderr, "plimo-cli pitch: --seed takes an integer 0 .. 4294967295, not '%s'\n", value);
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
    std::fprintf(stderr,
                 "plimo-cli pitch: no file given (usage: plimo-cli pitch FILE [--csv OUT] [--seed N])\n");
    return kExitUsage;
  }
  return -1;
}

// Writes one CSV row per frame as the run analyses it.
class PitchRows : public RunObserver {
 public:
  explicit PitchRows(std::FILE* out) : out(out) {}

  void OnFrameAnalysed(int64_t frame, int64_t position, float f0) override {
    std::fprintf(out, "%lld,%lld,%g\n", static_cast<long long>(frame), static_cast<long long>(position), f0);
    ++frames;
    if (f0 > 0.0f) voicedF0.push_back(f0);
  }

  std::FILE* out;
  int64_t frames = 0;
  std::vector<float> voicedF0;
};

}  // namespace

int RunPitch(int argc, char** argv) {
  PitchOptions options;
  if (int status = ParseOptions(argc, argv, &options); status >= 0) return status;

  std::unique_ptr<SoundFile> input = SoundFile::OpenForReading(options.input);
  if (input->Status() != SoundFileStatus::kSoundFileReading) {
    std::fprintf(stderr, "plimo-cli pitch: %s: %s\n", options.input.c_str(),
                 SoundFileStatusText(input->Status()));
    return kExitFailure;
  }
  const int64_t rate = input->SampleRate();
  input.reset();
  if (rate < kMinRunRate || rate > kMaxRunRate) {
    std::fprintf(
        stderr,
        "plimo-cli pitch: %s: the sampling rate %lld Hz is outside the %d to %d Hz a modification runs at\n",
        options.input.c_str(), static_cast<long long>(rate), kMinRunRate, kMaxRunRate);
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

  // The run's own analysis loop, reading the file through the run's source.
  VoiceParameters record;
  record.inputFileName = options.input == kSoundBoardName ? "./" + options.input : options.input;
  record.realTimeMode = 0;
  record.meterDisplay = 0;
  const std::atomic<bool> keepRunning{true};
  PitchRows rows(out);
  VoiceModifier run(record, keepRunning, &rows, options.seed);
  run.SetAnalysisOnly(true);
  // The input was probed above; a source or rate that fails all the same
  // ends the run at once, and Process says why.
  static_cast<void>(run.Start(record));
  std::fprintf(out, "frame,position,f0_hz\n");
  const RunStatus status = run.Process();
  const int64_t frames = rows.frames;
  const int64_t voiced = static_cast<int64_t>(rows.voicedF0.size());
  std::vector<float>& voicedF0 = rows.voicedF0;
  if (status != RunStatus::kRunOk) {
    if (out != stdout) std::fclose(out);
    std::fprintf(stderr, "plimo-cli pitch: %s: reading the file failed part way\n", options.input.c_str());
    return kExitFailure;
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
