#include "platform/RealTimeService.h"

#include <dbus/dbus.h>
#include <sys/resource.h>

#include "platform/SharedLibrary.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace plimo {

namespace {

// The message bus library, opened by the first question to the service.
struct BusLibrary {
  decltype(&::dbus_bus_get_private) dbus_bus_get_private = nullptr;
  decltype(&::dbus_connection_send_with_reply_and_block) dbus_connection_send_with_reply_and_block = nullptr;
  decltype(&::dbus_connection_set_exit_on_disconnect) dbus_connection_set_exit_on_disconnect = nullptr;
  decltype(&::dbus_error_free) dbus_error_free = nullptr;
  decltype(&::dbus_error_init) dbus_error_init = nullptr;
  decltype(&::dbus_message_append_args) dbus_message_append_args = nullptr;
  decltype(&::dbus_message_iter_get_arg_type) dbus_message_iter_get_arg_type = nullptr;
  decltype(&::dbus_message_iter_get_basic) dbus_message_iter_get_basic = nullptr;
  decltype(&::dbus_message_iter_init) dbus_message_iter_init = nullptr;
  decltype(&::dbus_message_iter_recurse) dbus_message_iter_recurse = nullptr;
  decltype(&::dbus_message_new_method_call) dbus_message_new_method_call = nullptr;
  decltype(&::dbus_message_unref) dbus_message_unref = nullptr;
};

const BusLibrary* LoadBusLibrary() {
  void* library = OpenSharedLibrary("libdbus-1.so.3");
  if (library == nullptr) return nullptr;
  static BusLibrary table;
  const bool found =
      FindFunction(library, "dbus_bus_get_private", &table.dbus_bus_get_private) &&
      FindFunction(library, "dbus_connection_send_with_reply_and_block",
                   &table.dbus_connection_send_with_reply_and_block) &&
      FindFunction(library, "dbus_connection_set_exit_on_disconnect",
                   &table.dbus_connection_set_exit_on_disconnect) &&
      FindFunction(library, "dbus_error_free", &table.dbus_error_free) &&
      FindFunction(library, "dbus_error_init", &table.dbus_error_init) &&
      FindFunction(library, "dbus_message_append_args", &table.dbus_message_append_args) &&
      FindFunction(library, "dbus_message_iter_get_arg_type", &table.dbus_message_iter_get_arg_type) &&
      FindFunction(library, "dbus_message_iter_get_basic", &table.dbus_message_iter_get_basic) &&
      FindFunction(library, "dbus_message_iter_init", &table.dbus_message_iter_init) &&
      FindFunction(library, "dbus_message_iter_recurse", &table.dbus_message_iter_recurse) &&
      FindFunction(library, "dbus_message_new_method_call", &table.dbus_message_new_method_call) &&
      FindFunction(library, "dbus_message_unref", &table.dbus_message_unref);
  return found ? &table : nullptr;
}

// nullptr when the library or one of its functions is missing.
const BusLibrary* Bus() {
  static const BusLibrary* const loaded = LoadBusLibrary();
  return loaded;
}

constexpr const char* kServiceName = "org.freedesktop.RealtimeKit1";
constexpr const char* kServicePath = "/org/freedesktop/RealtimeKit1";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// One private connection for the process, opened on the first question;
// questions come only as threads start, never per frame.
std::mutex serviceMutex;
DBusConnection* serviceConnection = nullptr;
bool serviceMissing = false;

// The answer to message, or nullptr when none came in time; message is
// released.
DBusMessage* Ask(DBusMessage* message) {
  if (message == nullptr) return nullptr;
  DBusError error;
  Bus()->dbus_error_init(&error);
  DBusMessage* reply = Bus()->dbus_connection_send_with_reply_and_block(serviceConnection, message,
                                                                        kRealTimeServiceLimitMs, &error);
  Bus()->dbus_message_unref(message);
  Bus()->dbus_error_free(&error);
  return reply;
}

// A numeric property of the service, or false.
bool ReadProperty(const char* name, int64_t* value) {
  DBusMessage* get = Bus()->dbus_message_new_method_call(kServiceName, kServicePath, kProperties, "Get");
  if (get == nullptr) return false;
  const char* interface = kServiceName;
  if (!Bus()->dbus_message_append_args(get, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                       DBUS_TYPE_INVALID)) {
    Bus()->dbus_message_unref(get);
    return false;
  }
  DBusMessage* reply = Ask(get);
  if (reply == nullptr) return false;
  DBusMessageIter iter;
  DBusMessageIter variant;
  bool read = false;
  if (Bus()->dbus_message_iter_init(reply, &iter) &&
      Bus()->dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
    Bus()->dbus_message_iter_recurse(&iter, &variant);
    const int type = Bus()->dbus_message_iter_get_arg_type(&variant);
    if (type == DBUS_TYPE_INT32) {
      dbus_int32_t number = 0;
      Bus()->dbus_message_iter_get_basic(&variant, &number);
      *value = number;
      read = true;
    } else if (type == DBUS_TYPE_INT64) {
      dbus_int64_t number = 0;
      Bus()->dbus_message_iter_get_basic(&variant, &number);
      *value = number;
      read = true;
    }
  }
  Bus()->dbus_message_unref(reply);
  return read;
}

bool Connect() {
  if (serviceConnection != nullptr) return true;
  if (serviceMissing) return false;
  if (Bus() == nullptr) {
    serviceMissing = true;
    return false;
  }
  DBusError error;
  Bus()->dbus_error_init(&error);
  serviceConnection = Bus()->dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
  Bus()->dbus_error_free(&error);
  if (serviceConnection == nullptr) {
    serviceMissing = true;
    return false;
  }
  // A bus that goes away must not take the program with it.
  Bus()->dbus_connection_set_exit_on_disconnect(serviceConnection, FALSE);
  return true;
}

}  // namespace

bool AskRealTimeService(pid_t thread, int priority) {
  if (priority < 1) return false;
  const std::lock_guard<std::mutex> lock(serviceMutex);
  if (!Connect()) return false;
  int64_t most = 0;
  int64_t cpuLimitUs = 0;
  if (!ReadProperty("MaxRealtimePriority", &most) || !ReadProperty("RTTimeUSecMax", &cpuLimitUs)) {
    serviceMissing = true;
    return false;
  }
  if (most < 1 || cpuLimitUs <= 0) return false;
  rlimit limit{};
  if (getrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
  const rlim_t wanted = static_cast<rlim_t>(cpuLimitUs);
  if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > wanted) {
    limit.rlim_cur = wanted;
    limit.rlim_max = wanted;
    if (setrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
  }
  DBusMessage* call =
      Bus()->dbus_message_new_method_call(kServiceName, kServicePath, kServiceName, "MakeThreadRealtime");
  if (call == nullptr) return false;
  const dbus_uint64_t task = static_cast<dbus_uint64_t>(thread);
  const dbus_uint32_t level = static_cast<dbus_uint32_t>(std::min<int64_t>(priority, most));
  if (!Bus()->dbus_message_append_args(call, DBUS_TYPE_UINT64, &task, DBUS_TYPE_UINT32, &level,
                                       DBUS_TYPE_INVALID)) {
    Bus()->dbus_message_unref(call);
    return false;
  }
  DBusMessage* reply = Ask(call);
  if (reply == nullptr) return false;
  Bus()->dbus_message_unref(reply);
  return true;
}

}  // namespace plimo
