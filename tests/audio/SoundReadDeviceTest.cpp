// The microphone side of the audio source, on a sound card whose capture
// reads a raw file: exact bytes through the ring of 3 ms buffers.

#include <gtest/gtest.h>

#include "audio/SoundRead.h"
#include "support/AllocationCounter.h"
#include "support/SoundEnvironment.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"
#include "support/WaveBuffers.h"

namespace plimo::test {
namespace {

// A 16-bit ramp that never repeats within a test.
std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(i * 7 - 20000);
  return samples;
}

constexpr size_t kInputSamples = 200000;

class SoundReadOnFileCard : public ::testing::Test {
 protected:
  SoundReadOnFileCard() : input(Ramp(kInputSamples)), card(LittleEndianBytes(input)) {}
  std::vector<int16_t> input;
  FileSoundCard card;
};

TEST_F(SoundReadOnFileCard, OpensFortyTwoBuffersOfThreeMillisecondsAndStartsRecording) {
  SoundRead source;
  source.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  EXPECT_EQ(source.Mode(), kSoundModeDevice);
  EXPECT_EQ(source.IsOpen(), 1);
  EXPECT_EQ(source.BufferCount(), 42);
  EXPECT_EQ(source.BufferBytes(), 96);
  ASSERT_EQ(source.Buffers().size(), 42u);
  // Open already: nothing changes.
  EXPECT_EQ(source.OpenDevice(20, 10), SoundResult::kSoundOk);
  EXPECT_EQ(source.BufferCount(), 42);
  EXPECT_EQ(source.Close(), SoundResult::kSoundDone);
  EXPECT_EQ(source.Mode(), kSoundModeClosed);
  EXPECT_TRUE(source.Buffers().empty());
}

TEST_F(SoundReadOnFileCard, QueueLengthsFollowTheMinimumTotalAndBufferCount) {
  SoundRead ten;
  ten.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(ten.OpenDevice(20, 10), SoundResult::kSoundOk);
  EXPECT_EQ(ten.BufferCount(), 12);  // 128 / 10
  EXPECT_EQ(ten.BufferBytes(), 320);
  EXPECT_EQ(ten.Close(), SoundResult::kSoundDone);

  SoundRead forty;
  forty.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(forty.OpenDevice(128, 40), SoundResult::kSoundOk);
  EXPECT_EQ(forty.BufferCount(), 5);  // 3 would be too few
  EXPECT_EQ(forty.Close(), SoundResult::kSoundDone);

  // Without a format the microphone runs at 16000 Hz, 16-bit mono.
  SoundRead unset;
  ASSERT_EQ(unset.OpenDevice(128, 3), SoundResult::kSoundOk);
  EXPECT_EQ(unset.SampleRate(), 16000);
  EXPECT_EQ(unset.BufferBytes(), 96);
}

TEST_F(SoundReadOnFileCard, ReadsDeliverTheRecordedSamplesInOrderAcrossBuffers) {
  SoundRead source;
  source.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> block(64);
  ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
  EXPECT_EQ(block, std::vector<int16_t>(input.begin(), input.begin() + 64));
  // 64 samples: all 48 of the first buffer and 16 of the second, whose
  // other 32 wait at the start of its block; the first went to the back.
  const CaptureBuffer& second = *source.Buffers()[source.FirstBuffer()];
  EXPECT_EQ(second.header.recordedBytes, 64u);
  EXPECT_EQ(SamplesOf(std::vector<uint8_t>(second.data.begin(), second.data.begin() + 64)),
            std::vector<int16_t>(input.begin() + 64, input.begin() + 96));

  // Odd sizes, many times round the ring: still the input, sample for sample.
  std::vector<int16_t> all(input.begin(), input.begin() + 64);
  for (int size : {1, 47, 48, 49, 319, 5000, 3}) {
    std::vector<int16_t> more(static_cast<size_t>(size));
    ASSERT_EQ(source.Read(more.data(), size), SoundResult::kSoundOk);
    all.insert(all.end(), more.begin(), more.end());
  }
  EXPECT_EQ(all, std::vector<int16_t>(input.begin(), input.begin() + all.size()));
}

TEST_F(SoundReadOnFileCard, EightBitCaptureArrivesAsSixteenBitSamples) {
  // The card's capture bytes are the ramp's bytes; read as 8-bit, each byte
  // is one sample.
  const std::vector<uint8_t> bytes = LittleEndianBytes(input);
  SoundRead eight;
  eight.SetFormat(8000, 8, 1, kWavPcm);
  ASSERT_EQ(eight.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> got(100);
  ASSERT_EQ(eight.Read(got.data(), 100), SoundResult::kSoundOk);
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], (bytes[i] - 128) * 256) << i;
}

TEST_F(SoundReadOnFileCard, SteadyReadingAllocatesNothing) {
  SoundRead source;
  source.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> block(64);
  ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
  const long before = AllocationCount();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
  EXPECT_EQ(AllocationCount(), before);
}

TEST_F(SoundReadOnFileCard, ADeviceAndAFileExcludeEachOther) {
  TempDir dir;
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 16000, 16, Ramp(100)));
  SoundRead source;
  ASSERT_EQ(source.OpenFile(wav), SoundResult::kSoundOk);
  EXPECT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundFailed);
  EXPECT_EQ(source.Close(), SoundResult::kSoundDone);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> block(10);
  EXPECT_EQ(source.ReadFile(block.data(), 10), -1);
}

TEST(SoundReadWithoutSoundCard, OpenDeviceFailsAndReadsFail) {
  NoSoundCard none;
  SoundRead source;
  source.SetFormat(16000, 16, 1, kWavPcm);
  EXPECT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundFailed);
  EXPECT_EQ(source.Mode(), kSoundModeClosed);
  EXPECT_TRUE(source.Buffers().empty());
  int16_t sample = 0;
  EXPECT_EQ(source.Read(&sample, 1), SoundResult::kSoundFailed);
  source.RequestStop();
  // A stop lasts until the next open.
  EXPECT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundFailed);
  EXPECT_FALSE(source.StopRequested());
}

TEST(SoundReadFormats, BuffersTooShortForAFrameOrNoLengthAreRefused) {
  FileSoundCard card(std::vector<uint8_t>(1000));
  SoundRead zero;
  zero.SetFormat(16000, 16, 1, kWavPcm);
  EXPECT_EQ(zero.OpenDevice(128, 0), SoundResult::kSoundFailed);
  SoundRead wide;
  wide.SetFormat(16000, 24, 1, kWavPcm);  // no device carries 24 bits here
  EXPECT_EQ(wide.OpenDevice(128, 3), SoundResult::kSoundFailed);
  EXPECT_EQ(wide.Mode(), kSoundModeClosed);
}

}  // namespace
}  // namespace plimo::test
