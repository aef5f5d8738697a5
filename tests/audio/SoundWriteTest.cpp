// The file side of the audio sink: the header written at open and again at
// shutdown, the samples on disk, and that no failure passes for success.

#include "audio/SoundWrite.h"

#include <gtest/gtest.h>

#include "support/AllocationCounter.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo::test {
namespace {

class SoundWriteTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()) << "no temporary folder"; }
  TempDir dir;
};

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(static_cast<int>(i * 89 % 65536) - 32768);
  return samples;
}

TEST_F(SoundWriteTest, ThousandMonoSamplesMakeA2044ByteFile) {
  const std::string path = dir.Path("rec.wav");
  const auto samples = Ramp(1000);
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(path), SoundResult::kSoundOk);
  EXPECT_EQ(sink.IsOpen(), 1);
  EXPECT_EQ(sink.Mode(), kSoundModeFile);
  // While open the header still says 0 bytes: a reader sees an empty file.
  ASSERT_EQ(sink.Write(samples.data(), 640), SoundResult::kSoundOk);
  ASSERT_EQ(sink.Write(samples.data() + 640, 360), SoundResult::kSoundOk);
  EXPECT_EQ(sink.DataBytes(), 2000u);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
  EXPECT_EQ(sink.IsOpen(), 0);

  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 2044u);
  EXPECT_EQ(ReadLittle32(bytes, 4), 2036u);
  EXPECT_EQ(ReadLittle32(bytes, 40), 2000u);
  EXPECT_EQ(bytes, MakeWav(kWavPcm, 1, 16000, 16, samples));
}

TEST_F(SoundWriteTest, StereoSamplesAreWrittenAsGivenUnderAStereoHeader) {
  const std::string path = dir.Path("stereo.wav");
  const auto interleaved = Ramp(600);
  SoundWrite sink;
  sink.SetFormat(44100, 16, 2, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(path), SoundResult::kSoundOk);
  ASSERT_EQ(sink.Write(interleaved.data(), 600), SoundResult::kSoundOk);
  ASSERT_EQ(sink.Close(), SoundResult::kSoundDone);
  const auto bytes = ReadBytes(path);
  EXPECT_EQ(bytes, MakeWav(kWavPcm, 2, 44100, 16, interleaved));
  EXPECT_EQ(ReadLittle32(bytes, 28), 44100u * 4);
}

TEST_F(SoundWriteTest, LongWritesPassThroughInPiecesWithoutAllocating) {
  const std::string path = dir.Path("long.wav");
  const auto samples = Ramp(200000);  // several internal blocks
  SoundWrite sink;
  sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(path), SoundResult::kSoundOk);
  const long before = AllocationCount();
  ASSERT_EQ(sink.Write(samples.data(), 200000), SoundResult::kSoundOk);
  EXPECT_EQ(AllocationCount(), before);
  ASSERT_EQ(sink.Close(), SoundResult::kSoundDone);
  EXPECT_EQ(ReadBytes(path), MakeWav(kWavPcm, 1, 8000, 16, samples));
}

TEST_F(SoundWriteTest, ShutdownAndDestructionCompleteTheHeader) {
  const auto samples = Ramp(10);
  {
    SoundWrite sink;
    sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
    ASSERT_EQ(sink.OpenFile(dir.Path("shut.wav")), SoundResult::kSoundOk);
    ASSERT_EQ(sink.Write(samples.data(), 10), SoundResult::kSoundOk);
    EXPECT_EQ(sink.Shutdown(), SoundResult::kSoundDone);
    EXPECT_EQ(sink.Shutdown(), SoundResult::kSoundFailed);  // already closed
  }
  EXPECT_EQ(ReadBytes(dir.Path("shut.wav")), MakeWav(kWavPcm, 1, 8000, 16, samples));
  {
    SoundWrite sink;
    sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
    ASSERT_EQ(sink.OpenFile(dir.Path("dropped.wav")), SoundResult::kSoundOk);
    ASSERT_EQ(sink.Write(samples.data(), 10), SoundResult::kSoundOk);
  }
  EXPECT_EQ(ReadBytes(dir.Path("dropped.wav")), MakeWav(kWavPcm, 1, 8000, 16, samples));
}

TEST_F(SoundWriteTest, ClosedSinkRefusesEverything) {
  SoundWrite sink;
  const int16_t sample = 1;
  EXPECT_EQ(sink.Write(&sample, 1), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.WriteBytes(reinterpret_cast<const uint8_t*>(&sample), 2), -1);
  EXPECT_EQ(sink.Flush(), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.Shutdown(), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundFailed);
}

TEST_F(SoundWriteTest, FilesThatCannotBeCreatedOrDescribedAreRefused) {
  SoundWrite sink;
  // No rate set: the header could not name one.
  EXPECT_EQ(sink.OpenFile(dir.Path("norate.wav")), SoundResult::kSoundFailed);
  sink.SetFormat(16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(sink.OpenFile(dir.Path("no-such-folder/out.wav")), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.OpenFile(dir.Root()), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.IsOpen(), 0);

  ASSERT_EQ(sink.OpenFile(dir.Path("once.wav")), SoundResult::kSoundOk);
  EXPECT_EQ(sink.OpenFile(dir.Path("twice.wav")), SoundResult::kSoundFailed);  // the open file is kept
  sink.SetFormat(8000, 16, 2, kWaveFormatPcm);                                 // ignored while open
  EXPECT_EQ(sink.SampleRate(), 16000);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
}

TEST_F(SoundWriteTest, AFullDiskMakesCloseFail) {
  const auto samples = Ramp(40000);
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile("/dev/full"), SoundResult::kSoundOk);
  // Buffered bytes may fail at the write or only when pushed out; either
  // way the failure must surface by the time the sink is closed.
  const SoundResult written = sink.Write(samples.data(), 40000);
  const SoundResult closed = sink.Close();
  EXPECT_TRUE(written == SoundResult::kSoundFailed || closed == SoundResult::kSoundFailed);
  EXPECT_EQ(closed, SoundResult::kSoundFailed);
  EXPECT_EQ(sink.IsOpen(), 0);
}

TEST_F(SoundWriteTest, OnlySixteenBitSamplesCanBeWritten) {
  SoundWrite sink;
  sink.SetFormat(8000, 8, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(dir.Path("eight.wav")), SoundResult::kSoundOk);
  const int16_t sample = 1000;
  EXPECT_EQ(sink.Write(&sample, 1), SoundResult::kSoundFailed);
  const uint8_t raw[2] = {128, 200};
  EXPECT_EQ(sink.WriteBytes(raw, 2), 2);  // raw bytes are the caller's business
  ASSERT_EQ(sink.Close(), SoundResult::kSoundDone);
  EXPECT_EQ(ReadBytes(dir.Path("eight.wav")), WavBuilder().Fmt(kWavPcm, 1, 8000, 8).Data({128, 200}).Bytes());
}

}  // namespace
}  // namespace plimo::test
