#include "engine/WindowCache.h"

#include <algorithm>

#include "dsp/Primitives.h"

namespace plimo {

void WindowCache::Prepare(int maxLength) {
  slotLength = std::max(maxLength, 1);
  storage =
      std::make_unique_for_overwrite<float[]>(static_cast<size_t>(kSlots) * static_cast<size_t>(slotLength));
  std::fill(std::begin(lengths), std::end(lengths), -1);
  slotOfLength.assign(static_cast<size_t>(slotLength) + 1, -1);
  next = 0;
}

const float* WindowCache::Hamming(int n) {
  n = std::clamp(n, 0, slotLength);
  const int kept = slotOfLength[static_cast<size_t>(n)];
  if (kept >= 0) return storage.get() + static_cast<size_t>(kept) * slotLength;
  float* window = storage.get() + static_cast<size_t>(next) * slotLength;
  HammingWindow(window, n);
  if (lengths[next] >= 0) slotOfLength[static_cast<size_t>(lengths[next])] = -1;
  lengths[next] = n;
  slotOfLength[static_cast<size_t>(n)] = next;
  next = (next + 1) % kSlots;
  return window;
}

}  // namespace plimo
