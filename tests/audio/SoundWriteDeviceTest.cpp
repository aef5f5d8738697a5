// The speaker side of the audio sink and PlayFile, on a sound card whose
// playback goes to a raw file: the queue's buffers and exact bytes.

#include <gtest/gtest.h>

#include "audio/SoundWrite.h"
#include "support/AllocationCounter.h"
#include "support/SoundEnvironment.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"
#include "support/WaveBuffers.h"

namespace plimo::test {
namespace {

std::vector<int16_t> Ramp(size_t n, int step = 7) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(i * step - 20000);
  return samples;
}

class SoundWriteOnFileCard : public ::testing::Test {
 protected:
  SoundWriteOnFileCard() : card(std::vector<uint8_t>(1000)) {}
  FileSoundCard card;
};

TEST_F(SoundWriteOnFileCard, ThePreRollCollectsTwoHundredFiftyMillisecondsBeforeSending) {
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  EXPECT_EQ(sink.MaxQueuedMs(), 300);
  const std::vector<int16_t> block = Ramp(64);
  // 62 writes of 128 bytes collect 7936 bytes in one unsent buffer.
  for (int i = 0; i < 62; ++i) ASSERT_EQ(sink.Write(block.data(), 64), SoundResult::kSoundOk);
  ASSERT_EQ(sink.Buffers().Size(), 1u);
  EXPECT_FALSE(sink.Buffers().Back().Sent());
  EXPECT_EQ(sink.Buffers().Back().data.size(), 7936u);
  // The 63rd makes 8064 bytes, at least the 8000 of 250 ms: sent.
  ASSERT_EQ(sink.Write(block.data(), 64), SoundResult::kSoundOk);
  EXPECT_TRUE(sink.Buffers().Back().Sent());
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
}

TEST_F(SoundWriteOnFileCard, EverythingWrittenIsPlayedInOrderOnceClosed) {
  const std::vector<int16_t> samples = Ramp(48000);
  {
    SoundWrite sink;
    sink.SetFormat(16000, 16, 1, kWavPcm);
    ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
    size_t at = 0;
    for (size_t size : {64u, 319u, 1u, 5000u, 20000u, 3u}) {
      ASSERT_EQ(sink.Write(samples.data() + at, static_cast<int>(size)), SoundResult::kSoundOk);
      at += size;
    }
    ASSERT_EQ(sink.Write(samples.data() + at, static_cast<int>(samples.size() - at)), SoundResult::kSoundOk);
    // Flush sends the buffer still collecting and waits until it is heard.
    ASSERT_EQ(sink.Flush(), SoundResult::kSoundDone);
    EXPECT_TRUE(sink.Buffers().Empty());
    EXPECT_EQ(sink.QueuedBytes(), 0);
    EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
    EXPECT_EQ(sink.IsOpen(), 0);
  }
  EXPECT_EQ(card.Played(), LittleEndianBytes(samples));
}

TEST_F(SoundWriteOnFileCard, ShutdownDiscardsWhatWasNotSent) {
  {
    SoundWrite sink;
    sink.SetFormat(16000, 16, 1, kWavPcm);
    ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
    const std::vector<int16_t> samples = Ramp(1000);
    ASSERT_EQ(sink.Write(samples.data(), 1000), SoundResult::kSoundOk);
    EXPECT_EQ(sink.Shutdown(), SoundResult::kSoundDone);
    EXPECT_EQ(sink.Mode(), kSoundModeClosed);
    EXPECT_EQ(sink.Flush(), SoundResult::kSoundFailed);
    EXPECT_EQ(sink.Write(samples.data(), 1), SoundResult::kSoundFailed);
  }
  EXPECT_TRUE(card.Played().empty());
}

TEST_F(SoundWriteOnFileCard, SteadyWritingAllocatesNothing) {
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  const std::vector<int16_t> block = Ramp(319);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(sink.Write(block.data(), 319), SoundResult::kSoundOk);
  const long before = AllocationCount();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(sink.Write(block.data(), 319), SoundResult::kSoundOk);
  // Played out, the next write starts a lone buffer that collects 250 ms.
  ASSERT_EQ(sink.Flush(), SoundResult::kSoundDone);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(sink.Write(block.data(), 319), SoundResult::kSoundOk);
  EXPECT_EQ(AllocationCount(), before);
}

TEST_F(SoundWriteOnFileCard, ADeviceAndAFileExcludeEachOther) {
  TempDir dir;
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenFile(dir.Path("out.wav")), SoundResult::kSoundOk);
  EXPECT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  EXPECT_EQ(sink.OpenDevice(128, 3), SoundResult::kSoundOk);
  EXPECT_EQ(sink.BufferMs(), 5);
}

TEST_F(SoundWriteOnFileCard, PlayFilePlaysTheFileInItsOwnFormat) {
  TempDir dir;
  // Stereo at 22050 Hz, 1.5 blocks of 20 ms past a whole number of them.
  const std::vector<int16_t> interleaved = Ramp(2 * (22050 / 50) * 7 + 2 * 300, 3);
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 2, 22050, 16, interleaved));
  SoundWrite sink;
  ASSERT_EQ(sink.PlayFile(wav, false), PlayResult::kPlayFilePlayed);
  EXPECT_EQ(sink.IsOpen(), 0);
  EXPECT_TRUE(sink.Idle());
  EXPECT_EQ(sink.Channels(), 2);
  EXPECT_EQ(sink.SampleRate(), 22050);
  EXPECT_EQ(card.Played(), LittleEndianBytes(interleaved));
}

TEST_F(SoundWriteOnFileCard, PlayFileWidensEightBitSamplesAndEndsOnAWholeNumberOfBlocks) {
  TempDir dir;
  const std::vector<int16_t> samples = Ramp(8000 / 50 * 10, 200);  // exactly 10 blocks
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 8000, 8, samples));
  SoundWrite sink;
  ASSERT_EQ(sink.PlayFile(wav, false), PlayResult::kPlayFilePlayed);
  const std::vector<int16_t> played = SamplesOf(card.Played());
  ASSERT_EQ(played.size(), samples.size());
  // 8-bit keeps the top byte of each sample.
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(played[i], static_cast<int16_t>(static_cast<uint16_t>(samples[i]) & 0xff00)) << i;
  }
}

TEST_F(SoundWriteOnFileCard, PlayFileOfAnUnreadableFileFailsAndStaysIdle) {
  TempDir dir;
  const std::string junk = dir.Write("junk.wav", std::vector<uint8_t>(100, 7));
  SoundWrite sink;
  EXPECT_EQ(sink.PlayFile(junk, false), PlayResult::kPlayFileUnreadable);
  EXPECT_EQ(sink.PlayFile(dir.Path("missing.wav"), false), PlayResult::kPlayFileUnreadable);
  EXPECT_TRUE(sink.Idle());
  EXPECT_EQ(sink.IsOpen(), 0);
}

TEST(SoundWriteWithoutSoundCard, OpenDeviceFailsAndPlayFileFailsWithoutHanging) {
  NoSoundCard none;
  TempDir dir;
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 16000, 16, Ramp(16000)));
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWavPcm);
  EXPECT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundFailed);
  const std::vector<int16_t> block = Ramp(64);
  EXPECT_EQ(sink.Write(block.data(), 64), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.PlayFile(wav, false), PlayResult::kPlaySpeakerUnavailable);
  EXPECT_TRUE(sink.Idle());
}

}  // namespace
}  // namespace plimo::test
