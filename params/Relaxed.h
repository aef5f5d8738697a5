#pragma once

#include <atomic>

namespace plimo {

// A scalar setting written by the user-interface thread and read by the
// processing thread every frame. Loads and stores are relaxed atomics:
// each value is consistent on its own, which is all the engine needs (it
// copies the settings it uses at the start of every frame), and on the
// platforms we build for they compile to plain moves.
template <typename T>
class Relaxed {
  static_assert(std::atomic<T>::is_always_lock_free, "settings must be lock-free scalars");

 public:
  constexpr Relaxed(T initial = T{}) noexcept : value(initial) {}
  Relaxed(const Relaxed& other) noexcept : value(static_cast<T>(other)) {}

  Relaxed& operator=(T newValue) noexcept {
    value.store(newValue, std::memory_order_relaxed);
    return *this;
  }
  Relaxed& operator=(const Relaxed& other) noexcept { return *this = static_cast<T>(other); }

  operator T() const noexcept { return value.load(std::memory_order_relaxed); }

 private:
  std::atomic<T> value;
};

}  // namespace plimo
