#pragma once

// Buffers for device tests: each with its own storage, handed out as the
// platform's wave buffers.

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/PcmStream.h"
#include "platform/WaveBuffer.h"

namespace plimo::test {

class WaveBufferSet {
 public:
  WaveBufferSet(size_t count, uint32_t bytes)
      : buffers(std::make_unique<WaveBuffer[]>(count)), storage(count), count(count) {
    for (size_t i = 0; i < count; ++i) {
      storage[i].assign(bytes, 0);
      buffers[i].data = storage[i].data();
      buffers[i].length = bytes;
    }
  }

  WaveBuffer& operator[](size_t i) { return buffers[i]; }
  size_t Size() const { return count; }

  // Fills buffer i with bytes (its length becomes their number).
  void Fill(size_t i, const std::vector<uint8_t>& bytes) {
    storage[i] = bytes;
    buffers[i].data = storage[i].data();
    buffers[i].length = static_cast<uint32_t>(bytes.size());
  }

  bool AllDone() const {
    for (size_t i = 0; i < count; ++i) {
      if (!buffers[i].done.load(std::memory_order_acquire)) return false;
    }
    return true;
  }

  // Waits on the device until every buffer is done.
  void WaitAllDone(const PcmStream& device) const {
    for (;;) {
      const uint32_t seen = device.EventCount();
      if (AllDone() || device.HasFailed()) return;
      device.WaitForEvent(seen, std::chrono::seconds(10));
    }
  }

 private:
  std::unique_ptr<WaveBuffer[]> buffers;
  std::vector<std::vector<uint8_t>> storage;
  size_t count;
};

// 16-bit little-endian bytes of samples.
inline std::vector<uint8_t> LittleEndianBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return bytes;
}

inline std::vector<int16_t> SamplesOf(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return samples;
}

}  // namespace plimo::test
