// Reading samples: every stored format arrives as 16-bit mono with the
// documented conversions, in any block size, without allocating per call.

#include <cmath>
#include <numbers>

#include "WavFileFixture.h"
#include "support/AllocationCounter.h"

namespace plimo::test {
namespace {

using SoundFileConversionTest = WavFileTest;

TEST_F(SoundFileConversionTest, EightBitPcmIsCentredAndScaled) {
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 1, 8000, 8).Data({128, 255, 0, 129, 127}).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(ReadAll(*file, 16), (std::vector<int16_t>{0, 32512, -32768, 256, -256}));
}

TEST_F(SoundFileConversionTest, MuLawIsDecodedByG711) {
  std::vector<uint8_t> codes(256);
  for (int i = 0; i < 256; ++i) codes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  auto file = OpenBytes(WavBuilder().Fmt(kWavMuLaw, 1, 8000, 8).Data(codes).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  const auto samples = ReadAll(*file, 100);
  ASSERT_EQ(samples.size(), 256u);
  EXPECT_EQ(samples[0xFF], 0);
  EXPECT_EQ(samples[0x00], -32124);
  EXPECT_EQ(samples[0x80], 32124);
  // Each decoded value encodes back to its code (0x7F is the negative zero).
  for (int code = 0; code < 256; ++code) {
    if (code == 0x7F) continue;
    EXPECT_EQ(MuLawEncode(samples[static_cast<size_t>(code)]), code) << code;
  }
}

TEST_F(SoundFileConversionTest, SixteenBitIsDeliveredAsStored) {
  std::vector<int16_t> all(65536);
  for (int i = 0; i < 65536; ++i) all[static_cast<size_t>(i)] = static_cast<int16_t>(i - 32768);
  auto file = OpenBytes(MakeWav(kWavPcm, 1, 48000, 16, all));
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(ReadAll(*file, 1000), all);
}

TEST_F(SoundFileConversionTest, TwentyFourBitIsScaledToFullRange) {
  const std::vector<int32_t> stored = {0x7FFFFF, 0x800000, 0, 0x000100, 0x400000, 0xFFFFFF, 0x7FFF00};
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 1, 96000, 24).Data(Encode24(stored)).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  const auto samples = ReadAll(*file, 3);
  ASSERT_EQ(samples.size(), stored.size());
  EXPECT_EQ(samples[0], 32766);
  EXPECT_EQ(samples[1], -32767);
  EXPECT_EQ(samples[2], 0);
  EXPECT_EQ(samples[3], 0);      // 65536 * 32767 / (2^31 - 1) is just below 1
  EXPECT_EQ(samples[4], 16383);  // half scale
  EXPECT_EQ(samples[5], 0);      // -256 scaled is just above -1
  EXPECT_EQ(samples[6], 32766);
  // Everywhere, the result is the truncated exact scaling.
  for (size_t i = 0; i < stored.size(); ++i) {
    const int32_t s24 = stored[i] >= 0x800000 ? stored[i] - 0x1000000 : stored[i];
    EXPECT_EQ(samples[i], static_cast<int16_t>(std::trunc(s24 * 256.0 * 32767.0 / 2147483647.0)));
  }
}

TEST_F(SoundFileConversionTest, ChannelsAreAveragedPerFrame) {
  const std::vector<int16_t> stereo = {1000, 3000, -3, 0, 32767, 32767, -32768, -32768, 5, -5, 7, 8};
  auto file = OpenBytes(MakeWav(kWavPcm, 2, 44100, 16, stereo));
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  ASSERT_EQ(file->FrameCount(), 6);
  // Each channel is divided (truncating) before the sum.
  EXPECT_EQ(ReadAll(*file, 4), (std::vector<int16_t>{2000, -1, 32766, -32768, 0, 7}));
}

TEST_F(SoundFileConversionTest, ManyChannelsStayInRange) {
  // Dividing before summing: three channels of 1 mix to 0, three at the
  // negative limit to -32766, and nothing can overflow.
  const std::vector<int16_t> three = {1, 1, 1, -32768, -32768, -32768, 32767, 32767, 32767};
  for (uint16_t bits : {8, 16, 24}) {
    auto file = OpenBytes(MakeWav(kWavPcm, 3, 16000, bits, three));
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading) << bits;
    const auto mono = ReadAll(*file, 2);
    ASSERT_EQ(mono.size(), 3u);
    EXPECT_EQ(mono[0], 0) << bits;
    EXPECT_EQ(mono[1], -32766) << bits;
    EXPECT_GT(mono[2], 32500) << bits;
    EXPECT_LE(mono[2], 32766) << bits;
  }
}

TEST_F(SoundFileConversionTest, EveryFormatCarriesTheSameToneWithinItsPrecision) {
  std::vector<int16_t> tone(800);
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = static_cast<int16_t>(
        std::lround(20000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(i) / 16000.0)));
  }
  struct Format {
    uint16_t tag;
    uint16_t bits;
    int tolerance;
  };
  for (Format f : {Format{kWavPcm, 16, 0}, Format{kWavPcm, 24, 1}, Format{kWavPcm, 8, 256},
                   Format{kWavMuLaw, 8, 1024}}) {
    auto file = OpenBytes(MakeWav(f.tag, 1, 16000, f.bits, tone));
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
    const auto read = ReadAll(*file, 319);
    ASSERT_EQ(read.size(), tone.size());
    for (size_t i = 0; i < tone.size(); ++i) {
      ASSERT_LE(std::abs(read[i] - tone[i]), f.tolerance)
          << "tag " << f.tag << " bits " << f.bits << " at " << i;
    }
  }
}

using SoundFileReadTest = WavFileTest;

TEST_F(SoundFileReadTest, BlockSizeDoesNotChangeTheSamples) {
  // Long enough that one read spans several 64 KiB conversion pieces.
  std::vector<int16_t> stereo(2 * 100003);
  for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<int16_t>((i * 7919) % 65536 - 32768);
  const auto bytes = MakeWav(kWavPcm, 2, 48000, 24, stereo);
  auto whole = OpenBytes(bytes);
  ASSERT_EQ(whole->Status(), SoundFileStatus::kSoundFileReading);
  const auto reference = ReadAll(*whole, 1 << 20);
  ASSERT_EQ(reference.size(), stereo.size() / 2);
  for (int block : {1, 7, 319, 16384, 70001}) {
    auto file = OpenBytes(bytes);
    EXPECT_EQ(ReadAll(*file, block), reference) << block;
  }
}

TEST_F(SoundFileReadTest, ShortCountAtTheEndThenZero) {
  auto file = OpenBytes(MakeWav(kWavPcm, 1, 16000, 16, {1, 2, 3, 4, 5}));
  std::vector<int16_t> buffer(4, -1);
  EXPECT_EQ(file->Read(buffer.data(), 4), 4);
  EXPECT_EQ(file->Read(buffer.data(), 4), 1);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[1], 2);  // untouched beyond the count
  EXPECT_EQ(file->Read(buffer.data(), 4), 0);
  EXPECT_EQ(file->Read(buffer.data(), 0), 0);
  EXPECT_EQ(file->Read(buffer.data(), -3), 0);
}

TEST_F(SoundFileReadTest, ReadOnlyWhileOpenForReading) {
  auto file = OpenBytes(MakeWav(kWavPcm, 1, 16000, 16, {1, 2, 3}));
  int16_t sample = 0;
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileClosed);
  EXPECT_EQ(file->Stream(), nullptr);
  EXPECT_EQ(file->Read(&sample, 1), -1);
  auto writing = SoundFile::CreateForWriting(dir.Path("out.wav"), 16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(writing->Read(&sample, 1), -1);
}

TEST_F(SoundFileReadTest, ReadingAllocatesNothingPerCall) {
  std::vector<int16_t> stereo(2 * 200000, 1234);
  auto file = OpenBytes(MakeWav(kWavPcm, 2, 16000, 16, stereo));
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  std::vector<int16_t> buffer(150000);
  const long before = AllocationCount();
  EXPECT_EQ(file->Read(buffer.data(), 319), 319);
  EXPECT_EQ(file->Read(buffer.data(), 150000), 150000);
  int got = 0;
  while ((got = file->Read(buffer.data(), 881)) > 0) {
  }
  EXPECT_EQ(AllocationCount(), before);
}

}  // namespace
}  // namespace plimo::test
