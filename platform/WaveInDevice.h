#pragma once

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

  // queueCapacity: how many buffers may be added at once.
  [[nodiscard]] DeviceResult Open(const PcmFormat& format, size_t queueCapacity);
  // The buffer must be prepared; its recorded count starts again at 0.
  [[nodiscard]] DeviceResult AddBuffer(WaveBuffer* buffer);
  [[nodiscard]] DeviceResult Start();

 private:
  void PlanWait(bool* wantPcm, int* timeoutMs) override;
  void Service(unsigned short revents) override;
  DeviceResult Execute(Command command) override;
  [[nodiscard]] bool Recover(int error);
  void ShedBacklog();

  bool started = false;       // I/O thread only
  std::vector<uint8_t> shed;  // a period of sound nobody will hear
};

}  // namespace plimo
