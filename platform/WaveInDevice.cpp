#include "platform/WaveInDevice.h"

#include <cerrno>

namespace plimo {

namespace {
// The thread hands recorded sound on every 5 ms; 200 ms of ring bridge a
// reader that falls behind for a moment.
constexpr unsigned kCapturePeriodUs = 5000;
constexpr unsigned kCaptureRingUs = 200000;
constexpr unsigned kMicrosecondsPerMillisecond = 1000;
}  // namespace

WaveInDevice::WaveInDevice() : PcmStream(SND_PCM_STREAM_CAPTURE) {}

WaveInDevice::~WaveInDevice() { Close(); }

int WaveInDevice::Open(const PcmFormat& wanted, size_t queueCapacity) {
  // The I/O thread's state belongs to it while the device is open.
  if (IsOpen()) return -EBUSY;
  started = false;
  return OpenStream(wanted, queueCapacity, kCapturePeriodUs, kCaptureRingUs);
}

int WaveInDevice::AddBuffer(WaveBuffer* buffer) {
  if (buffer != nullptr && !buffer->inDevice.load(std::memory_order_acquire)) {
    buffer->recordedBytes = 0;
  }
  return Enqueue(buffer);
}

int WaveInDevice::Start() { return RunCommand(Command::kStart); }

void WaveInDevice::PlanWait(bool* wantPcm, int* timeoutMs) {
  *wantPcm = started && queue.Head() != queue.Tail();
  // As for playback: some plugins move data on only when asked.
  *timeoutMs = *wantPcm ? static_cast<int>(kCapturePeriodUs / kMicrosecondsPerMillisecond) : -1;
}

bool WaveInDevice::Recover(int error) {
  // An overrun loses what the ring could not hold; recording goes on.
  if (snd_pcm_recover(pcm, error, 1) < 0) return false;
  const int restarted = snd_pcm_start(pcm);
  return restarted >= 0 || restarted == -EBADFD;
}

void WaveInDevice::Service(unsigned short revents) {
  if (!started) return;
  bool gaveBack = false;
  if ((revents & POLLERR) != 0 && snd_pcm_state(pcm) == SND_PCM_STATE_XRUN &&
      !Recover(-EPIPE)) {
    Fail();
    return;
  }
  while (queue.Head() != queue.Tail()) {
    WaveBuffer* buffer = queue.At(queue.Head());
    const snd_pcm_uframes_t room = (buffer->length - buffer->recordedBytes) / blockAlign;
    if (room == 0) {
      CompleteFront();
      gaveBack = true;
      continue;
    }
    const snd_pcm_sframes_t got = snd_pcm_readi(pcm, buffer->data + buffer->recordedBytes, room);
    if (got == -EAGAIN) break;
    if (got < 0) {
      if (!Recover(static_cast<int>(got))) {
        Fail();
        return;
      }
      continue;
    }
    buffer->recordedBytes += static_cast<uint32_t>(got) * blockAlign;
    if (static_cast<snd_pcm_uframes_t>(got) < room) break;
  }
  if (gaveBack) Wake();
}

int WaveInDevice::Execute(Command which) {
  if (which == Command::kStart) {
    if (started) return kDeviceOk;
    const int error = snd_pcm_start(pcm);
    if (error < 0) return error;
    started = true;
    return kDeviceOk;
  }
  // Reset: stop, give everything back with what it holds, be ready again.
  started = false;
  const int dropped = snd_pcm_drop(pcm);
  while (queue.Head() != queue.Tail()) CompleteFront();
  Wake();
  const int prepared = snd_pcm_prepare(pcm);
  return dropped < 0 ? dropped : prepared;
}

}  // namespace plimo
