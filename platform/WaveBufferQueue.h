#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/WaveBuffer.h"

namespace plimo {

// The buffers handed to a device, in order, between one owner thread that
// appends and the device's I/O thread that takes them from the front. The
// slots are made once when the device opens; neither side locks or
// allocates afterwards.
class WaveBufferQueue {
 public:
  // Room for at least capacity buffers (rounded up to a power of two).
  void Allocate(size_t capacity) {
    size_t size = 1;
    while (size < capacity) size *= 2;
    slots.assign(size, nullptr);
    mask = size - 1;
    head.store(0, std::memory_order_relaxed);
    tail.store(0, std::memory_order_relaxed);
  }

  // Owner side: false when every slot is taken.
  bool Push(WaveBuffer* buffer) {
    const uint64_t t = tail.load(std::memory_order_relaxed);
    if (t - head.load(std::memory_order_acquire) >= slots.size()) return false;
    slots[t & mask] = buffer;
    tail.store(t + 1, std::memory_order_release);
    return true;
  }

  // I/O side: positions run from Head() to Tail(); At(i) is valid in between.
  uint64_t Head() const { return head.load(std::memory_order_relaxed); }
  uint64_t Tail() const { return tail.load(std::memory_order_acquire); }
  WaveBuffer* At(uint64_t position) const { return slots[position & mask]; }
  void PopFront() { head.store(head.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
  size_t Capacity() const { return slots.size(); }

 private:
  std::vector<WaveBuffer*> slots;
  size_t mask = 0;
  std::atomic<uint64_t> head{0};
  std::atomic<uint64_t> tail{0};
};

}  // namespace plimo
