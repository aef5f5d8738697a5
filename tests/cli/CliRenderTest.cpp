// plimo-cli render end to end: real wav files in, real wav files out.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/Signals.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

using test::CliRun;
using test::Lines;
using test::MakeWav;
using test::ReadBytes;
using test::ReadLittle16;
using test::ReadLittle32;
using test::RunCli;

constexpr int kRate = 8000;  // Hz
constexpr int kBlock = 159;  // 20 ms at 8000 Hz

class CliRender : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()); }

  // Speech-like: silence, a vowel gliding in pitch, a noise burst, a second
  // vowel.
  std::string SpeechFile(const std::string& name, uint16_t channels = 1, uint16_t bits = 16) {
    std::vector<int16_t> mono(kRate / 4, 0);
    const auto first = test::Vowel(110.0, kRate, kRate / 2);
    mono.insert(mono.end(), first.begin(), first.end());
    uint32_t state = 12345;
    for (int i = 0; i < kRate / 10; ++i) {
      state = state * 1103515245u + 12345u;
      mono.push_back(static_cast<int16_t>(static_cast<int>((state >> 16) % 4001) - 2000));
    }
    const auto second = test::Vowel(180.0, kRate, kRate / 3);
    mono.insert(mono.end(), second.begin(), second.end());
    inputFrames = mono.size();
    std::vector<int16_t> samples;
    for (int16_t s : mono) samples.insert(samples.end(), channels, s);
    return dir.Write(name, MakeWav(test::kWavPcm, channels, kRate, bits, samples));
  }

  // The frames of a valid wav file written by render; -1 when invalid.
  static long FramesOf(const std::vector<uint8_t>& bytes, uint16_t channels, uint16_t bits) {
    if (bytes.size() < 44 || ReadLittle32(bytes, 40) != bytes.size() - 44 ||
        ReadLittle32(bytes, 4) != bytes.size() - 8 || ReadLittle16(bytes, 22) != channels ||
        ReadLittle16(bytes, 34) != bits || ReadLittle32(bytes, 24) != kRate) {
      return -1;
    }
    return static_cast<long>((bytes.size() - 44) / (channels * bits / 8));
  }

  test::TempDir dir;
  size_t inputFrames = 0;
};

TEST_F(CliRender, EveryPresetForEverySpeakerGivesAValidFileOfTheExpectedLength) {
  const std::string in = SpeechFile("speech.wav");
  for (const char* speaker : {"man", "woman", "child"}) {
    for (int preset = 0; preset < 25; ++preset) {
      const std::string out = dir.Path("out.wav");
      CliRun run = RunCli(
          dir, {"render", in, out, "--speaker", speaker, "--preset", std::to_string(preset), "--quiet"});
      ASSERT_EQ(run.exitStatus, 0) << speaker << " " << preset << ": " << run.err;
      EXPECT_TRUE(run.err.empty()) << run.err;
      const long frames = FramesOf(ReadBytes(out), 1, 16);
      ASSERT_GT(frames, 0) << speaker << " " << preset;
      EXPECT_EQ(frames % kBlock, 0);
      // Every preset keeps the duration: the whole input but its last
      // analysis frame (320) and the partial last block.
      EXPECT_GT(frames, static_cast<long>(inputFrames) - 320 - 2 * kBlock) << speaker << " " << preset;
      EXPECT_LE(frames, static_cast<long>(inputFrames) + kBlock) << speaker << " " << preset;
    }
  }
}

TEST_F(CliRender, SameSeedSameBytes) {
  const std::string in = SpeechFile("speech.wav");
  const std::vector<std::string> settings = {"--preset", "Robot 3",  "--whisper", "0.7",    "--chorus",
                                             "0.9",      "--reverb", "0.4",       "--quiet"};
  auto render = [&](const std::string& out, const char* seed) {
    std::vector<std::string> arguments = {"render", in, out, "--seed", seed};
    arguments.insert(arguments.end(), settings.begin(), settings.end());
    return RunCli(dir, arguments).exitStatus;
  };
  ASSERT_EQ(render(dir.Path("a.wav"), "9"), 0);
  ASSERT_EQ(render(dir.Path("b.wav"), "9"), 0);
  ASSERT_EQ(render(dir.Path("c.wav"), "10"), 0);
  EXPECT_EQ(ReadBytes(dir.Path("a.wav")), ReadBytes(dir.Path("b.wav")));
  EXPECT_NE(ReadBytes(dir.Path("a.wav")), ReadBytes(dir.Path("c.wav")));
}

TEST_F(CliRender, OutputKeepsWidthAndChannelsAndASummaryIsPrinted) {
  const std::string in = SpeechFile("stereo24.wav", 2, 24);
  CliRun run = RunCli(dir, {"render", in, dir.Path("out.wav")});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_GT(FramesOf(ReadBytes(dir.Path("out.wav")), 2, 24), 0);
  ASSERT_EQ(Lines(run.out).size(), 1u);
  EXPECT_NE(run.out.find(" -> "), std::string::npos);
  EXPECT_TRUE(run.err.empty()) << "no progress bar when stderr is not a terminal: " << run.err;
}

TEST_F(CliRender, BatchWritesEveryInputIntoTheFolder) {
  const std::string a = SpeechFile("a.wav");
  const std::string b = SpeechFile("b.wav");
  const std::string outDir = dir.Path("outs");
  ASSERT_EQ(mkdir(outDir.c_str(), 0755), 0);
  CliRun run = RunCli(dir, {"render", a, b, "--out-dir", outDir, "--pitch", "1.4", "--quiet"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_GT(FramesOf(ReadBytes(outDir + "/a.wav"), 1, 16), 0);
  EXPECT_GT(FramesOf(ReadBytes(outDir + "/b.wav"), 1, 16), 0);
}

TEST_F(CliRender, UnwritableOutputExitsOneWithOneClearLine) {
  const std::string in = SpeechFile("speech.wav");
  const std::string out = dir.Path("no-such-folder/out.wav");
  CliRun run = RunCli(dir, {"render", in, out});
  EXPECT_EQ(run.exitStatus, 1);
  ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
  EXPECT_NE(run.err.find(out), std::string::npos);
  EXPECT_NE(run.err.find("Cannot write output file"), std::string::npos);

  // In a batch the other files are still written.
  const std::string outDir = dir.Path("outs");
  ASSERT_EQ(mkdir(outDir.c_str(), 0755), 0);
  CliRun batch = RunCli(dir, {"render", dir.Path("missing.wav"), in, "--out-dir", outDir, "--quiet"});
  EXPECT_EQ(batch.exitStatus, 1);
  EXPECT_EQ(Lines(batch.err).size(), 1u) << batch.err;
  EXPECT_GT(FramesOf(ReadBytes(outDir + "/speech.wav"), 1, 16), 0);
}

TEST_F(CliRender, OutputOverTheInputIsRefusedAndTheInputKept) {
  const std::string in = SpeechFile("speech.wav");
  const std::vector<uint8_t> before = ReadBytes(in);
  CliRun run = RunCli(dir, {"render", in, dir.Root() + "/./speech.wav"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("should not be identical"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(in), before);
}

TEST_F(CliRender, ValuesOutsideTheirRangeAreUsageErrorsNamingTheRange) {
  const std::string in = SpeechFile("speech.wav");
  const std::string out = dir.Path("out.wav");
  struct Case {
    std::vector<std::string> options;
    const char* range;
  };
  const Case cases[] = {
      {{"--pitch", "3.5"}, "0.6 to 3"},
      {{"--duration", "0.1"}, "0.3 to 3"},
      {{"--vocal-tract", "x"}, "0.3 to 3"},
      {{"--robot", "50"}, "80 to 300"},
      {{"--whisper", "0.2"}, "0.5 to 1"},
      {{"--reverb", "2"}, "0 to 1"},
      {{"--chorus", "0.4"}, "0.5 to 1"},
      {{"--gater", "-1"}, "0 to 1"},
      {{"--pitch-offset", "900"}, "-500 to 500"},
      {{"--eq", "1,2,3"}, "10 gains"},
      {{"--eq", "0,0,0,0,0,0,0,0,0,25"}, "-20 to 20"},
      {{"--preset", "25"}, "0 to 24"},
      {{"--preset", "Singer"}, "0 to 24"},
      {{"--speaker", "robot"}, "man, woman or child"},
      {{"--seed", "-1"}, "0 to 4294967295"},
      {{"--jobs", "0"}, "1 to 1024"},
      {{"--shard", "3/3"}, "0 <= I < N"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"render", in, out};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    CliRun run = RunCli(dir, arguments);
    EXPECT_EQ(run.exitStatus, 2) << c.options[0] << " " << c.options[1];
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.err.find(c.range), std::string::npos) << run.err;
  }
  // The ends of every range are accepted.
  CliRun ends =
      RunCli(dir, {"render", in, out, "--pitch", "0.6", "--duration", "0.3", "--vocal-tract", "3", "--robot",
                   "300", "--whisper", "0.5", "--chorus", "1", "--pitch-offset", "-500", "--quiet"});
  EXPECT_EQ(ends.exitStatus, 0) << ends.err;
  std::remove(out.c_str());
  EXPECT_EQ(RunCli(dir, {"render", in}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"render", in, out, "--bogus"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"render", in, out, "--pitch"}).exitStatus, 2);
  EXPECT_TRUE(ReadBytes(out).empty());
  CliRun help = RunCli(dir, {"render", "--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("usage: plimo-cli render"), std::string::npos);
}

TEST_F(CliRender, SettingsFileAndExplicitValuesAreApplied) {
  const std::string in = SpeechFile("speech.wav");
  // A parameter file with a pitch factor of 2.0 and the rest neutral.
  std::vector<uint8_t> prm;
  auto put32 = [&prm](uint32_t v) { test::AppendLittle32(prm, v); };
  auto putFloat = [&put32](float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put32(bits);
  };
  put32(16000);      // samplingRate
  put32(0);          // meterDisplay
  put32(0);          // realTimeMode
  put32(0);          // robotVoiceOn
  put32(0);          // reserved0
  putFloat(2.0f);    // pitchFactor
  putFloat(0.0f);    // pitchOffsetHz
  putFloat(1.0f);    // durationFactor
  putFloat(1.0f);    // vocalTractFactor
  putFloat(50.0f);   // reserved1
  putFloat(500.0f);  // reserved2
  putFloat(100.0f);  // robotPitchHz
  put32(1);          // speakerKind
  put32(0);          // reverbOn
  putFloat(0.5f);    // reverbLevel
  put32(0);          // whisperOn
  putFloat(0.75f);   // whisperLevel
  put32(0);          // chorusOn
  putFloat(0.75f);   // chorusLevel
  put32(10);         // bands
  for (float hz : {100.0f, 200.0f, 300.0f, 600.0f, 1000.0f, 3000.0f, 5000.0f, 8000.0f, 12000.0f, 17000.0f}) {
    putFloat(hz);
  }
  for (int band = 0; band < 10; ++band) putFloat(0.0f);
  const std::string settings = dir.Write("two.prm", prm);

  CliRun fromFile = RunCli(dir, {"render", in, dir.Path("file.wav"), "--settings", settings, "--quiet"});
  ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
  CliRun overridden = RunCli(
      dir, {"render", in, dir.Path("explicit.wav"), "--settings", settings, "--pitch", "1", "--quiet"});
  ASSERT_EQ(overridden.exitStatus, 0) << overridden.err;
  CliRun normal = RunCli(dir, {"render", in, dir.Path("normal.wav"), "--preset", "Normal", "--quiet"});
  ASSERT_EQ(normal.exitStatus, 0);
  EXPECT_NE(ReadBytes(dir.Path("file.wav")), ReadBytes(dir.Path("normal.wav")));
  // The explicit pitch factor 1 over the file's neutral rest is "Normal".
  EXPECT_EQ(ReadBytes(dir.Path("explicit.wav")), ReadBytes(dir.Path("normal.wav")));

  CliRun missing = RunCli(dir, {"render", in, dir.Path("x.wav"), "--settings", dir.Path("none.prm")});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("Cannot find settings file"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace plimo
