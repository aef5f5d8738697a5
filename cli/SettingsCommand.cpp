// plimo-cli settings: every field of a parameter file.

#include <array>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/ParameterText.h"
#include "params/ParameterFile.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

constexpr const char* kSettingsUsage =
    "usage: plimo-cli settings [--json] FILE.prm\n"
    "\n"
    "Reads a parameter file as the settings window's Load button does and prints\n"
    "every field it holds, one per line: the 19 settings, then the equaliser's\n"
    "band frequencies (Hz) and gains (dB). A file that is missing or not a valid\n"
    "settings file gets the reason on stderr, and the exit status is 1.\n"
    "\n"
    "  --json   one JSON object whose keys are the settings' names, with the\n"
    "           arrays bandFrequencies and bandGains\n";

struct Field {
  const char* name;
  std::string value;
};

std::string Join(const std::array<float, kParameterFileBandCount>& values, const char* separator) {
  std::string out;
  for (float value : values) {
    if (!out.empty()) out += separator;
    out += FloatText(value);
  }
  return out;
}

std::string Int(int32_t value) { return std::to_string(value); }

void Print(const StoredParameters& s, bool json) {
  const Field fields[] = {
      {"samplingRate", Int(s.samplingRate)},
      {"meterDisplay", Int(s.meterDisplay)},
      {"realTimeMode", Int(s.realTimeMode)},
      {"robotVoiceOn", Int(s.robotVoiceOn)},
      {"reserved0", Int(s.reserved0)},
      {"pitchFactor", FloatText(s.pitchFactor)},
      {"pitchOffsetHz", FloatText(s.pitchOffsetHz)},
      {"durationFactor", FloatText(s.durationFactor)},
      {"vocalTractFactor", FloatText(s.vocalTractFactor)},
      {"reserved1", FloatText(s.reserved1)},
      {"reserved2", FloatText(s.reserved2)},
      {"robotPitchHz", FloatText(s.robotPitchHz)},
      {"speakerKind", Int(s.speakerKind)},
      {"reverbOn", Int(s.reverbOn)},
      {"reverbLevel", FloatText(s.reverbLevel)},
      {"whisperOn", Int(s.whisperOn)},
      {"whisperLevel", FloatText(s.whisperLevel)},
      {"chorusOn", Int(s.chorusOn)},
      {"chorusLevel", FloatText(s.chorusLevel)},
  };
  if (json) {
    std::string out = "{";
    for (const Field& field : fields) {
      out += JsonString(field.name) + ":" + field.value + ",";
    }
    out += "\"bandFrequencies\":[" + Join(s.bandFrequencies, ",") + "],\"bandGains\":[" +
           Join(s.bandGains, ",") + "]}";
    std::printf("%s\n", out.c_str());
    return;
  }
  for (const Field& field : fields) std::printf("%s: %s\n", field.name, field.value.c_str());
  std::printf("bandFrequencies: %s\n", Join(s.bandFrequencies, " ").c_str());
  std::printf("bandGains: %s\n", Join(s.bandGains, " ").c_str());
}

}  // namespace

int RunSettings(int argc, char** argv) {
  bool json = false;
  const char* path = nullptr;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kSettingsUsage, stdout);
      return kExitOk;
    }
    if (argument == "--json") {
      json = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "plimo-cli settings: unknown option '%s'\n", argv[i]);
      return kExitUsage;
    } else if (path != nullptr) {
      std::fprintf(stderr, "plimo-cli settings: one file at a time ('%s' and '%s')\n", path, argv[i]);
      return kExitUsage;
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) {
    std::fprintf(stderr, "plimo-cli settings: no file given (usage: plimo-cli settings [--json] FILE.prm)\n");
    return kExitUsage;
  }

  VoiceParameters record;
  LastMessage message;
  const ParameterFileStatus status = ReadParameterFile(path, record, message);
  if (status != ParameterFileStatus::kParameterFileOk) {
    std::fprintf(stderr, "plimo-cli settings: %s: %s (%s)\n", path,
                 message.english != nullptr ? message.english : "", ParameterFileStatusText(status));
    return kExitFailure;
  }
  Print(StoredParametersOf(record), json);
  return kExitOk;
}

}  // namespace plimo::cli
