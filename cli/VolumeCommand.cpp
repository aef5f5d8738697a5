// plimo-cli volume: the volume window's two sliders.

#include <cstdio>
#include <optional>
#include <string>

#include "audio/MixerControls.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "messages/MessageTable.h"

namespace plimo::cli {

namespace {

constexpr const char* kVolumeUsage =
    "usage: plimo-cli volume [--speaker N] [--mic N]\n"
    "\n"
    "Sets the default speaker's master volume and the microphone's recording\n"
    "gain to N (within the range printed), then prints both with their ranges.\n";

// Sets the control when asked to; false (after a line on stderr) when the
// value is outside its range.
bool Apply(VolumeControl& control, const char* name, std::optional<int64_t> value) {
  if (!value) return true;
  if (*value < control.Minimum() || *value > control.Maximum()) {
    std::fprintf(stderr, "plimo-cli volume: the %s takes %d to %d, not %lld\n", name, control.Minimum(),
                 control.Maximum(), static_cast<long long>(*value));
    return false;
  }
  control.SetVolume(static_cast<uint32_t>(*value));
  return true;
}

void Print(const VolumeControl& control, const char* name) {
  std::printf("%s: %d (%d to %d)\n", name, control.GetVolume(), control.Minimum(), control.Maximum());
}

}  // namespace

int RunVolume(int argc, char** argv) {
  std::optional<int64_t> speaker;
  std::optional<int64_t> microphone;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kVolumeUsage, stdout);
      return kExitOk;
    }
    std::optional<int64_t>* target = argument == "--speaker" ? &speaker
                                     : argument == "--mic"   ? &microphone
                                                             : nullptr;
    int64_t value = 0;
    if (target == nullptr || i + 1 >= argc || !ParseInt64(argv[i + 1], &value)) {
      std::fprintf(stderr, "plimo-cli volume: takes --speaker N and --mic N (try plimo-cli volume --help)\n");
      return kExitUsage;
    }
    *target = value;
    ++i;
  }
  MixerControls controls;
  int status = kExitOk;
  if (controls.SpeakerUsable()) {
    if (!Apply(*controls.speaker, "speaker", speaker)) status = kExitUsage;
    Print(*controls.speaker, "speaker");
  } else {
    std::fprintf(stderr, "plimo-cli volume: %s\n", ChooseText(kMessageNoSoundCard));
    status = kExitFailure;
  }
  if (controls.MicrophoneUsable()) {
    if (!Apply(*controls.microphone, "microphone", microphone)) status = kExitUsage;
    Print(*controls.microphone, "microphone");
  } else {
    std::fprintf(stderr, "plimo-cli volume: %s\n", ChooseText(kMessageNoMicrophone));
    status = kExitFailure;
  }
  return status;
}

}  // namespace plimo::cli
