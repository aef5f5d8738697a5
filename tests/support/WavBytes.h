#pragma once

// Wav files as raw bytes, built here without the program's own reader or
// writer so that tests compare it against an independent layout.

#include <cstdint>
#include <string_view>
#include <vector>

namespace plimo::test {

inline constexpr uint16_t kWavPcm = 1;
inline constexpr uint16_t kWavFloat = 3;
inline constexpr uint16_t kWavALaw = 6;
inline constexpr uint16_t kWavMuLaw = 7;

inline void AppendLittle16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendLittle32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void AppendId(std::vector<uint8_t>& out, std::string_view id) {
  for (size_t i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(i < id.size() ? id[i] : ' '));
}

inline uint32_t ReadLittle32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes.at(at)) | static_cast<uint32_t>(bytes.at(at + 1)) << 8 |
         static_cast<uint32_t>(bytes.at(at + 2)) << 16 | static_cast<uint32_t>(bytes.at(at + 3)) << 24;
}

inline uint16_t ReadLittle16(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

// G.711 µ-law encoder written from the standard's segment table: the
// biased magnitude's highest set bit picks the segment, the next four bits
// the step. Values beyond the last segment clip.
inline uint8_t MuLawEncode(int16_t sample) {
  constexpr int kBias = 0x84;
  constexpr int kClip = 32635;
  int magnitude = sample;
  uint8_t sign = 0;
  if (magnitude < 0) {
    magnitude = -magnitude;
    sign = 0x80;
  }
  if (magnitude > kClip) magnitude = kClip;
  magnitude += kBias;
  int highBit = 14;
  while (highBit > 7 && !(magnitude & (1 << highBit))) --highBit;
  const int segment = highBit - 7;
  const int step = (magnitude >> (segment + 3)) & 0x0F;
  return static_cast<uint8_t>(~(sign | segment << 4 | step));
}

// The 16-byte body of a plain fmt chunk with consistent block align and
// byte rate.
inline std::vector<uint8_t> FmtBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> body;
  const uint32_t blockAlign = static_cast<uint32_t>(channels) * bits / 8;
  AppendLittle16(body, formatTag);
  AppendLittle16(body, channels);
  AppendLittle32(body, rate);
  AppendLittle32(body, blockAlign * rate);
  AppendLittle16(body, static_cast<uint16_t>(blockAlign));
  AppendLittle16(body, bits);
  return body;
}

// Interleaved 16-bit samples in a file's sample format: PCM 8 bits
// (unsigned, top byte), 16 bits, 24 bits (sample in the upper two bytes),
// or µ-law.
inline std::vector<uint8_t> EncodeSamples(uint16_t formatTag, uint16_t bits,
                                          const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  for (int16_t s : samples) {
    const uint16_t pattern = static_cast<uint16_t>(s);
    if (formatTag == kWavMuLaw) {
      out.push_back(MuLawEncode(s));
    } else if (bits == 8) {
      out.push_back(static_cast<uint8_t>((pattern >> 8) + 128));
    } else if (bits == 24) {
      out.push_back(0);
      AppendLittle16(out, pattern);
    } else {
      AppendLittle16(out, pattern);
    }
  }
  return out;
}

// 24-bit sample values (low 24 bits used) as three little-endian bytes each.
inline std::vector<uint8_t> Encode24(const std::vector<int32_t>& samples) {
  std::vector<uint8_t> out;
  for (int32_t s : samples) {
    for (int i = 0; i < 3; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(s) >> (8 * i)));
  }
  return out;
}

// A RIFF WAVE image assembled chunk by chunk, so a test can lay out what no
// ordinary writer would: chunks in odd orders, odd sizes with or without a
// pad byte, sizes that lie.
class WavBuilder {
 public:
  enum class Pad { kStandard, kNone };

  // A chunk whose stated size is the body's size; odd bodies get the
  // standard zero pad byte unless pad is kNone.
  WavBuilder& Chunk(std::string_view id, const std::vector<uint8_t>& body, Pad pad = Pad::kStandard) {
    return ChunkWithSize(id, static_cast<uint32_t>(body.size()), body, pad);
  }

  // A chunk whose header states statedSize whatever the body holds.
  WavBuilder& ChunkWithSize(std::string_view id, uint32_t statedSize, const std::vector<uint8_t>& body,
                            Pad pad = Pad::kStandard) {
    AppendId(chunks, id);
    AppendLittle32(chunks, statedSize);
    chunks.insert(chunks.end(), body.begin(), body.end());
    if (pad == Pad::kStandard && body.size() % 2 == 1) chunks.push_back(0);
    return *this;
  }

  WavBuilder& Fmt(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits) {
    return Chunk("fmt ", FmtBody(formatTag, channels, rate, bits));
  }

  WavBuilder& Data(const std::vector<uint8_t>& samples) { return Chunk("data", samples); }

  // Bytes appended as they are, outside any chunk.
  WavBuilder& Raw(const std::vector<uint8_t>& bytes) {
    chunks.insert(chunks.end(), bytes.begin(), bytes.end());
    return *this;
  }

  // The file with the RIFF size that matches its length.
  std::vector<uint8_t> Bytes() const { return BytesWithRiffSize(static_cast<uint32_t>(chunks.size() + 4)); }

  std::vector<uint8_t> BytesWithRiffSize(uint32_t riffSize) const {
    std::vector<uint8_t> out;
    AppendId(out, "RIFF");
    AppendLittle32(out, riffSize);
    AppendId(out, "WAVE");
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
  }

 private:
  std::vector<uint8_t> chunks;
};

// The common case: a canonical 44-byte header and the interleaved samples.
inline std::vector<uint8_t> MakeWav(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                                    const std::vector<int16_t>& interleaved) {
  return WavBuilder()
      .Fmt(formatTag, channels, rate, bits)
      .Data(EncodeSamples(formatTag, bits, interleaved))
      .Bytes();
}

}  // namespace plimo::test
