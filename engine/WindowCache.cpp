#include "engine/WindowCache.h"

#include <algorithm>

#include "dsp/Primitives.h"

namespace plimo {

void WindowCache::Prepare(int maxLength) {
  slotLength = std::max(maxLength, 1);
  storage.assign(static_cast<size_t>(kSlots) * static_cast<size_t>(slotLength), 0.0f);
  std::fill(std::begin(lengths), std::end(lengths), -1);
  next = 0;
}

const float* WindowCache::Hamming(int n) {
  n = std::clamp(n, 0, slotLength);
  for (int slot = 0; slot < kSlots; ++slot) {
    if (lengths[slot] == n) return storage.data() + static_cast<size_t>(slot) * slotLength;
  }
  float* window = storage.data() + static_cast<size_t>(next) * slotLength;
  HammingWindow(window, n);
  lengths[next] = n;
  next = (next + 1) % kSlots;
  return window;
}

}  // namespace plimo
