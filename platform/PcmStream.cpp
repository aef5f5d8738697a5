#include "platform/PcmStream.h"

#include <alloca.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/AlsaLibrary.h"
#include "platform/RealTimeScheduling.h"

namespace plimo {

namespace {
// A wave device given no name is the user's default one.
constexpr const char* kDefaultDevice = "default";
// What the sound server's client library calls its event thread.
constexpr const char* kServerClientThreadName = "threaded-ml";
// A reader that keeps meeting the writer takes what it read last rather
// than wait for it.
constexpr int kHeldReadAttempts = 64;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

PcmStream::PcmStream(snd_pcm_stream_t direction) : direction(direction) {}

PcmStream::~PcmStream() {
  // A stream whose thread holds the last reference ends on that thread,
  // closed already and with the thread detached. Nobody is left to hear
  // whether the close worked.
  if (open) static_cast<void>(Close());
}

DeviceResult PcmStream::OpenStream(const PcmFormat& wanted, size_t queueCapacity, unsigned periodUs,
                                   unsigned ringUs) {
  if (open) return DeviceResult::kDeviceBusy;
  if (AlsaFormat(wanted) == SND_PCM_FORMAT_UNKNOWN || queueCapacity == 0) {
    return DeviceResult::kDeviceInvalid;
  }
  if (!wake.IsValid()) return DeviceResult::kDeviceNoDescriptor;
  if (Alsa() == nullptr) return DeviceResult::kDeviceNoLibrary;
  format = wanted;
  blockAlign = wanted.BlockAlign();
  QuietenAlsaDiagnostics();
  const int opened = Alsa()->snd_pcm_open(&pcm, deviceName.empty() ? kDefaultDevice : deviceName.c_str(),
                                          direction, SND_PCM_NONBLOCK);
  if (opened < 0) {
    pcm = nullptr;
    return AlsaResult(opened);
  }
  const DeviceResult configured = Configure(periodUs, ringUs);
  if (configured != DeviceResult::kDeviceOk) {
    Alsa()->snd_pcm_close(pcm);
    pcm = nullptr;
    return configured;
  }
  // A sound server's plugin moves every buffer through its client
  // library's event thread.
  RaiseThreadsNamed(kServerClientThreadName, kDeviceThreadPriority);
  const int count = Alsa()->snd_pcm_poll_descriptors_count(pcm);
  if (count <= 0) {
    Alsa()->snd_pcm_close(pcm);
    pcm = nullptr;
    return count < 0 ? AlsaResult(count) : DeviceResult::kDeviceInvalid;
  }
  pollSet.assign(static_cast<size_t>(count) + 1, pollfd{});
  pollSet[0] = pollfd{wake.Descriptor(), POLLIN, 0};
  Alsa()->snd_pcm_poll_descriptors(pcm, pollSet.data() + 1, static_cast<unsigned>(count));
  queue.Allocate(queueCapacity);
  failed.store(false, std::memory_order_release);
  abandoned.store(false, std::memory_order_relaxed);
  commandPending.store(false, std::memory_order_relaxed);
  commandBusy = false;
  PublishFigures(DeviceFigures{});
  std::shared_ptr<PcmStream> keepAlive = weak_from_this().lock();
  shared = keepAlive != nullptr;
  open = true;
  thread = std::thread(&PcmStream::ThreadMain, this, std::move(keepAlive));
  return DeviceResult::kDeviceOk;
}

DeviceResult PcmStream::Configure(unsigned periodUs, unsigned ringUs) {
  // What ALSA's snd_pcm_hw_params_alloca does, with the size the loaded
  // library gives: zeroed room on the stack.
  const size_t hwSize = Alsa()->snd_pcm_hw_params_sizeof();
  auto* hw = static_cast<snd_pcm_hw_params_t*>(alloca(hwSize));
  std::memset(hw, 0, hwSize);
  int error = Alsa()->snd_pcm_hw_params_any(pcm, hw);
  if (error < 0) return AlsaResult(error);
  // The default device converts rates and formats the card lacks.
  if ((error = Alsa()->snd_pcm_hw_params_set_rate_resample(pcm, hw, 1)) < 0) return AlsaResult(error);
  if ((error = Alsa()->snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0)
    return AlsaResult(error);
  if ((error = Alsa()->snd_pcm_hw_params_set_format(pcm, hw, AlsaFormat(format))) < 0)
    return AlsaResult(error);
  if ((error = Alsa()->snd_pcm_hw_params_set_channels(pcm, hw, format.channels)) < 0)
    return AlsaResult(error);
  if ((error = Alsa()->snd_pcm_hw_params_set_rate(pcm, hw, format.sampleRate, 0)) < 0)
    return AlsaResult(error);
  unsigned ring = ringUs;
  if ((error = Alsa()->snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &ring, nullptr)) < 0)
    return AlsaResult(error);
  unsigned period = periodUs;
  if ((error = Alsa()->snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, nullptr)) < 0)
    return AlsaResult(error);
  if ((error = Alsa()->snd_pcm_hw_params(pcm, hw)) < 0) return AlsaResult(error);
  Alsa()->snd_pcm_hw_params_get_period_size(hw, &periodFrames, nullptr);
  Alsa()->snd_pcm_hw_params_get_buffer_size(hw, &ringFrames);

  const size_t swSize = Alsa()->snd_pcm_sw_params_sizeof();
  auto* sw = static_cast<snd_pcm_sw_params_t*>(alloca(swSize));
  std::memset(sw, 0, swSize);
  if ((error = Alsa()->snd_pcm_sw_params_current(pcm, sw)) < 0) return AlsaResult(error);
  // Half a period: a sound server's plugin may offer room in steps that
  // round to a frame short of a period, and a non-blocking transfer below
  // the minimum is refused.
  const snd_pcm_uframes_t availMin = periodFrames > 1 ? periodFrames / 2 : 1;
  if ((error = Alsa()->snd_pcm_sw_params_set_avail_min(pcm, sw, availMin)) < 0) return AlsaResult(error);
  // Both start on their own only with a full ring: capture is started on
  // the owner's command, playback as soon as what it holds is written (a
  // sound server's stream that starts on a few frames may ask for no more).
  if ((error = Alsa()->snd_pcm_sw_params_set_start_threshold(pcm, sw, ringFrames)) < 0)
    return AlsaResult(error);
  return AlsaResult(Alsa()->snd_pcm_sw_params(pcm, sw));
}

DeviceResult PcmStream::PrepareBuffer(WaveBuffer* buffer) const {
  if (buffer == nullptr || (buffer->data == nullptr && buffer->length > 0))
    return DeviceResult::kDeviceInvalid;
  if (buffer->inDevice.load(std::memory_order_acquire)) return DeviceResult::kDeviceBusy;
  buffer->prepared = true;
  buffer->done.store(false, std::memory_order_relaxed);
  return DeviceResult::kDeviceOk;
}

DeviceResult PcmStream::UnprepareBuffer(WaveBuffer* buffer) const {
  if (buffer == nullptr) return DeviceResult::kDeviceInvalid;
  if (buffer->inDevice.load(std::memory_order_acquire)) return DeviceResult::kDeviceBusy;
  buffer->prepared = false;
  return DeviceResult::kDeviceOk;
}

DeviceResult PcmStream::Enqueue(WaveBuffer* buffer) {
  if (!open) return DeviceResult::kDeviceNotOpen;
  if (buffer == nullptr || !buffer->prepared) return DeviceResult::kDeviceInvalid;
  if (buffer->inDevice.load(std::memory_order_acquire)) return DeviceResult::kDeviceBusy;
  if (HasFailed()) return DeviceResult::kDeviceFailed;
  buffer->done.store(false, std::memory_order_relaxed);
  buffer->inDevice.store(true, std::memory_order_relaxed);
  if (!queue.Push(buffer)) {
    buffer->inDevice.store(false, std::memory_order_relaxed);
    return DeviceResult::kDeviceFull;
  }
  wake.Signal();
  return DeviceResult::kDeviceOk;
}

void PcmStream::Wake() { events.Raise(); }

// A sequence lock whose figures are stored with release and loaded with
// acquire rather than fenced, which the thread checker follows: a reader
// that sees any new figure also sees the odd count written before it.
void PcmStream::PublishFigures(const DeviceFigures& figures) {
  heldSequence.fetch_add(1, std::memory_order_relaxed);
  figureHeld.store(figures.held, std::memory_order_release);
  figureChanging.store(figures.changing, std::memory_order_release);
  figureHandedOver.store(figures.handedOver, std::memory_order_release);
  figureInRing.store(figures.inRing, std::memory_order_release);
  figureStampNs.store(NowNs(), std::memory_order_release);
  heldSequence.fetch_add(1, std::memory_order_release);
}

DeviceFigures PcmStream::ReadFigures(int64_t* ageNs) const {
  DeviceFigures figures;
  int64_t stamp = 0;
  for (int attempt = 0; attempt < kHeldReadAttempts; ++attempt) {
    const uint32_t before = heldSequence.load(std::memory_order_acquire);
    figures.held = figureHeld.load(std::memory_order_acquire);
    figures.changing = figureChanging.load(std::memory_order_acquire);
    figures.handedOver = figureHandedOver.load(std::memory_order_acquire);
    figures.inRing = figureInRing.load(std::memory_order_acquire);
    stamp = figureStampNs.load(std::memory_order_acquire);
    if ((before & 1U) == 0 && heldSequence.load(std::memory_order_relaxed) == before) break;
  }
  *ageNs = std::max<int64_t>(NowNs() - stamp, 0);
  return figures;
}

void PcmStream::CompleteFront() {
  WaveBuffer* buffer = queue.At(queue.Head());
  queue.PopFront();
  buffer->inDevice.store(false, std::memory_order_release);
  buffer->done.store(true, std::memory_order_release);
}

void PcmStream::Fail() {
  while (queue.Head() != queue.Tail()) CompleteFront();
  failed.store(true, std::memory_order_release);
  Wake();
}

DeviceResult PcmStream::RunCommand(Command which, std::chrono::milliseconds limit) {
  if (!open) return DeviceResult::kDeviceNotOpen;
  std::unique_lock<std::mutex> lock(commandMutex);
  // An earlier command still unanswered: the thread is stuck in the device.
  if (commandBusy) return DeviceResult::kDeviceTimedOut;
  command = which;
  commandBusy = true;
  commandPending.store(true, std::memory_order_release);
  wake.Signal();
  if (!commandDone.wait_for(lock, limit, [this] { return !commandBusy; }))
    return DeviceResult::kDeviceTimedOut;
  return commandResult;
}

DeviceResult PcmStream::Reset() { return RunCommand(Command::kReset, kDeviceCommandLimit); }

DeviceResult PcmStream::Close() {
  if (!open) return DeviceResult::kDeviceNotOpen;
  const DeviceResult result = RunCommand(Command::kClose, kDeviceCommandLimit);
  open = false;
  if (result == DeviceResult::kDeviceTimedOut && shared) {
    // The thread closes the PCM and lets the stream go when ALSA returns.
    abandoned.store(true, std::memory_order_release);
    wake.Signal();
    thread.detach();
    return result;
  }
  thread.join();
  return result;
}

void PcmStream::Keep(std::shared_ptr<void> memory) {
  // Only the owner adds, and only after the thread has been let go; the
  // memory goes with the stream.
  kept.push_back(std::move(memory));
}

DeviceResult PcmStream::CloseOnThread() {
  while (queue.Head() != queue.Tail()) CompleteFront();
  Wake();
  const int closed = Alsa()->snd_pcm_close(pcm);
  pcm = nullptr;
  return AlsaResult(closed);
}

bool PcmStream::HandleCommand() {
  Command which = Command::kNone;
  {
    std::lock_guard<std::mutex> lock(commandMutex);
    commandPending.store(false, std::memory_order_relaxed);
    which = command;
  }
  // Carried out without the lock, so an owner that gave up waiting is
  // never held by a device that does not answer.
  const DeviceResult result = which == Command::kClose ? CloseOnThread() : Execute(which);
  {
    std::lock_guard<std::mutex> lock(commandMutex);
    commandResult = result;
    commandBusy = false;
  }
  commandDone.notify_all();
  return which != Command::kClose;
}

void PcmStream::ThreadMain([[maybe_unused]] std::shared_ptr<PcmStream> keepAlive) {
  const RealTimeScope realTime(kDeviceThreadPriority);
  const nfds_t all = static_cast<nfds_t>(pollSet.size());
  for (;;) {
    if (abandoned.load(std::memory_order_acquire)) {
      // The owner gave up on this stream: nobody waits for the result.
      if (pcm != nullptr) static_cast<void>(CloseOnThread());
      return;
    }
    if (commandPending.load(std::memory_order_acquire) && !HandleCommand()) return;
    bool wantPcm = false;
    int timeoutMs = -1;
    if (!HasFailed()) PlanWait(&wantPcm, &timeoutMs);
    const int ready = poll(pollSet.data(), wantPcm ? all : 1, timeoutMs);
    if (ready < 0 && errno != EINTR) {
      Fail();
      continue;
    }
    if (pollSet[0].revents != 0) wake.Clear();
    if (HasFailed()) continue;
    unsigned short revents = 0;
    if (wantPcm && ready > 0) {
      Alsa()->snd_pcm_poll_descriptors_revents(pcm, pollSet.data() + 1, static_cast<unsigned>(all - 1),
                                               &revents);
    }
    Service(revents);
  }
}

}  // namespace plimo
