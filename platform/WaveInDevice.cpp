#include "platform/WaveInDevice.h"

#include <algorithm>
#include <cerrno>

#include "platform/AlsaLibrary.h"

namespace plimo {

namespace {
// The thread hands recorded sound on every 5 ms; 200 ms of ring bridge a
// reader that falls behind for a moment.
constexpr unsigned kCapturePeriodUs = 5000;
constexpr unsigned kCaptureRingUs = 200000;
constexpr unsigned kMicrosecondsPerMillisecond = 1000;
constexpr int64_t kNanosecondsPerSecond = 1000000000;
}  // namespace

WaveInDevice::WaveInDevice() : PcmStream(SND_PCM_STREAM_CAPTURE) {}

// An owner that wants to know whether the close worked closes first.
WaveInDevice::~WaveInDevice() { static_cast<void>(Close()); }

DeviceResult WaveInDevice::Open(const PcmFormat& wanted, size_t queueCapacity) {
  return Open(wanted, queueCapacity, DeviceBuffering{kCapturePeriodUs, kCaptureRingUs});
}

DeviceResult WaveInDevice::Open(const PcmFormat& wanted, size_t queueCapacity,
                                const DeviceBuffering& buffering) {
  // The I/O thread's state belongs to it while the device is open.
  if (IsOpen()) return DeviceResult::kDeviceBusy;
  started = false;
  shedFrames.store(0, std::memory_order_relaxed);
  pollMs = std::max(1, static_cast<int>(buffering.periodUs / kMicrosecondsPerMillisecond));
  const DeviceResult opened = OpenStream(wanted, queueCapacity, buffering.periodUs, buffering.ringUs);
  // Only a started device sheds, and Start reaches the thread after this.
  // A device that is a file delivers on demand: nothing it holds is late.
  if (opened == DeviceResult::kDeviceOk && Alsa()->snd_pcm_type(pcm) != SND_PCM_TYPE_FILE) {
    shed.assign(static_cast<size_t>(periodFrames) * blockAlign, 0);
  } else {
    shed.clear();
  }
  return opened;
}

DeviceResult WaveInDevice::AddBuffer(WaveBuffer* buffer) {
  if (buffer != nullptr && !buffer->inDevice.load(std::memory_order_acquire)) {
    buffer->recordedBytes = 0;
  }
  return Enqueue(buffer);
}

DeviceResult WaveInDevice::Start() { return RunCommand(Command::kStart, kDeviceStartLimit); }

void WaveInDevice::PlanWait(bool* wantPcm, int* timeoutMs) {
  // With every buffer out at the owner the device is still read, to shed
  // what the owner has no room for.
  *wantPcm = started && (queue.Head() != queue.Tail() || !shed.empty());
  // As for playback: some plugins move data on only when asked.
  *timeoutMs = *wantPcm ? pollMs : -1;
}

int64_t WaveInDevice::HeldFrames() const {
  int64_t ageNs = 0;
  const DeviceFigures figures = ReadFigures(&ageNs);
  // Recording went on since the thread last looked, up to its next look.
  const int64_t since = ageNs * static_cast<int64_t>(format.sampleRate) / kNanosecondsPerSecond;
  return figures.held + std::min(since, figures.changing);
}

void WaveInDevice::Publish() {
  snd_pcm_sframes_t delay = 0;
  if (!started || Alsa()->snd_pcm_delay(pcm, &delay) < 0) delay = 0;
  int64_t filling = 0;
  if (queue.Head() != queue.Tail()) filling = queue.At(queue.Head())->recordedBytes / blockAlign;
  DeviceFigures figures;
  figures.held = std::max<int64_t>(delay, 0) + filling;
  figures.changing = started ? static_cast<int64_t>(periodFrames) : 0;
  PublishFigures(figures);
}

bool WaveInDevice::Recover(int error) {
  // An overrun loses what the ring could not hold; recording goes on.
  if (Alsa()->snd_pcm_recover(pcm, error, 1) < 0) return false;
  const int restarted = Alsa()->snd_pcm_start(pcm);
  return restarted >= 0 || restarted == -EBADFD;
}

void WaveInDevice::Service(unsigned short revents) {
  if (!started) return;
  ServiceRunning(revents);
  Publish();
}

void WaveInDevice::ServiceRunning(unsigned short revents) {
  bool gaveBack = false;
  if ((revents & POLLERR) != 0 && Alsa()->snd_pcm_state(pcm) == SND_PCM_STATE_XRUN && !Recover(-EPIPE)) {
    Fail();
    return;
  }
  if (queue.Head() == queue.Tail()) {
    ShedBacklog();
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
    const snd_pcm_sframes_t got = Alsa()->snd_pcm_readi(pcm, buffer->data + buffer->recordedBytes, room);
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

// The owner holds every buffer, full: it is a whole queue behind. What the
// ring gathers meanwhile would only add to the delay for the rest of the
// run, so it is dropped; the owner's buffers keep the older sound.
void WaveInDevice::ShedBacklog() {
  const snd_pcm_uframes_t frames = shed.size() / blockAlign;
  if (frames == 0) return;
  // At most a ring's worth at a time, whatever the device claims to hold.
  for (snd_pcm_uframes_t taken = 0; taken <= ringFrames; taken += frames) {
    const snd_pcm_sframes_t got = Alsa()->snd_pcm_readi(pcm, shed.data(), frames);
    if (got == -EAGAIN) return;
    if (got < 0) {
      if (!Recover(static_cast<int>(got))) Fail();
      return;
    }
    shedFrames.fetch_add(got, std::memory_order_relaxed);
    if (static_cast<snd_pcm_uframes_t>(got) < frames) return;
  }
}

DeviceResult WaveInDevice::Execute(Command which) {
  if (which == Command::kStart) {
    if (started) return DeviceResult::kDeviceOk;
    const int error = Alsa()->snd_pcm_start(pcm);
    if (error < 0) return AlsaResult(error);
    started = true;
    Publish();
    return DeviceResult::kDeviceOk;
  }
  // Reset: give everything back with what it holds, stop, be ready again.
  // The buffers go first, so an owner that stops waiting for a device that
  // does not answer has them all the same.
  started = false;
  while (queue.Head() != queue.Tail()) CompleteFront();
  Wake();
  const int dropped = Alsa()->snd_pcm_drop(pcm);
  const int prepared = Alsa()->snd_pcm_prepare(pcm);
  Publish();
  return AlsaResult(dropped < 0 ? dropped : prepared);
}

}  // namespace plimo
