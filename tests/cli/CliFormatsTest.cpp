// plimo-cli render and info on sound files other than classic wav: each
// container is read, rendered and written back in kind.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "support/CliRunner.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

using test::CliRun;
using test::RunCli;

constexpr uint32_t kRate = 16000;  // Hz, one Opus takes
constexpr uint16_t kChannels = 2;
constexpr double kInputF0 = 120.0;  // Hz
// Lossy encoders pad the start and the end with up to a frame of their own
// (576 to 2048 samples); 100 ms covers every one of them at this rate.
constexpr int64_t kLossySlackFrames = kRate / 10;
// The bytes of a file that stay when it is cut in its header.
constexpr size_t kCutBytes = 40;

struct Kind {
  const char* name;
  const char* container;
  const char* encoding;
  bool lossy;
};

constexpr Kind kKinds[] = {
    {"speech.flac", "FLAC", "16 bits", false}, {"speech.aiff", "AIFF", "16 bits", false},
    {"speech.rf64", "RF64", "16 bits", false}, {"speech.ogg", "Ogg", "Vorbis", true},
    {"speech.opus", "Ogg", "Opus", true},      {"speech.mp3", "MP3", "MP3", true},
};

// The median F0 plimo-cli pitch reports for path; 0 when it reports none.
double MedianF0(const test::TempDir& dir, const std::string& path) {
  const CliRun run = RunCli(dir, {"pitch", path, "--csv", dir.Path("f0.csv")});
  const size_t at = run.out.find("median F0 ");
  return at == std::string::npos ? 0.0 : std::atof(run.out.c_str() + at + 10);
}

TEST(CliFormats, EveryContainerRendersToItsOwnKindWithTheRaisedPitch) {
  test::TempDir dir;
  // A second of five harmonics on a steady F0.
  std::vector<int16_t> mono;
  for (uint32_t i = 0; i < kRate; ++i) {
    double sum = 0.0;
    for (int k = 1; k <= 5; ++k) sum += std::sin(2.0 * M_PI * kInputF0 * k * i / kRate) / k;
    mono.push_back(static_cast<int16_t>(8000.0 * sum));
  }
  std::vector<int16_t> stereo;
  for (int16_t s : mono) stereo.insert(stereo.end(), kChannels, s);
  const std::string classic = dir.Write("speech.wav", test::MakeWav(test::kWavPcm, kChannels, kRate, 16, stereo));
  const auto shape = SoundFile::OpenForReading(classic);

  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const std::string in = dir.Path(kind.name);
    {
      auto writer = SoundFile::CreateLike(in, *shape);
      ASSERT_EQ(writer->Status(), SoundFileStatus::kSoundFileWriting);
      ASSERT_EQ(writer->Write(mono.data(), static_cast<int>(mono.size())), static_cast<int>(mono.size()));
      ASSERT_TRUE(writer->Close());
    }
    const auto input = SoundFile::OpenForReading(in);
    ASSERT_EQ(input->Status(), SoundFileStatus::kSoundFileReading);
    const int64_t slack = kind.lossy ? kLossySlackFrames : 0;
    EXPECT_LE(std::llabs(input->FrameCount() - static_cast<long long>(mono.size())), slack);

    const std::string out = dir.Path(std::string("out-") + kind.name);
    CliRun run = RunCli(dir, {"render", in, out, "--pitch", "2", "--quiet"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto output = SoundFile::OpenForReading(out);
    ASSERT_EQ(output->Status(), SoundFileStatus::kSoundFileReading);
    EXPECT_STREQ(output->ContainerName(), kind.container);
    EXPECT_EQ(output->EncodingName(), kind.encoding);
    EXPECT_EQ(output->SampleRate(), kRate);
    EXPECT_EQ(output->Channels(), kChannels);
    EXPECT_LE(std::llabs(output->FrameCount() - input->FrameCount()), slack + kRate / 10);
    EXPECT_NEAR(MedianF0(dir, out) / MedianF0(dir, in), 2.0, 0.2);

    CliRun info = RunCli(dir, {"info", "--json", out});
    EXPECT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_NE(info.out.find(std::string("\"container\":\"") + kind.container + "\""), std::string::npos)
        << info.out;

    // Cut in its header, the file is refused with a reason and nothing else.
    std::vector<uint8_t> bytes = test::ReadBytes(in);
    bytes.resize(kCutBytes);
    const std::string cut = dir.Write(std::string("cut-") + kind.name, bytes);
    CliRun refused = RunCli(dir, {"info", cut});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("plimo-cli info: " + cut + ": "), std::string::npos) << refused.err;
  }

  // Opus holds a few rates only; any other is refused before a file exists.
  const std::string cd = dir.Write("cd.wav", test::MakeWav(test::kWavPcm, 1, 44100, 16, mono));
  CliRun opus = RunCli(dir, {"render", cd, dir.Path("cd.opus"), "--quiet"});
  EXPECT_EQ(opus.exitStatus, 1);
  EXPECT_NE(opus.err.find("Opus holds only"), std::string::npos) << opus.err;
  EXPECT_TRUE(test::ReadBytes(dir.Path("cd.opus")).empty());
}

}  // namespace
}  // namespace plimo
