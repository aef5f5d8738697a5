// Wav kinds the own reader does not take, read through the codec library:
// they must give the samples the own reader gives for the same sound.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

using test::AppendLittle16;
using test::AppendLittle32;

constexpr uint32_t kRate = 16000;  // Hz
constexpr uint16_t kChannels = 2;
constexpr uint16_t kExtensibleTag = 0xFFFE;
constexpr uint16_t kExtensionBytes = 22;
constexpr uint32_t kFrontLeftRight = 0x3;
// The tail every wav extensible sub format shares after its first two bytes.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// An extensible wav: the format chunk names its sub format by GUID.
std::vector<uint8_t> ExtensibleWav(uint16_t subFormat, uint16_t bits, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> fmt = test::FmtBody(kExtensibleTag, kChannels, kRate, bits);
  AppendLittle16(fmt, kExtensionBytes);
  AppendLittle16(fmt, bits);
  AppendLittle32(fmt, kFrontLeftRight);
  AppendLittle16(fmt, subFormat);
  fmt.insert(fmt.end(), std::begin(kGuidTail), std::end(kGuidTail));
  return test::WavBuilder().Chunk("fmt ", fmt).Data(data).Bytes();
}

std::vector<int16_t> ReadAll(const std::string& path, SoundFileStatus* status) {
  auto file = SoundFile::OpenForReading(path);
  *status = file->Status();
  std::vector<int16_t> samples;
  int16_t block[500];
  for (int got; (got = file->Read(block, 500)) > 0;) samples.insert(samples.end(), block, block + got);
  if (file->Status() != SoundFileStatus::kSoundFileReading) *status = file->Status();
  return samples;
}

TEST(SoundFileCodec, ExtensibleFloatAnd32BitWavGiveTheSamplesOfClassic24Bit) {
  test::TempDir dir;
  // Full scale both ways, small values of both signs, and two channels that
  // differ so the mix is exercised.
  std::vector<int32_t> wide;
  for (int i = 0; i < 4000; ++i) {
    const int32_t value = (i * 7919 % 16777216) - 8388608;
    wide.push_back(value);
    wide.push_back(i % 2 == 0 ? -value / 3 : 8388607);
  }
  std::vector<uint8_t> floats;
  for (int32_t v : wide) {
    const float f = static_cast<float>(v) / 8388608.0f;  // exact in a float
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    AppendLittle32(floats, bits);
  }
  const std::vector<uint8_t> pcm24 = test::Encode24(wide);
  std::vector<uint8_t> pcm32;
  for (int32_t v : wide) AppendLittle32(pcm32, static_cast<uint32_t>(v) << 8);
  const std::string classic =
      dir.Write("classic.wav", test::WavBuilder().Fmt(test::kWavPcm, kChannels, kRate, 24).Data(pcm24).Bytes());
  const std::string extensible = dir.Write("extensible.wav", ExtensibleWav(test::kWavPcm, 24, pcm24));
  const std::string pcm32Path =
      dir.Write("pcm32.wav", test::WavBuilder().Fmt(test::kWavPcm, kChannels, kRate, 32).Data(pcm32).Bytes());
  const std::string floating = dir.Write("float.wav", ExtensibleWav(test::kWavFloat, 32, floats));
  const std::string plainFloat =
      dir.Write("plain-float.wav", test::WavBuilder().Fmt(test::kWavFloat, kChannels, kRate, 32).Data(floats).Bytes());

  SoundFileStatus status{};
  const std::vector<int16_t> expected = ReadAll(classic, &status);
  ASSERT_EQ(status, SoundFileStatus::kSoundFileReading);
  ASSERT_EQ(expected.size(), wide.size() / kChannels);
  for (const std::string& path : {extensible, pcm32Path, floating, plainFloat}) {
    EXPECT_EQ(ReadAll(path, &status), expected) << path;
    EXPECT_EQ(status, SoundFileStatus::kSoundFileReading) << path;
  }
  auto info = SoundFile::OpenForReading(floating);
  EXPECT_TRUE(info->Encoded());
  EXPECT_STREQ(info->ContainerName(), "WAV");
  EXPECT_EQ(info->EncodingName(), "float 32 bits");
  EXPECT_EQ(info->Channels(), kChannels);
  EXPECT_EQ(info->SampleRate(), kRate);
  EXPECT_EQ(info->FrameCount(), static_cast<int64_t>(expected.size()));
  // The own reader's files stay its own.
  EXPECT_FALSE(SoundFile::OpenForReading(classic)->Encoded());
}

}  // namespace
}  // namespace plimo
