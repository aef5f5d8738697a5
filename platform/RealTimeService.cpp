#include "platform/RealTimeService.h"

#include <dbus/dbus.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace plimo {

namespace {

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
  dbus_error_init(&error);
  DBusMessage* reply =
      dbus_connection_send_with_reply_and_block(serviceConnection, message, kRealTimeServiceLimitMs, &error);
  dbus_message_unref(message);
  dbus_error_free(&error);
  return reply;
}

// A numeric property of the service, or false.
bool ReadProperty(const char* name, int64_t* value) {
  DBusMessage* get = dbus_message_new_method_call(kServiceName, kServicePath, kProperties, "Get");
  if (get == nullptr) return false;
  const char* interface = kServiceName;
  if (!dbus_message_append_args(get, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                DBUS_TYPE_INVALID)) {
    dbus_message_unref(get);
    return false;
  }
  DBusMessage* reply = Ask(get);
  if (reply == nullptr) return false;
  DBusMessageIter iter;
  DBusMessageIter variant;
  bool read = false;
  if (dbus_message_iter_init(reply, &iter) && dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
    dbus_message_iter_recurse(&iter, &variant);
    const int type = dbus_message_iter_get_arg_type(&variant);
    if (type == DBUS_TYPE_INT32) {
      dbus_int32_t number = 0;
      dbus_message_iter_get_basic(&variant, &number);
      *value = number;
      read = true;
    } else if (type == DBUS_TYPE_INT64) {
      dbus_int64_t number = 0;
      dbus_message_iter_get_basic(&variant, &number);
      *value = number;
      read = true;
    }
  }
  dbus_message_unref(reply);
  return read;
}

bool Connect() {
  if (serviceConnection != nullptr) return true;
  if (serviceMissing) return false;
  DBusError error;
  dbus_error_init(&error);
  serviceConnection = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
  dbus_error_free(&error);
  if (serviceConnection == nullptr) {
    serviceMissing = true;
    return false;
  }
  // A bus that goes away must not take the program with it.
  dbus_connection_set_exit_on_disconnect(serviceConnection, FALSE);
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
  DBusMessage* call = dbus_message_new_method_call(kServiceName, kServicePath, kServiceName, "MakeThreadRealtime");
  if (call == nullptr) return false;
  const dbus_uint64_t task = static_cast<dbus_uint64_t>(thread);
  const dbus_uint32_t level = static_cast<dbus_uint32_t>(std::min<int64_t>(priority, most));
  if (!dbus_message_append_args(call, DBUS_TYPE_UINT64, &task, DBUS_TYPE_UINT32, &level, DBUS_TYPE_INVALID)) {
    dbus_message_unref(call);
    return false;
  }
  DBusMessage* reply = Ask(call);
  if (reply == nullptr) return false;
  dbus_message_unref(reply);
  return true;
}

}  // namespace plimo
