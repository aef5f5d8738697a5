// plimo-cli devices: the microphones and speakers a run can use.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DeviceOptions.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "messages/MessageTable.h"
#include "platform/SoundDevices.h"

namespace plimo::cli {

namespace {

constexpr const char* kDevicesUsage =
    "usage: plimo-cli devices [--json]\n"
    "\n"
    "Lists the input and output devices by name and description: the sound\n"
    "server's, or ALSA's when no server runs. 'default' is the system's own\n"
    "choice. The names go to --input and --output of live, record and play.\n"
    "\n"
    "--json  one object: {\"server\": true|false, \"inputs\": [{\"name\": ...,\n"
    "        \"description\": ...}, ...], \"outputs\": [...]}\n";

void PrintText(const std::vector<SoundDevice>& devices) {
  for (const bool output : {false, true}) {
    std::printf("%s:\n  %-40s %s\n", output ? "outputs" : "inputs", "default",
                ChooseText(kTextSystemDefault));
    for (const SoundDevice& device : devices) {
      if (device.output == output)
        std::printf("  %-40s %s\n", device.name.c_str(), device.description.c_str());
    }
  }
}

void PrintJson(const std::vector<SoundDevice>& devices, bool server) {
  std::printf("{\"server\": %s", server ? "true" : "false");
  for (const bool output : {false, true}) {
    std::printf(", \"%s\": [{\"name\": \"default\", \"description\": %s}", output ? "outputs" : "inputs",
                JsonString(ChooseText(kTextSystemDefault)).c_str());
    for (const SoundDevice& device : devices) {
      if (device.output != output) continue;
      std::printf(", {\"name\": %s, \"description\": %s}", JsonString(device.name).c_str(),
                  JsonString(device.description).c_str());
    }
    std::printf("]");
  }
  std::printf("}\n");
}

}  // namespace

int RunDevices(int argc, char** argv) {
  bool json = false;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (IsHelp(argv[i])) {
      std::fputs(kDevicesUsage, stdout);
      return kExitOk;
    }
    if (argument != "--json") {
      std::fprintf(stderr, "plimo-cli devices: unknown option '%s' (try plimo-cli devices --help)\n",
                   argument.c_str());
      return kExitUsage;
    }
    json = true;
  }
  ServerClient client;
  ConnectToServer(client);
  std::vector<SoundDevice> devices;
  const bool server = ListSoundDevices(&client, &devices);
  if (json) {
    PrintJson(devices, server);
  } else {
    PrintText(devices);
  }
  return kExitOk;
}

}  // namespace plimo::cli
