// plimo-cli render: the main window's file mode from the command line.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "cli/Commands.h"
#include "cli/RenderOptions.h"
#include "engine/RunGeometry.h"
#include "engine/RunObserver.h"
#include "engine/VoiceModifier.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

constexpr int kBarWidth = 30;  // characters
constexpr double kPercent = 100.0;

// Cleared by Ctrl-C: the run then drains, closes its output with a
// complete header and the batch stops.
std::atomic<bool> keepRunning{true};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void StopOnSignal(int) { keepRunning.store(false, std::memory_order_relaxed); }

// A progress bar on stderr and the run's failure message.
class RenderObserver : public RunObserver {
 public:
  RenderObserver(const std::string& name, bool showProgress) : name(name), showProgress(showProgress) {}

  void OnProgress(double fraction, const char*) override {
    if (!showProgress) return;
    const int percent = static_cast<int>(fraction * kPercent);
    if (percent == shownPercent) return;
    shownPercent = percent;
    std::string bar(static_cast<size_t>(percent * kBarWidth / static_cast<int>(kPercent)), '#');
    bar.resize(kBarWidth, ' ');
    std::fprintf(stderr, "\r%s [%s] %3d%%", name.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
  }

  void OnRunFailure(const MessagePair& message) override { failure = message.english; }

  void OnRunEnd() override {
    if (shownPercent >= 0) std::fputc('\n', stderr);
    shownPercent = -1;
  }

  const char* failure = nullptr;

 private:
  std::string name;
  bool showProgress;
  int shownPercent = -1;
};

// The path a failure is about.
const std::string& FailedPath(RunStatus status, const std::string& input, const std::string& output) {
  return status == RunStatus::kRunOutputFailed ? output : input;
}

// A message box text on one line of stderr.
std::string OneLine(const char* text) {
  std::string line;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '\n') {
      if (c[1] != ' ') line += ' ';
    } else {
      line += *c;
    }
  }
  return line;
}

// Names that LoadParameters would take for the sound card stay file names.
std::string AsFileName(const std::string& path) { return path == kSoundBoardName ? "./" + path : path; }

// One file: 0, or 1 after one line on stderr.
int RenderFile(VoiceParameters& record, const RenderOptions& options, const std::string& input,
               const std::string& output) {
  std::unique_ptr<SoundFile> probe = SoundFile::OpenForReading(input);
  if (probe->Status() != SoundFileStatus::kSoundFileReading) {
    std::fprintf(stderr, "plimo-cli render: %s: %s\n", input.c_str(), SoundFileStatusText(probe->Status()));
    return kExitFailure;
  }
  const int64_t rate = probe->SampleRate();
  const int64_t frames = probe->FrameCount();
  probe.reset();
  if (rate < kMinRunRate || rate > kMaxRunRate) {
    std::fprintf(
        stderr,
        "plimo-cli render: %s: the sampling rate %lld Hz is outside the %d to %d Hz a modification runs at\n",
        input.c_str(), static_cast<long long>(rate), kMinRunRate, kMaxRunRate);
    return kExitFailure;
  }

  record.workingFolder.clear();
  record.inputFileName = AsFileName(input);
  record.outputFileName = AsFileName(output);
  record.realTimeMode = 0;
  record.meterDisplay = 0;

  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) == 1;
  RenderObserver observer(std::filesystem::path(input).filename().string(), showProgress);
  VoiceModifier modifier(record, keepRunning, &observer, options.seed);
  // The input was probed above; a source or rate that fails all the same
  // ends the run at once, and Process says why.
  static_cast<void>(modifier.Start(record));
  const RunStatus status = modifier.Process();
  if (status != RunStatus::kRunOk) {
    std::fprintf(stderr, "plimo-cli render: %s: %s\n", FailedPath(status, input, output).c_str(),
                 OneLine(observer.failure != nullptr ? observer.failure : "the modification failed").c_str());
    return kExitFailure;
  }
  if (!options.quiet) {
    const std::unique_ptr<SoundFile> written = SoundFile::OpenForReading(output);
    std::printf("%s -> %s: %.2f s in, %.2f s out%s\n", input.c_str(), output.c_str(),
                static_cast<double>(frames) / static_cast<double>(rate),
                static_cast<double>(written->FrameCount()) / static_cast<double>(rate),
                keepRunning.load() ? "" : " (stopped)");
  }
  return keepRunning.load() ? kExitOk : kExitFailure;
}

}  // namespace

int RunRender(int argc, char** argv) {
  RenderOptions options;
  if (const int status = ParseRenderOptions(argc, argv, &options); status >= 0) return status;

  std::vector<std::string> outputs;
  std::set<std::string> taken;
  for (const std::string& input : options.inputs) {
    if (options.outDir.empty()) {
      outputs.push_back(options.output);
      continue;
    }
    const std::string name = std::filesystem::path(input).filename().string();
    if (!taken.insert(name).second) {
      std::fprintf(
          stderr,
          "plimo-cli render: two inputs are named %s; their outputs would overwrite each other in %s\n",
          name.c_str(), options.outDir.c_str());
      return kExitUsage;
    }
    outputs.push_back((std::filesystem::path(options.outDir) / name).string());
  }

  VoiceParameters record;
  if (!BuildRenderRecord(options, record)) return kExitFailure;

  std::signal(SIGINT, StopOnSignal);
  int exitStatus = kExitOk;
  for (size_t i = 0; i < options.inputs.size() && keepRunning.load(); ++i) {
    if (RenderFile(record, options, options.inputs[i], outputs[i]) != kExitOk) {
      exitStatus = kExitFailure;
    }
  }
  return exitStatus;
}

}  // namespace plimo::cli
