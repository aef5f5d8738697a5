// plimo-cli live: real-time modification from the default microphone to
// the default speaker, as the main window's real-time mode.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/OperationConsole.h"
#include "cli/Options.h"
#include "cli/RenderOptions.h"
#include "engine/SoundBoard.h"
#include "ops/Operations.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

constexpr const char* kLiveUsage =
    "usage: plimo-cli live [options] [--seconds S]\n"
    "\n"
    "Modifies your voice from the default microphone to the default speaker\n"
    "until Ctrl-C, or for S seconds, then drains what it has and closes both.\n"
    "A level meter runs on stderr when it is a terminal. The options are\n"
    "render's settings options (plimo-cli render --help): --speaker, --preset,\n"
    "--settings, --pitch, --pitch-offset, --duration, --vocal-tract, --robot,\n"
    "--whisper, --eq, --reverb, --chorus, --compressor, --expander, --limiter,\n"
    "--gater, --seed.\n";

// Stand in for render's input and output, which a live run has not.
constexpr const char* kNoInput = "live-input";
constexpr const char* kNoOutput = "live-output";

}  // namespace

int RunLive(int argc, char** argv) {
  double seconds = 0.0;
  std::vector<std::string> settings;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kLiveUsage, stdout);
      return kExitOk;
    }
    if (argument == "--seconds") {
      if (i + 1 >= argc || !ParseSeconds(argv[i + 1], &seconds)) {
        std::fprintf(stderr, "plimo-cli live: --seconds takes a number of seconds above 0\n");
        return kExitUsage;
      }
      ++i;
    } else if (argument == "--out-dir" || argument == "--quiet") {
      std::fprintf(stderr, "plimo-cli live: unknown option '%s' (try plimo-cli live --help)\n",
                   argument.c_str());
      return kExitUsage;
    } else {
      settings.push_back(argument);
    }
  }
  settings.push_back(kNoInput);
  settings.push_back(kNoOutput);
  std::vector<char*> pointers;
  for (std::string& s : settings) pointers.push_back(s.data());
  RenderOptions options;
  const int status = ParseRenderOptions(static_cast<int>(pointers.size()), pointers.data(), &options);
  if (status >= 0) return status;
  if (options.inputs.size() != 1 || options.inputs[0] != kNoInput) {
    std::fprintf(stderr, "plimo-cli live: takes no file names (try plimo-cli live --help)\n");
    return kExitUsage;
  }

  VoiceParameters record;
  if (!BuildRenderRecord(options, record)) return kExitFailure;
  record.inputFileName = kSoundBoardName;
  record.outputFileName = kSoundBoardName;
  record.realTimeMode = 1;
  record.meterDisplay = 1;

  ConsoleControls controls(isatty(STDERR_FILENO) == 1);
  ConsoleMessages messages("live");
  Operations operations(controls, messages);
  if (!operations.StartModification(record, options.seed)) return kExitFailure;
  RunUntilStopped(operations, controls, seconds);
  return controls.AnyFailed() ? kExitFailure : kExitOk;
}

}  // namespace plimo::cli
