#include "platform/WakeEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace plimo {

WakeEvent::WakeEvent() : fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
  if (fd >= 0) close(fd);
}

void WakeEvent::Signal() {
  const uint64_t one = 1;
  // A full counter is still readable, which is all a wake needs.
  [[maybe_unused]] ssize_t ignored = write(fd, &one, sizeof one);
}

void WakeEvent::Clear() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t ignored = read(fd, &count, sizeof count);
}

}  // namespace plimo
