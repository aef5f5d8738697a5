#include "cli/RenderOptions.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/ParameterText.h"
#include "params/ParameterFile.h"
#include "params/Presets.h"
#include "params/RecordControls.h"
#include "params/SliderRanges.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

constexpr const char* kRenderUsage =
    "usage: plimo-cli render IN.wav OUT.wav [options]\n"
    "       plimo-cli render IN.wav... --out-dir DIR [options]\n"
    "\n"
    "Modifies the voice in a wav file as the main window's file mode does and\n"
    "writes the result with the input's rate, sample width and channel count.\n"
    "With --out-dir every input is written to DIR under its own file name.\n"
    "IN.wav or OUT.wav may be - for standard input or output. Outputs appear\n"
    "under their names only once complete. Exit status: 0 all done, 1 some\n"
    "inputs failed (the others are done), 2 a usage error, 130 or 143 stopped\n"
    "by SIGINT or SIGTERM (unfinished outputs are removed).\n"
    "\n"
    "  --speaker man|woman|child  the speaker's own voice (default man)\n"
    "  --preset NAME|INDEX        target voice, 0 .. 24 or its name, e.g.\n"
    "                             \"Robot 3\" (default 4, \"Woman 1\")\n"
    "  --settings FILE.prm        a parameter file, applied after the preset\n"
    "  --pitch F                  pitch factor, 0.6 .. 3\n"
    "  --pitch-offset HZ          added to the scaled pitch, -500 .. 500\n"
    "  --duration F               duration factor, 0.3 .. 3\n"
    "  --vocal-tract F            formant factor, 0.3 .. 3\n"
    "  --robot HZ                 robot voice at this pitch, 80 .. 300\n"
    "  --whisper LEVEL            whisper, 0.5 .. 1\n"
    "  --eq G0,G1,...,G9          the ten band gains in dB, -20 .. 20 each\n"
    "  --reverb L                 reverb level, 0 .. 1\n"
    "  --chorus L                 chorus level, 0.5 .. 1\n"
    "  --compressor T             compression threshold, 0 .. 1\n"
    "  --expander T               expansion threshold, 0 .. 1\n"
    "  --limiter T                limiting threshold, 0 .. 1\n"
    "  --gater T                  gating threshold, 0 .. 1\n"
    "  --seed N                   seed of the run's random numbers (default 1);\n"
    "                             the same seed and settings give the same bytes\n"
    "  --out-dir DIR              folder for the outputs of several inputs\n"
    "  --files-from FILE          more inputs, one path a line (- reads them\n"
    "                             from standard input); needs --out-dir\n"
    "  --jobs N                   files rendered at once (default: one for each\n"
    "                             CPU this process may use); the bytes of every\n"
    "                             output are the same whatever N\n"
    "  --shard I/N                only the I-th of N shares of the inputs,\n"
    "                             0 <= I < N, by a hash of each input's file\n"
    "                             name: N runs with I = 0 .. N-1 render every\n"
    "                             input exactly once\n"
    "  --skip-existing            leave out inputs whose output exists\n"
    "  --report FILE              one JSON object a line for every input, then\n"
    "                             a summary line (- for standard output)\n"
    "  --quiet                    no progress line and no summary lines\n";

constexpr const char* kSpeakerNames[] = {"man", "woman", "child"};
// No slider sets the pitch offset; beyond this the pitch factor it makes
// is at its limit for any voice.
constexpr SliderRange kPitchOffsetRange{-500.0f, 500.0f};  // Hz
constexpr int64_t kMaxSeed = 0xFFFFFFFFll;
// More threads than this would only wait for the disk and each other.
constexpr int64_t kMaxJobs = 1024;

struct ValueOption {
  const char* name;
  SliderRange range;
  std::optional<float> RenderOptions::*field;
};

constexpr ValueOption kValueOptions[] = {
    {"--pitch", kPitchRange, &RenderOptions::pitch},
    {"--pitch-offset", kPitchOffsetRange, &RenderOptions::pitchOffset},
    {"--duration", kDurationRange, &RenderOptions::duration},
    {"--vocal-tract", kVocalTractRange, &RenderOptions::vocalTract},
    {"--robot", kRobotPitchRange, &RenderOptions::robot},
    {"--whisper", kWhisperLevelRange, &RenderOptions::whisper},
    {"--reverb", kReverbLevelRange, &RenderOptions::reverb},
    {"--chorus", kChorusLevelRange, &RenderOptions::chorus},
    {"--compressor", kThresholdRange, &RenderOptions::compressor},
    {"--expander", kThresholdRange, &RenderOptions::expander},
    {"--limiter", kThresholdRange, &RenderOptions::limiter},
    {"--gater", kThresholdRange, &RenderOptions::gater},
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "plimo-cli render: %s\n", message.c_str());
  return kExitUsage;
}

// A number within range; the range is printed as the settings window shows
// it.
bool ParseInRange(const char* text, SliderRange range, float* value) {
  double parsed = 0.0;
  if (!ParseDouble(text, &parsed)) return false;
  // Compared as the float the setting holds: "0.6" is the slider's end.
  const float single = static_cast<float>(parsed);
  if (!(single >= range.lowest && single <= range.highest)) return false;
  *value = single;
  return true;
}

std::string RangeText(SliderRange range) {
  return FloatText(range.lowest) + " to " + FloatText(range.highest);
}

int32_t ParsePreset(const char* text) {
  int64_t index = 0;
  if (ParseInt64(text, &index)) return index >= 0 && index < kPresetCount ? static_cast<int32_t>(index) : -1;
  for (int32_t i = 0; i < kPresetCount; ++i) {
    const MessagePair* name = PresetName(i);
    if (strcasecmp(text, name->english) == 0 || std::strcmp(text, name->turkish) == 0) return i;
  }
  return -1;
}

int ParseShard(const char* text, RenderOptions* options) {
  const std::string all = text;
  const size_t slash = all.find('/');
  int64_t index = -1;
  int64_t count = 0;
  if (slash == std::string::npos || !ParseInt64(all.substr(0, slash).c_str(), &index) ||
      !ParseInt64(all.substr(slash + 1).c_str(), &count) || count < 1 || index < 0 || index >= count) {
    return UsageError("--shard takes I/N with 0 <= I < N (the I-th of N shares), not '" + all + "'");
  }
  options->shardIndex = index;
  options->shardCount = count;
  return -1;
}

int ParseEqualiser(const char* text, RenderOptions* options) {
  std::array<float, kBandSliderCount> gains{};
  const std::string all = text;
  size_t start = 0;
  for (int band = 0; band < kBandSliderCount; ++band) {
    const size_t comma = all.find(',', start);
    const bool last = band == kBandSliderCount - 1;
    if ((comma == std::string::npos) != last) {
      return UsageError("--eq takes " + std::to_string(kBandSliderCount) +
                        " gains separated by commas, not '" + all + "'");
    }
    const std::string item = all.substr(start, last ? std::string::npos : comma - start);
    if (!ParseInRange(item.c_str(), kBandGainRange, &gains[static_cast<size_t>(band)])) {
      return UsageError("--eq gains are dB from " + RangeText(kBandGainRange) + ", not '" + item + "'");
    }
    start = comma + 1;
  }
  options->equaliser = gains;
  return -1;
}

// One option with its value; -1 to go on, or an exit status.
int ParseValue(const std::string& name, const char* value, RenderOptions* options) {
  for (const ValueOption& option : kValueOptions) {
    if (name != option.name) continue;
    float parsed = 0.0f;
    if (!ParseInRange(value, option.range, &parsed)) {
      return UsageError(name + " takes a number from " + RangeText(option.range) + ", not '" + value + "'");
    }
    options->*option.field = parsed;
    return -1;
  }
  if (name == "--speaker") {
    for (int32_t kind = kSpeakerMan; kind <= kSpeakerChild; ++kind) {
      if (std::strcmp(value, kSpeakerNames[kind - kSpeakerMan]) == 0) {
        options->speakerKind = kind;
        return -1;
      }
    }
    return UsageError(std::string("--speaker takes man, woman or child, not '") + value + "'");
  }
  if (name == "--preset") {
    options->presetIndex = ParsePreset(value);
    if (options->presetIndex < 0) {
      return UsageError(std::string("--preset takes an index 0 to 24 or a target voice's name "
                                    "(see plimo-cli presets), not '") +
                        value + "'");
    }
    return -1;
  }
  if (name == "--seed") {
    int64_t seed = 0;
    if (!ParseInt64(value, &seed) || seed < 0 || seed > kMaxSeed) {
      return UsageError(std::string("--seed takes an integer 0 to 4294967295, not '") + value + "'");
    }
    options->seed = static_cast<uint32_t>(seed);
    return -1;
  }
  if (name == "--eq") return ParseEqualiser(value, options);
  if (name == "--jobs") {
    int64_t jobs = 0;
    if (!ParseInt64(value, &jobs) || jobs < 1 || jobs > kMaxJobs) {
      return UsageError("--jobs takes an integer 1 to " + std::to_string(kMaxJobs) + ", not '" + value + "'");
    }
    options->jobs = static_cast<int>(jobs);
    return -1;
  }
  if (name == "--shard") return ParseShard(value, options);
  std::string RenderOptions::*const text = name == "--settings"     ? &RenderOptions::settingsFile
                                           : name == "--files-from" ? &RenderOptions::filesFrom
                                           : name == "--report"     ? &RenderOptions::reportFile
                                                                    : &RenderOptions::outDir;
  options->*text = value;
  return -1;
}

bool TakesValue(const std::string& name) {
  for (const ValueOption& option : kValueOptions) {
    if (name == option.name) return true;
  }
  return name == "--speaker" || name == "--preset" || name == "--seed" || name == "--eq" ||
         name == "--settings" || name == "--out-dir" || name == "--files-from" || name == "--jobs" ||
         name == "--shard" || name == "--report";
}

// The forms that would take standard input or output twice, or a name
// standard input has not got.
int CheckStandardStreams(const RenderOptions& options) {
  const bool inputFromStdin = !options.inputs.empty() && options.inputs[0] == kStandardStream;
  if (!options.outDir.empty()) {
    for (const std::string& input : options.inputs) {
      if (input == kStandardStream) {
        return UsageError(
            "standard input has no file name to write under in --out-dir; use "
            "plimo-cli render - OUT.wav");
      }
    }
  }
  if (options.filesFrom == kStandardStream && inputFromStdin) {
    return UsageError("--files-from - and the input - cannot both read standard input");
  }
  if (options.reportFile == kStandardStream && options.output == kStandardStream) {
    return UsageError("--report - and the output - cannot both write standard output");
  }
  return -1;
}

}  // namespace

bool IsFileOption(const std::string& name) {
  return name == "--out-dir" || name == "--files-from" || name == "--jobs" || name == "--shard" ||
         name == "--skip-existing" || name == "--report" || name == "--quiet";
}

int ParseRenderOptions(int argc, char** argv, RenderOptions* options) {
  std::vector<std::string> files;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kRenderUsage, stdout);
      return kExitOk;
    }
    if (argument == "--quiet") {
      options->quiet = true;
    } else if (argument == "--skip-existing") {
      options->skipExisting = true;
    } else if (TakesValue(argument)) {
      if (i + 1 >= argc) return UsageError(argument + " needs a value");
      const int status = ParseValue(argument, argv[++i], options);
      if (status >= 0) return status;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return UsageError("unknown option '" + argument + "' (try plimo-cli render --help)");
    } else {
      files.push_back(argument);
    }
  }
  if (options->outDir.empty()) {
    if (!options->filesFrom.empty()) return UsageError("--files-from needs --out-dir DIR for the outputs");
    if (files.size() != 2) {
      return UsageError(
          "give one input and one output (plimo-cli render IN.wav OUT.wav), or several inputs "
          "with --out-dir DIR");
    }
    options->inputs = {files[0]};
    options->output = files[1];
  } else {
    if (files.empty() && options->filesFrom.empty()) return UsageError("no input file given");
    options->inputs = files;
  }
  return CheckStandardStreams(*options);
}

bool BuildRenderRecord(const RenderOptions& options, VoiceParameters& record) {
  // ParseRenderOptions has checked the speaker kind and the preset.
  static_cast<void>(PreviewPreset(record, options.speakerKind, options.presetIndex));
  if (!options.settingsFile.empty()) {
    LastMessage message;
    const ParameterFileStatus status = ReadParameterFile(options.settingsFile, record, message);
    if (status != ParameterFileStatus::kParameterFileOk) {
      std::fprintf(stderr, "plimo-cli render: %s: %s (%s)\n", options.settingsFile.c_str(),
                   message.english != nullptr ? message.english : "", ParameterFileStatusText(status));
      return false;
    }
    const RecordControls controls(record);
    record.CopyControlsToParameters(kAllSettingsControls, controls);
  }

  if (options.pitch) record.pitchFactor = *options.pitch;
  if (options.pitchOffset) record.pitchOffsetHz = *options.pitchOffset;
  if (options.duration) record.durationFactor = *options.duration;
  if (options.vocalTract) record.vocalTractFactor = *options.vocalTract;
  if (options.robot) {
    record.robotVoiceOn = 1;
    record.robotPitchHz = *options.robot;
  }
  if (options.whisper) {
    record.whisperOn = 1;
    record.whisperLevel = *options.whisper;
  }
  if (options.equaliser) {
    for (int band = 0; band < kBandSliderCount; ++band) {
      record.equaliser.SetGain(band, (*options.equaliser)[static_cast<size_t>(band)]);
    }
  }
  if (options.reverb) {
    record.reverbOn = 1;
    record.reverbLevel = *options.reverb;
    record.derivedEffects.reverbLevel = *options.reverb;
  }
  if (options.chorus) {
    record.chorusOn = 1;
    record.chorusLevel = *options.chorus;
    record.derivedEffects.chorusLevel = *options.chorus;
  }
  if (options.compressor) {
    record.compressorOn = 1;
    record.compressionThreshold = *options.compressor;
    record.derivedEffects.compressionThreshold = *options.compressor;
  }
  if (options.expander) {
    record.expanderOn = 1;
    record.expansionThreshold = *options.expander;
    record.derivedEffects.expansionThreshold = *options.expander;
  }
  if (options.limiter) {
    record.limiterOn = 1;
    record.limitingThreshold = *options.limiter;
    record.derivedEffects.limitingThreshold = *options.limiter;
  }
  if (options.gater) {
    record.gaterOn = 1;
    record.gatingThreshold = *options.gater;
    record.derivedEffects.gatingThreshold = *options.gater;
  }
  return true;
}

}  // namespace plimo::cli
