// plimo-cli: the voice changer's file tools for scripts and measurement.

#include <cstdio>
#include <cstring>

#include "cli/Commands.h"

namespace {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(int argc, char** argv);
};

constexpr Command kCommands[] = {
    {"devices", "list the microphones and speakers (--input, --output)", plimo::cli::RunDevices},
    {"info", "describe wav files (format, channels, rate, bits, length)", plimo::cli::RunInfo},
    {"live", "modify your voice from the microphone to the speaker in real time", plimo::cli::RunLive},
    {"pitch", "track the fundamental frequency of a wav file frame by frame", plimo::cli::RunPitch},
    {"play", "play a wav file on the speaker", plimo::cli::RunPlay},
    {"presets", "list the 25 target voices and the values each sets", plimo::cli::RunPresets},
    {"record", "record the microphone to a wav file", plimo::cli::RunRecord},
    {"render", "modify the voice in wav files (the file mode, with every setting)", plimo::cli::RunRender},
    {"settings", "print every field of a parameter file (.prm)", plimo::cli::RunSettings},
    {"volume", "show or set the speaker volume and the microphone gain", plimo::cli::RunVolume},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: plimo-cli COMMAND [options]\n"
               "\n"
               "commands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
  }
  std::fprintf(out, "\n'plimo-cli COMMAND --help' describes a command's options.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return plimo::cli::kExitUsage;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintUsage(stdout);
    return plimo::cli::kExitOk;
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0) {
      return command.run(argc - 2, argv + 2);
    }
  }
  std::fprintf(stderr, "plimo-cli: unknown command '%s' (try plimo-cli --help)\n", argv[1]);
  return plimo::cli::kExitUsage;
}
