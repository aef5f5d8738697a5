#include "platform/SoundDevices.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/AlsaLibrary.h"
#include "platform/PcmFormat.h"
#include "platform/VirtualMicrophone.h"

namespace plimo {

namespace {

// ALSA's own names that stand for no device of their own: the default
// one, which the lists show as "System default", and the one that
// swallows everything.
bool IsAlias(const std::string& name) { return name == "default" || name == "null" || name == "sysdefault"; }

// A hint's value, freed here.
std::string TakeHint(char* value) {
  std::string text = value != nullptr ? value : "";
  std::free(value);
  return text;
}

void ListAlsaHints(std::vector<SoundDevice>* devices) {
  if (Alsa() == nullptr) return;
  QuietenAlsaDiagnostics();
  void** hints = nullptr;
  if (Alsa()->snd_device_name_hint(-1, "pcm", &hints) < 0) return;
  for (void** hint = hints; *hint != nullptr; ++hint) {
    const std::string name = TakeHint(Alsa()->snd_device_name_get_hint(*hint, "NAME"));
    std::string description = TakeHint(Alsa()->snd_device_name_get_hint(*hint, "DESC"));
    // Absent when the device plays and records.
    const std::string direction = TakeHint(Alsa()->snd_device_name_get_hint(*hint, "IOID"));
    if (name.empty() || IsAlias(name)) continue;
    // A hint's description runs over two lines: the card, then the use.
    std::replace(description.begin(), description.end(), '\n', ' ');
    if (direction != "Output") devices->push_back(SoundDevice{name, description, name, false});
    if (direction != "Input") devices->push_back(SoundDevice{name, description, name, true});
  }
  Alsa()->snd_device_name_free_hint(hints);
}

}  // namespace

std::string ServerDevicePcm(const std::string& name) { return "pulse:DEVICE=" + name; }

std::string MixerDeviceOf(const std::string& pcm) {
  constexpr const char* kServerPrefix = "pulse:";
  constexpr const char* kCardKey = "CARD=";
  if (pcm.empty()) return "default";
  // The server's control plugin takes the same arguments as its device.
  if (pcm.rfind(kServerPrefix, 0) == 0) return pcm;
  const size_t card = pcm.find(kCardKey);
  if (card == std::string::npos) return "default";
  const size_t end = pcm.find(',', card);
  return "hw:" + pcm.substr(card, end == std::string::npos ? std::string::npos : end - card);
}

bool ListSoundDevices(ServerClient* client, std::vector<SoundDevice>* devices) {
  devices->clear();
  std::vector<ServerDevice> found;
  const bool fromServer = client != nullptr && client->Connected() &&
                          client->ListDevices(&found, kServerRequestLimit) == ServerResult::kServerOk;
  if (!fromServer) {
    ListAlsaHints(devices);
  } else {
    for (const ServerDevice& device : found) {
      if (device.monitor || !device.owner.empty() || device.name == kVirtualMicrophoneName ||
          device.name == kVoiceSinkName) {
        continue;
      }
      devices->push_back(
          SoundDevice{device.name, device.description, ServerDevicePcm(device.name), device.output});
    }
  }
  std::stable_partition(devices->begin(), devices->end(), [](const SoundDevice& d) { return !d.output; });
  return fromServer;
}

}  // namespace plimo
