#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct pa_context;
struct pa_threaded_mainloop;

namespace plimo {

enum class ServerResult : int {
  kServerOk = 0,
  kServerNone = -1,      // no sound server answers (none runs, or it refused us)
  kServerTimedOut = -2,  // the server did not answer in time
  kServerRefused = -3,   // the server answered the request with a failure
  kServerLost = -4,      // the connection broke (the server ended or restarted)
  kServerStopped = -5,   // Interrupt ended the wait
};

// One sink (output) or source (input) of the sound server.
struct ServerDevice {
  std::string name;         // the server's own, stable across restarts
  std::string description;  // what people are shown
  std::string owner;        // the owner property (kOwnerProperty), "" when none
  uint32_t module = 0;      // the module that made it; kNoModule for a card's own
  bool output = false;      // a sink
  bool monitor = false;     // a source that only repeats a sink
};

inline constexpr uint32_t kNoModule = UINT32_MAX;
// The property in which a program marks the server objects it made.
inline constexpr const char* kOwnerProperty = "plimo.owner";

struct ServerDefaults {
  std::string sink;
  std::string source;
};

// Told on the client's own thread, which must not be held up: no call into
// the client from there.
class ServerListener {
 public:
  virtual ~ServerListener() = default;
  // A sink or source came, went or changed.
  virtual void ServerDevicesChanged() = 0;
  // The connection broke; nothing more is told.
  virtual void ServerLost() = 0;
};

// A connection to the sound server (PulseAudio, or PipeWire's server for
// PulseAudio clients) with a thread of its own. Every request waits for
// the answer at most its limit and less when Interrupt is called, so a
// server that hangs holds nobody up; a request that timed out is called
// off and its answer, should it come, is dropped. All calls are safe from
// any thread but the listener's.
class ServerClient {
 public:
  ServerClient() = default;
  ~ServerClient();
  ServerClient(const ServerClient&) = delete;
  ServerClient& operator=(const ServerClient&) = delete;

  // Connects as clientName; never starts a server.
  [[nodiscard]] ServerResult Connect(const char* clientName, std::chrono::milliseconds limit);
  void Disconnect();
  // Connected, and the connection has not broken since.
  bool Connected() const;

  // Every sink and source.
  [[nodiscard]] ServerResult ListDevices(std::vector<ServerDevice>* devices, std::chrono::milliseconds limit);
  [[nodiscard]] ServerResult Defaults(ServerDefaults* defaults, std::chrono::milliseconds limit);
  [[nodiscard]] ServerResult SetDefault(bool sink, const std::string& name, std::chrono::milliseconds limit);
  [[nodiscard]] ServerResult LoadModule(const char* name, const std::string& arguments, uint32_t* index,
                                        std::chrono::milliseconds limit);
  [[nodiscard]] ServerResult UnloadModule(uint32_t index, std::chrono::milliseconds limit);

  // Starts telling listener of changes to sinks and sources, and of a
  // broken connection; nullptr stops. The listener must outlive the
  // connection or be replaced before it goes.
  [[nodiscard]] ServerResult Watch(ServerListener* listener, std::chrono::milliseconds limit);

  // Ends every wait at once, now and until Resume or Connect.
  void Interrupt();
  void Resume() { interrupted.store(false); }

 private:
  // One request's answer, written on the client's thread under its lock.
  struct Request {
    std::atomic<bool> done{false};
    bool success = false;
    uint32_t index = 0;
    std::vector<ServerDevice>* devices = nullptr;
    ServerDefaults* defaults = nullptr;
    ServerClient* client = nullptr;
  };

  static void StateChanged(pa_context* context, void* userdata);
  static void EventHappened(pa_context* context, int type, uint32_t index, void* userdata);
  static void Answered(Request* request, bool success);
  void Notify();
  // Waits for the request whose operation was just started (under the
  // loop's lock, which this takes back): kServerOk when it was answered
  // with success.
  [[nodiscard]] ServerResult Await(Request& request, void* operation, std::chrono::milliseconds limit);

  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  std::atomic<ServerListener*> listener{nullptr};
  std::atomic<bool> ready{false};
  std::atomic<bool> lost{false};
  std::atomic<bool> interrupted{false};
  std::mutex waitMutex;
  std::condition_variable answered;
};

}  // namespace plimo
