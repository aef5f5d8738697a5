#include "ops/BusyFlags.h"

namespace plimo {

bool BusyFlags::Claim(std::atomic<bool>& flag) {
  if (Any()) return false;
  bool expected = false;
  if (!flag.compare_exchange_strong(expected, true)) return false;
  const int others = isRecording.load() + isPlaying.load() + isModifying.load();
  if (others > 1) {
    flag.store(false);
    return false;
  }
  return true;
}

void BusyFlags::ClearAll() {
  isRecording.store(false);
  isPlaying.store(false);
  isModifying.store(false);
}

}  // namespace plimo
