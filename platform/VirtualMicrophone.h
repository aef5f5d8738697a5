#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ServerClient.h"

namespace plimo {

// The server's names of the microphone that call programs record from and
// of the sink behind it, which the voice is played into.
inline constexpr const char* kVirtualMicrophoneName = "plimo_mic";
inline constexpr const char* kVoiceSinkName = "plimo_voice";
// The ALSA device that plays into that sink.
inline constexpr const char* kVoiceSinkDevice = "pulse:DEVICE=plimo_voice";

// How long one request to the server may take before it counts as hung.
inline constexpr std::chrono::milliseconds kServerRequestLimit{1500};

// Marks a process for as long as it lives: its id and its start time
// (clock ticks after boot), so a later process with the same id is not
// taken for it. "" when the process does not exist.
std::string OwnerTag(pid_t pid);
// Whether the process a tag names is still running (a process that has
// ended but not been reaped yet is not).
bool OwnerAlive(const std::string& tag);

// Unloads the modules behind every sink and source that carries an owner
// tag of a process no longer running, or of deadOwner when given (a
// process known to have ended). kServerOk when nothing of theirs is left.
[[nodiscard]] ServerResult SweepOwnedModules(ServerClient& client, const std::string& deadOwner = "");

// The descriptions people are shown, in the program's language.
struct MicrophoneTexts {
  std::string sinkDescription;
  std::string microphoneDescription;
};

// The microphone through which the voice reaches other programs: a null
// sink, and a remap source over its monitor, so it is listed as a real
// microphone (call programs hide monitors). While nothing plays into the
// sink, the microphone carries silence. Both modules carry this process's
// owner tag; the server's default sink and source stay as they were.
//
// A microphone that another running instance made is used as it is:
// neither made twice nor removed by this one.
class VirtualMicrophone {
 public:
  explicit VirtualMicrophone(ServerClient& client) : client(client) {}
  // Removes what this object made.
  ~VirtualMicrophone();
  VirtualMicrophone(const VirtualMicrophone&) = delete;
  VirtualMicrophone& operator=(const VirtualMicrophone&) = delete;

  // Sweeps what ended processes left behind, then makes the microphone
  // unless a running one exists. kServerOk when it exists.
  [[nodiscard]] ServerResult Create(const MicrophoneTexts& texts);
  // Unloads what this object made (nothing when it uses another's).
  [[nodiscard]] ServerResult Remove();

  // The microphone exists: made here, or by another running instance.
  bool Available() const { return made || shared; }
  // This object made it.
  bool Made() const { return made; }

 private:
  // Puts the server's defaults back where loading a module moved them.
  void KeepDefaults(const ServerDefaults& before);

  ServerClient& client;
  bool made = false;
  bool shared = false;
  uint32_t sinkModule = kNoModule;
  uint32_t sourceModule = kNoModule;
};

}  // namespace plimo
