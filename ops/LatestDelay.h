#pragma once

#include <atomic>
#include <cstdint>

#include "engine/LiveDelay.h"

namespace plimo {

// The last delay a live run reported, handed from its worker to the thread
// that shows it without a lock: a sequence count is odd while a report is
// being written, and a reader that saw it change reads again. One writer
// at a time (the run's worker); any number of readers. The figures are
// stored with release and loaded with acquire rather than fenced, which
// the thread checker follows: a reader that sees any new figure also sees
// the odd count written before it, and reads again.
class LatestDelay {
 public:
  // Worker.
  void Store(const LiveDelay& delay) {
    const uint32_t sequence = writes.load(std::memory_order_relaxed);
    writes.store(sequence + 1, std::memory_order_relaxed);
    engineMs.store(delay.engineMs, std::memory_order_release);
    captureMs.store(delay.captureMs, std::memory_order_release);
    playbackMs.store(delay.playbackMs, std::memory_order_release);
    totalMs.store(delay.totalMs, std::memory_order_release);
    underruns.store(delay.underruns, std::memory_order_release);
    shedMs.store(delay.shedMs, std::memory_order_release);
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
      delay->engineMs = engineMs.load(std::memory_order_acquire);
      delay->captureMs = captureMs.load(std::memory_order_acquire);
      delay->playbackMs = playbackMs.load(std::memory_order_acquire);
      delay->totalMs = totalMs.load(std::memory_order_acquire);
      delay->underruns = underruns.load(std::memory_order_acquire);
      delay->shedMs = shedMs.load(std::memory_order_acquire);
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
