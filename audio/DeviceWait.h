#pragma once

#include <chrono>

namespace plimo {

// How the sound card's users wait on it. A wait is cut into slices, so
// that a cleared run flag is seen within one; a device that neither
// delivers nor takes anything for the stall limit counts as failed (a
// sound server that has stopped, a card gone with its descriptors open).
inline constexpr std::chrono::milliseconds kDeviceStallLimit{2000};
inline constexpr std::chrono::milliseconds kDeviceWaitSlice{50};

// Time since a device last made progress.
class StallWatch {
 public:
  StallWatch() : last(std::chrono::steady_clock::now()) {}
  void Progressed() { last = std::chrono::steady_clock::now(); }
  bool Stalled() const { return std::chrono::steady_clock::now() - last >= kDeviceStallLimit; }

 private:
  std::chrono::steady_clock::time_point last;
};

}  // namespace plimo
