#pragma once

#include <alsa/asoundlib.h>
#include <poll.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/PcmFormat.h"
#include "platform/WakeEvent.h"
#include "platform/WaveBufferQueue.h"

namespace plimo {

// What the wave devices share: one ALSA PCM of the default device, the
// queue of buffers lent to it, and the I/O thread that alone calls into the
// PCM while it is open. The owner's commands (start, reset, close) are
// carried out on that thread; the owner waits for buffers to come back
// through a counter it can wait on without a lock.
class PcmStream {
 public:
  virtual ~PcmStream();
  PcmStream(const PcmStream&) = delete;
  PcmStream& operator=(const PcmStream&) = delete;

  bool IsOpen() const { return pcm != nullptr; }
  // The device failed and gives every buffer back at once; further buffers
  // are refused.
  bool HasFailed() const { return failed.load(std::memory_order_acquire); }

  // Rises whenever buffers come back, the device fails, or Wake is called.
  uint32_t EventCount() const { return events.load(std::memory_order_acquire); }
  // Returns once EventCount differs from seen (at once if it already does).
  void WaitForEvent(uint32_t seen) const { events.wait(seen, std::memory_order_acquire); }
  // Releases a WaitForEvent from any thread, for example to stop a reader.
  void Wake();

  // Prepare, then hand over; a buffer the device holds cannot be unprepared.
  int PrepareBuffer(WaveBuffer* buffer) const;
  int UnprepareBuffer(WaveBuffer* buffer) const;

  // Gives every buffer back at once (capture keeps what it recorded), and
  // leaves the device ready to run again.
  int Reset();

  // Reset, then closes the device; every buffer is back with the owner.
  int Close();

 protected:
  enum class Command { kNone, kStart, kReset, kQuit };

  explicit PcmStream(snd_pcm_stream_t direction);

  // Opens the default device with the format, a queue for queueCapacity
  // buffers, the device's own period and ring lengths, and starts the I/O
  // thread.
  int OpenStream(const PcmFormat& wanted, size_t queueCapacity, unsigned periodUs,
                 unsigned ringUs);

  // Owner side: the buffer goes to the back of the queue.
  int Enqueue(WaveBuffer* buffer);
  int RunCommand(Command command);

  // I/O side. What the thread waits for next: the PCM's descriptors or only
  // the wake event, and for how long (milliseconds, -1 for no limit).
  virtual void PlanWait(bool* wantPcm, int* timeoutMs) = 0;
  // Moves data after a wake; revents are the PCM's own poll events.
  virtual void Service(unsigned short revents) = 0;
  virtual int Execute(Command command) = 0;

  // Gives the front buffer back.
  void CompleteFront();
  // Gives every queued buffer back and refuses further ones.
  void Fail();

  snd_pcm_t* pcm = nullptr;
  PcmFormat format;
  uint32_t blockAlign = 0;
  snd_pcm_uframes_t periodFrames = 0;
  snd_pcm_uframes_t ringFrames = 0;
  WaveBufferQueue queue;

 private:
  int Configure(unsigned periodUs, unsigned ringUs);
  void ThreadMain();
  bool HandleCommand();

  snd_pcm_stream_t direction;
  WakeEvent wake;
  std::vector<pollfd> pollSet;  // the wake event first, then the PCM's
  std::thread thread;
  std::atomic<bool> failed{false};
  mutable std::atomic<uint32_t> events{0};

  std::mutex commandMutex;
  std::condition_variable commandDone;
  std::atomic<bool> commandPending{false};
  Command command = Command::kNone;
  int commandResult = kDeviceOk;
  bool commandFinished = false;
};

}  // namespace plimo
