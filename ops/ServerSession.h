#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ServerClient.h"
#include "platform/SoundDevices.h"
#include "platform/VirtualMicrophone.h"

namespace plimo {

// Told on the session's own thread.
class ServerSessionListener {
 public:
  virtual ~ServerSessionListener() = default;
  // The devices people can pick, first at start and then on every change;
  // fromServer is false when they are ALSA's (no server answers).
  virtual void DevicesListed(const std::vector<SoundDevice>& devices, bool fromServer) = 0;
  // The virtual microphone came (made, or another instance's) or went.
  virtual void MicrophoneAvailable(bool available) = 0;
  // The sound server ended or restarted under the program.
  virtual void ServerGone() = 0;
};

// The program's side of the sound server for as long as it runs, on a
// thread of its own so that a server slow to answer holds no window up:
// it connects (and keeps trying while none answers), makes the virtual
// microphone, lists the devices again whenever a sink or source comes or
// goes, and, when the server goes away, says so and starts over, so the
// microphone is made again once a server returns.
class ServerSession : private ServerListener {
 public:
  // How often a server that is not there is looked for again.
  static constexpr std::chrono::milliseconds kReconnectInterval{1000};

  ServerSession(const char* clientName, MicrophoneTexts texts, ServerSessionListener& listener);
  // Stops.
  ~ServerSession() override;
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  void Start();
  // Ends the thread at once, whatever it waits for, then removes the
  // microphone it made (waiting the server's usual limit at most).
  void Stop();

 private:
  void Run();
  // Connects, watches and makes the microphone; false when no server
  // answered.
  bool Join();
  void Leave();
  void ListDevices();
  // Waits for a change, a lost server or a stop, at most limit; false on a stop.
  bool WaitForNews(std::chrono::milliseconds limit);

  // ServerListener, on the client's thread: only flags, taken by Run.
  void ServerDevicesChanged() override;
  void ServerLost() override;

  const char* clientName;
  MicrophoneTexts texts;
  ServerSessionListener& listener;
  ServerClient client;
  VirtualMicrophone microphone{client};
  std::mutex mutex;
  std::condition_variable news;
  bool devicesChanged = false;  // under mutex
  bool serverLost = false;      // under mutex
  bool quit = false;            // under mutex
  std::thread worker;
};

}  // namespace plimo
