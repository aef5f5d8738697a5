#pragma once

#include <pthread.h>

namespace plimo {

// Priorities asked of SCHED_FIFO, modest so that the sound server's own
// threads (and the kernel's) still come first; a device's I/O thread
// before the engine that feeds it.
inline constexpr int kDeviceThreadPriority = 10;
inline constexpr int kEngineThreadPriority = 8;

// Puts the calling thread on SCHED_FIFO at priority (none below 1) (lowered to what
// RLIMIT_RTPRIO allows) for as long as the object lives, then back to how
// it was. A process that may not do so itself asks the desktop's
// real-time service (AskRealTimeService). Where neither allows it the
// thread carries on as it was: real-time scheduling only makes a run less
// likely to stutter.
// Puts the process's threads called threadName (as /proc shows them) that
// run on the ordinary policy on SCHED_FIFO at priority, lowered as above
// (or through the real-time service), for the rest of their lives; the
// count raised. For threads a library
// starts, such as the sound server client's event thread, which carries
// every buffer between a device and the server: left to compete with
// every other program, it makes a device late however prompt its own
// I/O thread is.
int RaiseThreadsNamed(const char* threadName, int priority);

class RealTimeScope {
 public:
  explicit RealTimeScope(int priority);
  ~RealTimeScope();
  RealTimeScope(const RealTimeScope&) = delete;
  RealTimeScope& operator=(const RealTimeScope&) = delete;

  bool Granted() const { return granted; }

 private:
  bool granted = false;
  int oldPolicy = SCHED_OTHER;
  sched_param oldParam{};
};

}  // namespace plimo
