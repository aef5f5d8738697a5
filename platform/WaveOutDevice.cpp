#include "platform/WaveOutDevice.h"

#include <algorithm>
#include <cerrno>

#include "platform/AlsaLibrary.h"

namespace plimo {

namespace {
// The ring is short so that what is queued stays with the owner, who
// paces itself by what it holds undone.
constexpr unsigned kPlaybackPeriodUs = 10000;
constexpr unsigned kPlaybackRingUs = 80000;
// While only waiting for written sound to be heard, the thread looks again
// at least every this many periods.
constexpr int kPlayoutCheckPeriods = 2;
constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr unsigned kMicrosecondsPerMillisecond = 1000;
}  // namespace

WaveOutDevice::WaveOutDevice() : PcmStream(SND_PCM_STREAM_PLAYBACK) {}

// An owner that wants to know whether the close worked closes first.
WaveOutDevice::~WaveOutDevice() { static_cast<void>(Close()); }

DeviceResult WaveOutDevice::Open(const PcmFormat& wanted, size_t queueCapacity) {
  return Open(wanted, queueCapacity, DeviceBuffering{kPlaybackPeriodUs, kPlaybackRingUs});
}

DeviceResult WaveOutDevice::Open(const PcmFormat& wanted, size_t queueCapacity,
                                 const DeviceBuffering& buffering) {
  // The I/O thread's state belongs to it while the device is open.
  if (IsOpen()) return DeviceResult::kDeviceBusy;
  cursor = 0;
  cursorOffset = 0;
  framesWritten = 0;
  heardBefore = 0;
  written.store(0, std::memory_order_relaxed);
  pollMs = std::max(1, static_cast<int>(buffering.periodUs / kMicrosecondsPerMillisecond));
  const DeviceResult opened = OpenStream(wanted, queueCapacity, buffering.periodUs, buffering.ringUs);
  if (opened == DeviceResult::kDeviceOk) endFrames.assign(queue.Capacity(), 0);
  return opened;
}

DeviceResult WaveOutDevice::Write(WaveBuffer* buffer) {
  // Counted before the thread can play it, so the held count never dips
  // below what is really held.
  const int64_t frames = buffer != nullptr && blockAlign > 0 ? buffer->length / blockAlign : 0;
  written.fetch_add(frames, std::memory_order_relaxed);
  const DeviceResult result = Enqueue(buffer);
  if (result != DeviceResult::kDeviceOk) written.fetch_sub(frames, std::memory_order_relaxed);
  return result;
}

int64_t WaveOutDevice::HeldFrames() const {
  int64_t ageNs = 0;
  const DeviceFigures figures = ReadFigures(&ageNs);
  // What the thread found playing has been heard since, as time went on.
  const int64_t since = ageNs * static_cast<int64_t>(format.sampleRate) / kNanosecondsPerSecond;
  return std::max<int64_t>(
      written.load(std::memory_order_relaxed) - figures.held - std::min(since, figures.changing), 0);
}

int64_t WaveOutDevice::AheadFrames() const {
  int64_t ageNs = 0;
  const DeviceFigures figures = ReadFigures(&ageNs);
  const int64_t since =
      figures.changing > 0 ? ageNs * static_cast<int64_t>(format.sampleRate) / kNanosecondsPerSecond : 0;
  return std::max<int64_t>(written.load(std::memory_order_relaxed) - figures.handedOver, 0) +
         std::max<int64_t>(figures.inRing - since, 0);
}

void WaveOutDevice::Publish(uint64_t played) {
  const bool running = Alsa()->snd_pcm_state(pcm) == SND_PCM_STATE_RUNNING;
  DeviceFigures figures;
  figures.held = heardBefore + static_cast<int64_t>(played);
  figures.changing = running ? static_cast<int64_t>(framesWritten - std::min(played, framesWritten)) : 0;
  figures.handedOver = heardBefore + static_cast<int64_t>(framesWritten);
  // What the sound system still takes from the ring before it runs dry.
  const snd_pcm_sframes_t room = Alsa()->snd_pcm_avail_update(pcm);
  figures.inRing = room >= 0 ? std::max<int64_t>(static_cast<int64_t>(ringFrames) - room, 0) : 0;
  PublishFigures(figures);
}

void WaveOutDevice::PlanWait(bool* wantPcm, int* timeoutMs) {
  if (cursor != queue.Tail()) {
    // Some plugins (the sound server's) move data on only when asked, so
    // the thread asks at least once a period even when poll stays quiet.
    *wantPcm = true;
    *timeoutMs = pollMs;
    return;
  }
  *wantPcm = false;
  if (queue.Head() == cursor) {
    *timeoutMs = -1;
    return;
  }
  // Everything is written: sleep until the oldest buffer should have been
  // heard. Polling the device now would return at once, as it has room.
  const uint64_t played = PlayedFrames();
  Publish(played);
  const uint64_t end = endFrames[queue.Head() & (queue.Capacity() - 1)];
  const uint64_t left = end > played ? end - played : 0;
  const int64_t ms = static_cast<int64_t>(left) * kMillisecondsPerSecond / format.sampleRate + 1;
  *timeoutMs = static_cast<int>(std::min<int64_t>(ms, static_cast<int64_t>(pollMs) * kPlayoutCheckPeriods));
}

uint64_t WaveOutDevice::PlayedFrames() {
  // An underrun shows in the device's state (some plugins keep reporting
  // their last delay then); everything written has been heard.
  const snd_pcm_sframes_t avail = Alsa()->snd_pcm_avail_update(pcm);
  snd_pcm_sframes_t delay = 0;
  const int error = avail < 0 ? static_cast<int>(avail) : Alsa()->snd_pcm_delay(pcm, &delay);
  if (error < 0) {
    if (!Recover(error)) Fail();
    return framesWritten;
  }
  const uint64_t pending = delay > 0 ? static_cast<uint64_t>(delay) : 0;
  return pending >= framesWritten ? 0 : framesWritten - pending;
}

bool WaveOutDevice::Recover(int error) {
  if (Alsa()->snd_pcm_recover(pcm, error, 1) < 0) return false;
  // What was written before the underrun has been heard.
  while (queue.Head() != cursor) CompleteFront();
  heardBefore += static_cast<int64_t>(framesWritten);
  framesWritten = 0;
  Wake();
  return true;
}

void WaveOutDevice::GiveBackPlayed() {
  if (queue.Head() == cursor) {
    Publish(framesWritten);
    return;
  }
  const uint64_t played = PlayedFrames();
  if (HasFailed()) return;
  Publish(played);
  bool gaveBack = false;
  while (queue.Head() != cursor && endFrames[queue.Head() & (queue.Capacity() - 1)] <= played) {
    CompleteFront();
    gaveBack = true;
  }
  if (gaveBack) Wake();
}

void WaveOutDevice::Service(unsigned short revents) {
  if ((revents & POLLERR) != 0 && Alsa()->snd_pcm_state(pcm) == SND_PCM_STATE_XRUN && !Recover(-EPIPE)) {
    Fail();
    return;
  }
  bool ringFull = false;
  while (cursor != queue.Tail()) {
    WaveBuffer* buffer = queue.At(cursor);
    const snd_pcm_uframes_t left = (buffer->length - cursorOffset) / blockAlign;
    if (left == 0) {
      endFrames[cursor & (queue.Capacity() - 1)] = framesWritten;
      ++cursor;
      cursorOffset = 0;
      continue;
    }
    const snd_pcm_sframes_t put = Alsa()->snd_pcm_writei(pcm, buffer->data + cursorOffset, left);
    if (put == -EAGAIN) {
      ringFull = true;
      break;
    }
    if (put < 0) {
      if (!Recover(static_cast<int>(put))) {
        Fail();
        return;
      }
      continue;
    }
    cursorOffset += static_cast<uint32_t>(put) * blockAlign;
    framesWritten += static_cast<uint64_t>(put);
    if (static_cast<snd_pcm_uframes_t>(put) < left) {
      ringFull = true;
      break;
    }
  }
  // Everything handed over is written but fills less than the ring: play
  // it now rather than wait for more. A ring that takes no more plays too:
  // a sound server's plugin may never let it look quite full, and then
  // ALSA would never start it by itself.
  if ((cursor == queue.Tail() || ringFull) && framesWritten > 0 &&
      Alsa()->snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) {
    const int error = Alsa()->snd_pcm_start(pcm);
    if (error < 0 && !Recover(error)) {
      Fail();
      return;
    }
  }
  GiveBackPlayed();
}

DeviceResult WaveOutDevice::Execute(Command which) {
  if (which == Command::kStart) return DeviceResult::kDeviceOk;
  // Reset: every buffer back, silence, ready for the next write. The
  // buffers go first, so an owner that stops waiting for a device that does
  // not answer has them all the same.
  while (queue.Head() != queue.Tail()) CompleteFront();
  cursor = queue.Head();
  cursorOffset = 0;
  framesWritten = 0;
  // Nothing is held any more: all that was written counts as gone.
  heardBefore = written.load(std::memory_order_relaxed);
  PublishFigures(DeviceFigures{heardBefore, 0, heardBefore, 0});
  Wake();
  const int dropped = Alsa()->snd_pcm_drop(pcm);
  const int prepared = Alsa()->snd_pcm_prepare(pcm);
  return AlsaResult(dropped < 0 ? dropped : prepared);
}

}  // namespace plimo
