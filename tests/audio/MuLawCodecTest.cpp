// The decoder against the G.711 table: published values, the reference
// encoder's inverse, and the shape of the companding curve.

#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/MuLawCodec.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

TEST(MuLawCodecTest, PublishedTableValues) {
  EXPECT_EQ(MuLawCodec::Decode(0xFF), 0);
  EXPECT_EQ(MuLawCodec::Decode(0x7F), 0);
  EXPECT_EQ(MuLawCodec::Decode(0x00), -32124);
  EXPECT_EQ(MuLawCodec::Decode(0x80), 32124);
  EXPECT_EQ(MuLawCodec::Decode(0xFE), 8);
  EXPECT_EQ(MuLawCodec::Decode(0xF0), 120);
  EXPECT_EQ(MuLawCodec::Decode(0xEF), 132);
  EXPECT_EQ(MuLawCodec::Decode(0x8F), 16764);
  EXPECT_EQ(MuLawCodec::Decode(0x0F), -16764);
}

TEST(MuLawCodecTest, InvertsTheReferenceEncoder) {
  for (int code = 0; code < 256; ++code) {
    if (code == 0x7F) continue;  // negative zero encodes as positive zero
    EXPECT_EQ(test::MuLawEncode(MuLawCodec::Decode(static_cast<uint8_t>(code))), code) << code;
  }
  // Every linear value decodes back to within half its segment's step.
  for (int s = -32124; s <= 32124; s += 7) {
    const int decoded = MuLawCodec::Decode(test::MuLawEncode(static_cast<int16_t>(s)));
    const int magnitude = std::abs(s) + 132;
    int step = 8;
    while ((256 * step / 8) <= magnitude && step < 1024) step *= 2;
    EXPECT_LE(std::abs(decoded - s), step) << s;
  }
}

TEST(MuLawCodecTest, SymmetricAndMonotonicWithDoublingSteps) {
  for (int code = 0; code < 128; ++code) {
    const int negative = MuLawCodec::Decode(static_cast<uint8_t>(code));
    const int positive = MuLawCodec::Decode(static_cast<uint8_t>(code | 0x80));
    EXPECT_EQ(negative, -positive) << code;
  }
  // Descending codes 0xFF..0x80 climb through eight segments of sixteen
  // steps, each segment's step twice the previous one's.
  for (int segment = 0; segment < 8; ++segment) {
    for (int step = 0; step < 15; ++step) {
      const int code = 0xFF - segment * 16 - step;
      const int difference =
          MuLawCodec::Decode(static_cast<uint8_t>(code - 1)) - MuLawCodec::Decode(static_cast<uint8_t>(code));
      EXPECT_EQ(difference, 8 << segment) << code;
    }
  }
}

}  // namespace
}  // namespace plimo
