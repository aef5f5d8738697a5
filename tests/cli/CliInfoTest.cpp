#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

using test::CliRun;
using test::Lines;
using test::MakeWav;
using test::RunCli;
using test::TempDir;

class CliInfo : public ::testing::Test {
 protected:
  TempDir dir;
  std::string stereo =
      dir.Write("stereo.wav", MakeWav(test::kWavPcm, 2, 44100, 16, std::vector<int16_t>(2 * 22050, 100)));
  std::string mulaw =
      dir.Write("phone.wav", MakeWav(test::kWavMuLaw, 1, 8000, 8, std::vector<int16_t>(4000, -500)));
  std::string notWav = dir.Write("notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'});
};

TEST_F(CliInfo, DescribesEachReadableFileOnOneLine) {
  CliRun run = RunCli(dir, {"info", stereo, mulaw});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], stereo + ": PCM, 2 channels, 44100 Hz, 16 bits, 22050 frames, 0.500 s");
  EXPECT_EQ(lines[1], mulaw + ": µ-law, 1 channel, 8000 Hz, 8 bits, 4000 frames, 0.500 s");
  EXPECT_TRUE(run.err.empty());
}

TEST_F(CliInfo, UnreadableFilesGetAReasonOnStderrAndStatus1) {
  CliRun run = RunCli(dir, {"info", notWav, stereo, dir.Path("absent.wav"), dir.Root()});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(Lines(run.out).size(), 1u);  // the good file is still described
  std::vector<std::string> errors = Lines(run.err);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_NE(errors[0].find(notWav), std::string::npos);
  EXPECT_NE(errors[0].find("RIFF"), std::string::npos);
  EXPECT_NE(errors[1].find("absent.wav"), std::string::npos);
  EXPECT_NE(errors[2].find(dir.Root()), std::string::npos);
}

TEST_F(CliInfo, JsonCarriesEveryKeyForGoodAndBadFiles) {
  CliRun run = RunCli(dir, {"info", "--json", mulaw, notWav});
  EXPECT_EQ(run.exitStatus, 1);
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "{\"file\":\"" + mulaw +
                          "\",\"ok\":true,\"status\":1,\"error\":\"\",\"container\":\"WAV\","
                          "\"encoding\":\"µ-law\",\"format_tag\":7,"
                          "\"channels\":1,\"rate\":8000,\"bits\":8,\"frames\":4000,\"seconds\":0.5}");
  for (const char* key : {"\"file\":", "\"ok\":false", "\"status\":5", "\"error\":\"", "\"container\":",
                          "\"encoding\":", "\"format_tag\":",
                          "\"channels\":", "\"rate\":", "\"bits\":", "\"frames\":", "\"seconds\":"}) {
    EXPECT_NE(lines[1].find(key), std::string::npos) << key;
  }
}

TEST_F(CliInfo, UsageErrorsExit2) {
  EXPECT_EQ(RunCli(dir, {"info"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"info", "--frobnicate", stereo}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"no-such-command"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {}).exitStatus, 2);
  CliRun help = RunCli(dir, {"info", "--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("usage: plimo-cli info"), std::string::npos);
}

}  // namespace
}  // namespace plimo
