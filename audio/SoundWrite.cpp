#include "audio/SoundWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/DeviceWait.h"
#include "audio/LittleEndian.h"
#include "audio/OpenWithoutBlocking.h"
#include "audio/WavHeader.h"

namespace plimo {

namespace {

constexpr int kBitsPerByte = 8;
constexpr int kSampleBytes = 2;  // Write takes 16-bit samples
constexpr size_t kScratchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kStopPollInterval{1};

// The speaker's queue: never less than kMinQueuedMs may be queued, and
// whenever the device has nothing else queued, kPreRollMs are collected
// before sound starts.
constexpr int32_t kMinQueuedMs = 300;
constexpr int32_t kPreRollMs = 250;
constexpr int64_t kMillisecondsPerSecond = 1000;
// Blocks arrive 20 ms at a time (the engine's blocks, PlayFile's); the
// buffer set is sized for a full queue of the shortest buffers plus one
// such block, and a few spare.
constexpr int32_t kBlockMs = 20;
constexpr size_t kSpareBuffers = 4;

// At low delay the speaker sends what it has once a millisecond is together, and
// trims a lasting surplus or shortfall of its cushion by at most
// kMaxTrimFrames each kTrimWindowMs, which no listener hears as a change
// of pitch; a surplus or shortfall within kTrimMarginMs is left alone.
constexpr int32_t kLowBufferMs = 1;
constexpr int32_t kTrimWindowMs = 250;
constexpr int32_t kTrimMarginMs = 1;
constexpr int64_t kMaxTrimFrames = 16;
constexpr size_t kMaxTrimBytes = 256;

// PlayFile: 20 ms blocks into a queue of at most 300 ms in buffers of at
// least 3 ms.
constexpr int kBlocksPerSecond = 50;
constexpr int32_t kPlayQueueMs = 128;
constexpr int32_t kPlayBufferMs = 3;

// The RIFF size counts the header after its own field plus the data.
constexpr uint32_t kRiffSizeBeforeData = 36;
constexpr uint64_t kMaxDataBytes = UINT32_MAX - kRiffSizeBeforeData;

}  // namespace

SoundWrite::SoundWrite() {
  Reset();
  SetFormat(-1, 16, 1, kWaveFormatPcm);
}

// An owner that wants to know whether the file or the device closed
// cleanly shuts it down first.
SoundWrite::~SoundWrite() {
  if (isOpen != 0) static_cast<void>(Shutdown());
  // A device whose opening went wrong half way is released as well.
  if (device->IsOpen()) static_cast<void>(device->Close());
}

void SoundWrite::SetFormat(int32_t newSampleRate, int16_t newBitsPerSample, int16_t newChannels,
                           uint16_t newFormatTag) {
  if (isOpen != 0) return;
  sampleRate = newSampleRate;
  bitsPerSample = newBitsPerSample;
  channels = newChannels;
  formatTag = LinearFormatTag(newFormatTag, bitsPerSample);
  bytesPerSecond = ByteRateOf(sampleRate, bitsPerSample, channels);
}

SoundResult SoundWrite::OpenFile(const std::string& name) {
  if (isOpen != 0) return SoundResult::kSoundFailed;
  // A header with these numbers would describe no playable file.
  const int64_t blockAlign = static_cast<int64_t>(channels) * bitsPerSample / kBitsPerByte;
  if (sampleRate <= 0 || channels < 1 || bitsPerSample < kBitsPerByte || bitsPerSample % kBitsPerByte != 0 ||
      blockAlign * sampleRate > UINT32_MAX) {
    return SoundResult::kSoundFailed;
  }
  fileName = name;
  const int fd = OpenWithoutBlocking(name, O_WRONLY | O_CREAT | O_TRUNC);
  stream = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (stream == nullptr) {
    if (fd >= 0) close(fd);
    return SoundResult::kSoundFailed;
  }
  dataBytes = 0;
  if (!WriteHeader()) {
    std::fclose(stream);
    stream = nullptr;
    return SoundResult::kSoundFailed;
  }
  scratch.resize(kScratchBytes);
  mode = kSoundModeFile;
  isOpen = 1;
  return SoundResult::kSoundOk;
}

SoundResult SoundWrite::OpenDevice(int32_t newMaxQueuedMs, int32_t newBufferMs, bool lowDelay) {
  if (mode == kSoundModeDevice) return SoundResult::kSoundOk;
  if (mode != kSoundModeClosed) return SoundResult::kSoundFailed;
  if (sampleRate <= 0 || channels < 1 || bitsPerSample != kSampleBytes * kBitsPerByte)
    return SoundResult::kSoundFailed;
  low = lowDelay;
  maxQueuedMs = std::max(newMaxQueuedMs, kMinQueuedMs);
  // A buffer held back longer than the pre-roll could keep the queue over
  // its limit with nothing sent, and writing would stop for good.
  bufferMs = low ? kLowBufferMs : std::clamp(newBufferMs, 0, kPreRollMs);
  // The longest a buffer collects before it is sent.
  const int32_t collectMs = low ? kLowCushionMs + kLowBacklogMs : kPreRollMs;
  const PcmFormat format{formatTag, static_cast<uint16_t>(channels), static_cast<uint32_t>(sampleRate),
                         static_cast<uint16_t>(bitsPerSample)};
  const int32_t queueMs = low ? collectMs : maxQueuedMs;
  const size_t count = static_cast<size_t>((queueMs + kBlockMs) / std::max(bufferMs, 1)) + kSpareBuffers;
  device->SetDeviceName(deviceName);
  const DeviceResult opened =
      low ? device->Open(format, count, kLowPlaybackBuffering) : device->Open(format, count);
  if (opened != DeviceResult::kDeviceOk) return SoundResult::kSoundFailed;
  const int64_t bytesPerMs =
      static_cast<int64_t>(sampleRate) * kSampleBytes * channels / kMillisecondsPerSecond;
  // A buffer grows up to its threshold plus the block that crossed it (and
  // what a trim repeats); the one collecting the pre-roll grows furthest.
  buffers.Allocate(count, static_cast<size_t>(bytesPerMs * (bufferMs + kBlockMs)) + kMaxTrimBytes,
                   static_cast<size_t>(bytesPerMs * (collectMs + kBlockMs)) + kMaxTrimBytes);
  queuedBytes = 0;
  playing = false;
  cushionFrames = static_cast<int64_t>(sampleRate) * kLowCushionMs / kMillisecondsPerSecond;
  backlogFrames = static_cast<int64_t>(sampleRate) * kLowBacklogMs / kMillisecondsPerSecond;
  underrunCount = 0;
  shedFrames = 0;
  windowFrames = 0;
  deviceFailed = false;
  scratch.resize(kScratchBytes);
  mode = kSoundModeDevice;
  isOpen = 1;
  return SoundResult::kSoundOk;
}

int SoundWrite::Reclaim() {
  while (!buffers.Empty() && buffers.Front().header.done.load(std::memory_order_acquire)) {
    if (device->UnprepareBuffer(&buffers.Front().header) != DeviceResult::kDeviceOk) return -1;
    queuedBytes -= static_cast<int64_t>(buffers.Front().data.size());
    buffers.ReleaseFront();
  }
  return 0;
}

int SoundWrite::Send(PlaybackBuffer& buffer) {
  buffer.header.data = buffer.data.data();
  buffer.header.length = static_cast<uint32_t>(buffer.data.size());
  if (device->PrepareBuffer(&buffer.header) != DeviceResult::kDeviceOk) {
    deviceFailed = true;
    return -1;
  }
  if (device->Write(&buffer.header) != DeviceResult::kDeviceOk) {
    // Never handed over, so it will never come back done: it must not
    // count as sent, or a flush would wait for it for good. It is not with
    // the device, so unpreparing it cannot fail.
    static_cast<void>(device->UnprepareBuffer(&buffer.header));
    deviceFailed = true;
    return -1;
  }
  playing = true;
  return 0;
}

int64_t SoundWrite::HeldFrames() const {
  const int64_t frameBytes = static_cast<int64_t>(kSampleBytes) * channels;
  if (mode != kSoundModeDevice || frameBytes <= 0) return 0;
  const int64_t collecting = !buffers.Empty() && !buffers.Back().Sent()
                                 ? static_cast<int64_t>(buffers.Back().data.size()) / frameBytes
                                 : 0;
  return collecting + device->HeldFrames();
}

void SoundWrite::Trim(PlaybackBuffer& buffer, int64_t added, int64_t count) {
  const int64_t frameBytes = static_cast<int64_t>(kSampleBytes) * channels;
  const int64_t most = std::min<int64_t>(kMaxTrimFrames, static_cast<int64_t>(kMaxTrimBytes) / frameBytes);
  const int64_t frames = std::min({std::abs(count), most, added});
  if (frames <= 0) return;
  // The quietest start for the frames among those just added.
  const int64_t first = static_cast<int64_t>(buffer.data.size()) / frameBytes - added;
  int64_t quietest = first;
  int quietestLevel = INT32_MAX;
  for (int64_t at = first; at + frames <= first + added; ++at) {
    const int level = std::abs(static_cast<int16_t>(Little16(buffer.data.data() + at * frameBytes)));
    if (level < quietestLevel) {
      quietestLevel = level;
      quietest = at;
    }
  }
  const auto from = buffer.data.begin() + quietest * frameBytes;
  const int64_t bytes = frames * frameBytes;
  if (count < 0) {
    buffer.data.erase(from, from + bytes);
    shedFrames += frames;
    return;
  }
  // Copied out first: a vector may not insert from itself.
  uint8_t repeated[kMaxTrimBytes];
  std::copy(from, from + bytes, repeated);
  buffer.data.insert(buffer.data.begin() + quietest * frameBytes, repeated, repeated + bytes);
}

// Low delay: no pre-roll and no waiting. The cushion is collected
// before sound starts, and again after the speaker ran dry; beyond it, a
// backlog is dropped at once (the oldest of what arrives) and a small
// lasting surplus or shortfall is trimmed, so the delay never grows.
int64_t SoundWrite::WriteLowBytes(const uint8_t* bytes, int64_t m) {
  if (deviceFailed || device->HasFailed()) {
    deviceFailed = true;
    return -1;
  }
  if (Reclaim() < 0) return -1;
  const int64_t frameBytes = static_cast<int64_t>(kSampleBytes) * channels;
  // Measured by what the sound system has yet to take, not by its own
  // latency after that, which no cushion shortens.
  const int64_t deviceHeld = device->AheadFrames();
  PlaybackBuffer* last = nullptr;
  if (!buffers.Empty() && !buffers.Back().Sent()) {
    last = &buffers.Back();
  } else {
    // The speaker played everything it was given: silence plays until
    // the cushion is together again. A server that has taken everything
    // into its own buffers is still playing it.
    if (playing && deviceHeld == 0 && device->HeldFrames() == 0) {
      ++underrunCount;
      playing = false;
      windowFrames = 0;
    }
    last = buffers.Append();
    if (last == nullptr) return 0;
  }
  // More at once than the cushion and the backlog beyond it: the oldest of
  // it would be shed below anyway, and no buffer is made to hold it.
  const int64_t offered = m;
  const int64_t most = (cushionFrames + backlogFrames) * frameBytes;
  if (m > most) {
    shedFrames += (m - most) / frameBytes;
    bytes += m - most;
    m = most;
  }
  const size_t before = last->data.size();
  if (!buffers.MakeRoom(*last, before + static_cast<size_t>(m) + kMaxTrimBytes)) return -1;
  last->data.insert(last->data.end(), bytes, bytes + m);
  const int64_t added = m / frameBytes;
  const int64_t held = deviceHeld + static_cast<int64_t>(last->data.size()) / frameBytes;
  const int64_t ceiling = playing ? cushionFrames + backlogFrames : cushionFrames;
  if (held > ceiling) {
    // The oldest of what just came goes, down to the cushion.
    const int64_t drop = std::min(held - cushionFrames, added);
    const auto from = last->data.begin() + static_cast<std::ptrdiff_t>(before);
    last->data.erase(from, from + drop * frameBytes);
    shedFrames += drop;
  } else if (playing && added > 0) {
    windowLeast = windowFrames == 0 ? held : std::min(windowLeast, held);
    windowFrames += added;
    if (windowFrames * kMillisecondsPerSecond >= static_cast<int64_t>(sampleRate) * kTrimWindowMs) {
      const int64_t margin = static_cast<int64_t>(sampleRate) * kTrimMarginMs / kMillisecondsPerSecond;
      if (windowLeast > cushionFrames + margin) Trim(*last, added, cushionFrames - windowLeast);
      if (windowLeast < cushionFrames - margin) Trim(*last, added, cushionFrames - windowLeast);
      windowFrames = 0;
    }
  }
  queuedBytes += static_cast<int64_t>(last->data.size() - before);
  const int64_t threshold = playing ? static_cast<int64_t>(sampleRate) * bufferMs / kMillisecondsPerSecond
                                    : cushionFrames;
  if (static_cast<int64_t>(last->data.size()) / frameBytes < threshold) return offered;
  return Send(*last) < 0 ? -1 : offered;
}

// m bytes into the queue: appended to the buffer still collecting, or to a
// new one; a buffer that has reached its threshold goes to the device->
int64_t SoundWrite::WriteDeviceBytes(const uint8_t* bytes, int64_t m) {
  if (low) return WriteLowBytes(bytes, m);
  if (deviceFailed || device->HasFailed()) {
    deviceFailed = true;
    return -1;
  }
  if (Reclaim() < 0) return -1;
  const int64_t frameBytes = static_cast<int64_t>(bitsPerSample / kBitsPerByte) * channels;
  const int64_t queuedMs = queuedBytes * kMillisecondsPerSecond / (frameBytes * sampleRate);
  if (queuedMs > maxQueuedMs) return 0;
  PlaybackBuffer* last = nullptr;
  if (!buffers.Empty() && !buffers.Back().Sent()) {
    last = &buffers.Back();
  } else {
    last = buffers.Append();
    // Every buffer is out at the device: wait for one to come back.
    if (last == nullptr) return 0;
  }
  if (static_cast<uint64_t>(last->data.size()) + static_cast<uint64_t>(m) > UINT32_MAX) return -1;
  buffers.MakeRoom(*last, last->data.size() + static_cast<size_t>(m));
  last->data.insert(last->data.end(), bytes, bytes + m);
  queuedBytes += m;
  const int64_t thresholdMs = buffers.Size() == 1 ? kPreRollMs : bufferMs;
  const int64_t threshold = frameBytes * sampleRate * thresholdMs / kMillisecondsPerSecond;
  if (static_cast<int64_t>(last->data.size()) < threshold) return m;
  return Send(*last) < 0 ? -1 : m;
}

bool SoundWrite::WriteHeader() {
  uint8_t header[kWavHeaderBytes];
  EncodeWavHeader({formatTag, static_cast<uint16_t>(channels), static_cast<uint32_t>(sampleRate),
                   static_cast<uint16_t>(bitsPerSample)},
                  static_cast<uint32_t>(kRiffSizeBeforeData + dataBytes), static_cast<uint32_t>(dataBytes),
                  header);
  return std::fwrite(header, 1, sizeof header, stream) == sizeof header;
}

SoundResult SoundWrite::Write(const int16_t* samples, int n) {
  if (mode == kSoundModeClosed || n < 0 || (samples == nullptr && n > 0)) return SoundResult::kSoundFailed;
  if (bitsPerSample != kSampleBytes * kBitsPerByte) return SoundResult::kSoundFailed;
  const int64_t samplesPerPiece = static_cast<int64_t>(scratch.size()) / kSampleBytes;
  if (mode == kSoundModeFile && static_cast<uint64_t>(n) * kSampleBytes > kMaxDataBytes - dataBytes) {
    return SoundResult::kSoundFailed;
  }
  int64_t written = 0;
  while (written < n) {
    const int64_t count = std::min<int64_t>(samplesPerPiece, n - written);
    for (int64_t i = 0; i < count; ++i) {
      PutLittle16(scratch.data() + kSampleBytes * i, static_cast<uint16_t>(samples[written + i]));
    }
    const int64_t bytes = count * kSampleBytes;
    StallWatch watch;
    int64_t queuedBefore = queuedBytes;
    for (;;) {
      // Taken before offering, so a buffer played meanwhile ends the wait.
      const uint32_t seen = device->EventCount();
      const int64_t taken = WriteBytes(scratch.data(), bytes);
      if (taken < 0) return SoundResult::kSoundFailed;
      if (taken == bytes || (taken == 0 && dropWhenFull && mode == kSoundModeDevice)) break;
      if (Stopping() || !AwaitSpeaker(seen, watch, queuedBefore)) return SoundResult::kSoundFailed;
    }
    written += count;
  }
  return SoundResult::kSoundOk;
}

int64_t SoundWrite::WriteBytes(const uint8_t* bytes, int64_t m) {
  if (sampleRate < 0 || m < 0) return -1;
  if (mode == kSoundModeDevice) return WriteDeviceBytes(bytes, m);
  if (mode != kSoundModeFile) return -1;
  if (static_cast<uint64_t>(m) > kMaxDataBytes - dataBytes) return -1;
  const size_t count = static_cast<size_t>(m);
  if (std::fwrite(bytes, 1, count, stream) != count) return -1;
  dataBytes += count;
  return m;
}

SoundResult SoundWrite::Flush() {
  if (isOpen == 0) return SoundResult::kSoundFailed;
  if (mode == kSoundModeDevice) return FlushDevice();
  if (mode != kSoundModeFile) return SoundResult::kSoundFailed;
  return std::fflush(stream) == 0 ? SoundResult::kSoundDone : SoundResult::kSoundFailed;
}

bool SoundWrite::AwaitSpeaker(uint32_t seen, StallWatch& watch, int64_t& queuedBefore) {
  // The queue shrinking is the speaker's progress.
  if (queuedBytes < queuedBefore) watch.Progressed();
  queuedBefore = queuedBytes;
  if (watch.Stalled() || device->HasFailed()) {
    deviceFailed = true;
    return false;
  }
  device->WaitForEvent(seen, kDeviceWaitSlice);
  return true;
}

SoundResult SoundWrite::FlushDevice() {
  if (deviceFailed || device->HasFailed()) {
    deviceFailed = true;
    return SoundResult::kSoundFailed;
  }
  if (!buffers.Empty() && !buffers.Back().Sent() && Send(buffers.Back()) < 0)
    return SoundResult::kSoundFailed;
  StallWatch watch;
  int64_t queuedBefore = queuedBytes;
  for (;;) {
    const uint32_t seen = device->EventCount();
    if (Reclaim() < 0) return SoundResult::kSoundFailed;
    if (buffers.Empty() || Stopping()) return SoundResult::kSoundDone;
    if (!AwaitSpeaker(seen, watch, queuedBefore)) return SoundResult::kSoundFailed;
  }
}

// Stops the device at once, which hands every buffer back, and frees them.
// Every step runs even when one fails, so the device is never left open.
SoundResult SoundWrite::ShutdownDevice() {
  // Closing cuts playback off and hands every buffer back first.
  const DeviceResult closed = device->Close();
  bool failed = closed != DeviceResult::kDeviceOk;
  if (closed == DeviceResult::kDeviceTimedOut) {
    // The device's thread is stuck inside the sound system and may still
    // play from these buffers when it comes back: they go with it.
    device->Keep(buffers.TakeStorage());
    device = std::make_shared<WaveOutDevice>();
  }
  for (size_t i = 0; i < buffers.Size(); ++i) {
    PlaybackBuffer& buffer = buffers.At(i);
    if (buffer.Sent()) failed |= device->UnprepareBuffer(&buffer.header) != DeviceResult::kDeviceOk;
  }
  buffers.Free();
  queuedBytes = 0;
  return failed ? SoundResult::kSoundFailed : SoundResult::kSoundDone;
}

SoundResult SoundWrite::Close() {
  if (isOpen == 0) return SoundResult::kSoundFailed;
  const SoundResult flushed = Flush();
  const SoundResult shut = Shutdown();
  return flushed == SoundResult::kSoundFailed || shut == SoundResult::kSoundFailed ? SoundResult::kSoundFailed
                                                                                   : SoundResult::kSoundDone;
}

SoundResult SoundWrite::Shutdown() {
  if (isOpen == 0) return SoundResult::kSoundFailed;
  isOpen = 0;
  SoundResult result = SoundResult::kSoundFailed;
  if (mode == kSoundModeDevice) result = ShutdownDevice();
  if (mode == kSoundModeFile) {
    const bool header = std::fseek(stream, 0, SEEK_SET) == 0 && WriteHeader();
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    result = header && closed ? SoundResult::kSoundDone : SoundResult::kSoundFailed;
  }
  Reset();
  return result;
}

bool SoundWrite::Stopping() const {
  return stopRequested != 0 || (runFlag != nullptr && !runFlag->load(std::memory_order_relaxed));
}

void SoundWrite::RequestStop() {
  stopRequested = 1;
  device->Wake();
  while (idle == 0) std::this_thread::sleep_for(kStopPollInterval);
  stopRequested = 0;
}

PlayResult SoundWrite::PlayFile(const std::string& name, bool deviceAlreadyOpen,
                                PlaybackLevelListener* levelListener, const std::atomic<bool>* keepPlaying) {
  SoundRead source;
  if (source.OpenFile(name) != SoundResult::kSoundOk) return PlayResult::kPlayFileUnreadable;
  idle = 0;
  const std::atomic<bool>* ownerFlag = runFlag;
  if (keepPlaying != nullptr) runFlag = keepPlaying;
  auto finish = [&](PlayResult result) {
    runFlag = ownerFlag;
    idle = 1;
    return result;
  };
  if (!deviceAlreadyOpen) {
    SetFormat(source.SampleRate(), kSampleBytes * kBitsPerByte, source.Channels(), kWaveFormatPcm);
    if (OpenDevice(kPlayQueueMs, kPlayBufferMs) != SoundResult::kSoundOk) {
      return finish(PlayResult::kPlaySpeakerUnavailable);
    }
  }
  const int block = source.Channels() * source.SampleRate() / kBlocksPerSecond;
  std::vector<int16_t> samples(static_cast<size_t>(std::max(block, 1)));
  PlayResult result = PlayResult::kPlayFilePlayed;
  for (;;) {
    const int got = source.ReadFile(samples.data(), block);
    if (got < 0) {
      result = PlayResult::kPlayFileUnreadable;
      break;
    }
    // A write refused because of a stop is the stop, not a failure.
    if (Write(samples.data(), got) != SoundResult::kSoundOk) {
      if (!Stopping()) result = PlayResult::kPlayDeviceFailed;
      break;
    }
    if (got < block || Stopping()) break;
    if (levelListener != nullptr) levelListener->OnPlaybackLevel(samples[0] * kLevelPerSample);
  }
  // Reading is over; closing the file tells nothing more.
  static_cast<void>(source.Close());
  if (!deviceAlreadyOpen && isOpen != 0) {
    // A stop, or a failure, cuts the queue off; otherwise it plays out.
    if (Stopping() || result != PlayResult::kPlayFilePlayed) {
      // What is queued is cut off whether or not the device closes cleanly.
      static_cast<void>(Shutdown());
    } else if (Close() != SoundResult::kSoundDone) {
      result = PlayResult::kPlayDeviceFailed;
    }
  }
  return finish(result);
}

void SoundWrite::Reset() {
  idle = 1;
  stopRequested = 0;
  mode = kSoundModeClosed;
  isOpen = 0;
  formatTag = kWaveFormatPcm;
}

}  // namespace plimo
