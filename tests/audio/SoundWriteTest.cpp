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
  ASSERT_EQ(sink.OpenFile(path), 1);
  EXPECT_EQ(sink.IsOpen(), 1);
  EXPECT_EQ(sink.mode, kSoundModeFile);
  // While open the header still says 0 bytes: a reader sees an empty file.
  ASSERT_EQ(sink.Write(samples.data(), 640), 1);
  ASSERT_EQ(sink.Write(samples.data() + 640, 360), 1);
  EXPECT_EQ(sink.dataBytes, 2000u);
  EXPECT_EQ(sink.Close(), 0);
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
  ASSERT_EQ(sink.OpenFile(path), 1);
  ASSERT_EQ(sink.Write(interleaved.data(), 600), 1);
  ASSERT_EQ(sink.Close(), 0);
  const auto bytes = ReadBytes(path);
  EXPECT_EQ(bytes, MakeWav(kWavPcm, 2, 44100, 16, interleaved));
  EXPECT_EQ(ReadLittle32(bytes, 28), 44100u * 4);
}

TEST_F(SoundWriteTest, LongWritesPassThroughInPiecesWithoutAllocating) {
  const std::string path = dir.Path("long.wav");
  const auto samples = Ramp(200000);  // several internal blocks
  SoundWrite sink;
  sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(path), 1);
  const long before = AllocationCount();
  ASSERT_EQ(sink.Write(samples.data(), 200000), 1);
  EXPECT_EQ(AllocationCount(), before);
  ASSERT_EQ(sink.Close(), 0);
  EXPECT_EQ(ReadBytes(path), MakeWav(kWavPcm, 1, 8000, 16, samples));
}

TEST_F(SoundWriteTest, ShutdownAndDestructionCompleteTheHeader) {
  const auto samples = Ramp(10);
  {
    SoundWrite sink;
    sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
    ASSERT_EQ(sink.OpenFile(dir.Path("shut.wav")), 1);
    ASSERT_EQ(sink.Write(samples.data(), 10), 1);
    EXPECT_EQ(sink.Shutdown(), 0);
    EXPECT_EQ(sink.Shutdown(), -1);  // already closed
  }
  EXPECT_EQ(ReadBytes(dir.Path("shut.wav")), MakeWav(kWavPcm, 1, 8000, 16, samples));
  {
    SoundWrite sink;
    sink.SetFormat(8000, 16, 1, kWaveFormatPcm);
    ASSERT_EQ(sink.OpenFile(dir.Path("dropped.wav")), 1);
    ASSERT_EQ(sink.Write(samples.data(), 10), 1);
  }
  EXPECT_EQ(ReadBytes(dir.Path("dropped.wav")), MakeWav(kWavPcm, 1, 8000, 16, samples));
}

TEST_F(SoundWriteTest, ClosedSinkRefusesEverything) {
  SoundWrite sink;
  const int16_t sample = 1;
  EXPECT_EQ(sink.Write(&sample, 1), -1);
  EXPECT_EQ(sink.WriteBytes(reinterpret_cast<const uint8_t*>(&sample), 2), -1);
  EXPECT_EQ(sink.Flush(), -1);
  EXPECT_EQ(sink.Close(), -1);
  EXPECT_EQ(sink.Shutdown(), -1);
  EXPECT_EQ(sink.OpenDevice(64, 5), -1);
}

TEST_F(SoundWriteTest, FilesThatCannotBeCreatedOrDescribedAreRefused) {
  SoundWrite sink;
  // No rate set: the header could not name one.
  EXPECT_EQ(sink.OpenFile(dir.Path("norate.wav")), -1);
  sink.SetFormat(16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(sink.OpenFile(dir.Path("no-such-folder/out.wav")), -1);
  EXPECT_EQ(sink.OpenFile(dir.Root()), -1);
  EXPECT_EQ(sink.IsOpen(), 0);

  ASSERT_EQ(sink.OpenFile(dir.Path("once.wav")), 1);
  EXPECT_EQ(sink.OpenFile(dir.Path("twice.wav")), -1);  // the open file is kept
  sink.SetFormat(8000, 16, 2, kWaveFormatPcm);            // ignored while open
  EXPECT_EQ(sink.sampleRate, 16000);
  EXPECT_EQ(sink.Close(), 0);
}

TEST_F(SoundWriteTest, AFullDiskMakesCloseFail) {
  const auto samples = Ramp(40000);
  SoundWrite sink;
  sink.SetFormat(16000, 16, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile("/dev/full"), 1);
  // Buffered bytes may fail at the write or only when pushed out; either
  // way the failure must surface by the time the sink is closed.
  const int written = sink.Write(samples.data(), 40000);
  const int closed = sink.Close();
  EXPECT_TRUE(written == -1 || closed == -1);
  EXPECT_EQ(closed, -1);
  EXPECT_EQ(sink.IsOpen(), 0);
}

TEST_F(SoundWriteTest, OnlySixteenBitSamplesCanBeWritten) {
  SoundWrite sink;
  sink.SetFormat(8000, 8, 1, kWaveFormatPcm);
  ASSERT_EQ(sink.OpenFile(dir.Path("eight.wav")), 1);
  const int16_t sample = 1000;
  EXPECT_EQ(sink.Write(&sample, 1), -1);
  const uint8_t raw[2] = {128, 200};
  EXPECT_EQ(sink.WriteBytes(raw, 2), 2);  // raw bytes are the caller's business
  ASSERT_EQ(sink.Close(), 0);
  EXPECT_EQ(ReadBytes(dir.Path("eight.wav")),
            WavBuilder().Fmt(kWavPcm, 1, 8000, 8).Data({128, 200}).Bytes());
}

}  // namespace
}  // namespace plimo::test
