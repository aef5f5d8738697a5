#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/WaveBuffer.h"

namespace plimo {

// One playback buffer: its data block, which keeps growing until the
// buffer is prepared and sent, and the wave header the device plays it
// through and marks done once heard.
struct PlaybackBuffer {
  std::vector<uint8_t> data;
  WaveBuffer header;

  bool Sent() const { return header.prepared; }
};

// The speaker's playback buffers, oldest first: a fixed set made when the
// device opens, so that steady playback allocates nothing (a data block
// only grows past what it once held).
class PlaybackQueue {
 public:
  // count buffers, each with room for reserveBytes, and one block of
  // largeBytes for the one buffer that may grow past that.
  void Allocate(size_t count, size_t reserveBytes, size_t largeBytes) {
    reserve = reserveBytes;
    large.clear();
    large.reserve(std::max(largeBytes, reserveBytes));
    all.clear();
    spare.clear();
    slots.assign(count, nullptr);
    front = 0;
    size = 0;
    for (size_t i = 0; i < count; ++i) {
      all.push_back(std::make_unique<PlaybackBuffer>());
      all.back()->data.reserve(reserveBytes);
      spare.push_back(all.back().get());
    }
  }

  void Free() {
    large.clear();
    large.shrink_to_fit();
    slots.clear();
    spare.clear();
    all.clear();
    front = 0;
    size = 0;
  }

  bool Empty() const { return size == 0; }
  size_t Size() const { return size; }
  PlaybackBuffer& Front() { return *slots[front]; }
  PlaybackBuffer& Back() { return *slots[(front + size - 1) % slots.size()]; }
  const PlaybackBuffer& Back() const { return *slots[(front + size - 1) % slots.size()]; }
  PlaybackBuffer& At(size_t i) { return *slots[(front + i) % slots.size()]; }

  // A spare buffer, empty, appended at the back; null when all are in use.
  PlaybackBuffer* Append() {
    if (spare.empty()) return nullptr;
    PlaybackBuffer* buffer = spare.back();
    spare.pop_back();
    slots[(front + size) % slots.size()] = buffer;
    ++size;
    return buffer;
  }

  // Room for needed bytes in buffer's block without allocating: only the
  // lone buffer that collects the pre-roll grows past the common
  // reservation, and it then trades its block for the large one, which is
  // free then (no other buffer is queued). false when even that is short.
  bool MakeRoom(PlaybackBuffer& buffer, size_t needed) {
    if (needed <= buffer.data.capacity()) return true;
    if (needed > large.capacity()) return false;
    large.assign(buffer.data.begin(), buffer.data.end());
    buffer.data.swap(large);
    large.clear();
    return true;
  }

  // Every buffer's memory, for someone else to keep alive; the queue is
  // empty afterwards.
  std::shared_ptr<void> TakeStorage() {
    auto storage = std::make_shared<std::vector<std::unique_ptr<PlaybackBuffer>>>(std::move(all));
    Free();
    return storage;
  }

  // The front buffer, emptied, becomes spare again.
  void ReleaseFront() {
    PlaybackBuffer* buffer = slots[front];
    // The large block goes back to where the next pre-roll finds it.
    if (buffer->data.capacity() > reserve && buffer->data.capacity() > large.capacity()) {
      buffer->data.swap(large);
    }
    buffer->data.clear();
    buffer->header.data = nullptr;
    buffer->header.length = 0;
    buffer->header.prepared = false;
    buffer->header.done.store(false, std::memory_order_relaxed);
    spare.push_back(buffer);
    front = (front + 1) % slots.size();
    --size;
  }

 private:
  std::vector<std::unique_ptr<PlaybackBuffer>> all;
  std::vector<PlaybackBuffer*> spare;
  std::vector<PlaybackBuffer*> slots;
  std::vector<uint8_t> large;
  size_t reserve = 0;
  size_t front = 0;
  size_t size = 0;
};

}  // namespace plimo
