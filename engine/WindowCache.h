#pragma once

#include <vector>

namespace plimo {

// Hamming windows of the lengths a run meets. A voice's period drifts among
// a few dozen lengths, so keeping the recent ones spares most frames the
// cosines of a fresh window.
class WindowCache {
 public:
  static constexpr int kSlots = 16;

  WindowCache() = default;
  virtual ~WindowCache() = default;

  WindowCache(const WindowCache&) = delete;
  WindowCache& operator=(const WindowCache&) = delete;

  // Room for windows of up to maxLength samples; forgets every window.
  // Allocates.
  void Prepare(int maxLength);

  // The symmetric Hamming window of length n (0 <= n <= maxLength), valid
  // until kSlots other lengths have been asked for. Allocates nothing.
  const float* Hamming(int n);

 private:
  std::vector<float> storage;  // kSlots windows of maxLength samples
  int lengths[kSlots] = {};    // -1: empty slot
  int slotLength = 0;
  int next = 0;  // the slot replaced next
};

}  // namespace plimo
