#include "cli/RenderJob.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "cli/RenderOptions.h"
#include "cli/TemporaryOutputs.h"
#include "engine/RunGeometry.h"
#include "engine/RunObserver.h"
#include "engine/SoundBoard.h"
#include "engine/VoiceModifier.h"
#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

// The engine opens its streams by name; these are standard input and
// output whatever they are (a pipe, a file, a socket is refused).
constexpr const char* kStandardInputName = "/dev/stdin";
constexpr const char* kStandardOutputName = "/dev/stdout";

// The analysis position of every frame, as seconds of the input; the
// run's failure message.
class JobObserver : public RunObserver {
 public:
  explicit JobObserver(std::atomic<double>& seconds) : seconds(seconds) {}

  void OnFrameAnalysed(int64_t, int64_t position, float) override {
    if (rate > 0) seconds.store(static_cast<double>(position) / rate, std::memory_order_relaxed);
  }

  void OnRunFailure(const MessagePair& message) override { failure = message.english; }

  int rate = 0;  // Hz
  const char* failure = nullptr;

 private:
  std::atomic<double>& seconds;
};

// A message box text on one line.
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

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

RenderResult Failure(const std::string& path, const std::string& error) {
  RenderResult result;
  result.failedPath = path;
  result.error = error;
  return result;
}

std::string WithReason(const char* message, int error) {
  return OneLine(message) + " (" + std::strerror(error) + ")";
}

// Where the engine writes: the output itself, or a temporary file that
// becomes the output once complete. Devices and pipes named as outputs
// are written directly, as there is nothing to rename over them; a link
// keeps pointing at its target, which is what is replaced.
struct OutputPlan {
  std::string written;  // empty when it cannot be created
  std::string final;    // the file the temporary is renamed to; empty: none
};

OutputPlan PlanOutput(const std::string& output, TemporaryOutputs& temporaries) {
  if (output == kStandardStream) return {kStandardOutputName, ""};
  struct stat info;
  if (stat(output.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return {output, ""};
  std::string final = output;
  std::error_code error;
  if (std::filesystem::is_symlink(output, error)) {
    const std::filesystem::path target = std::filesystem::canonical(output, error);
    if (!error) final = target.string();
  }
  return {temporaries.Create(final), final};
}

RenderResult Render(VoiceParameters& record, uint32_t seed, const RenderItem& item,
                    TemporaryOutputs& temporaries, const std::atomic<bool>& keepRunning,
                    std::atomic<double>& secondsAnalysed) {
  const bool fromStdin = item.input == kStandardStream;
  const bool toStdout = item.output == kStandardStream;
  double secondsIn = std::numeric_limits<double>::quiet_NaN();
  if (fromStdin) {
    if (isatty(STDIN_FILENO) == 1)
      return Failure(item.input, "standard input is a terminal, not a wav stream");
  } else {
    // The input's own reason is clearer than the run's message.
    const std::unique_ptr<SoundFile> probe = SoundFile::OpenForReading(item.input);
    if (probe->Status() != SoundFileStatus::kSoundFileReading) {
      return Failure(item.input, SoundFileStatusText(probe->Status()));
    }
    const int64_t rate = probe->SampleRate();
    if (rate < kMinRunRate || rate > kMaxRunRate) {
      return Failure(item.input, "the sampling rate " + std::to_string(rate) + " Hz is outside the " +
                                     std::to_string(kMinRunRate) + " to " + std::to_string(kMaxRunRate) +
                                     " Hz a modification runs at");
    }
    secondsIn = static_cast<double>(probe->FrameCount()) / static_cast<double>(rate);
    const std::string refusal = toStdout ? std::string() : SoundFile::RefusalOfOutput(item.output, *probe);
    if (!refusal.empty()) return Failure(item.output, refusal);
  }
  if (toStdout && isatty(STDOUT_FILENO) == 1) {
    return Failure(item.output, "standard output is a terminal; send the wav to a file or a pipe");
  }
  // The run would see only the temporary file, never the input under it.
  if (!fromStdin && !toStdout && SameFile(item.input, item.output)) {
    return Failure(item.output, OneLine(kMessageSameInputOutput.english));
  }

  const OutputPlan plan = PlanOutput(item.output, temporaries);
  if (plan.written.empty()) {
    RenderResult failed = Failure(item.output, WithReason(kMessageCannotWriteOutputFile.english, errno));
    failed.secondsIn = secondsIn;
    return failed;
  }
  JobObserver observer(secondsAnalysed);
  VoiceModifier modifier(record, keepRunning, &observer, seed);
  // A source or rate that fails ends the run at once, and Process says why.
  static_cast<void>(modifier.Start(record, "", AsFileName(fromStdin ? kStandardInputName : item.input),
                                   AsFileName(plan.written)));
  observer.rate = modifier.SamplingRate();
  const RunStatus status = modifier.Process();

  RenderResult result;
  if (modifier.SamplingRate() > 0) {
    const double rate = modifier.SamplingRate();
    result.secondsIn = static_cast<double>(modifier.FramesRead()) / rate;
    result.secondsOut = static_cast<double>(modifier.FramesWritten()) / rate;
  }
  if (status != RunStatus::kRunOk || !keepRunning.load()) {
    if (!plan.final.empty()) temporaries.Discard(plan.written);
    if (status == RunStatus::kRunOk || !keepRunning.load()) {
      result.outcome = RenderOutcome::kStopped;
      return result;
    }
    result.failedPath = status == RunStatus::kRunOutputFailed ? item.output : item.input;
    result.error = OneLine(observer.failure != nullptr ? observer.failure : "the modification failed");
    // The run's own message asks for a file to be chosen.
    if (fromStdin && status == RunStatus::kRunInputUnreadable) {
      result.error = "standard input is not a wav stream this program reads";
    }
    return result;
  }
  if (!plan.final.empty() && !temporaries.Commit(plan.written, plan.final)) {
    result.failedPath = item.output;
    result.error = WithReason(kMessageCannotWriteOutputFile.english, errno);
    return result;
  }
  result.outcome = RenderOutcome::kRendered;
  return result;
}

}  // namespace

RenderResult RenderOne(VoiceParameters& record, uint32_t seed, bool skipExisting, const RenderItem& item,
                       TemporaryOutputs& temporaries, const std::atomic<bool>& keepRunning,
                       std::atomic<double>& secondsAnalysed) {
  const auto start = std::chrono::steady_clock::now();
  RenderResult result;
  struct stat info;
  if (skipExisting && item.output != kStandardStream && stat(item.output.c_str(), &info) == 0) {
    result.outcome = RenderOutcome::kSkipped;
  } else {
    result = Render(record, seed, item, temporaries, keepRunning, secondsAnalysed);
  }
  result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace plimo::cli
