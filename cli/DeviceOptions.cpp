#include "cli/DeviceOptions.h"

#include <cstdio>
#include <vector>

#include "platform/SoundDevices.h"
#include "platform/VirtualMicrophone.h"

namespace plimo::cli {

namespace {

constexpr const char* kDefaultName = "default";

bool Resolve(const char* command, const std::vector<SoundDevice>& devices, bool output,
             const std::string& name, std::string* pcm) {
  pcm->clear();
  if (name.empty() || name == kDefaultName) return true;
  for (const SoundDevice& device : devices) {
    if (device.output == output && device.name == name) {
      *pcm = device.pcm;
      return true;
    }
  }
  std::fprintf(stderr, "plimo-cli %s: no %s device '%s' (plimo-cli devices lists them)\n", command,
               output ? "output" : "input", name.c_str());
  return false;
}

}  // namespace

bool TakeDeviceOption(int argc, char** argv, int* i, DeviceNames* names, bool* usageError) {
  const std::string argument = argv[*i];
  if (argument != "--input" && argument != "--output") return false;
  if (*i + 1 >= argc) {
    std::fprintf(stderr, "plimo-cli: %s takes a device name (plimo-cli devices lists them)\n",
                 argument.c_str());
    *usageError = true;
    return true;
  }
  (argument == "--input" ? names->input : names->output) = argv[*i + 1];
  ++*i;
  return true;
}

void ConnectToServer(ServerClient& client) {
  if (!client.Connected()) static_cast<void>(client.Connect("plimo-cli", kServerRequestLimit));
}

bool ResolveDevices(const char* command, const DeviceNames& names, ServerClient& client,
                    std::string* inputPcm, std::string* outputPcm) {
  inputPcm->clear();
  outputPcm->clear();
  const auto chosen = [](const std::string& name) { return !name.empty() && name != kDefaultName; };
  if (!chosen(names.input) && !chosen(names.output)) return true;
  ConnectToServer(client);
  std::vector<SoundDevice> devices;
  ListSoundDevices(&client, &devices);
  return Resolve(command, devices, false, names.input, inputPcm) &&
         Resolve(command, devices, true, names.output, outputPcm);
}

}  // namespace plimo::cli
