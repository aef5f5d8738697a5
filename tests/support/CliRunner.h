#pragma once

// Runs the real plimo-cli program (the path ctest passes in PLIMO_CLI) and
// captures its exit status and output through files, with the arguments
// handed over as they are: no shell, so no quoting.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TempFiles.h"

namespace plimo::test {

struct CliRun {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string CliPath() {
  const char* cli = std::getenv("PLIMO_CLI");
  return cli != nullptr ? cli : "plimo-cli";
}

// Standard input is inputPath, /dev/null unless given.
inline CliRun RunCli(const TempDir& dir, const std::vector<std::string>& arguments,
                     const std::string& inputPath = "/dev/null") {
  const std::string outPath = dir.Path(".cli-stdout");
  const std::string errPath = dir.Path(".cli-stderr");
  const std::string program = CliPath();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  CliRun run;
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open(inputPath.c_str(), O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (child < 0) return run;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return run;
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::vector<uint8_t> out = ReadBytes(outPath);
  const std::vector<uint8_t> err = ReadBytes(errPath);
  run.out.assign(out.begin(), out.end());
  run.err.assign(err.begin(), err.end());
  return run;
}

// The same with the arguments given as one line split at spaces: for
// fixed argument lists that hold no paths.
inline CliRun RunCliWords(const TempDir& dir, const std::string& words) {
  std::vector<std::string> arguments;
  size_t start = 0;
  while (start < words.size()) {
    size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    if (end > start) arguments.push_back(words.substr(start, end - start));
    start = end + 1;
  }
  return RunCli(dir, arguments);
}

// Lines of text, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The delay plimo-cli live states on its standard error: at the start
// ("live: delay 48 ms (engine 40, microphone 3, speaker 5)") or at the end
// ("live: delay 49 ms at the end, 0 underruns, 0 ms shed"); -1 when it
// stated none.
inline int StatedLiveDelayMs(const std::string& err, bool atEnd) {
  const std::string prefix = "live: delay ";
  const std::string afterStart = " ms (engine ";
  const std::string afterEnd = " ms at the end, ";
  for (const std::string& line : Lines(err)) {
    if (line.rfind(prefix, 0) != 0) continue;
    const size_t digits = line.find_first_not_of("0123456789", prefix.size());
    if (digits == prefix.size() || digits == std::string::npos) continue;
    if (line.compare(digits, (atEnd ? afterEnd : afterStart).size(), atEnd ? afterEnd : afterStart) == 0) {
      return std::stoi(line.substr(prefix.size(), digits - prefix.size()));
    }
  }
  return -1;
}

}  // namespace plimo::test
