#pragma once

#include <atomic>

namespace plimo {

// What runs: at most one operation at a time. Each flag is also its
// operation's stop signal; the modification's is the one the engine polls.
struct BusyFlags {
  std::atomic<bool> isRecording{false};
  std::atomic<bool> isPlaying{false};
  std::atomic<bool> isModifying{false};

  bool Any() const { return isRecording.load() || isPlaying.load() || isModifying.load(); }

  // Sets flag when no flag is set, so that a second start, even one issued
  // before the first worker runs, is refused. Starts come from one thread;
  // the re-check covers a worker clearing or setting a flag meanwhile.
  [[nodiscard]] bool Claim(std::atomic<bool>& flag);

  // Clears the three, in the order recording, playing, modifying.
  void ClearAll();
};

}  // namespace plimo
