// Writing: the bytes on disk, the header sizes, the sample conversions, and
// that no failure is reported as success.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>

#include "WavFileFixture.h"

namespace plimo::test {
namespace {

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(static_cast<int>(i * 97 % 65536) - 32768);
  return samples;
}

using SoundFileWriteTest = WavFileTest;

TEST_F(SoundFileWriteTest, StereoFileHasExactHeaderAndCopiesMonoToBothChannels) {
  const std::string path = dir.Path("out.wav");
  const auto mono = Ramp(1000);
  auto file = SoundFile::CreateForWriting(path, 22050, 16, 2, kWaveFormatPcm);
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileWriting);
  EXPECT_EQ(file->Write(mono.data(), 600), 600);
  EXPECT_EQ(file->Write(mono.data() + 600, 400), 400);
  EXPECT_EQ(file->FrameCount(), 1000);
  EXPECT_EQ(file->ByteCount(), 4044u);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileClosed);

  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 4044u);
  std::vector<int16_t> stereo;
  for (int16_t s : mono) stereo.insert(stereo.end(), {s, s});
  // The independent builder lays out the canonical 44-byte file.
  EXPECT_EQ(bytes, MakeWav(kWavPcm, 2, 22050, 16, stereo));
  EXPECT_EQ(ReadLittle32(bytes, 4), 4036u);
  EXPECT_EQ(ReadLittle32(bytes, 40), 4000u);
  EXPECT_EQ(ReadLittle32(bytes, 28), 22050u * 4);
  EXPECT_EQ(ReadLittle16(bytes, 32), 4);
}

TEST_F(SoundFileWriteTest, EightBitKeepsTheTopByteOffsetBy128) {
  const std::string path = dir.Path("out8.wav");
  const std::vector<int16_t> samples = {0, -32768, 32767, -1, 255, 256, -256};
  auto file = SoundFile::CreateForWriting(path, 8000, 8, 1, kWaveFormatPcm);
  ASSERT_EQ(file->Write(samples.data(), static_cast<int>(samples.size())), 7);
  ASSERT_TRUE(file->Close());
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 44u + samples.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 44, bytes.end()),
            (std::vector<uint8_t>{128, 0, 255, 127, 128, 129, 127}));
}

// 24-bit output used to be refused sample by sample, leaving an empty file
// that reported success; it now carries the 16-bit sample in its top bytes.
TEST_F(SoundFileWriteTest, TwentyFourBitIsWrittenAndReadsBack) {
  const std::string path = dir.Path("out24.wav");
  const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 12345, -23456};
  auto file = SoundFile::CreateForWriting(path, 96000, 24, 2, kWaveFormatPcm);
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileWriting);
  EXPECT_EQ(file->BlockAlign(), 6);
  EXPECT_EQ(file->BytesPerSecond(), 576000u);
  ASSERT_EQ(file->Write(samples.data(), static_cast<int>(samples.size())), 7);
  ASSERT_TRUE(file->Close());

  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 44u + 7 * 6);
  EXPECT_EQ(ReadLittle32(bytes, 40), 42u);
  EXPECT_EQ(ReadLittle16(bytes, 34), 24);
  // Frame 3 (32767 in both channels): 00 FF 7F twice.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 44 + 18, bytes.begin() + 44 + 24),
            (std::vector<uint8_t>{0x00, 0xFF, 0x7F, 0x00, 0xFF, 0x7F}));

  auto back = SoundFile::OpenForReading(path);
  ASSERT_EQ(back->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(back->BitsPerSample(), 24);
  const auto read = ReadAll(*back, 3);
  ASSERT_EQ(read.size(), samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    // The reader scales by 32767 / (2^31 - 1), then halves each channel.
    const int scaled = static_cast<int>(std::trunc(samples[i] * 65536.0 * 32767.0 / 2147483647.0));
    EXPECT_EQ(read[i], 2 * (scaled / 2)) << i;
  }
}

TEST_F(SoundFileWriteTest, EveryWidthRoundTripsThroughTheReader) {
  const auto mono = Ramp(5000);
  for (uint16_t bits : {8, 16, 24}) {
    const std::string path = dir.Path("rt" + std::to_string(bits) + ".wav");
    auto out = SoundFile::CreateForWriting(path, 44100, bits, 1, kWaveFormatPcm);
    ASSERT_EQ(out->Write(mono.data(), 5000), 5000);
    ASSERT_TRUE(out->Close());
    auto in = SoundFile::OpenForReading(path);
    ASSERT_EQ(in->Status(), SoundFileStatus::kSoundFileReading) << bits;
    EXPECT_EQ(in->SampleRate(), 44100u);
    EXPECT_EQ(in->FrameCount(), 5000);
    const auto read = ReadAll(*in, 319);
    ASSERT_EQ(read.size(), mono.size());
    for (size_t i = 0; i < mono.size(); ++i) {
      const int expected = bits == 8 ? (mono[i] & ~0xFF) : mono[i];
      ASSERT_LE(std::abs(read[i] - expected), bits == 24 ? 1 : 0) << bits << " at " << i;
    }
  }
}

TEST_F(SoundFileWriteTest, HeaderIsCompleteAfterFinishCloseOrDestruction) {
  const auto mono = Ramp(100);
  const std::string finished = dir.Path("finished.wav");
  {
    auto file = SoundFile::CreateForWriting(finished, 16000, 16, 1, kWaveFormatPcm);
    ASSERT_EQ(file->Write(mono.data(), 50), 50);
    EXPECT_TRUE(file->FinishHeader());
    EXPECT_EQ(ReadLittle32(ReadBytes(finished), 40), 100u);
    // Appending after a finished header continues at the end.
    ASSERT_EQ(file->Write(mono.data() + 50, 50), 50);
  }  // the destructor closes and finishes again
  const auto bytes = ReadBytes(finished);
  ASSERT_EQ(bytes.size(), 244u);
  EXPECT_EQ(ReadLittle32(bytes, 4), 236u);
  EXPECT_EQ(ReadLittle32(bytes, 40), 200u);

  const std::string empty = dir.Path("empty.wav");
  auto file = SoundFile::CreateForWriting(empty, 16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(ReadBytes(empty).size(), 44u);  // the header is on disk at once
  EXPECT_TRUE(file->Close());
  const auto emptyBytes = ReadBytes(empty);
  ASSERT_EQ(emptyBytes.size(), 44u);
  EXPECT_EQ(ReadLittle32(emptyBytes, 4), 36u);
  EXPECT_EQ(ReadLittle32(emptyBytes, 40), 0u);
  EXPECT_EQ(SoundFile::OpenForReading(empty)->Status(), SoundFileStatus::kSoundFileReading);
}

TEST_F(SoundFileWriteTest, WriteOnlyWhileOpenForWriting) {
  const int16_t sample = 5;
  auto file = SoundFile::CreateForWriting(dir.Path("w.wav"), 16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(file->Write(&sample, 0), 0);
  EXPECT_EQ(file->Write(&sample, -1), -1);
  EXPECT_EQ(file->Write(nullptr, 1), -1);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(file->Write(&sample, 1), -1);
  EXPECT_FALSE(file->FinishHeader());
  auto reading = SoundFile::OpenForReading(dir.Path("w.wav"));
  ASSERT_EQ(reading->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(reading->Write(&sample, 1), -1);
}

TEST_F(SoundFileWriteTest, UnwritableLayoutsAreRefusedBeforeCreating) {
  struct Layout {
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    uint16_t tag;
  };
  for (Layout l : {Layout{16000, 12, 1, kWaveFormatPcm}, Layout{16000, 32, 1, kWaveFormatPcm},
                   Layout{16000, 0, 1, kWaveFormatPcm}, Layout{8000, 8, 1, kWaveFormatMuLaw},
                   Layout{16000, 16, 0, kWaveFormatPcm}, Layout{999, 16, 1, kWaveFormatPcm},
                   Layout{768001, 16, 1, kWaveFormatPcm}, Layout{8000, 24, 21846, kWaveFormatPcm}}) {
    const std::string path = dir.Path("refused.wav");
    auto file = SoundFile::CreateForWriting(path, l.rate, l.bits, l.channels, l.tag);
    EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileUnsupported)
        << l.rate << " Hz " << l.bits << " bits " << l.channels;
    EXPECT_EQ(file->Stream(), nullptr);
    struct stat info;
    EXPECT_NE(stat(path.c_str(), &info), 0) << "no file may be left behind";
    const int16_t sample = 0;
    EXPECT_EQ(file->Write(&sample, 1), -1);
  }
}

TEST_F(SoundFileWriteTest, UncreatableNamesGiveStatus4) {
  EXPECT_EQ(SoundFile::CreateForWriting(dir.Root(), 16000, 16, 1, kWaveFormatPcm)->Status(),
            SoundFileStatus::kSoundFileCannotOpen);
  EXPECT_EQ(
      SoundFile::CreateForWriting(dir.Path("no/such/folder.wav"), 16000, 16, 1, kWaveFormatPcm)->Status(),
      SoundFileStatus::kSoundFileCannotOpen);
  EXPECT_EQ(SoundFile::CreateForWriting("", 16000, 16, 1, kWaveFormatPcm)->Status(),
            SoundFileStatus::kSoundFileCannotOpen);
  // A FIFO nobody reads must not block the writer.
  const std::string fifo = dir.Path("fifo.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(SoundFile::CreateForWriting(fifo, 16000, 16, 1, kWaveFormatPcm)->Status(),
            SoundFileStatus::kSoundFileCannotOpen);
}

TEST_F(SoundFileWriteTest, FullDeviceIsAFailureNotASuccess) {
  auto file = SoundFile::CreateForWriting("/dev/full", 16000, 16, 1, kWaveFormatPcm);
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileWriteFailed);
  EXPECT_EQ(file->Stream(), nullptr);
  const int16_t sample = 1;
  EXPECT_EQ(file->Write(&sample, 1), -1);
  EXPECT_FALSE(file->FinishHeader());
  EXPECT_FALSE(file->Close());
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileWriteFailed);
}

// Runs in a child process: the file size limit makes the kernel refuse
// growth beyond 10000 bytes, as a disk that fills up part-way would.
[[noreturn]] void WriteUntilTheDiskIsFull(const std::string& path) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit = {10000, 10000};
  setrlimit(RLIMIT_FSIZE, &limit);
  auto file = SoundFile::CreateForWriting(path, 16000, 16, 1, kWaveFormatPcm);
  const auto mono = Ramp(4000);
  const bool firstOk = file->Write(mono.data(), 1000) == 1000;
  const bool secondFails = file->Write(mono.data(), 4000) == -1;
  const bool statusSaysSo =
      file->Status() == SoundFileStatus::kSoundFileWriteFailed && file->Stream() == nullptr;
  const bool closeFails = !file->Close();
  std::exit(firstOk && secondFails && statusSaysSo && closeFails ? 0 : 1);
}

TEST_F(SoundFileWriteTest, WriteThatHitsAFullDiskFailsAndSaysSo) {
  EXPECT_EXIT(WriteUntilTheDiskIsFull(dir.Path("limited.wav")), ::testing::ExitedWithCode(0), "");
}

TEST_F(SoundFileWriteTest, WriteBeyondWhatARiffHeaderHoldsIsRefusedWhole) {
  const std::string path = dir.Path("huge.wav");
  // 21845 channels of 24 bits: every mono sample costs 65535 bytes.
  auto file = SoundFile::CreateForWriting(path, 8000, 24, 21845, kWaveFormatPcm);
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileWriting);
  const auto mono = Ramp(65537);
  EXPECT_EQ(file->Write(mono.data(), 1), 1);
  EXPECT_EQ(file->Write(mono.data(), 65537), -1);
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileWriting);
  EXPECT_EQ(file->FrameCount(), 1);
  EXPECT_TRUE(file->Close());
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 44u + 65535);
  EXPECT_EQ(ReadLittle32(bytes, 40), 65535u);
}

}  // namespace
}  // namespace plimo::test
