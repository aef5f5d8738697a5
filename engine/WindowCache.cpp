#include "engine/WindowCache.h"

#include <algorithm>

#include "dsp/Primitives.h"

namespace plimo {

void WindowCache::Prepare(int maxLength) {
  maxWindow = std::max(maxLength, 1);
  capacity = static_cast<size_t>(kSlots) * static_cast<size_t>(maxWindow);
  storage = std::make_unique_for_overwrite<float[]>(capacity);
  used = 0;
  offsetOfLength.assign(static_cast<size_t>(maxWindow) + 1, -1);
}

const float* WindowCache::Hamming(int n) {
  n = std::clamp(n, 0, maxWindow);
  const long kept = offsetOfLength[static_cast<size_t>(n)];
  if (kept >= 0) return storage.get() + kept;
  if (capacity - used < static_cast<size_t>(n)) {
    std::fill(offsetOfLength.begin(), offsetOfLength.end(), -1);
    used = 0;
  }
  float* window = storage.get() + used;
  HammingWindow(window, n);
  offsetOfLength[static_cast<size_t>(n)] = static_cast<long>(used);
  used += static_cast<size_t>(n);
  return window;
}

}  // namespace plimo
