#pragma once

namespace plimo {

// A file descriptor that a device's I/O thread polls next to the device's
// own descriptors, so that another thread can wake it without a lock.
class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  bool IsValid() const { return fd >= 0; }
  int Descriptor() const { return fd; }

  // Makes the descriptor readable; safe from any thread.
  void Signal();
  // Makes it unreadable again (the I/O thread, after poll saw it).
  void Clear();

 private:
  int fd = -1;
};

}  // namespace plimo
