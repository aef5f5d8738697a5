// plimo-cli presets: the 25 target voices and what each sets for a speaker.

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/ParameterText.h"
#include "params/Presets.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

constexpr const char* kPresetsUsage =
    "usage: plimo-cli presets [--speaker man|woman|child] [--json]\n"
    "\n"
    "Lists the 25 target voices with their index and name, and the values each\n"
    "sets for the chosen speaker (default man): pitch factor, pitch offset,\n"
    "duration, vocal tract factor, robot voice and its pitch, reverb and\n"
    "compressor. Values are those the settings window ends with, within its\n"
    "sliders' ranges.\n"
    "\n"
    "  --speaker KIND   the user's own voice: man, woman or child\n"
    "  --json           a JSON array of objects with the keys index, name,\n"
    "                   pitchFactor, pitchOffsetHz, durationFactor,\n"
    "                   vocalTractFactor, robotVoiceOn, robotPitchHz, reverbOn,\n"
    "                   reverbLevel, compressorOn, compressionThreshold\n";

constexpr const char* kSpeakerNames[] = {"man", "woman", "child"};

int32_t ParseSpeakerKind(const char* text) {
  for (int32_t kind = kSpeakerMan; kind <= kSpeakerChild; ++kind) {
    if (std::strcmp(text, kSpeakerNames[kind - kSpeakerMan]) == 0) return kind;
  }
  return 0;
}

std::string Switched(int32_t on, float value, const char* unit) {
  return on == 1 ? "on " + FloatText(value) + unit : std::string("off");
}

void PrintTextRow(int32_t index, const VoiceParameters& r) {
  std::printf("%2d  %-14s %-6s %-6s %-8s %-11s %-12s %-9s %s\n", static_cast<int>(index),
              PresetName(index)->english, FloatText(r.pitchFactor).c_str(),
              FloatText(r.pitchOffsetHz).c_str(), FloatText(r.durationFactor).c_str(),
              FloatText(r.vocalTractFactor).c_str(), Switched(r.robotVoiceOn, r.robotPitchHz, " Hz").c_str(),
              Switched(r.reverbOn, r.reverbLevel, "").c_str(),
              Switched(r.compressorOn, r.compressionThreshold, "").c_str());
}

std::string JsonObject(int32_t index, const VoiceParameters& r) {
  return "{\"index\":" + std::to_string(index) + ",\"name\":" + JsonString(PresetName(index)->english) +
         ",\"pitchFactor\":" + FloatText(r.pitchFactor) + ",\"pitchOffsetHz\":" + FloatText(r.pitchOffsetHz) +
         ",\"durationFactor\":" + FloatText(r.durationFactor) +
         ",\"vocalTractFactor\":" + FloatText(r.vocalTractFactor) +
         ",\"robotVoiceOn\":" + std::to_string(r.robotVoiceOn) +
         ",\"robotPitchHz\":" + FloatText(r.robotPitchHz) + ",\"reverbOn\":" + std::to_string(r.reverbOn) +
         ",\"reverbLevel\":" + FloatText(r.reverbLevel) +
         ",\"compressorOn\":" + std::to_string(r.compressorOn) +
         ",\"compressionThreshold\":" + FloatText(r.compressionThreshold) + "}";
}

}  // namespace

int RunPresets(int argc, char** argv) {
  bool json = false;
  int32_t speakerKind = kSpeakerMan;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kPresetsUsage, stdout);
      return kExitOk;
    }
    if (argument == "--json") {
      json = true;
    } else if (argument == "--speaker") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "plimo-cli presets: --speaker needs man, woman or child\n");
        return kExitUsage;
      }
      speakerKind = ParseSpeakerKind(argv[++i]);
      if (speakerKind == 0) {
        std::fprintf(stderr, "plimo-cli presets: unknown speaker '%s' (man, woman or child)\n", argv[i]);
        return kExitUsage;
      }
    } else {
      std::fprintf(stderr, "plimo-cli presets: unexpected argument '%s' (try --help)\n", argv[i]);
      return kExitUsage;
    }
  }

  // The speaker kind was checked above and every index is a preset's, so
  // no preview is refused.
  VoiceParameters record;
  if (json) {
    std::string out = "[";
    for (int32_t index = 0; index < kPresetCount; ++index) {
      static_cast<void>(PreviewPreset(record, speakerKind, index));
      out += (index == 0 ? "\n" : ",\n") + JsonObject(index, record);
    }
    std::printf("%s\n]\n", out.c_str());
    return kExitOk;
  }
  std::printf("Presets for speaker %s\n", kSpeakerNames[speakerKind - kSpeakerMan]);
  std::printf("%2s  %-14s %-6s %-6s %-8s %-11s %-12s %-9s %s\n", "#", "name", "pitch", "offset", "duration",
              "vocal tract", "robot", "reverb", "compressor");
  for (int32_t index = 0; index < kPresetCount; ++index) {
    static_cast<void>(PreviewPreset(record, speakerKind, index));
    PrintTextRow(index, record);
  }
  return kExitOk;
}

}  // namespace plimo::cli
