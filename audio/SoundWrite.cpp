#include "audio/SoundWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace plimo {

namespace {

constexpr uint16_t kWaveFormatALaw = 6;
constexpr int kBitsPerByte = 8;
constexpr int kSampleBytes = 2;  // Write takes 16-bit samples
constexpr size_t kScratchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kStopPollInterval{1};

constexpr size_t kHeaderBytes = 44;
constexpr uint32_t kFmtChunkBytes = 16;
// The RIFF size counts the header after its own field plus the data.
constexpr uint32_t kRiffSizeBeforeData = 36;
constexpr uint64_t kMaxDataBytes = UINT32_MAX - kRiffSizeBeforeData;

void PutLittle16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLittle32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A FIFO without a reader would block open(); a sink must never hang there.
std::FILE* CreateWithoutBlocking(const std::string& name) {
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return nullptr;
  std::FILE* stream = nullptr;
  if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) stream = fdopen(fd, "wb");
  if (stream == nullptr) close(fd);
  return stream;
}

}  // namespace

SoundWrite::SoundWrite() {
  Reset();
  SetFormat(-1, 16, 1, kWaveFormatPcm);
}

SoundWrite::~SoundWrite() {
  if (isOpen != 0) Shutdown();
}

void SoundWrite::SetFormat(int32_t newSampleRate, int16_t newBitsPerSample, int16_t newChannels,
                           uint16_t newFormatTag) {
  if (isOpen != 0) return;
  sampleRate = newSampleRate;
  bitsPerSample = newBitsPerSample;
  channels = newChannels;
  formatTag = newFormatTag;
  if ((formatTag == kWaveFormatALaw || formatTag == kWaveFormatMuLaw) && bitsPerSample == 16) {
    formatTag = kWaveFormatPcm;
  }
  bytesPerSecond = static_cast<uint32_t>(static_cast<int64_t>(bitsPerSample) * sampleRate /
                                         kBitsPerByte * channels);
}

int SoundWrite::OpenFile(const std::string& name) {
  if (isOpen != 0) return -1;
  // A header with these numbers would describe no playable file.
  const int64_t blockAlign = static_cast<int64_t>(channels) * bitsPerSample / kBitsPerByte;
  if (sampleRate <= 0 || channels < 1 || bitsPerSample < kBitsPerByte ||
      bitsPerSample % kBitsPerByte != 0 || blockAlign * sampleRate > UINT32_MAX) {
    return -1;
  }
  fileName = name;
  stream = CreateWithoutBlocking(name);
  if (stream == nullptr) return -1;
  dataBytes = 0;
  if (!WriteHeader()) {
    std::fclose(stream);
    stream = nullptr;
    return -1;
  }
  scratch.resize(kScratchBytes);
  mode = kSoundModeFile;
  isOpen = 1;
  return 1;
}

// The playback side comes with the sound card.
int SoundWrite::OpenDevice(int32_t, int32_t) { return -1; }

bool SoundWrite::WriteHeader() {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / kBitsPerByte);
  uint8_t header[kHeaderBytes] = {};
  std::memcpy(header, "RIFF", 4);
  PutLittle32(header + 4, static_cast<uint32_t>(kRiffSizeBeforeData + dataBytes));
  std::memcpy(header + 8, "WAVE", 4);
  std::memcpy(header + 12, "fmt ", 4);
  PutLittle32(header + 16, kFmtChunkBytes);
  PutLittle16(header + 20, formatTag);
  PutLittle16(header + 22, static_cast<uint16_t>(channels));
  PutLittle32(header + 24, static_cast<uint32_t>(sampleRate));
  PutLittle32(header + 28, static_cast<uint32_t>(blockAlign) * static_cast<uint32_t>(sampleRate));
  PutLittle16(header + 32, blockAlign);
  PutLittle16(header + 34, static_cast<uint16_t>(bitsPerSample));
  std::memcpy(header + 36, "data", 4);
  PutLittle32(header + 40, static_cast<uint32_t>(dataBytes));
  return std::fwrite(header, 1, sizeof header, stream) == sizeof header;
}

int SoundWrite::Write(const int16_t* samples, int n) {
  if (mode == kSoundModeClosed || n < 0 || (samples == nullptr && n > 0)) return -1;
  if (bitsPerSample != kSampleBytes * kBitsPerByte) return -1;
  const int64_t samplesPerPiece = static_cast<int64_t>(scratch.size()) / kSampleBytes;
  if (static_cast<uint64_t>(n) * kSampleBytes > kMaxDataBytes - dataBytes) return -1;
  int64_t written = 0;
  while (written < n) {
    const int64_t count = std::min<int64_t>(samplesPerPiece, n - written);
    for (int64_t i = 0; i < count; ++i) {
      PutLittle16(scratch.data() + kSampleBytes * i, static_cast<uint16_t>(samples[written + i]));
    }
    if (WriteBytes(scratch.data(), count * kSampleBytes) != count * kSampleBytes) return -1;
    written += count;
  }
  return 1;
}

int64_t SoundWrite::WriteBytes(const uint8_t* bytes, int64_t m) {
  if (sampleRate < 0 || mode != kSoundModeFile || m < 0) return -1;
  if (static_cast<uint64_t>(m) > kMaxDataBytes - dataBytes) return -1;
  const size_t count = static_cast<size_t>(m);
  if (std::fwrite(bytes, 1, count, stream) != count) return -1;
  dataBytes += count;
  return m;
}

int SoundWrite::Flush() {
  if (isOpen == 0 || mode != kSoundModeFile) return -1;
  return std::fflush(stream) == 0 ? 0 : -1;
}

int SoundWrite::Close() {
  if (isOpen == 0) return -1;
  const int flushed = Flush();
  const int shut = Shutdown();
  return flushed < 0 || shut < 0 ? -1 : 0;
}

int SoundWrite::Shutdown() {
  if (isOpen == 0) return -1;
  isOpen = 0;
  int result = -1;
  if (mode == kSoundModeFile) {
    const bool header = std::fseek(stream, 0, SEEK_SET) == 0 && WriteHeader();
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    result = header && closed ? 0 : -1;
  }
  Reset();
  return result;
}

void SoundWrite::RequestStop() {
  stopRequested = 1;
  while (idle == 0) std::this_thread::sleep_for(kStopPollInterval);
  stopRequested = 0;
}

void SoundWrite::Reset() {
  idle = 1;
  stopRequested = 0;
  mode = kSoundModeClosed;
  isOpen = 0;
  formatTag = kWaveFormatPcm;
}

}  // namespace plimo
