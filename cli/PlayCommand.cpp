// plimo-cli play: the play operation, a wav file to the default speaker.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "audio/SoundFile.h"
#include "cli/Commands.h"
#include "cli/DeviceOptions.h"
#include "cli/OperationConsole.h"
#include "cli/Options.h"
#include "ops/Operations.h"

namespace plimo::cli {

namespace {

constexpr const char* kPlayUsage =
    "usage: plimo-cli play FILE.wav [--output NAME]\n"
    "\n"
    "Plays FILE.wav on the speaker in its own rate and channels until it\n"
    "ends; Ctrl-C stops it at once.\n"
    "  --output NAME  the speaker, by the name plimo-cli devices lists\n";

}  // namespace

int RunPlay(int argc, char** argv) {
  if (argc == 1 && IsHelp(argv[0])) {
    std::fputs(kPlayUsage, stdout);
    return kExitOk;
  }
  std::string path;
  DeviceNames devices;
  for (int i = 0; i < argc; ++i) {
    bool usageError = false;
    if (std::string(argv[i]) != "--input" && TakeDeviceOption(argc, argv, &i, &devices, &usageError)) {
      if (usageError) return kExitUsage;
    } else if (argv[i][0] == '-' || !path.empty()) {
      std::fprintf(stderr, "plimo-cli play: give one wav file (plimo-cli play FILE.wav)\n");
      return kExitUsage;
    } else {
      path = argv[i];
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "plimo-cli play: give one wav file (plimo-cli play FILE.wav)\n");
    return kExitUsage;
  }
  std::unique_ptr<SoundFile> probe = SoundFile::OpenForReading(path);
  if (probe->Status() != SoundFileStatus::kSoundFileReading) {
    std::fprintf(stderr, "plimo-cli play: %s: %s\n", path.c_str(), SoundFileStatusText(probe->Status()));
    return kExitFailure;
  }
  probe.reset();
  ServerClient server;
  std::string unused;
  std::string outputPcm;
  if (!ResolveDevices("play", devices, server, &unused, &outputPcm)) return kExitUsage;
  ConsoleControls controls(isatty(STDERR_FILENO) == 1);
  ConsoleMessages messages("play");
  Operations operations(controls, messages);
  operations.output.SetDeviceName(outputPcm);
  if (!operations.StartPlay(path, kOperationPlayInput)) return kExitFailure;
  RunUntilStopped(operations, controls, 0.0);
  return controls.AnyFailed() ? kExitFailure : kExitOk;
}

}  // namespace plimo::cli
