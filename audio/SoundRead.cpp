#include "audio/SoundRead.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#include "audio/DeviceWait.h"
#include "audio/SampleDecoding.h"

namespace plimo {

namespace {

constexpr uint16_t kWaveFormatALaw = 6;
constexpr int kBitsPerByte = 8;
// Raw bytes pass through this much memory at a time, so a long request
// neither allocates nor grows the object.
constexpr size_t kScratchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kStopPollInterval{1};

// The capture queue is never shorter than this, and never split into fewer
// buffers than kMinCaptureBuffers.
constexpr int32_t kMinCaptureTotalMs = 128;
constexpr int32_t kMinCaptureBuffers = 5;
constexpr int32_t kMinLowCaptureBuffers = 2;
constexpr int64_t kMillisecondsPerSecond = 1000;

void Convert(const uint8_t* bytes, int64_t count, uint16_t formatTag, int bits, int16_t* samples) {
  if (formatTag == kWaveFormatMuLaw) {
    for (int64_t i = 0; i < count; ++i) samples[i] = DecodeMuLaw(bytes + i);
    return;
  }
  switch (bits) {
    case 8:
      for (int64_t i = 0; i < count; ++i) samples[i] = DecodePcm8(bytes + i);
      break;
    case 16:
      for (int64_t i = 0; i < count; ++i) samples[i] = DecodePcm16(bytes + 2 * i);
      break;
    default:
      for (int64_t i = 0; i < count; ++i) samples[i] = DecodePcm24(bytes + 3 * i);
      break;
  }
}

}  // namespace

uint16_t LinearFormatTag(uint16_t formatTag, int16_t bitsPerSample) {
  constexpr int16_t kLinearBits = 16;
  if ((formatTag == kWaveFormatALaw || formatTag == kWaveFormatMuLaw) && bitsPerSample == kLinearBits) {
    return kWaveFormatPcm;
  }
  return formatTag;
}

uint32_t ByteRateOf(int32_t sampleRate, int16_t bitsPerSample, int16_t channels) {
  return static_cast<uint32_t>(static_cast<int64_t>(bitsPerSample) * sampleRate / kBitsPerByte * channels);
}

SoundRead::SoundRead() {
  Reset();
  SetFormat(-1, 16, 1, kWaveFormatPcm);
  dataStart = 0;
}

SoundRead::~SoundRead() {
  // The device is released whether or not its close worked.
  if (mode == kSoundModeDevice) static_cast<void>(CloseDevice());
}

void SoundRead::SetFormat(int32_t newSampleRate, int16_t newBitsPerSample, int16_t newChannels,
                          uint16_t newFormatTag) {
  if (isOpen != 0 || formatFromFile != 0) return;
  sampleRate = newSampleRate;
  bitsPerSample = newBitsPerSample;
  channels = newChannels;
  formatTag = LinearFormatTag(newFormatTag, bitsPerSample);
  bytesPerSecond = ByteRateOf(sampleRate, bitsPerSample, channels);
}

SoundResult SoundRead::OpenDevice(int32_t totalMs, int32_t bufferMs, bool lowDelay) {
  if (mode == kSoundModeDevice) return SoundResult::kSoundOk;
  if (mode != kSoundModeClosed) return SoundResult::kSoundFailed;
  stopRequested = 0;
  deviceFailed = false;
  if (sampleRate < 0) SetFormat(16000, 16, 1, kWaveFormatPcm);
  if (bufferMs <= 0 || sampleRate <= 0 || channels < 1 || BytesPerSample() < 1)
    return SoundResult::kSoundFailed;
  if (!lowDelay) totalMs = std::max(totalMs, kMinCaptureTotalMs);
  bufferCount = std::max(totalMs / bufferMs, lowDelay ? kMinLowCaptureBuffers : kMinCaptureBuffers);
  const int64_t bytes =
      static_cast<int64_t>(sampleRate) * bufferMs / kMillisecondsPerSecond * BytesPerSample() * channels;
  // A buffer too short for one frame would never fill.
  if (bytes < static_cast<int64_t>(BytesPerSample()) * channels || bytes > INT32_MAX)
    return SoundResult::kSoundFailed;
  bufferBytes = static_cast<int32_t>(bytes);

  const PcmFormat format{formatTag, static_cast<uint16_t>(channels), static_cast<uint32_t>(sampleRate),
                         static_cast<uint16_t>(bitsPerSample)};
  device->SetDeviceName(deviceName);
  const DeviceResult opened = lowDelay ? device->Open(format, static_cast<size_t>(bufferCount), kLowCaptureBuffering)
                                   : device->Open(format, static_cast<size_t>(bufferCount));
  if (opened != DeviceResult::kDeviceOk) return SoundResult::kSoundFailed;
  buffers.clear();
  buffers.reserve(static_cast<size_t>(bufferCount));
  firstBuffer = 0;
  for (int32_t i = 0; i < bufferCount; ++i) {
    auto buffer = std::make_unique<CaptureBuffer>();
    buffer->data.assign(static_cast<size_t>(bufferBytes), 0);
    buffer->header.data = buffer->data.data();
    buffer->header.length = static_cast<uint32_t>(bufferBytes);
    CaptureBuffer* added = buffer.get();
    buffers.push_back(std::move(buffer));
    if (device->PrepareBuffer(&added->header) != DeviceResult::kDeviceOk ||
        device->AddBuffer(&added->header) != DeviceResult::kDeviceOk) {
      // Opening has failed already; the close only releases the device.
      static_cast<void>(CloseDevice());
      return SoundResult::kSoundFailed;
    }
  }
  if (device->Start() != DeviceResult::kDeviceOk) {
    static_cast<void>(CloseDevice());
    return SoundResult::kSoundFailed;
  }
  scratch.resize(kScratchBytes);
  mode = kSoundModeDevice;
  isOpen = 1;
  return SoundResult::kSoundOk;
}

SoundResult SoundRead::OpenFile(const std::string& fileName) {
  sourceFile.reset();
  sourceFile = SoundFile::OpenForReading(fileName);
  if (sourceFile->Status() != SoundFileStatus::kSoundFileReading) {
    sourceFile.reset();
    // A file held before is gone with the failed attempt.
    if (mode == kSoundModeFile) Reset();
    return SoundResult::kSoundFailed;
  }
  formatTag = sourceFile->FormatTag();
  channels = static_cast<int16_t>(sourceFile->Channels());
  sampleRate = static_cast<int32_t>(sourceFile->SampleRate());
  bitsPerSample = static_cast<int16_t>(sourceFile->BitsPerSample());
  formatFromFile = 1;
  dataStart = sourceFile->DataStart();
  isOpen = 1;
  bytesPerSecond = ByteRateOf(sampleRate, bitsPerSample, channels);
  mode = kSoundModeFile;
  scratch.resize(kScratchBytes);
  return SoundResult::kSoundOk;
}

int SoundRead::BytesPerSample() const { return bitsPerSample / kBitsPerByte; }

// Up to m bytes of the data chunk: their count, 0 when the data has ended,
// -1 when no file is open or the read fails.
int64_t SoundRead::ReadBytes(uint8_t* destination, int64_t m) {
  if (mode != kSoundModeFile || sourceFile == nullptr || sourceFile->Stream() == nullptr) return -1;
  std::FILE* stream = sourceFile->Stream();
  const int64_t end = dataStart + sourceFile->FrameCount() * sourceFile->BlockAlign();
  const off_t position = ftello(stream);
  if (position < 0) return -1;
  const int64_t count = std::min<int64_t>(m, end - position);
  if (count <= 0) return 0;
  const size_t got = std::fread(destination, 1, static_cast<size_t>(count), stream);
  return got == static_cast<size_t>(count) ? count : -1;
}

// Reads and converts up to n samples through the scratch block. With
// wholeRequest, anything short of n is a failure (-1).
int64_t SoundRead::ReadSamples(int16_t* samples, int64_t n, bool wholeRequest) {
  const int bytesPerSample = BytesPerSample();
  if (bytesPerSample < 1 || n < 0) return -1;
  const int64_t samplesPerPiece = static_cast<int64_t>(scratch.size()) / bytesPerSample;
  if (samplesPerPiece < 1) return -1;
  int64_t delivered = 0;
  while (delivered < n) {
    const int64_t wanted = std::min(samplesPerPiece, n - delivered);
    const int64_t got = ReadBytes(scratch.data(), wanted * bytesPerSample);
    if (got < 0) return -1;
    const int64_t whole = got / bytesPerSample;
    Convert(scratch.data(), whole, formatTag, bitsPerSample, samples + delivered);
    delivered += whole;
    if (whole < wanted) break;
  }
  if (wholeRequest && delivered < n) return -1;
  return delivered;
}

// Up to m recorded bytes from the buffers the device has handed back, in
// order: their count (0 when none is back yet), or -1 on a stop request or
// a device failure. A buffer drained completely goes back to the device at
// once; one drained in part keeps its rest at the start of its block.
int64_t SoundRead::ReadDeviceBytes(uint8_t* destination, int64_t m) {
  int64_t copied = 0;
  for (;;) {
    if (Stopping()) return -1;
    if (buffers.empty()) return copied;
    CaptureBuffer& buffer = *buffers[firstBuffer];
    WaveBuffer& header = buffer.header;
    if (!header.done.load(std::memory_order_acquire)) return copied;
    const int64_t rest = m - copied;
    if (rest <= header.recordedBytes) {
      std::memcpy(destination + copied, buffer.data.data(), static_cast<size_t>(rest));
      std::memmove(buffer.data.data(), buffer.data.data() + rest,
                   static_cast<size_t>(header.recordedBytes - rest));
      header.recordedBytes -= static_cast<uint32_t>(rest);
      return m;
    }
    std::memcpy(destination + copied, buffer.data.data(), header.recordedBytes);
    copied += header.recordedBytes;
    if (device->UnprepareBuffer(&header) != DeviceResult::kDeviceOk) return -1;
    header.recordedBytes = 0;
    header.done.store(false, std::memory_order_relaxed);
    if (device->PrepareBuffer(&header) != DeviceResult::kDeviceOk ||
        device->AddBuffer(&header) != DeviceResult::kDeviceOk) {
      return -1;
    }
    firstBuffer = (firstBuffer + 1) % buffers.size();
  }
}

int64_t SoundRead::HeldFrames() const {
  const int64_t frameBytes = static_cast<int64_t>(BytesPerSample()) * channels;
  if (mode != kSoundModeDevice || frameBytes <= 0) return 0;
  // The buffers handed back and not yet read through, oldest first.
  int64_t bytes = 0;
  for (size_t i = 0; i < buffers.size(); ++i) {
    const WaveBuffer& header = buffers[(firstBuffer + i) % buffers.size()]->header;
    if (!header.done.load(std::memory_order_acquire)) break;
    bytes += header.recordedBytes;
  }
  return bytes / frameBytes + device->HeldFrames();
}

int64_t SoundRead::ShedFrames() const { return mode == kSoundModeDevice ? device->ShedFrames() : 0; }

bool SoundRead::Stopping() const {
  return stopRequested != 0 || (runFlag != nullptr && !runFlag->load(std::memory_order_relaxed));
}

SoundResult SoundRead::ReadDevice(int16_t* samples, int64_t n) {
  if (deviceFailed) return SoundResult::kSoundFailed;
  // A stop waits for a read in progress to give up, so the reader learns
  // of the stop from the read itself.
  idle = 0;
  const SoundResult result = ReadDeviceSamples(samples, n);
  idle = 1;
  return result;
}

// n samples from the microphone, through the scratch block a piece at a
// time; waits for the device between attempts, a slice at a time.
SoundResult SoundRead::ReadDeviceSamples(int16_t* samples, int64_t n) {
  const int bytesPerSample = BytesPerSample();
  const int64_t samplesPerPiece = static_cast<int64_t>(scratch.size()) / bytesPerSample;
  StallWatch watch;
  int64_t delivered = 0;
  while (delivered < n) {
    const int64_t wanted = std::min(samplesPerPiece, n - delivered);
    const int64_t bytes = wanted * bytesPerSample;
    int64_t arrived = 0;
    while (arrived < bytes) {
      if (Stopping()) return SoundResult::kSoundFailed;
      // Taken before looking, so a buffer handed back meanwhile ends the wait.
      const uint32_t seen = device->EventCount();
      const int64_t got = ReadDeviceBytes(scratch.data() + arrived, bytes - arrived);
      if (got < 0 || device->HasFailed() || (got == 0 && watch.Stalled())) {
        deviceFailed = !Stopping();
        return SoundResult::kSoundFailed;
      }
      if (got > 0) watch.Progressed();
      arrived += got;
      if (arrived < bytes) device->WaitForEvent(seen, kDeviceWaitSlice);
    }
    Convert(scratch.data(), wanted, formatTag, bitsPerSample, samples + delivered);
    delivered += wanted;
  }
  return SoundResult::kSoundOk;
}

SoundResult SoundRead::Read(int16_t* samples, int n) {
  if (sampleRate < 0 || n < 0) return SoundResult::kSoundFailed;
  if (mode == kSoundModeDevice) return ReadDevice(samples, n);
  if (mode != kSoundModeFile) return SoundResult::kSoundFailed;
  return ReadSamples(samples, n, true) < 0 ? SoundResult::kSoundFailed : SoundResult::kSoundOk;
}

int SoundRead::ReadFile(int16_t* samples, int n) {
  if (mode != kSoundModeFile) return -1;
  return static_cast<int>(ReadSamples(samples, n, false));
}

void SoundRead::RequestStop() {
  // The request stands until the next open: a reader about to start a read
  // when it comes must not wait on a microphone nobody reads any more.
  stopRequested = 1;
  device->Wake();
  while (idle == 0) std::this_thread::sleep_for(kStopPollInterval);
}

// Stops the device, which hands every buffer back, and frees them. Every
// step runs even when one fails, so the device is never left open.
SoundResult SoundRead::CloseDevice() {
  // Closing stops the device and hands every buffer back first.
  const DeviceResult closed = device->Close();
  bool failed = closed != DeviceResult::kDeviceOk;
  if (closed == DeviceResult::kDeviceTimedOut) {
    // The device's thread is stuck inside the sound system and may still
    // record into these buffers when it comes back: they go with it.
    device->Keep(std::make_shared<std::vector<std::unique_ptr<CaptureBuffer>>>(std::move(buffers)));
    device = std::make_shared<WaveInDevice>();
  }
  for (const std::unique_ptr<CaptureBuffer>& buffer : buffers) {
    failed |= device->UnprepareBuffer(&buffer->header) != DeviceResult::kDeviceOk;
  }
  buffers.clear();
  firstBuffer = 0;
  return failed ? SoundResult::kSoundFailed : SoundResult::kSoundDone;
}

SoundResult SoundRead::Close() {
  SoundResult result = SoundResult::kSoundDone;
  if (mode == kSoundModeFile) sourceFile.reset();
  if (mode == kSoundModeDevice) result = CloseDevice();
  Reset();
  return result;
}

void SoundRead::Reset() {
  mode = kSoundModeClosed;
  isOpen = 0;
  formatFromFile = 0;
  formatTag = kWaveFormatPcm;
  idle = 1;
  stopRequested = 0;
}

}  // namespace plimo
