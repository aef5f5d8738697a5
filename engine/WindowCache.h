#pragma once

#include <memory>
#include <vector>

namespace plimo {

// Hamming windows of the lengths a run meets. A voice's period drifts among
// a few dozen lengths (a gliding voice at 44.1 kHz among well over a
// hundred), so keeping the ones met spares most frames the cosines of a
// fresh window.
class WindowCache {
 public:
  // Room for this many windows of the longest length; windows are kept
  // end to end, so shorter ones fit more. With 16 the window cosines were
  // still a twentieth of a run.
  static constexpr int kSlots = 64;

  WindowCache() = default;
  virtual ~WindowCache() = default;

  WindowCache(const WindowCache&) = delete;
  WindowCache& operator=(const WindowCache&) = delete;

  // Room for windows of up to maxLength samples; forgets every window.
  // Allocates.
  void Prepare(int maxLength);

  // The symmetric Hamming window of length n (0 <= n <= maxLength), valid
  // until at least kSlots / 2 other lengths have been asked for. Allocates
  // nothing.
  const float* Hamming(int n);

 private:
  // The windows end to end, left unwritten until used, so that a short run
  // does not pay for clearing them. When the next window does not fit,
  // every window is forgotten and the storage is filled again from the
  // start: a run rarely meets that many lengths, and a first-in-first-out
  // choice of slots missed on every frame once it did.
  std::unique_ptr<float[]> storage;
  size_t capacity = 0;               // samples
  size_t used = 0;                   // samples
  std::vector<long> offsetOfLength;  // maxLength + 1 values, -1: not kept
  int maxWindow = 0;
};

}  // namespace plimo
