// plimo-cli record: the recording operation, microphone to a wav file.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/DeviceOptions.h"
#include "cli/OperationConsole.h"
#include "cli/Options.h"
#include "ops/Operations.h"
#include "params/SamplingRates.h"

namespace plimo::cli {

namespace {

constexpr const char* kRecordUsage =
    "usage: plimo-cli record OUT.wav [--rate R] [--seconds S] [--input NAME]\n"
    "\n"
    "Records the microphone into OUT.wav (16-bit mono) until Ctrl-C, or for\n"
    "S seconds. The file is complete whichever way it ends.\n"
    "  --input NAME  the microphone, by the name plimo-cli devices lists\n"
    "  --rate R      sampling rate in Hz: 8000, 11025, 16000, 22050, 32000,\n"
    "                44100 or 48000 (default 16000)\n"
    "  --seconds S   stop once S seconds of sound are recorded\n";

constexpr int32_t kDefaultRecordRate = 16000;

}  // namespace

int RunRecord(int argc, char** argv) {
  std::string path;
  int64_t rate = kDefaultRecordRate;
  double seconds = 0.0;
  DeviceNames devices;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kRecordUsage, stdout);
      return kExitOk;
    }
    bool usageError = false;
    if (argument != "--output" && TakeDeviceOption(argc, argv, &i, &devices, &usageError)) {
      if (usageError) return kExitUsage;
    } else if (argument == "--rate") {
      if (i + 1 >= argc || !ParseInt64(argv[i + 1], &rate) || !IsSupportedSamplingRate(rate)) {
        std::fprintf(stderr,
                     "plimo-cli record: --rate takes 8000, 11025, 16000, 22050, 32000, 44100 or 48000\n");
        return kExitUsage;
      }
      ++i;
    } else if (argument == "--seconds") {
      if (i + 1 >= argc || !ParseSeconds(argv[i + 1], &seconds)) {
        std::fprintf(stderr, "plimo-cli record: --seconds takes a number of seconds above 0\n");
        return kExitUsage;
      }
      ++i;
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "plimo-cli record: unknown option '%s' (try plimo-cli record --help)\n",
                   argument.c_str());
      return kExitUsage;
    } else if (path.empty()) {
      path = argument;
    } else {
      std::fprintf(stderr, "plimo-cli record: give one output file\n");
      return kExitUsage;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "plimo-cli record: give the output file (plimo-cli record OUT.wav)\n");
    return kExitUsage;
  }
  ServerClient server;
  std::string inputPcm;
  std::string unused;
  if (!ResolveDevices("record", devices, server, &inputPcm, &unused)) return kExitUsage;
  ConsoleControls controls(isatty(STDERR_FILENO) == 1);
  ConsoleMessages messages("record");
  Operations operations(controls, messages);
  operations.input.SetDeviceName(inputPcm);
  // --seconds counts recorded sound, not time since the start: opening the
  // microphone takes a moment the file should not lose.
  // A limit beyond 2^62 samples (millions of years) is no limit at all.
  constexpr double kUnlimitedSamples = 4.6e18;
  const double wanted = std::min(seconds * static_cast<double>(rate), kUnlimitedSamples);
  const int64_t sampleLimit = seconds > 0.0 ? std::max<int64_t>(1, std::llround(wanted)) : 0;
  if (!operations.StartRecording(path, static_cast<int32_t>(rate), sampleLimit)) return kExitFailure;
  RunUntilStopped(operations, controls, 0.0);
  return controls.AnyFailed() ? kExitFailure : kExitOk;
}

}  // namespace plimo::cli
