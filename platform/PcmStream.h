#pragma once

#include <alsa/asoundlib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/EventCounter.h"
#include "platform/PcmFormat.h"
#include "platform/WakeEvent.h"
#include "platform/WaveBufferQueue.h"

namespace plimo {

// How long the owner waits for the I/O thread to carry out a reset or a
// close, and a start. A sound server that has stopped answering can hold
// the thread inside ALSA for half a minute; the owner does not wait for it.
inline constexpr std::chrono::milliseconds kDeviceCommandLimit{150};
inline constexpr std::chrono::milliseconds kDeviceStartLimit{2000};

// How a device buffers: the period in which its thread moves sound, and the
// ring the sound system keeps for it (a sound server's ALSA plugin makes
// the ring its stream's buffer, so a short ring asks the server for a
// short one). Microseconds; the device takes the nearest it is granted.
// What a device's I/O thread last found, for its owner: frames, each
// device saying what they count.
struct DeviceFigures {
  int64_t held = 0;
  int64_t changing = 0;  // how much of held moves on with time until the next look
  int64_t handedOver = 0;
  int64_t inRing = 0;
};

struct DeviceBuffering {
  unsigned periodUs = 0;
  unsigned ringUs = 0;
};

// What the wave devices share: one ALSA PCM of the default device, the
// queue of buffers lent to it, and the I/O thread that alone calls into the
// PCM while it is open. The owner's commands (start, reset, close) are
// carried out on that thread, each within a time limit; the owner waits
// for buffers to come back through a counter it can wait on without a
// lock, for as long as it chooses.
//
// A stream made with std::make_shared can be abandoned: when the thread is
// stuck inside ALSA at close, the owner goes on and the thread closes the
// PCM once ALSA lets it go, keeping the stream (and whatever the owner
// gives it to keep) alive until then. A stream that is not shared waits.
class PcmStream : public std::enable_shared_from_this<PcmStream> {
 public:
  virtual ~PcmStream();
  PcmStream(const PcmStream&) = delete;
  PcmStream& operator=(const PcmStream&) = delete;

  bool IsOpen() const { return open; }
  // The device failed and gives every buffer back at once; further buffers
  // are refused.
  bool HasFailed() const { return failed.load(std::memory_order_acquire); }

  // Rises whenever buffers come back, the device fails, or Wake is called.
  uint32_t EventCount() const { return events.Count(); }
  // Returns once EventCount differs from seen (at once if it already
  // does): true, or false when limit passed first.
  bool WaitForEvent(uint32_t seen, std::chrono::milliseconds limit) const {
    return events.WaitFor(seen, limit);
  }
  // Releases a WaitForEvent from any thread, for example to stop a reader.
  void Wake();

  // Prepare, then hand over; a buffer the device holds cannot be unprepared.
  [[nodiscard]] DeviceResult PrepareBuffer(WaveBuffer* buffer) const;
  [[nodiscard]] DeviceResult UnprepareBuffer(WaveBuffer* buffer) const;

  // Gives every buffer back at once (capture keeps what it recorded), and
  // leaves the device ready to run again. kDeviceTimedOut when the thread did
  // not answer in time; the buffers may then still be out.
  [[nodiscard]] DeviceResult Reset();

  // Closes the device; every buffer is back with the owner. kDeviceTimedOut
  // when the thread was stuck and the stream was abandoned: buffers may
  // still be out, and their memory must be handed over with Keep.
  [[nodiscard]] DeviceResult Close();

  // Keeps memory alive for as long as an abandoned thread may touch it.
  void Keep(std::shared_ptr<void> memory);

  // The ALSA device the next open uses; "" or none is the user's default
  // one. A name such as "pulse:DEVICE=NAME" reaches one of the sound
  // server's devices.
  void SetDeviceName(const std::string& name) { deviceName = name; }

  // What ALSA granted at the last open, in frames.
  snd_pcm_uframes_t PeriodFrames() const { return periodFrames; }
  snd_pcm_uframes_t RingFrames() const { return ringFrames; }

 protected:
  enum class Command { kNone, kStart, kReset, kClose };

  explicit PcmStream(snd_pcm_stream_t direction);

  // Opens the default device with the format, a queue for queueCapacity
  // buffers, the device's own period and ring lengths, and starts the I/O
  // thread.
  [[nodiscard]] DeviceResult OpenStream(const PcmFormat& wanted, size_t queueCapacity, unsigned periodUs,
                                        unsigned ringUs);

  // Owner side: the buffer goes to the back of the queue.
  [[nodiscard]] DeviceResult Enqueue(WaveBuffer* buffer);
  [[nodiscard]] DeviceResult RunCommand(Command command, std::chrono::milliseconds limit);

  // I/O side. What the thread waits for next: the PCM's descriptors or only
  // the wake event, and for how long (milliseconds, -1 for no limit).
  virtual void PlanWait(bool* wantPcm, int* timeoutMs) = 0;
  // Moves data after a wake; revents are the PCM's own poll events.
  virtual void Service(unsigned short revents) = 0;
  [[nodiscard]] virtual DeviceResult Execute(Command command) = 0;

  // Gives the front buffer back.
  void CompleteFront();
  // Gives every queued buffer back and refuses further ones.
  void Fail();

  // I/O side: the device's figures for the owner, who reads them without
  // waiting for the thread (which may be inside ALSA for a while): what it
  // holds, and how much of that changes with time until the next look.
  void PublishFigures(const DeviceFigures& figures);
  // Owner side: the last figures published, and how long ago (ns).
  DeviceFigures ReadFigures(int64_t* ageNs) const;

  snd_pcm_t* pcm = nullptr;
  PcmFormat format;
  uint32_t blockAlign = 0;
  snd_pcm_uframes_t periodFrames = 0;
  snd_pcm_uframes_t ringFrames = 0;
  WaveBufferQueue queue;

 private:
  [[nodiscard]] DeviceResult Configure(unsigned periodUs, unsigned ringUs);
  // keepAlive holds the stream for the thread when it is shared.
  void ThreadMain(std::shared_ptr<PcmStream> keepAlive);
  bool HandleCommand();
  // I/O side: every buffer back, the PCM closed.
  [[nodiscard]] DeviceResult CloseOnThread();

  snd_pcm_stream_t direction;
  std::string deviceName;  // "" for the default device
  WakeEvent wake;
  std::vector<pollfd> pollSet;  // the wake event first, then the PCM's
  std::thread thread;
  bool open = false;    // owner side
  bool shared = false;  // owner side: the thread holds the stream too
  std::atomic<bool> abandoned{false};
  std::atomic<bool> failed{false};
  mutable EventCounter events;
  std::vector<std::shared_ptr<void>> kept;

  // A sequence lock: odd while the I/O thread writes the figures.
  std::atomic<uint32_t> heldSequence{0};
  std::atomic<int64_t> figureHeld{0};
  std::atomic<int64_t> figureChanging{0};
  std::atomic<int64_t> figureHandedOver{0};
  std::atomic<int64_t> figureInRing{0};
  std::atomic<int64_t> figureStampNs{0};

  std::mutex commandMutex;
  std::condition_variable commandDone;
  std::atomic<bool> commandPending{false};
  Command command = Command::kNone;
  DeviceResult commandResult = DeviceResult::kDeviceOk;
  bool commandBusy = false;  // given to the thread and not yet answered
};

}  // namespace plimo
