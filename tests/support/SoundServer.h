#pragma once

// A private sound server (scripts/sound-server) for tests that need real
// time, a mixer, or both: PulseAudio, started on first use in a throwaway
// folder and stopped when the test program ends, or a test's own PipeWire.
// Its default sink "speaker" is what the program plays to (recordable from
// speaker.monitor); what is played into the sink "micfeed" is what the
// program's microphone hears.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/SoundEnvironment.h"
#include "support/TempFiles.h"

#ifndef PLIMO_SOURCE_DIR
#error "tests that use the sound server need PLIMO_SOURCE_DIR"
#endif

namespace plimo::test {

using Variables = std::vector<std::pair<std::string, std::string>>;

// This process's environment with the given variables replaced, as the
// strings an exec takes; built before a fork, as the child may not allocate.
class ChildEnvironment {
 public:
  explicit ChildEnvironment(const Variables& overrides) {
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      bool replaced = false;
      for (const auto& [name, value] : overrides) replaced |= text.rfind(name + "=", 0) == 0;
      if (!replaced) strings.push_back(text);
    }
    for (const auto& [name, value] : overrides) strings.push_back(name + "=" + value);
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
  }
  char** Get() { return pointers.data(); }

 private:
  std::vector<std::string> strings;
  std::vector<char*> pointers;
};

// Runs a program with the arguments as they are (no shell) and waits for
// it; its output goes to outPath and its errors to errPath when given. The
// exit status, or -1.
inline int RunProgram(const std::vector<std::string>& command, const std::string& outPath = "",
                      const Variables& overrides = {}, const std::string& errPath = "") {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  ChildEnvironment environment(overrides);
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = outPath.empty() ? open("/dev/null", O_WRONLY)
                                    : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    if (!errPath.empty()) {
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err < 0) _exit(127);
      dup2(err, 2);
    }
    execvpe(argv[0], argv.data(), environment.Get());
    _exit(127);
  }
  if (child < 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A program left running (pacat, parecord), stopped by its pid. Its
// standard error goes to errPath when given.
class BackgroundProgram {
 public:
  BackgroundProgram(const std::vector<std::string>& command, const Variables& overrides,
                    const std::string& errPath = "") {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ChildEnvironment environment(overrides);
    pid = fork();
    if (pid == 0) {
      const int in = open("/dev/null", O_RDONLY);
      if (in < 0) _exit(127);
      dup2(in, 0);
      if (!errPath.empty()) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0) _exit(127);
        dup2(err, 2);
      }
      execvpe(argv[0], argv.data(), environment.Get());
      _exit(127);
    }
  }
  ~BackgroundProgram() { Stop(); }
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool Started() const { return pid > 0; }
  pid_t Pid() const { return pid; }
  // Waits for the program to end by itself; its exit status or -1.
  int Wait() {
    if (pid <= 0) return -1;
    int status = 0;
    const pid_t ended = waitpid(pid, &status, 0);
    pid = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Waits at most limit for the program to end: true with its exit status
  // (-1 when it did not exit normally), or false while it still runs.
  bool WaitFor(std::chrono::milliseconds limit, int* exitStatus) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid > 0) {
      int status = 0;
      const pid_t ended = waitpid(pid, &status, WNOHANG);
      if (ended == pid) {
        pid = -1;
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
      }
      if (ended < 0 || std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  void Signal(int signal) const {
    if (pid > 0) kill(pid, signal);
  }
  void Stop() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }

 private:
  pid_t pid = -1;
};

// The variables that reach a server started in dir (its "env" file).
inline Variables ServerEnvironment(const TempDir& dir) {
  Variables variables;
  std::ifstream env(dir.Path("env"));
  std::string line;
  while (std::getline(env, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) variables.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return variables;
}

// PipeWire comes with its server for PulseAudio clients, which is what
// the program and the tests talk to.
enum class ServerFlavour { kPulseAudio, kPipeWire };

class SoundServer {
 public:
  static constexpr int kFeedLatencyMs = 100;

  // The program's PulseAudio server, started on first use; check Running().
  static SoundServer& Get() {
    static SoundServer server(ServerFlavour::kPulseAudio);
    return server;
  }

  // A server of one's own, stopped when it goes; check Running().
  explicit SoundServer(ServerFlavour flavour) {
    if (dir.Root().empty()) {
      failure = "no temporary folder for the sound server";
      return;
    }
    std::vector<std::string> command{Script()};
    if (flavour == ServerFlavour::kPipeWire) command.push_back("--pipewire");
    command.insert(command.end(), {"start", dir.Root(), std::to_string(getpid())});
    const std::string errors = dir.Path("start.err");
    if (RunProgram(command, dir.Path("start.log"), {}, errors) != 0) {
      const std::vector<uint8_t> said = ReadBytes(errors);
      failure = std::string(flavour == ServerFlavour::kPipeWire ? "PipeWire" : "PulseAudio") +
                " did not start (scripts/install-deps installs it): " + std::string(said.begin(), said.end());
      return;
    }
    variables = ServerEnvironment(dir);
    running = !variables.empty();
    if (!running) failure = "scripts/sound-server left no environment";
  }
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  bool Running() const { return running; }
  const std::string& Failure() const { return failure; }
  const std::string& Folder() const { return dir.Root(); }

  // The variables that make this process's ALSA and PulseAudio clients use
  // the server.
  const test::Variables& Environment() const { return variables; }

  // pactl with the given arguments; its standard output, or "" on failure.
  std::string Pactl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"pactl"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const std::string out = dir.Path("pactl.out");
    if (RunProgram(command, out, variables) != 0) return "";
    const std::vector<uint8_t> bytes = ReadBytes(out);
    return std::string(bytes.begin(), bytes.end());
  }

  // Plays 16-bit mono samples at rate into a sink and returns at once. The
  // player keeps kFeedLatencyMs ahead, so a busy machine does not put gaps
  // into what the program under test hears.
  std::unique_ptr<BackgroundProgram> PlayInto(const std::string& sink, const std::vector<int16_t>& samples,
                                              int rate, const std::string& name) const {
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      bytes[2 * i] = static_cast<uint8_t>(samples[i]);
      bytes[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(samples[i]) >> 8);
    }
    const std::string path = dir.Write(name + ".raw", bytes);
    return std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"pacat", "-p", "-d", sink, "--raw", "--format=s16le", "--channels=1",
                                 "--rate=" + std::to_string(rate),
                                 "--latency-msec=" + std::to_string(kFeedLatencyMs), path},
        variables);
  }

  // Records a source as 16-bit mono at rate into the server's folder until
  // the returned program is stopped; read it with Recorded(name).
  std::unique_ptr<BackgroundProgram> RecordFrom(const std::string& source, int rate,
                                                const std::string& name) const {
    return std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"parecord", "-d", source, "--raw", "--format=s16le", "--channels=1",
                                 "--rate=" + std::to_string(rate), "--latency-msec=10",
                                 dir.Path(name + ".raw")},
        variables);
  }

  std::vector<int16_t> Recorded(const std::string& name) const {
    const std::vector<uint8_t> bytes = ReadBytes(dir.Path(name + ".raw"));
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
  }

  ~SoundServer() {
    if (!dir.Root().empty()) RunProgram({Script(), "stop", dir.Root()});
  }

 private:
  static std::string Script() { return PLIMO_SOURCE_DIR "/scripts/sound-server"; }

  TempDir dir;
  bool running = false;
  std::string failure;
  test::Variables variables;
};

// A server of a test's own, for tests that stop or end it: the shared one
// serves the tests after them. Stopped when it goes.
class DisposableServer {
 public:
  DisposableServer() {
    if (dir.Root().empty() || RunProgram({Script(), "start", dir.Root(), std::to_string(getpid())}) != 0) {
      return;
    }
    variables = ServerEnvironment(dir);
  }
  ~DisposableServer() {
    if (dir.Root().empty()) return;
    Resume();
    RunProgram({Script(), "stop", dir.Root()});
  }
  DisposableServer(const DisposableServer&) = delete;
  DisposableServer& operator=(const DisposableServer&) = delete;

  const Variables& Environment() const { return variables; }

  // Ends the server as a crash would, and returns once it is gone (or a
  // few seconds have passed); false when it was not running.
  bool Crash() const {
    const pid_t pid = ServerPid();
    if (pid <= 0 || kill(pid, SIGKILL) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // Not this process's child: its entry goes once its parent reaps it.
    while (std::ifstream("/proc/" + std::to_string(pid) + "/stat").good() &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // A server again in the same place, as after a crash the desktop starts
  // a new one; false when it did not start.
  bool Restart() const {
    RunProgram({Script(), "stop", dir.Root()});
    return RunProgram({Script(), "start", dir.Root(), std::to_string(getpid())}) == 0;
  }

  // The server stops answering without going away, as a hung one does.
  bool Pause() const {
    const pid_t pid = ServerPid();
    return pid > 0 && kill(pid, SIGSTOP) == 0;
  }
  void Resume() const {
    const pid_t pid = ServerPid();
    if (pid > 0) kill(pid, SIGCONT);
  }

 private:
  static std::string Script() { return PLIMO_SOURCE_DIR "/scripts/sound-server"; }
  pid_t ServerPid() const {
    pid_t pid = 0;
    std::ifstream(dir.Path("pulseaudio.pid")) >> pid;
    return pid;
  }

  TempDir dir;
  Variables variables;
};

// Makes this process use the sound server for as long as it lives.
class UsingSoundServer {
 public:
  UsingSoundServer() : scope(SoundServer::Get().Environment()) {}

 private:
  SoundVariablesScope scope;
};

}  // namespace plimo::test
