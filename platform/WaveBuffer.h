#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// A block of sample bytes lent to a wave device, like a wave header: the
// owner fills or drains data, the device's I/O thread records into it or
// plays it, and sets done when it gives the buffer back. Between handing a
// buffer to the device and seeing done, the owner touches neither data nor
// the counts.
struct WaveBuffer {
  uint8_t* data = nullptr;
  uint32_t length = 0;         // capture: room in data; playback: bytes to play
  uint32_t recordedBytes = 0;  // capture: bytes the device put into data
  bool prepared = false;       // the owner may hand it to the device
  std::atomic<bool> inDevice{false};
  // Set with release order after recordedBytes, so an owner that reads done
  // with acquire order sees the recorded bytes too.
  std::atomic<bool> done{false};
};

}  // namespace plimo
