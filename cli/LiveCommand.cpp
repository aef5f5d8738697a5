// plimo-cli live: real-time modification from the microphone to the
// speaker and the virtual microphone, as the main window's real-time mode.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DeviceOptions.h"
#include "cli/OperationConsole.h"
#include "cli/Options.h"
#include "cli/RenderOptions.h"
#include "engine/SoundBoard.h"
#include "messages/MessageTable.h"
#include "ops/Operations.h"
#include "params/LatencyProfile.h"
#include "params/VoiceParameters.h"
#include "platform/ServerWatcher.h"
#include "platform/VirtualMicrophone.h"

namespace plimo::cli {

namespace {

constexpr const char* kLiveUsage =
    "usage: plimo-cli live [options] [--latency standard|low] [--seconds S]\n"
    "                      [--virtual-mic] [--hear-myself on|off]\n"
    "                      [--input NAME] [--output NAME]\n"
    "\n"
    "Modifies your voice from the microphone to the speaker until Ctrl-C (or\n"
    "SIGTERM), or for S seconds, then drains what it has and closes both.\n"
    "\n"
    "--virtual-mic       also sends the voice to \"Plimo Microphone\" (the\n"
    "                    sound server's source plimo_mic), which call and\n"
    "                    streaming programs can record from; it is made for\n"
    "                    the run (or shared with a running Plimo) and\n"
    "                    removed at the end, also when the program is killed.\n"
    "--hear-myself on|off  whether the speaker plays the voice: on by\n"
    "                    default, off by default with --virtual-mic.\n"
    "--input NAME, --output NAME  the microphone and speaker by the names\n"
    "                    plimo-cli devices lists ('default' for the system's).\n"
    "\n"
    "--latency standard  buffers a quarter of a second before the speaker\n"
    "                    starts: the safest on a busy machine (the default).\n"
    "--latency low       hands the voice on as soon as it is made, at\n"
    "                    conversation speed; it runs at duration 1.\n"
    "\n"
    "On stderr, once the run has started and again at its end:\n"
    "  live: delay 48 ms (engine 40, microphone 3, speaker 5)\n"
    "  live: delay 49 ms at the end, 0 underruns, 0 ms shed\n"
    "A level meter runs on stderr when it is a terminal. The other options are\n"
    "render's settings options (plimo-cli render --help): --speaker, --preset,\n"
    "--settings, --pitch, --pitch-offset, --duration, --vocal-tract, --robot,\n"
    "--whisper, --eq, --reverb, --chorus, --compressor, --expander, --limiter,\n"
    "--gater, --seed.\n";

// Stand in for render's input and output, which a live run has not.
constexpr const char* kNoInput = "live-input";
constexpr const char* kNoOutput = "live-output";

// on or off; false for any other text.
bool ParseSwitch(const std::string& text, bool* on) {
  if (text != "on" && text != "off") return false;
  *on = text == "on";
  return true;
}

// The profile named by text; false for any other name.
bool ParseLatency(const std::string& text, LatencyProfile* profile) {
  if (text == "standard") {
    *profile = LatencyProfile::kStandard;
  } else if (text == "low") {
    *profile = LatencyProfile::kLow;
  } else {
    return false;
  }
  return true;
}

}  // namespace

int RunLive(int argc, char** argv) {
  double seconds = 0.0;
  LatencyProfile latency = LatencyProfile::kStandard;
  bool virtualMic = false;
  bool hearMyself = true;
  bool hearMyselfGiven = false;
  DeviceNames devices;
  std::vector<std::string> settings;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kLiveUsage, stdout);
      return kExitOk;
    }
    bool usageError = false;
    if (TakeDeviceOption(argc, argv, &i, &devices, &usageError)) {
      if (usageError) return kExitUsage;
    } else if (argument == "--virtual-mic") {
      virtualMic = true;
    } else if (argument == "--hear-myself") {
      if (i + 1 >= argc || !ParseSwitch(argv[i + 1], &hearMyself)) {
        std::fprintf(stderr, "plimo-cli live: --hear-myself takes on or off\n");
        return kExitUsage;
      }
      hearMyselfGiven = true;
      ++i;
    } else if (argument == "--seconds") {
      if (i + 1 >= argc || !ParseSeconds(argv[i + 1], &seconds)) {
        std::fprintf(stderr, "plimo-cli live: --seconds takes a number of seconds above 0\n");
        return kExitUsage;
      }
      ++i;
    } else if (argument == "--latency") {
      if (i + 1 >= argc || !ParseLatency(argv[i + 1], &latency)) {
        std::fprintf(stderr, "plimo-cli live: --latency takes standard or low\n");
        return kExitUsage;
      }
      ++i;
    } else if (IsFileOption(argument)) {
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
  record.latencyProfile = latency;
  record.sendToMicrophone = virtualMic ? 1 : 0;
  record.hearMyself = (hearMyselfGiven ? hearMyself : !virtualMic) ? 1 : 0;

  ConsoleMessages messages("live");
  // Before any thread starts (the server connection's is the first): the
  // watcher is a copy of this process. Without it a kill leaves the
  // microphone to the next start's sweep.
  if (virtualMic && !StartServerWatcher()) {
    std::fprintf(stderr, "plimo-cli live: no watcher; a killed run leaves Plimo Microphone behind\n");
  }
  ServerClient server;
  VirtualMicrophone microphone(server);
  if (virtualMic) {
    ConnectToServer(server);
    if (microphone.Create(MicrophoneTexts{ChooseText(kTextVoiceSink), ChooseText(kTextVirtualMicrophone)}) !=
        ServerResult::kServerOk) {
      messages.ShowMessage(kMessageCannotCreateVirtualMicrophone, kMessageTypeOk);
      return kExitFailure;
    }
    std::fprintf(stderr, "live: sending to %s (%s)\n", ChooseText(kTextVirtualMicrophone),
                 kVirtualMicrophoneName);
  }
  if (!ResolveDevices("live", devices, server, &record.inputDevice, &record.outputDevice)) return kExitUsage;

  ConsoleControls controls(isatty(STDERR_FILENO) == 1);
  Operations operations(controls, messages);
  if (!operations.StartModification(record, options.seed)) return kExitFailure;
  RunUntilStopped(operations, controls, seconds);
  return controls.AnyFailed() ? kExitFailure : kExitOk;
}

}  // namespace plimo::cli
