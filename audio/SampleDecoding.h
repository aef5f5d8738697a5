#pragma once

#include <cstdint>

#include "audio/LittleEndian.h"
#include "audio/MuLawCodec.h"

namespace plimo {

// One stored sample, little-endian, to a signed 16-bit sample: the rules
// every reader of sound files shares.

// 8-bit PCM is unsigned with silence at 128.
inline int16_t DecodePcm8(const uint8_t* p) {
  constexpr int kPcm8Offset = 128;
  constexpr int kPcm8Scale = 256;
  return static_cast<int16_t>((p[0] - kPcm8Offset) * kPcm8Scale);
}

inline int16_t DecodeMuLaw(const uint8_t* p) { return MuLawCodec::Decode(p[0]); }

inline int16_t DecodePcm16(const uint8_t* p) { return static_cast<int16_t>(Little16(p)); }

// A 32-bit sample scaled by 32767 / (2^31 - 1), so full scale maps to
// ±32767 and never wraps: the rule for every sample wider than 16 bits.
inline int16_t ScalePcm32(int32_t widened) {
  constexpr int64_t kFullScale16 = 32767;
  constexpr int64_t kFullScale32 = 2147483647;
  return static_cast<int16_t>(widened * kFullScale16 / kFullScale32);
}

// 24-bit samples are widened to 32 bits first.
inline int16_t DecodePcm24(const uint8_t* p) {
  const int32_t widened =
      static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                           static_cast<uint32_t>(p[2]) << 24);
  return ScalePcm32(widened);
}

}  // namespace plimo
