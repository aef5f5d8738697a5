#include "platform/ServerClient.h"

#include <pulse/pulseaudio.h>

#include "platform/SharedLibrary.h"

namespace plimo {

namespace {

// The sound server's client library, opened by the first connection: only
// the live and device commands talk to the server.
struct PulseLibrary {
  decltype(&::pa_context_connect) pa_context_connect = nullptr;
  decltype(&::pa_context_disconnect) pa_context_disconnect = nullptr;
  decltype(&::pa_context_get_server_info) pa_context_get_server_info = nullptr;
  decltype(&::pa_context_get_sink_info_list) pa_context_get_sink_info_list = nullptr;
  decltype(&::pa_context_get_source_info_list) pa_context_get_source_info_list = nullptr;
  decltype(&::pa_context_get_state) pa_context_get_state = nullptr;
  decltype(&::pa_context_load_module) pa_context_load_module = nullptr;
  decltype(&::pa_context_new) pa_context_new = nullptr;
  decltype(&::pa_context_set_default_sink) pa_context_set_default_sink = nullptr;
  decltype(&::pa_context_set_default_source) pa_context_set_default_source = nullptr;
  decltype(&::pa_context_set_state_callback) pa_context_set_state_callback = nullptr;
  decltype(&::pa_context_set_subscribe_callback) pa_context_set_subscribe_callback = nullptr;
  decltype(&::pa_context_subscribe) pa_context_subscribe = nullptr;
  decltype(&::pa_context_unload_module) pa_context_unload_module = nullptr;
  decltype(&::pa_context_unref) pa_context_unref = nullptr;
  decltype(&::pa_operation_cancel) pa_operation_cancel = nullptr;
  decltype(&::pa_operation_unref) pa_operation_unref = nullptr;
  decltype(&::pa_proplist_gets) pa_proplist_gets = nullptr;
  decltype(&::pa_threaded_mainloop_free) pa_threaded_mainloop_free = nullptr;
  decltype(&::pa_threaded_mainloop_get_api) pa_threaded_mainloop_get_api = nullptr;
  decltype(&::pa_threaded_mainloop_lock) pa_threaded_mainloop_lock = nullptr;
  decltype(&::pa_threaded_mainloop_new) pa_threaded_mainloop_new = nullptr;
  decltype(&::pa_threaded_mainloop_start) pa_threaded_mainloop_start = nullptr;
  decltype(&::pa_threaded_mainloop_stop) pa_threaded_mainloop_stop = nullptr;
  decltype(&::pa_threaded_mainloop_unlock) pa_threaded_mainloop_unlock = nullptr;
};

const PulseLibrary* LoadPulseLibrary() {
  void* library = OpenSharedLibrary("libpulse.so.0");
  if (library == nullptr) return nullptr;
  static PulseLibrary table;
  const bool found =
      FindFunction(library, "pa_context_connect", &table.pa_context_connect) &&
      FindFunction(library, "pa_context_disconnect", &table.pa_context_disconnect) &&
      FindFunction(library, "pa_context_get_server_info", &table.pa_context_get_server_info) &&
      FindFunction(library, "pa_context_get_sink_info_list", &table.pa_context_get_sink_info_list) &&
      FindFunction(library, "pa_context_get_source_info_list", &table.pa_context_get_source_info_list) &&
      FindFunction(library, "pa_context_get_state", &table.pa_context_get_state) &&
      FindFunction(library, "pa_context_load_module", &table.pa_context_load_module) &&
      FindFunction(library, "pa_context_new", &table.pa_context_new) &&
      FindFunction(library, "pa_context_set_default_sink", &table.pa_context_set_default_sink) &&
      FindFunction(library, "pa_context_set_default_source", &table.pa_context_set_default_source) &&
      FindFunction(library, "pa_context_set_state_callback", &table.pa_context_set_state_callback) &&
      FindFunction(library, "pa_context_set_subscribe_callback", &table.pa_context_set_subscribe_callback) &&
      FindFunction(library, "pa_context_subscribe", &table.pa_context_subscribe) &&
      FindFunction(library, "pa_context_unload_module", &table.pa_context_unload_module) &&
      FindFunction(library, "pa_context_unref", &table.pa_context_unref) &&
      FindFunction(library, "pa_operation_cancel", &table.pa_operation_cancel) &&
      FindFunction(library, "pa_operation_unref", &table.pa_operation_unref) &&
      FindFunction(library, "pa_proplist_gets", &table.pa_proplist_gets) &&
      FindFunction(library, "pa_threaded_mainloop_free", &table.pa_threaded_mainloop_free) &&
      FindFunction(library, "pa_threaded_mainloop_get_api", &table.pa_threaded_mainloop_get_api) &&
      FindFunction(library, "pa_threaded_mainloop_lock", &table.pa_threaded_mainloop_lock) &&
      FindFunction(library, "pa_threaded_mainloop_new", &table.pa_threaded_mainloop_new) &&
      FindFunction(library, "pa_threaded_mainloop_start", &table.pa_threaded_mainloop_start) &&
      FindFunction(library, "pa_threaded_mainloop_stop", &table.pa_threaded_mainloop_stop) &&
      FindFunction(library, "pa_threaded_mainloop_unlock", &table.pa_threaded_mainloop_unlock);
  return found ? &table : nullptr;
}

// nullptr when the library or one of its functions is missing.
const PulseLibrary* Pulse() {
  static const PulseLibrary* const loaded = LoadPulseLibrary();
  return loaded;
}

std::string TextOf(const char* text) { return text != nullptr ? text : ""; }

std::string OwnerOf(const pa_proplist* properties) {
  const char* owner = properties != nullptr ? Pulse()->pa_proplist_gets(properties, kOwnerProperty) : nullptr;
  return TextOf(owner);
}

}  // namespace

ServerClient::~ServerClient() { Disconnect(); }

ServerResult ServerClient::Connect(const char* clientName, std::chrono::milliseconds limit) {
  Disconnect();
  interrupted.store(false);
  lost.store(false);
  // Without the client library no server can be reached.
  if (Pulse() == nullptr) return ServerResult::kServerNone;
  loop = Pulse()->pa_threaded_mainloop_new();
  if (loop == nullptr) return ServerResult::kServerNone;
  context = Pulse()->pa_context_new(Pulse()->pa_threaded_mainloop_get_api(loop), clientName);
  if (context == nullptr || Pulse()->pa_threaded_mainloop_start(loop) < 0) {
    Disconnect();
    return ServerResult::kServerNone;
  }
  Pulse()->pa_threaded_mainloop_lock(loop);
  Pulse()->pa_context_set_state_callback(context, &ServerClient::StateChanged, this);
  Pulse()->pa_context_set_subscribe_callback(
      context,
      [](pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* self) {
        EventHappened(c, static_cast<int>(type), index, self);
      },
      this);
  const int started = Pulse()->pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  Pulse()->pa_threaded_mainloop_unlock(loop);
  if (started < 0) {
    Disconnect();
    return ServerResult::kServerNone;
  }
  {
    std::unique_lock<std::mutex> lock(waitMutex);
    answered.wait_for(lock, limit, [this] { return ready.load() || lost.load() || interrupted.load(); });
  }
  if (ready.load() && !lost.load()) return ServerResult::kServerOk;
  const ServerResult result = interrupted.load() ? ServerResult::kServerStopped
                              : lost.load()      ? ServerResult::kServerNone
                                                 : ServerResult::kServerTimedOut;
  Disconnect();
  return result;
}

void ServerClient::Disconnect() {
  if (loop == nullptr) return;
  if (context != nullptr) {
    Pulse()->pa_threaded_mainloop_lock(loop);
    Pulse()->pa_context_set_state_callback(context, nullptr, nullptr);
    Pulse()->pa_context_set_subscribe_callback(context, nullptr, nullptr);
    Pulse()->pa_context_disconnect(context);
    Pulse()->pa_context_unref(context);
    Pulse()->pa_threaded_mainloop_unlock(loop);
    context = nullptr;
  }
  // The loop's own thread, which runs none of our code once the context is
  // gone, ends here.
  Pulse()->pa_threaded_mainloop_stop(loop);
  Pulse()->pa_threaded_mainloop_free(loop);
  loop = nullptr;
  ready.store(false);
}

bool ServerClient::Connected() const { return ready.load() && !lost.load(); }

void ServerClient::Interrupt() {
  interrupted.store(true);
  Notify();
}

void ServerClient::Notify() {
  // Taken so that a waiter between its check and its wait is not missed.
  std::lock_guard<std::mutex> lock(waitMutex);
  answered.notify_all();
}

void ServerClient::StateChanged(pa_context* c, void* userdata) {
  auto* self = static_cast<ServerClient*>(userdata);
  const pa_context_state_t state = Pulse()->pa_context_get_state(c);
  if (state == PA_CONTEXT_READY) {
    self->ready.store(true);
  } else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
    const bool wasReady = self->ready.load();
    self->lost.store(true);
    ServerListener* told = self->listener.load();
    if (wasReady && told != nullptr) told->ServerLost();
  }
  self->Notify();
}

void ServerClient::EventHappened(pa_context*, int type, uint32_t, void* userdata) {
  auto* self = static_cast<ServerClient*>(userdata);
  const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  ServerListener* told = self->listener.load();
  if (told != nullptr &&
      (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE)) {
    told->ServerDevicesChanged();
  }
}

void ServerClient::Answered(Request* request, bool success) {
  request->success = success;
  request->done.store(true);
  request->client->Notify();
}

ServerResult ServerClient::Await(Request& request, void* started, std::chrono::milliseconds limit) {
  auto* operation = static_cast<pa_operation*>(started);
  Pulse()->pa_threaded_mainloop_unlock(loop);
  if (operation == nullptr) {
    // Refused before it was sent: the connection is gone or the request
    // is malformed.
    return lost.load() ? ServerResult::kServerLost : ServerResult::kServerRefused;
  }
  {
    std::unique_lock<std::mutex> lock(waitMutex);
    answered.wait_for(lock, limit, [&] { return request.done.load() || lost.load() || interrupted.load(); });
  }
  Pulse()->pa_threaded_mainloop_lock(loop);
  // Once cancelled under the lock, the answer can no longer reach the
  // request, which lives on the caller's stack.
  if (!request.done.load()) Pulse()->pa_operation_cancel(operation);
  Pulse()->pa_operation_unref(operation);
  Pulse()->pa_threaded_mainloop_unlock(loop);
  if (request.done.load()) return request.success ? ServerResult::kServerOk : ServerResult::kServerRefused;
  if (lost.load()) return ServerResult::kServerLost;
  return interrupted.load() ? ServerResult::kServerStopped : ServerResult::kServerTimedOut;
}

ServerResult ServerClient::ListDevices(std::vector<ServerDevice>* devices, std::chrono::milliseconds limit) {
  devices->clear();
  if (!Connected()) return ServerResult::kServerLost;
  Request sinks;
  sinks.client = this;
  sinks.devices = devices;
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation = Pulse()->pa_context_get_sink_info_list(
      context,
      [](pa_context*, const pa_sink_info* info, int eol, void* userdata) {
        auto* request = static_cast<Request*>(userdata);
        if (eol != 0) {
          Answered(request, eol > 0);
          return;
        }
        request->devices->push_back(ServerDevice{TextOf(info->name), TextOf(info->description),
                                                 OwnerOf(info->proplist), info->owner_module, true, false});
      },
      &sinks);
  ServerResult result = Await(sinks, operation, limit);
  if (result != ServerResult::kServerOk) return result;
  Request sources;
  sources.client = this;
  sources.devices = devices;
  Pulse()->pa_threaded_mainloop_lock(loop);
  operation = Pulse()->pa_context_get_source_info_list(
      context,
      [](pa_context*, const pa_source_info* info, int eol, void* userdata) {
        auto* request = static_cast<Request*>(userdata);
        if (eol != 0) {
          Answered(request, eol > 0);
          return;
        }
        request->devices->push_back(ServerDevice{TextOf(info->name), TextOf(info->description),
                                                 OwnerOf(info->proplist), info->owner_module, false,
                                                 info->monitor_of_sink != PA_INVALID_INDEX});
      },
      &sources);
  return Await(sources, operation, limit);
}

ServerResult ServerClient::Defaults(ServerDefaults* defaults, std::chrono::milliseconds limit) {
  if (!Connected()) return ServerResult::kServerLost;
  Request request;
  request.client = this;
  request.defaults = defaults;
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation = Pulse()->pa_context_get_server_info(
      context,
      [](pa_context*, const pa_server_info* info, void* userdata) {
        auto* answer = static_cast<Request*>(userdata);
        if (info != nullptr) {
          answer->defaults->sink = TextOf(info->default_sink_name);
          answer->defaults->source = TextOf(info->default_source_name);
        }
        Answered(answer, info != nullptr);
      },
      &request);
  return Await(request, operation, limit);
}

ServerResult ServerClient::SetDefault(bool sink, const std::string& name, std::chrono::milliseconds limit) {
  if (!Connected()) return ServerResult::kServerLost;
  Request request;
  request.client = this;
  const auto done = [](pa_context*, int success, void* userdata) {
    Answered(static_cast<Request*>(userdata), success != 0);
  };
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation =
      sink ? Pulse()->pa_context_set_default_sink(context, name.c_str(), done, &request)
           : Pulse()->pa_context_set_default_source(context, name.c_str(), done, &request);
  return Await(request, operation, limit);
}

ServerResult ServerClient::LoadModule(const char* name, const std::string& arguments, uint32_t* index,
                                      std::chrono::milliseconds limit) {
  if (!Connected()) return ServerResult::kServerLost;
  Request request;
  request.client = this;
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation = Pulse()->pa_context_load_module(
      context, name, arguments.c_str(),
      [](pa_context*, uint32_t loaded, void* userdata) {
        auto* answer = static_cast<Request*>(userdata);
        answer->index = loaded;
        Answered(answer, loaded != PA_INVALID_INDEX);
      },
      &request);
  const ServerResult result = Await(request, operation, limit);
  if (result == ServerResult::kServerOk) *index = request.index;
  return result;
}

ServerResult ServerClient::UnloadModule(uint32_t index, std::chrono::milliseconds limit) {
  if (!Connected()) return ServerResult::kServerLost;
  Request request;
  request.client = this;
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation = Pulse()->pa_context_unload_module(
      context, index,
      [](pa_context*, int success, void* userdata) {
        Answered(static_cast<Request*>(userdata), success != 0);
      },
      &request);
  return Await(request, operation, limit);
}

ServerResult ServerClient::Watch(ServerListener* newListener, std::chrono::milliseconds limit) {
  listener.store(newListener);
  if (!Connected()) return ServerResult::kServerLost;
  Request request;
  request.client = this;
  const auto mask = newListener != nullptr ? PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                           : PA_SUBSCRIPTION_MASK_NULL;
  Pulse()->pa_threaded_mainloop_lock(loop);
  pa_operation* operation = Pulse()->pa_context_subscribe(
      context, static_cast<pa_subscription_mask_t>(mask),
      [](pa_context*, int success, void* userdata) {
        Answered(static_cast<Request*>(userdata), success != 0);
      },
      &request);
  return Await(request, operation, limit);
}

}  // namespace plimo
