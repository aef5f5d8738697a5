#include "audio/WavHeader.h"

#include <cstring>

#include "audio/LittleEndian.h"

namespace plimo {

namespace {
constexpr uint32_t kFmtChunkBytes = 16;
}  // namespace

void EncodeWavHeader(const PcmFormat& format, uint32_t riffSize, uint32_t dataSize,
                     uint8_t (&header)[kWavHeaderBytes]) {
  const uint16_t blockAlign = static_cast<uint16_t>(format.BlockAlign());
  std::memset(header, 0, sizeof header);
  std::memcpy(header, "RIFF", 4);
  PutLittle32(header + kWavRiffSizePosition, riffSize);
  std::memcpy(header + 8, "WAVE", 4);
  std::memcpy(header + 12, "fmt ", 4);
  PutLittle32(header + 16, kFmtChunkBytes);
  PutLittle16(header + 20, format.formatTag);
  PutLittle16(header + 22, format.channels);
  PutLittle32(header + 24, format.sampleRate);
  PutLittle32(header + 28, static_cast<uint32_t>(blockAlign) * format.sampleRate);
  PutLittle16(header + 32, blockAlign);
  PutLittle16(header + 34, format.bitsPerSample);
  std::memcpy(header + 36, "data", 4);
  PutLittle32(header + kWavDataSizePosition, dataSize);
}

}  // namespace plimo
