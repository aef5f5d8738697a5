// Header walk: odd but valid layouts open, broken ones are refused with the
// status that names the fault, and nothing malformed gets further.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "WavFileFixture.h"

namespace plimo::test {
namespace {

const std::vector<int16_t> kRamp = {0, 100, -100, 2000, -2000, 32767, -32768, 7};

using SoundFileOddHeaderTest = WavFileTest;

TEST_F(SoundFileOddHeaderTest, WrongRiffSizeIsIgnored) {
  const WavBuilder wav = WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Data(EncodeSamples(kWavPcm, 16, kRamp));
  const uint32_t length = static_cast<uint32_t>(wav.Bytes().size());
  for (uint32_t riffSize : {0u, length, length + 1000, 0xFFFFFFFFu}) {
    auto file = OpenBytes(wav.BytesWithRiffSize(riffSize));
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading) << "RIFF size " << riffSize;
    EXPECT_EQ(file->ByteCount(), length);
    EXPECT_EQ(ReadAll(*file, 64), kRamp);
  }
}

TEST_F(SoundFileOddHeaderTest, ChunksAroundFmtAreSkipped) {
  const std::vector<uint8_t> list = {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 4, 0, 0, 0, 'x', 'y', 'z', 0};
  const std::vector<uint8_t> fact = {8, 0, 0, 0};
  const auto samples = EncodeSamples(kWavPcm, 16, kRamp);
  const std::vector<std::vector<uint8_t>> layouts = {
      WavBuilder().Chunk("LIST", list).Chunk("fact", fact).Fmt(kWavPcm, 1, 8000, 16).Data(samples).Bytes(),
      WavBuilder().Fmt(kWavPcm, 1, 8000, 16).Chunk("fact", fact).Chunk("LIST", list).Data(samples).Bytes(),
      WavBuilder().Chunk("fact", fact).Fmt(kWavPcm, 1, 8000, 16).Chunk("LIST", list).Data(samples).Bytes(),
  };
  for (const auto& bytes : layouts) {
    auto file = OpenBytes(bytes);
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
    EXPECT_EQ(file->SampleRate(), 8000u);
    EXPECT_EQ(file->FrameCount(), static_cast<int64_t>(kRamp.size()));
    EXPECT_EQ(file->DataStart() + static_cast<int64_t>(samples.size()), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(file->DataSizePosition(), file->DataStart() - 4);
    EXPECT_EQ(ReadAll(*file, 3), kRamp);
  }
}

// Odd chunks are written both with and without the pad byte; both must open.
// The data size 100 has a printable low byte ('d'), which must not be taken
// for the identifier behind a pad that is not there.
TEST_F(SoundFileOddHeaderTest, OddChunksOpenWithAndWithoutPad) {
  std::vector<int16_t> samples(50);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 300 - 7000);
  const auto data = EncodeSamples(kWavPcm, 16, samples);
  ASSERT_EQ(data.size(), 100u);
  const std::vector<uint8_t> odd = {'a', 'b', 'c', 'd', 'e'};
  for (WavBuilder::Pad pad : {WavBuilder::Pad::kStandard, WavBuilder::Pad::kNone}) {
    const std::vector<std::vector<uint8_t>> layouts = {
        WavBuilder().Chunk("LIST", odd, pad).Fmt(kWavPcm, 1, 16000, 16).Data(data).Bytes(),
        WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Chunk("LIST", odd, pad).Data(data).Bytes(),
        WavBuilder()
            .Fmt(kWavPcm, 1, 16000, 16)
            .Chunk("junk", {1}, pad)
            .Chunk("LIST", odd, pad)
            .Data(data)
            .Bytes(),
    };
    for (const auto& bytes : layouts) {
      auto file = OpenBytes(bytes);
      ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading)
          << (pad == WavBuilder::Pad::kNone ? "unpadded" : "padded");
      EXPECT_EQ(ReadAll(*file, 319), samples);
    }
  }
}

// A pipe is read front to back: chunks are skipped by reading them, odd
// chunks with or without their pad, and a data chunk of size 0 or of the
// largest size (what streaming writers put there) runs to the end, while a
// stated size is kept.
TEST_F(SoundFileOddHeaderTest, APipeIsReadFrontToBackToItsEnd) {
  std::vector<int16_t> samples(300);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 97 - 14000);
  const auto data = EncodeSamples(kWavPcm, 16, samples);
  const std::vector<uint8_t> odd = {'a', 'b', 'c'};
  const std::vector<uint8_t> longFmt = [] {
    auto body = FmtBody(kWavPcm, 1, 16000, 16);
    body.insert(body.end(), {0, 0});
    return body;
  }();
  struct Layout {
    std::vector<uint8_t> bytes;
    size_t frames;
  };
  const std::vector<Layout> layouts = {
      {WavBuilder().Chunk("LIST", odd).Chunk("fmt ", longFmt).ChunkWithSize("data", 0, data).Bytes(), 300},
      {WavBuilder()
           .Fmt(kWavPcm, 1, 16000, 16)
           .Chunk("LIST", odd, WavBuilder::Pad::kNone)
           .ChunkWithSize("data", 0xFFFFFFFFu, data)
           .BytesWithRiffSize(0xFFFFFFFFu),
       300},
      {WavBuilder().Fmt(kWavPcm, 1, 16000, 16).ChunkWithSize("data", 200, data).Bytes(), 100},
  };
  for (const Layout& layout : layouts) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    // Small enough to wait in the pipe whole before anyone reads.
    ASSERT_EQ(write(ends[1], layout.bytes.data(), layout.bytes.size()),
              static_cast<ssize_t>(layout.bytes.size()));
    close(ends[1]);
    auto file = SoundFile::OpenStreamForReading(fdopen(ends[0], "rb"));
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
    EXPECT_EQ(ReadAll(*file, 77), std::vector<int16_t>(samples.begin(), samples.begin() + layout.frames));
  }
}

TEST_F(SoundFileOddHeaderTest, OddChunkAtTheEndWithItsPadLeavesNoDataStatus) {
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Chunk("LIST", {1, 2, 3}).Bytes());
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileNoData);
}

TEST_F(SoundFileOddHeaderTest, ShortFmtChunkTakesDefaults) {
  // Six bytes: format tag and channels only.
  const std::vector<uint8_t> fmt = {1, 0, 2, 0, 0xAA, 0xBB};
  const std::vector<int16_t> stereo = {1000, 3000, -500, -1500};
  auto file = OpenBytes(WavBuilder().Chunk("fmt ", fmt).Data(EncodeSamples(kWavPcm, 16, stereo)).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(file->FormatTag(), kWaveFormatPcm);
  EXPECT_EQ(file->Channels(), 2);
  EXPECT_EQ(file->SampleRate(), 16000u);
  EXPECT_EQ(file->BitsPerSample(), 16);
  EXPECT_EQ(file->BlockAlign(), 4);
  EXPECT_EQ(file->BytesPerSecond(), 64000u);
  EXPECT_EQ(ReadAll(*file, 10), (std::vector<int16_t>{2000, -1000}));
}

TEST_F(SoundFileOddHeaderTest, MissingValuesDefaultAndStoredLayoutIsRecomputed) {
  // Zero channels, rate and bits; block align and byte rate that lie.
  std::vector<uint8_t> fmt;
  AppendLittle16(fmt, kWavMuLaw);
  AppendLittle16(fmt, 0);
  AppendLittle32(fmt, 0);
  AppendLittle32(fmt, 12345);
  AppendLittle16(fmt, 77);
  AppendLittle16(fmt, 0);
  auto file = OpenBytes(WavBuilder().Chunk("fmt ", fmt).Data({0xFF, 0x00, 0x80}).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(file->Channels(), 1);
  EXPECT_EQ(file->SampleRate(), 16000u);
  EXPECT_EQ(file->BitsPerSample(), 8);
  EXPECT_EQ(file->BlockAlign(), 1);
  EXPECT_EQ(file->BytesPerSecond(), 16000u);
  EXPECT_EQ(ReadAll(*file, 10), (std::vector<int16_t>{0, -32124, 32124}));
}

TEST_F(SoundFileOddHeaderTest, ExtendedFmtChunkIsSkippedWhole) {
  std::vector<uint8_t> fmt = FmtBody(kWavPcm, 1, 22050, 16);
  AppendLittle16(fmt, 0);  // extension size
  auto file = OpenBytes(WavBuilder().Chunk("fmt ", fmt).Data(EncodeSamples(kWavPcm, 16, kRamp)).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(ReadAll(*file, 5), kRamp);
}

TEST_F(SoundFileOddHeaderTest, DataBeyondTheFileIsCutToTheFile) {
  const auto data = EncodeSamples(kWavPcm, 16, kRamp);
  for (uint32_t claimed : {1000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    auto file =
        OpenBytes(WavBuilder().Fmt(kWavPcm, 1, 16000, 16).ChunkWithSize("data", claimed, data).Bytes());
    ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
    EXPECT_EQ(file->FrameCount(), static_cast<int64_t>(kRamp.size()));
    EXPECT_EQ(ReadAll(*file, 1000), kRamp);
  }
}

TEST_F(SoundFileOddHeaderTest, PartialTrailingFrameIsNotDelivered) {
  auto data = EncodeSamples(kWavPcm, 16, {10, 20, 30, 40});
  data.push_back(0x55);  // half of a fifth stereo sample
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 2, 16000, 16).Data(data).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(file->FrameCount(), 2);
  EXPECT_EQ(ReadAll(*file, 7), (std::vector<int16_t>{15, 35}));
}

TEST_F(SoundFileOddHeaderTest, EmptyDataChunkOpensWithNoFrames) {
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Data({}).Bytes());
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(file->FrameCount(), 0);
  int16_t sample = 0;
  EXPECT_EQ(file->Read(&sample, 1), 0);
}

TEST_F(SoundFileOddHeaderTest, RateAndChannelLimitsAreInclusive) {
  for (uint32_t rate : {kSoundFileMinRateHz, kSoundFileMaxRateHz}) {
    EXPECT_EQ(OpenBytes(WavBuilder().Fmt(kWavPcm, 1, rate, 16).Data({0, 0}).Bytes())->Status(),
              SoundFileStatus::kSoundFileReading)
        << rate;
  }
  // 21845 channels of 24 bits make a 65535-byte frame, the largest there is.
  auto file = OpenBytes(WavBuilder().Fmt(kWavPcm, 21845, 8000, 24).Data({}).Bytes());
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(file->BlockAlign(), 65535);
}

struct Refusal {
  const char* what;
  std::vector<uint8_t> bytes;
  SoundFileStatus status;
};

std::vector<uint8_t> WithFmt(const std::vector<uint8_t>& fmt) {
  return WavBuilder().Chunk("fmt ", fmt).Data({0, 0, 0, 0, 0, 0}).Bytes();
}

std::vector<Refusal> Refusals() {
  const std::vector<uint8_t> someData = {1, 2, 3, 4};
  const auto good = WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Data(someData).Bytes();
  auto notRiff = good;
  notRiff[0] = 'R';
  notRiff[3] = 'X';
  auto notWave = good;
  notWave[8] = 'A';
  std::vector<uint8_t> riffOnly(good.begin(), good.begin() + 8);
  std::vector<uint8_t> riffAndHalfForm(good.begin(), good.begin() + 10);
  std::vector<uint8_t> riffAndFormByte(good.begin(), good.begin() + 9);
  std::vector<uint8_t> truncatedRiff(good.begin(), good.begin() + 6);
  return {
      {"empty file", {}, SoundFileStatus::kSoundFileHeaderReadFailed},
      {"truncated RIFF header", truncatedRiff, SoundFileStatus::kSoundFileHeaderReadFailed},
      {"not RIFF", notRiff, SoundFileStatus::kSoundFileNotRiff},
      {"text file",
       {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'},
       SoundFileStatus::kSoundFileNotRiff},
      {"not WAVE", notWave, SoundFileStatus::kSoundFileNotWave},
      {"ends after RIFF header", riffOnly, SoundFileStatus::kSoundFileNotWave},
      {"no chunks", WavBuilder().Bytes(), SoundFileStatus::kSoundFileNoFormat},
      {"only data", WavBuilder().Data(someData).Bytes(), SoundFileStatus::kSoundFileNoFormat},
      // Float and A-law wavs are read through the codec library; a tag no
      // reader knows is still refused.
      {"unknown tag", WavBuilder().Fmt(0x2222, 1, 8000, 8).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      // 32-bit PCM, 12 bits in 16-bit containers and µ-law stored wider
      // than 8 bits are read through the codec library too.
      {"extensible tag", WavBuilder().Fmt(0xFFFE, 1, 8000, 16).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"rate below 1000 Hz", WavBuilder().Fmt(kWavPcm, 1, 999, 16).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"rate above 768000 Hz", WavBuilder().Fmt(kWavPcm, 1, 768001, 16).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"rate 2^32-1", WavBuilder().Fmt(kWavPcm, 1, 0xFFFFFFFF, 16).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"frame over 65535 bytes", WavBuilder().Fmt(kWavPcm, 21846, 8000, 24).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"65535 channels of 24 bits", WavBuilder().Fmt(kWavPcm, 65535, 8000, 24).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"byte rate over 32 bits", WavBuilder().Fmt(kWavPcm, 65535, 96000, 8).Data(someData).Bytes(),
       SoundFileStatus::kSoundFileUnsupported},
      {"fmt without tag", WithFmt({1}), SoundFileStatus::kSoundFileUnsupported},
      {"no data", WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Bytes(), SoundFileStatus::kSoundFileNoData},
      {"chunk after fmt too long",
       WavBuilder()
           .Fmt(kWavPcm, 1, 16000, 16)
           .ChunkWithSize("LIST", 0xFFFFFFFF, {1, 2})
           .Data(someData)
           .Bytes(),
       SoundFileStatus::kSoundFileNoData},
      {"chunk before fmt too long",
       WavBuilder()
           .ChunkWithSize("LIST", 0xFFFFFFF8, {1, 2})
           .Fmt(kWavPcm, 1, 16000, 16)
           .Data(someData)
           .Bytes(),
       SoundFileStatus::kSoundFileChunkTooLong},
      {"fmt longer than file",
       WavBuilder().ChunkWithSize("fmt ", 1000, FmtBody(kWavPcm, 1, 16000, 16)).Bytes(),
       SoundFileStatus::kSoundFileChunkTooLong},
      // The file ends inside a header the walk has to read.
      {"ends inside form type", riffAndHalfForm, SoundFileStatus::kSoundFileHeaderReadFailed},
      {"ends one byte into form type", riffAndFormByte, SoundFileStatus::kSoundFileHeaderReadFailed},
      {"stray bytes, no fmt", WavBuilder().Raw({1, 2, 3}).Bytes(),
       SoundFileStatus::kSoundFileHeaderReadFailed},
      {"fmt header cut short", WavBuilder().Raw({'f', 'm', 't', ' ', 16, 0}).Bytes(),
       SoundFileStatus::kSoundFileHeaderReadFailed},
      {"no data, stray bytes", WavBuilder().Fmt(kWavPcm, 1, 16000, 16).Raw({'d', 'a', 't'}).Bytes(),
       SoundFileStatus::kSoundFileHeaderReadFailed},
  };
}

using SoundFileRefusalTest = WavFileTest;

TEST_F(SoundFileRefusalTest, MalformedFilesGetTheirStatusAndNoStream) {
  for (const Refusal& r : Refusals()) {
    auto file = OpenBytes(r.bytes);
    EXPECT_EQ(file->Status(), r.status) << r.what;
    EXPECT_EQ(file->Stream(), nullptr) << r.what;
    int16_t sample = 0;
    EXPECT_EQ(file->Read(&sample, 1), -1) << r.what;
    EXPECT_NE(std::string(SoundFileStatusText(file->Status())), "") << r.what;
  }
}

TEST_F(SoundFileRefusalTest, EveryTruncationOfAValidFileIsHandled) {
  const auto bytes = WavBuilder()
                         .Chunk("LIST", {1, 2, 3})
                         .Fmt(kWavPcm, 2, 44100, 24)
                         .Data(EncodeSamples(kWavPcm, 24, kRamp))
                         .Bytes();
  for (size_t length = 0; length < bytes.size(); ++length) {
    auto file = OpenBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(length)));
    if (file->Status() == SoundFileStatus::kSoundFileReading) {
      // Only cuts inside the samples still open, with whole frames only.
      EXPECT_GE(static_cast<int64_t>(length), file->DataStart());
      EXPECT_EQ(file->FrameCount(), (static_cast<int64_t>(length) - file->DataStart()) / 6);
      EXPECT_EQ(static_cast<int64_t>(ReadAll(*file, 2).size()), file->FrameCount());
    } else {
      EXPECT_EQ(file->Stream(), nullptr);
    }
  }
}

TEST_F(SoundFileRefusalTest, EmptyNameOpensNothing) {
  auto file = SoundFile::OpenForReading("");
  EXPECT_EQ(file->Status(), SoundFileStatus::kSoundFileNotOpened);
  EXPECT_EQ(file->Stream(), nullptr);
}

TEST_F(SoundFileRefusalTest, MissingFileDirectoryAndFifoCannotBeOpened) {
  EXPECT_EQ(SoundFile::OpenForReading(dir.Path("missing.wav"))->Status(),
            SoundFileStatus::kSoundFileCannotOpen);
  EXPECT_EQ(SoundFile::OpenForReading(dir.Root())->Status(), SoundFileStatus::kSoundFileCannotOpen);
  // A FIFO is read as a stream; with no writer it must neither block nor
  // open.
  const std::string fifo = dir.Path("fifo.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(SoundFile::OpenForReading(fifo)->Status(), SoundFileStatus::kSoundFileHeaderReadFailed);
  EXPECT_EQ(SoundFile::OpenStreamForReading(nullptr)->Status(), SoundFileStatus::kSoundFileCannotOpen);
}

TEST_F(SoundFileRefusalTest, UnreadableFileCannotBeOpened) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string path = dir.Write("locked.wav", MakeWav(kWavPcm, 1, 16000, 16, kRamp));
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  EXPECT_EQ(SoundFile::OpenForReading(path)->Status(), SoundFileStatus::kSoundFileCannotOpen);
}

TEST_F(SoundFileRefusalTest, MemoryStreamOpensLikeAFile) {
  auto bytes = MakeWav(kWavPcm, 1, 16000, 16, kRamp);
  auto file = SoundFile::OpenStreamForReading(fmemopen(bytes.data(), bytes.size(), "rb"));
  ASSERT_EQ(file->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(ReadAll(*file, 4), kRamp);
}

}  // namespace
}  // namespace plimo::test
