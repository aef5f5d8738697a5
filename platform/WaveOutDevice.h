#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/PcmStream.h"

namespace plimo {

// The default playback device. Written buffers are played in order without
// gaps between them; each comes back done once its last frame has been
// played (not merely handed to the sound system), so what the owner still
// holds undone is what is still to be heard. Reset stops at once and gives
// every buffer back.
class WaveOutDevice : public PcmStream {
 public:
  WaveOutDevice();
  ~WaveOutDevice() override;

  // queueCapacity: how many buffers may be written and not yet done. The
  // device's own period and ring are the standard ones (10 ms in a ring of
  // 80 ms) unless given.
  [[nodiscard]] DeviceResult Open(const PcmFormat& format, size_t queueCapacity);
  [[nodiscard]] DeviceResult Open(const PcmFormat& format, size_t queueCapacity,
                                  const DeviceBuffering& buffering);
  // The buffer must be prepared; its first length bytes are played.
  [[nodiscard]] DeviceResult Write(WaveBuffer* buffer);

  // Frames written and not yet heard: in buffers not yet handed to the
  // sound system, and in the sound system. The owner's; never waits for
  // the I/O thread.
  int64_t HeldFrames() const;
  // Frames written that the sound system has not yet taken to play: what
  // bridges the time until more comes. The sound system's own latency
  // after that is in HeldFrames, not here.
  int64_t AheadFrames() const;

 private:
  void PlanWait(bool* wantPcm, int* timeoutMs) override;
  void Service(unsigned short revents) override;
  DeviceResult Execute(Command command) override;
  // Frames written so far that the listener has heard.
  uint64_t PlayedFrames();
  void GiveBackPlayed();
  void Publish(uint64_t played);
  // After an underrun everything written has been played; the device is
  // made ready again.
  [[nodiscard]] bool Recover(int error);

  // I/O thread only. The queue's positions from its head up to cursor are
  // written and wait to be heard; endFrames holds, per slot, the written
  // count at which its buffer has been played.
  uint64_t cursor = 0;
  uint32_t cursorOffset = 0;  // bytes of the cursor buffer already written
  uint64_t framesWritten = 0;
  std::vector<uint64_t> endFrames;
  // Frames heard before framesWritten last started again from 0.
  int64_t heardBefore = 0;
  int pollMs = 1;  // how often the thread asks while it has sound to write

  std::atomic<int64_t> written{0};  // frames the owner has written since the open
};

}  // namespace plimo
