#include "ops/ServerSession.h"

#include <utility>

namespace plimo {

ServerSession::ServerSession(const char* clientName, MicrophoneTexts texts, ServerSessionListener& listener)
    : clientName(clientName), texts(std::move(texts)), listener(listener) {}

ServerSession::~ServerSession() { Stop(); }

void ServerSession::Start() {
  if (worker.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex);
    quit = false;
  }
  worker = std::thread([this] { Run(); });
}

void ServerSession::Stop() {
  if (!worker.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex);
    quit = true;
  }
  news.notify_all();
  client.Interrupt();
  worker.join();
  // The removal, as the session ends, waits its usual time.
  client.Resume();
  static_cast<void>(client.Watch(nullptr, kServerRequestLimit));
  static_cast<void>(microphone.Remove());
  client.Disconnect();
}

void ServerSession::Run() {
  bool joined = false;
  bool alsaListed = false;
  for (;;) {
    // A connection that broke is left (and told) before a new one is
    // tried, however the break was first seen: while listing devices, or
    // by the client's own news.
    if (joined && !client.Connected()) {
      Leave();
      joined = false;
    }
    if (!joined) {
      joined = Join();
      if (!joined) {
        // Without a server the devices are ALSA's, which tell of no change.
        if (!alsaListed) ListDevices();
        alsaListed = true;
        if (!WaitForNews(kReconnectInterval)) return;
        continue;
      }
      alsaListed = false;
    }
    if (!WaitForNews(kReconnectInterval)) return;
    bool changed = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      serverLost = false;
      changed = std::exchange(devicesChanged, false);
    }
    if (changed && client.Connected()) ListDevices();
  }
}

bool ServerSession::Join() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    serverLost = false;
    devicesChanged = false;
  }
  if (client.Connect(clientName, kServerRequestLimit) != ServerResult::kServerOk) return false;
  // Watched before the list is read, so no change falls between the two.
  static_cast<void>(client.Watch(this, kServerRequestLimit));
  listener.MicrophoneAvailable(microphone.Create(texts) == ServerResult::kServerOk);
  ListDevices();
  return true;
}

void ServerSession::Leave() {
  // What was made went with the server; this only forgets it.
  static_cast<void>(microphone.Remove());
  client.Disconnect();
  listener.MicrophoneAvailable(false);
  listener.ServerGone();
}

void ServerSession::ListDevices() {
  std::vector<SoundDevice> devices;
  const bool fromServer = ListSoundDevices(&client, &devices);
  listener.DevicesListed(devices, fromServer);
}

bool ServerSession::WaitForNews(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex);
  news.wait_for(lock, limit, [this] { return quit || serverLost || devicesChanged; });
  return !quit;
}

void ServerSession::ServerDevicesChanged() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    devicesChanged = true;
  }
  news.notify_all();
}

void ServerSession::ServerLost() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    serverLost = true;
  }
  news.notify_all();
}

}  // namespace plimo
