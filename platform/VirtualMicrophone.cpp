#include "platform/VirtualMicrophone.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace plimo {

namespace {

// /proc/PID/stat: after the command's closing parenthesis, the state is
// the first field and the start time the twentieth.
constexpr int kStartTimeField = 19;
// How often a sweep looks whether what it unloaded has gone.
constexpr std::chrono::milliseconds kUnloadPollInterval{10};

struct ProcessStat {
  char state = '\0';
  std::string startTime;
};

bool ReadStat(pid_t pid, ProcessStat* stat) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(file, text)) return false;
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  for (int i = 0; i <= kStartTimeField && fields >> field; ++i) {
    if (i == 0) stat->state = field.empty() ? '\0' : field[0];
    if (i == kStartTimeField) stat->startTime = field;
  }
  return !stat->startTime.empty();
}

// A property list's text for the module arguments: the description quoted
// (it holds spaces), the tag plain.
std::string Properties(const std::string& description, const std::string& owner) {
  std::string quoted;
  for (const char c : description) {
    if (c != '"' && c != '\'' && c != '\\') quoted += c;
  }
  return "'device.description=\"" + quoted + "\" " + kOwnerProperty + "=" + owner + "'";
}

const ServerDevice* Find(const std::vector<ServerDevice>& devices, bool output, const char* name) {
  for (const ServerDevice& device : devices) {
    if (device.output == output && device.name == name) return &device;
  }
  return nullptr;
}

}  // namespace

std::string OwnerTag(pid_t pid) {
  ProcessStat stat;
  if (!ReadStat(pid, &stat)) return "";
  return std::to_string(pid) + ":" + stat.startTime;
}

bool OwnerAlive(const std::string& tag) {
  const size_t colon = tag.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  char* end = nullptr;
  const long pid = std::strtol(tag.c_str(), &end, 10);
  if (end != tag.c_str() + colon || pid <= 0) return false;
  ProcessStat stat;
  if (!ReadStat(static_cast<pid_t>(pid), &stat)) return false;
  return stat.state != 'Z' && stat.state != 'X' && stat.startTime == tag.substr(colon + 1);
}

ServerResult SweepOwnedModules(ServerClient& client, const std::string& deadOwner) {
  std::vector<ServerDevice> devices;
  const ServerResult listed = client.ListDevices(&devices, kServerRequestLimit);
  if (listed != ServerResult::kServerOk) return listed;
  // Sources first: a remap source goes with its sink's monitor anyway.
  std::vector<uint32_t> modules;
  for (auto device = devices.rbegin(); device != devices.rend(); ++device) {
    if (device->owner.empty() || device->module == kNoModule) continue;
    if (device->owner != deadOwner && OwnerAlive(device->owner)) continue;
    if (std::find(modules.begin(), modules.end(), device->module) == modules.end()) {
      modules.push_back(device->module);
    }
  }
  ServerResult result = ServerResult::kServerOk;
  for (const uint32_t module : modules) {
    const ServerResult unloaded = client.UnloadModule(module, kServerRequestLimit);
    if (unloaded != ServerResult::kServerOk) result = unloaded;
  }
  if (modules.empty() || result != ServerResult::kServerOk) return result;
  // The server answers an unload before the module has gone, and a sink
  // made meanwhile under the same name would be given another one.
  const auto deadline = std::chrono::steady_clock::now() + kServerRequestLimit;
  for (;;) {
    result = client.ListDevices(&devices, kServerRequestLimit);
    if (result != ServerResult::kServerOk) return result;
    const bool gone = std::none_of(devices.begin(), devices.end(), [&](const ServerDevice& device) {
      return std::find(modules.begin(), modules.end(), device.module) != modules.end();
    });
    if (gone) return ServerResult::kServerOk;
    if (std::chrono::steady_clock::now() >= deadline) return ServerResult::kServerTimedOut;
    std::this_thread::sleep_for(kUnloadPollInterval);
  }
}

VirtualMicrophone::~VirtualMicrophone() {
  // Nobody is left to hear of a failure; the watcher and the next start
  // sweep what stays behind.
  static_cast<void>(Remove());
}

ServerResult VirtualMicrophone::Create(const MicrophoneTexts& texts) {
  if (made) return ServerResult::kServerOk;
  shared = false;
  // What ended processes left is no one's any more; a failure here only
  // leaves them for the next start.
  static_cast<void>(SweepOwnedModules(client));
  std::vector<ServerDevice> devices;
  ServerResult result = client.ListDevices(&devices, kServerRequestLimit);
  if (result != ServerResult::kServerOk) return result;
  // A running instance's microphone (or one being made) is used as it is.
  if (Find(devices, false, kVirtualMicrophoneName) != nullptr ||
      Find(devices, true, kVoiceSinkName) != nullptr) {
    shared = true;
    return ServerResult::kServerOk;
  }
  ServerDefaults before;
  result = client.Defaults(&before, kServerRequestLimit);
  if (result != ServerResult::kServerOk) return result;
  const std::string owner = OwnerTag(getpid());
  result = client.LoadModule("module-null-sink",
                             std::string("sink_name=") + kVoiceSinkName +
                                 " sink_properties=" + Properties(texts.sinkDescription, owner),
                             &sinkModule, kServerRequestLimit);
  if (result != ServerResult::kServerOk) {
    sinkModule = kNoModule;
    return result;
  }
  made = true;
  result =
      client.LoadModule("module-remap-source",
                        std::string("source_name=") + kVirtualMicrophoneName + " master=" + kVoiceSinkName +
                            ".monitor source_properties=" + Properties(texts.microphoneDescription, owner),
                        &sourceModule, kServerRequestLimit);
  if (result != ServerResult::kServerOk) {
    sourceModule = kNoModule;
    static_cast<void>(Remove());
    return result;
  }
  KeepDefaults(before);
  return ServerResult::kServerOk;
}

void VirtualMicrophone::KeepDefaults(const ServerDefaults& before) {
  ServerDefaults after;
  if (client.Defaults(&after, kServerRequestLimit) != ServerResult::kServerOk) return;
  // Best effort: a server that will not take them back has its own rules.
  if (!before.sink.empty() && after.sink != before.sink) {
    static_cast<void>(client.SetDefault(true, before.sink, kServerRequestLimit));
  }
  if (!before.source.empty() && after.source != before.source) {
    static_cast<void>(client.SetDefault(false, before.source, kServerRequestLimit));
  }
}

ServerResult VirtualMicrophone::Remove() {
  shared = false;
  if (!made) return ServerResult::kServerOk;
  made = false;
  ServerResult result = ServerResult::kServerOk;
  for (uint32_t* module : {&sourceModule, &sinkModule}) {
    if (*module == kNoModule) continue;
    const ServerResult unloaded = client.UnloadModule(*module, kServerRequestLimit);
    if (unloaded != ServerResult::kServerOk) result = unloaded;
    *module = kNoModule;
  }
  return result;
}

}  // namespace plimo
