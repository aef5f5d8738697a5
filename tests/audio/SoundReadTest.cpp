// The file side of the audio source: formats taken from the file, samples
// delivered with the channels interleaved, exact and partial reads, and
// what happens at the end of the data.

#include "audio/SoundRead.h"

#include <gtest/gtest.h>

#include "support/AllocationCounter.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo::test {
namespace {

class SoundReadTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()) << "no temporary folder"; }

  std::string WriteWav(const std::vector<uint8_t>& bytes) { return dir.Write("in.wav", bytes); }

  // Every sample ReadFile delivers, in blocks of the given size.
  static std::vector<int16_t> ReadAll(SoundRead& source, int block) {
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(static_cast<size_t>(block));
    for (;;) {
      const int got = source.ReadFile(buffer.data(), block);
      EXPECT_GE(got, 0);
      if (got <= 0) break;
      all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    return all;
  }

  TempDir dir;
};

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(static_cast<int>(i * 131 % 65536) - 32768);
  return samples;
}

TEST_F(SoundReadTest, ConstructedClosedWithSixteenBitMonoAndNoRate) {
  SoundRead source;
  EXPECT_EQ(source.Mode(), kSoundModeClosed);
  EXPECT_EQ(source.IsOpen(), 0);
  EXPECT_EQ(source.SampleRate(), -1);
  EXPECT_EQ(source.BitsPerSample(), 16);
  EXPECT_EQ(source.Channels(), 1);
  int16_t sample = 0;
  EXPECT_EQ(source.Read(&sample, 1), SoundResult::kSoundFailed);
  EXPECT_EQ(source.ReadFile(&sample, 1), -1);
}

TEST_F(SoundReadTest, StereoFileDeliversBothChannelsInterleavedThenZero) {
  const auto stereo = Ramp(2000);  // 1000 frames
  const std::string path = WriteWav(MakeWav(kWavPcm, 2, 22050, 16, stereo));
  SoundRead source;
  ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
  EXPECT_EQ(source.Mode(), kSoundModeFile);
  EXPECT_EQ(source.IsOpen(), 1);
  EXPECT_TRUE(source.FormatFromFile());
  EXPECT_EQ(source.Channels(), 2);
  EXPECT_EQ(source.SampleRate(), 22050);
  EXPECT_EQ(source.BytesPerSecond(), 22050u * 4);
  EXPECT_EQ(source.DataStart(), 44);
  EXPECT_EQ(ReadAll(source, 333), stereo);
  int16_t sample = 0;
  EXPECT_EQ(source.ReadFile(&sample, 1), 0);
}

TEST_F(SoundReadTest, MuLawFileIsDecodedToLinearSamples) {
  // Codes straight from the G.711 table: silence, the two extremes.
  const std::vector<uint8_t> codes = {0xFF, 0x00, 0x80, 0x7F};
  const std::string path = WriteWav(WavBuilder().Fmt(kWavMuLaw, 1, 8000, 8).Data(codes).Bytes());
  SoundRead source;
  ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
  EXPECT_EQ(source.FormatTag(), kWaveFormatMuLaw);
  EXPECT_EQ(source.BitsPerSample(), 8);
  int16_t samples[4] = {};
  ASSERT_EQ(source.Read(samples, 4), SoundResult::kSoundOk);
  EXPECT_EQ(samples[0], 0);
  EXPECT_EQ(samples[1], -32124);
  EXPECT_EQ(samples[2], 32124);
  EXPECT_EQ(samples[3], 0);
}

TEST_F(SoundReadTest, EightAndTwentyFourBitSamplesAreWidenedLikeTheFileReader) {
  {
    const std::string path = WriteWav(WavBuilder().Fmt(kWavPcm, 1, 8000, 8).Data({128, 255, 0}).Bytes());
    SoundRead source;
    ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
    int16_t samples[3] = {};
    ASSERT_EQ(source.Read(samples, 3), SoundResult::kSoundOk);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], 32512);
    EXPECT_EQ(samples[2], -32768);
  }
  {
    const std::string path =
        WriteWav(WavBuilder().Fmt(kWavPcm, 1, 8000, 24).Data(Encode24({0x7FFFFF, 0x800000, 0})).Bytes());
    SoundRead source;
    ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
    int16_t samples[3] = {};
    ASSERT_EQ(source.ReadFile(samples, 3), 3);
    EXPECT_EQ(samples[0], 32766);
    EXPECT_EQ(samples[1], -32767);
    EXPECT_EQ(samples[2], 0);
  }
}

// Requests far larger than the internal block pass through in pieces; a
// 3-byte sample must never straddle two pieces.
TEST_F(SoundReadTest, LongTwentyFourBitRequestArrivesWhole) {
  std::vector<int16_t> expected(100000);
  std::vector<int32_t> raw(expected.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    expected[i] = static_cast<int16_t>(static_cast<int>(i * 7 % 60000) - 30000);
    raw[i] = expected[i] * 256;  // the sample in the upper two bytes
  }
  const std::string path = WriteWav(WavBuilder().Fmt(kWavPcm, 1, 16000, 24).Data(Encode24(raw)).Bytes());
  SoundRead source;
  ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
  std::vector<int16_t> got(expected.size());
  ASSERT_EQ(source.Read(got.data(), static_cast<int>(got.size())), SoundResult::kSoundOk);
  // 16-bit values scaled by 32767/32768 on the way through 32 bits.
  for (size_t i = 0; i < got.size(); i += 997) {
    EXPECT_NEAR(got[i], expected[i], 1) << "sample " << i;
  }
}

TEST_F(SoundReadTest, ReadIsAllOrNothingWhileReadFileDeliversTheRest) {
  const auto mono = Ramp(100);
  const std::string path = WriteWav(MakeWav(kWavPcm, 1, 16000, 16, mono));
  SoundRead source;
  ASSERT_EQ(source.OpenFile(path), SoundResult::kSoundOk);
  std::vector<int16_t> block(64);
  ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
  EXPECT_EQ(std::vector<int16_t>(block.begin(), block.end()),
            std::vector<int16_t>(mono.begin(), mono.begin() + 64));
  EXPECT_EQ(source.Read(block.data(), 64), SoundResult::kSoundFailed);  // only 36 were left

  SoundRead again;
  ASSERT_EQ(again.OpenFile(path), SoundResult::kSoundOk);
  ASSERT_EQ(again.ReadFile(block.data(), 64), 64);
  ASSERT_EQ(again.ReadFile(block.data(), 64), 36);
  EXPECT_EQ(block[35], mono[99]);
  EXPECT_EQ(again.ReadFile(block.data(), 64), 0);
}

TEST_F(SoundReadTest, EngineReadsMonoThroughTheSourceFile) {
  std::vector<int16_t> stereo;
  for (int i = 0; i < 50; ++i) stereo.insert(stereo.end(), {static_cast<int16_t>(100 * i), 0});
  SoundRead source;
  ASSERT_EQ(source.OpenFile(WriteWav(MakeWav(kWavPcm, 2, 8000, 16, stereo))), SoundResult::kSoundOk);
  ASSERT_NE(source.SourceFile(), nullptr);
  int16_t mono[50] = {};
  ASSERT_EQ(source.SourceFile()->Read(mono, 50), 50);
  EXPECT_EQ(mono[49], 100 * 49 / 2);
}

TEST_F(SoundReadTest, FileFormatIsLockedUntilClose) {
  SoundRead source;
  ASSERT_EQ(source.OpenFile(WriteWav(MakeWav(kWavPcm, 1, 11025, 16, Ramp(10)))), SoundResult::kSoundOk);
  source.SetFormat(48000, 8, 2, kWavPcm);
  EXPECT_EQ(source.SampleRate(), 11025);
  EXPECT_EQ(source.BitsPerSample(), 16);
  EXPECT_EQ(source.Channels(), 1);

  EXPECT_EQ(source.Close(), SoundResult::kSoundDone);
  EXPECT_EQ(source.Mode(), kSoundModeClosed);
  EXPECT_EQ(source.SourceFile(), nullptr);
  EXPECT_EQ(source.SampleRate(), 11025);  // the format outlives the file
  source.SetFormat(48000, 16, 2, kWavMuLaw);
  EXPECT_EQ(source.SampleRate(), 48000);
  EXPECT_EQ(source.Channels(), 2);
  EXPECT_EQ(source.FormatTag(), kWaveFormatPcm);  // 16-bit µ-law is already linear
  EXPECT_EQ(source.BytesPerSecond(), 48000u * 4);
}

TEST_F(SoundReadTest, UnreadableFilesAreRefusedAndLeaveTheSourceClosed) {
  SoundRead source;
  EXPECT_EQ(source.OpenFile(dir.Path("missing.wav")), SoundResult::kSoundFailed);
  EXPECT_EQ(source.OpenFile(dir.Root()), SoundResult::kSoundFailed);
  EXPECT_EQ(source.OpenFile(dir.Write("text.wav", {'h', 'e', 'l', 'l', 'o'})), SoundResult::kSoundFailed);
  EXPECT_EQ(source.IsOpen(), 0);

  // A failed open after a good one does not leave the old file half-held.
  ASSERT_EQ(source.OpenFile(WriteWav(MakeWav(kWavPcm, 1, 8000, 16, Ramp(10)))), SoundResult::kSoundOk);
  EXPECT_EQ(source.OpenFile(dir.Path("missing.wav")), SoundResult::kSoundFailed);
  EXPECT_EQ(source.IsOpen(), 0);
  int16_t sample = 0;
  EXPECT_EQ(source.Read(&sample, 1), SoundResult::kSoundFailed);
}

TEST_F(SoundReadTest, ReadingBlocksAllocatesNothing) {
  SoundRead source;
  ASSERT_EQ(source.OpenFile(WriteWav(MakeWav(kWavPcm, 1, 16000, 16, Ramp(20000)))), SoundResult::kSoundOk);
  std::vector<int16_t> block(319);
  const long before = AllocationCount();
  for (int i = 0; i < 30; ++i) ASSERT_EQ(source.Read(block.data(), 319), SoundResult::kSoundOk);
  for (int i = 0; i < 30; ++i) ASSERT_EQ(source.ReadFile(block.data(), 319), 319);
  EXPECT_EQ(AllocationCount(), before);
}

}  // namespace
}  // namespace plimo::test
