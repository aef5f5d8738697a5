#include "platform/EventCounter.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

namespace plimo {

namespace {

constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr long kMillisecondsPerSecond = 1000;

uint32_t* Word(std::atomic<uint32_t>& value) { return reinterpret_cast<uint32_t*>(&value); }

}  // namespace

void EventCounter::Raise() {
  value.fetch_add(1, std::memory_order_acq_rel);
  syscall(SYS_futex, Word(value), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

bool EventCounter::WaitFor(uint32_t seen, std::chrono::milliseconds limit) const {
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const long ms = static_cast<long>(limit.count() > 0 ? limit.count() : 0);
  deadline.tv_sec += ms / kMillisecondsPerSecond;
  deadline.tv_nsec += (ms % kMillisecondsPerSecond) * kNanosecondsPerMillisecond;
  if (deadline.tv_nsec >= kNanosecondsPerMillisecond * kMillisecondsPerSecond) {
    deadline.tv_nsec -= kNanosecondsPerMillisecond * kMillisecondsPerSecond;
    ++deadline.tv_sec;
  }
  for (;;) {
    if (value.load(std::memory_order_acquire) != seen) return true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec left{deadline.tv_sec - now.tv_sec, deadline.tv_nsec - now.tv_nsec};
    if (left.tv_nsec < 0) {
      left.tv_nsec += kNanosecondsPerMillisecond * kMillisecondsPerSecond;
      --left.tv_sec;
    }
    if (left.tv_sec < 0) return value.load(std::memory_order_acquire) != seen;
    // FUTEX_WAIT takes a relative time; a wake, a change of the word before
    // sleeping (EAGAIN) or a signal (EINTR) all lead back to the check.
    const long result = syscall(SYS_futex, Word(value), FUTEX_WAIT_PRIVATE, seen, &left, nullptr, 0);
    if (result != 0 && errno == ETIMEDOUT) return value.load(std::memory_order_acquire) != seen;
  }
}

}  // namespace plimo
