#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/PcmStream.h"

namespace plimo {

// The default capture device. Buffers added to it are filled in the order
// they were added; each comes back done once full, or on Reset with what
// it holds so far. Nothing is recorded before Start. While the owner holds
// every buffer, what the device records is dropped, so a reader that fell
// behind is never more than its buffers behind.
class WaveInDevice : public PcmStream {
 public:
  WaveInDevice();
  ~WaveInDevice() override;

  // queueCapacity: how many buffers may be added at once. The device's own
  // period and ring are the standard ones (5 ms in a ring of 200 ms)
  // unless given.
  [[nodiscard]] DeviceResult Open(const PcmFormat& format, size_t queueCapacity);
  [[nodiscard]] DeviceResult Open(const PcmFormat& format, size_t queueCapacity,
                                  const DeviceBuffering& buffering);
  // The buffer must be prepared; its recorded count starts again at 0.
  [[nodiscard]] DeviceResult AddBuffer(WaveBuffer* buffer);
  [[nodiscard]] DeviceResult Start();

  // Frames recorded and not yet in a buffer handed back: in the sound
  // system and in the buffer being filled. The owner's; never waits for
  // the I/O thread.
  int64_t HeldFrames() const;
  // Frames dropped since the open because the owner held every buffer.
  int64_t ShedFrames() const { return shedFrames.load(std::memory_order_relaxed); }

 private:
  void PlanWait(bool* wantPcm, int* timeoutMs) override;
  void Service(unsigned short revents) override;
  void ServiceRunning(unsigned short revents);
  DeviceResult Execute(Command command) override;
  [[nodiscard]] bool Recover(int error);
  void ShedBacklog();
  void Publish();

  bool started = false;       // I/O thread only
  std::vector<uint8_t> shed;  // a period of sound nobody will hear
  int pollMs = 1;             // how often the thread looks at least
  std::atomic<int64_t> shedFrames{0};
};

}  // namespace plimo
