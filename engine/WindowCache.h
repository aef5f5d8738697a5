#pragma once

#include <memory>
#include <vector>

namespace plimo {

// Hamming windows of the lengths a run meets. A voice's period drifts among
// a few dozen lengths, so keeping the recent ones spares most frames the
// cosines of a fresh window.
class WindowCache {
 public:
  // A gliding voice meets more lengths than a steady one; with 16 the
  // window cosines were still a twentieth of a run.
  static constexpr int kSlots = 64;

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
  // kSlots windows of maxLength samples, left unwritten until used, so
  // that a short run does not pay for clearing them.
  std::unique_ptr<float[]> storage;
  int lengths[kSlots] = {};       // -1: empty slot
  std::vector<int> slotOfLength;  // maxLength + 1 values, -1: not kept
  int slotLength = 0;
  int next = 0;  // the slot replaced next
};

}  // namespace plimo
