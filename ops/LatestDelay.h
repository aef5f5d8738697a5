#pragma once

#include <atomic>
#include <cstdint>

#include "engine/LiveDelay.h"

namespace plimo {

// The last delay a live run reported, handed from its worker to the thread
// that shows it without a lock: a sequence count is odd while a report is
// being written, and a reader that saw it change reads again. One writer
// at a time (the run's worker); any number of readers.
class LatestDelay {
 public:
  // Worker.
  void Store(const LiveDelay& delay) {
    const uint32_t sequence = writes.load(std::memory_order_relaxed);
    writes.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    engineMs.store(delay.engineMs, std::memory_order_relaxed);
    captureMs.store(delay.captureMs, std::memory_order_relaxed);
    playbackMs.store(delay.playbackMs, std::memory_order_relaxed);
    totalMs.store(delay.totalMs, std::memory_order_relaxed);
    underruns.store(delay.underruns, std::memory_order_relaxed);
    shedMs.store(delay.shedMs, std::memory_order_relaxed);
    writes.store(sequence + 2, std::memory_order_release);
    reported.store(true, std::memory_order_release);
  }

  // Worker, as a run starts: nothing reported yet.
  void Clear() { reported.store(false, std::memory_order_release); }

  // The last report, whole; false while the run has reported none.
  bool Load(LiveDelay* delay) const {
    if (!reported.load(std::memory_order_acquire)) return false;
    for (;;) {
      const uint32_t before = writes.load(std::memory_order_acquire);
      delay->engineMs = engineMs.load(std::memory_order_relaxed);
      delay->captureMs = captureMs.load(std::memory_order_relaxed);
      delay->playbackMs = playbackMs.load(std::memory_order_relaxed);
      delay->totalMs = totalMs.load(std::memory_order_relaxed);
      delay->underruns = underruns.load(std::memory_order_relaxed);
      delay->shedMs = shedMs.load(std::memory_order_relaxed);
      std::atomic_thread_fence(std::memory_order_acquire);
      if (before % 2 == 0 && writes.load(std::memory_order_relaxed) == before) return true;
    }
  }

 private:
  std::atomic<uint32_t> writes{0};
  std::atomic<bool> reported{false};
  std::atomic<double> engineMs{0.0};
  std::atomic<double> captureMs{0.0};
  std::atomic<double> playbackMs{0.0};
  std::atomic<double> totalMs{0.0};
  std::atomic<int64_t> underruns{0};
  std::atomic<int64_t> shedMs{0};
};

}  // namespace plimo
