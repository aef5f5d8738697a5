// plimo-cli play: the play operation, a wav file to the default speaker.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "audio/SoundFile.h"
#include "cli/Commands.h"
#include "cli/OperationConsole.h"
#include "cli/Options.h"
#include "ops/Operations.h"

namespace plimo::cli {

namespace {

constexpr const char* kPlayUsage =
    "usage: plimo-cli play FILE.wav\n"
    "\n"
    "Plays FILE.wav on the default speaker in its own rate and channels until\n"
    "it ends; Ctrl-C stops it at once.\n";

}  // namespace

int RunPlay(int argc, char** argv) {
  if (argc == 1 && IsHelp(argv[0])) {
    std::fputs(kPlayUsage, stdout);
    return kExitOk;
  }
  if (argc != 1 || argv[0][0] == '-') {
    std::fprintf(stderr, "plimo-cli play: give one wav file (plimo-cli play FILE.wav)\n");
    return kExitUsage;
  }
  const std::string path = argv[0];
  std::unique_ptr<SoundFile> probe = SoundFile::OpenForReading(path);
  if (probe->Status() != SoundFileStatus::kSoundFileReading) {
    std::fprintf(stderr, "plimo-cli play: %s: %s\n", path.c_str(), SoundFileStatusText(probe->Status()));
    return kExitFailure;
  }
  probe.reset();
  ConsoleControls controls(isatty(STDERR_FILENO) == 1);
  ConsoleMessages messages("play");
  Operations operations(controls, messages);
  if (!operations.StartPlay(path, kOperationPlayInput)) return kExitFailure;
  RunUntilStopped(operations, controls, 0.0);
  return controls.AnyFailed() ? kExitFailure : kExitOk;
}

}  // namespace plimo::cli
