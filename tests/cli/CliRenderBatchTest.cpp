// plimo-cli render over many files, as batch tools drive it: real wav files,
// real processes, real signals and pipes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/CliRunner.h"
#include "support/Signals.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo {
namespace {

using test::CliRun;
using test::Lines;
using test::ReadBytes;
using test::RunCli;

constexpr int kRate = 8000;  // Hz
constexpr uint32_t kStreamSize = 0xFFFFFFFFu;

class CliRenderBatch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()); }

  // A vowel of its own for every file, so that mixed-up outputs show.
  std::string Speech(const std::string& name, double f0, int rate = kRate, double seconds = 0.6) {
    const auto samples = test::Vowel(f0, rate, static_cast<int>(rate * seconds));
    return dir.Write(name, test::MakeWav(test::kWavPcm, 1, static_cast<uint32_t>(rate), 16, samples));
  }

  std::vector<std::string> Inputs(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
      paths.push_back(Speech("v" + std::to_string(i) + ".wav", 100.0 + 23.0 * i));
    return paths;
  }

  std::string Folder(const std::string& name) {
    const std::string path = dir.Path(name);
    std::filesystem::create_directory(path);
    return path;
  }

  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The exit status of bash running script with the arguments $1, $2, ...
  static int Bash(const std::string& script, const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {"bash", "-c", "set -o pipefail; " + script, "bash"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      execv("/bin/bash", argv.data());
      _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string ReportLineOf(const std::string& report, const std::string& input) {
    for (const std::string& line : Lines(report)) {
      if (line.find("\"input\":\"" + input + "\"") != std::string::npos) return line;
    }
    return "";
  }

  test::TempDir dir;
};

TEST_F(CliRenderBatch, OutputsAreTheSameBytesWhateverTheJobsTheOrderAndTheShares) {
  const std::vector<std::string> inputs = Inputs(6);
  const std::string one = Folder("one");
  const std::string four = Folder("four");
  const std::string shares = Folder("shares");
  std::vector<std::string> arguments = {"render", "--out-dir", one, "--jobs", "1", "--quiet"};
  arguments.insert(arguments.end(), inputs.begin(), inputs.end());
  ASSERT_EQ(RunCli(dir, arguments).exitStatus, 0);

  std::vector<std::string> shuffled = inputs;
  std::reverse(shuffled.begin(), shuffled.end());
  std::rotate(shuffled.begin(), shuffled.begin() + 2, shuffled.end());
  arguments = {"render", "--out-dir", four, "--jobs", "4", "--quiet"};
  arguments.insert(arguments.end(), shuffled.begin(), shuffled.end());
  ASSERT_EQ(RunCli(dir, arguments).exitStatus, 0);

  // Three tasks of a job array, each listing the files in its own order.
  std::string reports;
  for (int share = 0; share < 3; ++share) {
    std::rotate(shuffled.begin(), shuffled.begin() + 1, shuffled.end());
    std::ofstream(dir.Path("list")) << [&] {
      std::string list;
      for (const std::string& input : shuffled) list += input + "\n";
      return list;
    }();
    CliRun run = RunCli(dir, {"render", "--files-from", dir.Path("list"), "--out-dir", shares, "--shard",
                              std::to_string(share) + "/3", "--report", "-", "--quiet"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    reports += run.out;
  }
  for (const std::string& input : inputs) {
    const std::string name = std::filesystem::path(input).filename().string();
    size_t times = 0;
    for (const std::string& line : Lines(reports)) {
      times += line.find("\"input\":\"" + input + "\"") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(times, 1u) << name << " is in exactly one share";
    const std::vector<uint8_t> bytes = ReadBytes(one + "/" + name);
    ASSERT_GT(bytes.size(), 44u) << name;
    EXPECT_EQ(ReadBytes(four + "/" + name), bytes) << name;
    EXPECT_EQ(ReadBytes(shares + "/" + name), bytes) << name;
  }
  EXPECT_NE(ReadBytes(one + "/v0.wav"), ReadBytes(one + "/v1.wav"));
}

TEST_F(CliRenderBatch, AFailingInputIsReportedAndTheOthersAreDone) {
  const std::string a = Speech("a.wav", 120.0);
  const std::string broken = dir.Write("broken.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
  const std::string b = Speech("b.wav", 150.0);
  const std::string outs = Folder("outs");
  CliRun run = RunCli(dir, {"render", a, broken, b, "--out-dir", outs, "--jobs", "2", "--report", "-"});
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  const std::string failed = ReportLineOf(run.out, broken);
  EXPECT_NE(failed.find("\"ok\":false"), std::string::npos) << failed;
  EXPECT_NE(failed.find("\"error\":\"not a RIFF file\""), std::string::npos) << failed;
  for (const std::string& good : {a, b}) {
    const std::string line = ReportLineOf(run.out, good);
    EXPECT_NE(line.find("\"ok\":true"), std::string::npos) << line;
    EXPECT_NE(line.find("\"seconds_in\":0.6,"), std::string::npos) << line;
  }
  EXPECT_NE(lines.back().find("\"summary\":true"), std::string::npos);
  EXPECT_NE(lines.back().find("\"rendered\":2,\"skipped\":0,\"failed\":1"), std::string::npos)
      << lines.back();
  EXPECT_NE(lines.back().find("\"exit_status\":1"), std::string::npos) << lines.back();
  // The user reads the failure on stderr; the summaries leave standard
  // output to the report.
  EXPECT_NE(run.err.find("plimo-cli render: " + broken + ": not a RIFF file"), std::string::npos) << run.err;
  EXPECT_EQ(Names(outs), (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST_F(CliRenderBatch, SkipExistingRendersOnlyWhatIsMissing) {
  const std::string a = Speech("a.wav", 120.0);
  const std::string b = Speech("b.wav", 150.0);
  const std::string outs = Folder("outs");
  const std::vector<uint8_t> kept = {'k', 'e', 'e', 'p'};
  dir.Write("outs/a.wav", kept);
  const std::string list = dir.Write("list", std::vector<uint8_t>());
  std::ofstream(list) << a << "\n\n" << b << "\n";
  CliRun run = RunCli(
      dir, {"render", "--files-from", "-", "--out-dir", outs, "--skip-existing", "--report", "-", "--quiet"},
      list);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadBytes(outs + "/a.wav"), kept);
  EXPECT_GT(ReadBytes(outs + "/b.wav").size(), 44u);
  EXPECT_NE(ReportLineOf(run.out, a).find("\"skipped\":true"), std::string::npos) << run.out;
  EXPECT_NE(ReportLineOf(run.out, b).find("\"skipped\":false"), std::string::npos) << run.out;
}

TEST_F(CliRenderBatch, SigtermMidFileLeavesNeitherTheOutputNorATemporary) {
  // Long enough that the render is still running when the signal comes.
  const std::string in = Speech("long.wav", 130.0, 16000, 120.0);
  const std::string outs = Folder("outs");
  const std::string program = test::CliPath();
  const std::string out = outs + "/long.wav";
  const std::string log = dir.Path("stderr");
  const pid_t child = fork();
  if (child == 0) {
    const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0) _exit(127);
    dup2(err, 2);
    execl(program.c_str(), program.c_str(), "render", in.c_str(), out.c_str(), "--quiet",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  bool temporarySeen = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!temporarySeen && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : Names(outs))
      temporarySeen = temporarySeen || name.rfind(".long.wav.", 0) == 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(temporarySeen);
  ASSERT_TRUE(WIFEXITED(status));
  const std::vector<uint8_t> err = ReadBytes(log);
  EXPECT_EQ(WEXITSTATUS(status), 143) << std::string(err.begin(), err.end());
  EXPECT_TRUE(Names(outs).empty());
}

TEST_F(CliRenderBatch, AWavPipedThroughStandardStreamsEqualsTheFileResult) {
  const std::string in = Speech("in.wav", 140.0);
  ASSERT_EQ(RunCli(dir, {"render", in, dir.Path("file.wav"), "--quiet"}).exitStatus, 0);
  const std::string piped = dir.Path("piped.wav");
  ASSERT_EQ(Bash("cat \"$1\" | \"$2\" render - - --quiet | cat > \"$3\"", {in, test::CliPath(), piped}), 0);
  const std::vector<uint8_t> file = ReadBytes(dir.Path("file.wav"));
  const std::vector<uint8_t> stream = ReadBytes(piped);
  ASSERT_EQ(stream.size(), file.size());
  EXPECT_EQ(test::ReadLittle32(stream, 4), kStreamSize);
  EXPECT_EQ(test::ReadLittle32(stream, 40), kStreamSize);
  EXPECT_TRUE(std::equal(stream.begin() + 44, stream.end(), file.begin() + 44));

  // Such a stream reads back to its end, from a pipe as from a file.
  ASSERT_EQ(
      Bash("cat \"$1\" | \"$2\" render - \"$3\" --quiet", {piped, test::CliPath(), dir.Path("again.wav")}),
      0);
  ASSERT_EQ(RunCli(dir, {"render", piped, dir.Path("again-file.wav"), "--quiet"}).exitStatus, 0);
  EXPECT_GT(ReadBytes(dir.Path("again.wav")).size(), file.size() / 2);
  EXPECT_EQ(ReadBytes(dir.Path("again.wav")), ReadBytes(dir.Path("again-file.wav")));
}

TEST_F(CliRenderBatch, GnuParallelDrivesABatch) {
  if (Bash("command -v parallel > /dev/null", {}) != 0) GTEST_SKIP() << "GNU parallel is not installed";
  const std::vector<std::string> inputs = Inputs(3);
  const std::string together = Folder("together");
  const std::string apart = Folder("apart");
  std::vector<std::string> arguments = {"render", "--out-dir", together, "--quiet"};
  arguments.insert(arguments.end(), inputs.begin(), inputs.end());
  ASSERT_EQ(RunCli(dir, arguments).exitStatus, 0);
  ASSERT_EQ(Bash("parallel --will-cite -j 2 \"$1\" render {} \"$2\"/{/} --quiet ::: \"${@:3}\"",
                 {test::CliPath(), apart, inputs[0], inputs[1], inputs[2]}),
            0);
  ASSERT_EQ(Names(apart), Names(together));
  for (const std::string& name : Names(together)) {
    EXPECT_EQ(ReadBytes(apart + "/" + name), ReadBytes(together + "/" + name)) << name;
  }
}

}  // namespace
}  // namespace plimo
