#pragma once

#include "platform/PcmStream.h"

namespace plimo {

// The default capture device. Buffers added to it are filled in the order
// they were added; each comes back done once full, or on Reset with what
// it holds so far. Nothing is recorded before Start.
class WaveInDevice : public PcmStream {
 public:
  WaveInDevice();
  ~WaveInDevice() override;

  // queueCapacity: how many buffers may be added at once.
  int Open(const PcmFormat& format, size_t queueCapacity);
  // The buffer must be prepared; its recorded count starts again at 0.
  int AddBuffer(WaveBuffer* buffer);
  int Start();

 private:
  void PlanWait(bool* wantPcm, int* timeoutMs) override;
  void Service(unsigned short revents) override;
  int Execute(Command command) override;
  bool Recover(int error);

  bool started = false;  // I/O thread only
};

}  // namespace plimo
