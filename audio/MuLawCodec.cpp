#include "audio/MuLawCodec.h"

namespace plimo {

namespace {

// G.711 stores the complement of each code so that silence is not a run of
// zero bits on the line; the bias shifts every segment to start at a power
// of two, which is what lets the magnitude be a plain shift.
constexpr int kBias = 132;
constexpr uint8_t kSignBit = 0x80;
constexpr int kSegmentShift = 4;
constexpr int kSegmentMask = 0x07;
constexpr int kMantissaMask = 0x0F;
constexpr int kMantissaStep = 8;

}  // namespace

int16_t MuLawCodec::Decode(uint8_t code) {
  const uint8_t inverted = static_cast<uint8_t>(~code);
  const int segment = (inverted >> kSegmentShift) & kSegmentMask;
  const int mantissa = inverted & kMantissaMask;
  const int magnitude = ((mantissa * kMantissaStep + kBias) << segment) - kBias;
  return static_cast<int16_t>((inverted & kSignBit) ? -magnitude : magnitude);
}

}  // namespace plimo
