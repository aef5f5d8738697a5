#pragma once

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
  // count buffers, each with room for reserveBytes.
  void Allocate(size_t count, size_t reserveBytes) {
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

  // The front buffer, emptied, becomes spare again.
  void ReleaseFront() {
    PlaybackBuffer* buffer = slots[front];
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
  size_t front = 0;
  size_t size = 0;
};

}  // namespace plimo
