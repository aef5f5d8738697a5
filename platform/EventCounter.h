#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace plimo {

// A counter that one thread raises and others wait on, like a C++20
// atomic wait but with a time limit, so that no wait on a device can last
// for ever. Neither side locks or allocates.
class EventCounter {
 public:
  uint32_t Count() const { return value.load(std::memory_order_acquire); }

  // Raises the count and wakes every waiter; safe from any thread.
  void Raise();

  // Returns once the count differs from seen (at once if it already does):
  // true, or false when limit passed first.
  bool WaitFor(uint32_t seen, std::chrono::milliseconds limit) const;

 private:
  // The kernel waits on the 32-bit word itself.
  mutable std::atomic<uint32_t> value{0};
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
  static_assert(std::atomic<uint32_t>::is_always_lock_free);
};

}  // namespace plimo
