#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
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
using test::RunCli;
using test::TempDir;

struct Row {
  long frame;
  long position;
  double f0;
};

std::vector<Row> ParseCsv(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  std::vector<Row> rows;
  for (size_t i = 1; i < lines.size(); ++i) {
    Row row{};
    char comma1 = 0, comma2 = 0;
    std::istringstream in(lines[i]);
    in >> row.frame >> comma1 >> row.position >> comma2 >> row.f0;
    EXPECT_TRUE(in && comma1 == ',' && comma2 == ',') << lines[i];
    rows.push_back(row);
  }
  return rows;
}

double MedianVoiced(const std::vector<Row>& rows) {
  std::vector<double> f0;
  for (const Row& row : rows) {
    if (row.f0 > 0) f0.push_back(row.f0);
  }
  if (f0.empty()) return 0.0;
  std::sort(f0.begin(), f0.end());
  return f0[f0.size() / 2];
}

class CliPitch : public ::testing::Test {
 protected:
  // A vowel after a quarter second of silence, as a recording starts: the
  // quiet lead-in sets the energy gate's floor, which at high rates would
  // otherwise stay above a normally loud voice.
  std::string VowelFile(const std::string& name, double f0, int fs, double seconds) {
    std::vector<int16_t> samples(static_cast<size_t>(fs / 4), 0);
    std::vector<int16_t> vowel = test::Vowel(f0, fs, static_cast<int>(seconds * fs));
    samples.insert(samples.end(), vowel.begin(), vowel.end());
    return dir.Write(name, MakeWav(test::kWavPcm, 1, static_cast<uint32_t>(fs), 16, samples));
  }
  TempDir dir;
};

TEST_F(CliPitch, FindsTheFundamentalOfASyntheticVowel) {
  // 125 Hz is a whole number of decimated samples at 1 kHz; 140 Hz at
  // 12000 Hz exercises the full-rate path.
  struct Case {
    double f0;
    int fs;
  };
  for (Case c : {Case{125.0, 16000}, Case{200.0, 8000}, Case{140.0, 12000}, Case{125.0, 44100}}) {
    const std::string wav = VowelFile("vowel.wav", c.f0, c.fs, 1.5);
    const std::string csv = dir.Path("pitch.csv");
    CliRun run = RunCli(dir, {"pitch", wav, "--csv", csv});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::vector<uint8_t> bytes = test::ReadBytes(csv);
    const std::string text(bytes.begin(), bytes.end());
    ASSERT_EQ(text.rfind("frame,position,f0_hz\n", 0), 0u);
    std::vector<Row> rows = ParseCsv(text);
    ASSERT_GT(rows.size(), 10u);
    EXPECT_NEAR(MedianVoiced(rows), c.f0, 0.02 * c.f0) << c.fs << " Hz";
    EXPECT_NE(run.out.find("median F0"), std::string::npos);
  }
}

TEST_F(CliPitch, FramesAdvanceByOnePeriodWhenVoicedAnd6msOtherwise) {
  const int fs = 16000;
  std::vector<int16_t> samples(static_cast<size_t>(fs / 2), 0);  // 0.5 s of silence
  std::vector<int16_t> vowel = test::Vowel(125.0, fs, fs);
  samples.insert(samples.end(), vowel.begin(), vowel.end());
  const std::string wav = dir.Write("mixed.wav", MakeWav(test::kWavPcm, 1, fs, 16, samples));
  CliRun run = RunCli(dir, {"pitch", wav});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<Row> rows = ParseCsv(run.out);
  ASSERT_GT(rows.size(), 100u);
  EXPECT_EQ(rows[0].position, 0);
  EXPECT_EQ(rows[0].f0, 0.0);  // silence is unvoiced
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].frame, static_cast<long>(i));
    const long hop = rows[i].position - rows[i - 1].position;
    const long expected = rows[i - 1].f0 > 0 ? std::lround(fs / rows[i - 1].f0) : 96;
    EXPECT_EQ(hop, expected) << "after frame " << i - 1;
  }
  // The analysis runs to the end of the input and no further.
  const long lastPosition = rows.back().position;
  EXPECT_LE(lastPosition, static_cast<long>(samples.size()));
  EXPECT_GT(lastPosition, static_cast<long>(samples.size()) - 640 - 128);
}

TEST_F(CliPitch, SameSeedSameRowsAndEveryWidthAndLayoutIsRead) {
  const int fs = 8000;
  std::vector<int16_t> mono = test::Vowel(125.0, fs, fs);
  std::vector<int16_t> stereo;
  for (int16_t s : mono) {
    stereo.push_back(s);
    stereo.push_back(s);
  }
  const std::string wav16 = dir.Write("a.wav", MakeWav(test::kWavPcm, 1, fs, 16, mono));
  const std::string wav8 = dir.Write("b.wav", MakeWav(test::kWavPcm, 2, fs, 8, stereo));
  const std::string wav24 = dir.Write("c.wav", MakeWav(test::kWavPcm, 1, fs, 24, mono));
  CliRun first = RunCli(dir, {"pitch", wav16, "--seed", "7"});
  CliRun again = RunCli(dir, {"pitch", wav16, "--seed", "7"});
  ASSERT_EQ(first.exitStatus, 0);
  EXPECT_EQ(first.out, again.out);
  for (const std::string& wav : {wav8, wav24}) {
    CliRun run = RunCli(dir, {"pitch", wav});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NEAR(MedianVoiced(ParseCsv(run.out)), 125.0, 2.5) << wav;
  }
}

TEST_F(CliPitch, BadFilesAndBadOptionsAreRefusedClearly) {
  const std::string notWav = dir.Write("x.wav", {'R', 'I', 'F', 'X'});
  CliRun bad = RunCli(dir, {"pitch", notWav});
  EXPECT_EQ(bad.exitStatus, 1);
  EXPECT_EQ(Lines(bad.err).size(), 1u);
  EXPECT_TRUE(bad.out.empty());

  const std::string wav = VowelFile("v.wav", 125.0, 8000, 0.2);
  EXPECT_EQ(RunCli(dir, {"pitch"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"pitch", wav, "--seed", "minus"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"pitch", wav, "--seed"}).exitStatus, 2);
  EXPECT_EQ(RunCli(dir, {"pitch", wav, wav}).exitStatus, 2);
  CliRun unwritable = RunCli(dir, {"pitch", wav, "--csv", dir.Path("no/such/dir/out.csv")});
  EXPECT_EQ(unwritable.exitStatus, 1);
  EXPECT_NE(unwritable.err.find("cannot create"), std::string::npos);
}

}  // namespace
}  // namespace plimo
