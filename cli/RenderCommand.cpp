// plimo-cli render: the main window's file mode from the command line, for
// one file or a batch on every core.

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/RenderBatch.h"
#include "cli/RenderConsole.h"
#include "cli/RenderList.h"
#include "cli/RenderOptions.h"
#include "cli/RenderReport.h"
#include "cli/TemporaryOutputs.h"
#include "params/VoiceParameters.h"

namespace plimo::cli {

namespace {

// How often the progress line is drawn again.
constexpr std::chrono::milliseconds kRedrawInterval{250};
// A job stops within a frame of a stop request; one that has not ended
// after this waits on something that may never come (standard input from
// a writer that stalled), and the process ends without it.
constexpr std::chrono::seconds kStopGrace{5};
// A process stopped by a signal exits with 128 plus the signal's number.
constexpr int kSignalExitBase = 128;

// Cleared by SIGINT or SIGTERM: every job then stops, its unfinished output
// is removed, and no input is begun after it.
std::atomic<bool> keepRunning{true};
std::atomic<int> stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the flags are set from a signal handler");

extern "C" void StopOnSignal(int signal) {
  stopSignal.store(signal, std::memory_order_relaxed);
  keepRunning.store(false, std::memory_order_relaxed);
}

// The CPUs this process may run on (taskset, cgroups' cpusets, a batch
// system's allocation), not every CPU of the machine.
int UsableCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

int ExitStatus(const RenderTally& tally, bool reportOk) {
  if (stopSignal.load() != 0) return kSignalExitBase + stopSignal.load();
  return tally.failed > 0 || !reportOk ? kExitFailure : kExitOk;
}

}  // namespace

int RunRender(int argc, char** argv) {
  RenderOptions options;
  if (const int status = ParseRenderOptions(argc, argv, &options); status >= 0) return status;
  std::vector<RenderItem> items;
  if (const int status = BuildRenderList(options, &items); status >= 0) return status;

  VoiceParameters record;
  if (!BuildRenderRecord(options, record)) return kExitFailure;
  record.realTimeMode = 0;
  record.meterDisplay = 0;

  RenderReport report;
  if (!options.reportFile.empty() && !report.Open(options.reportFile)) {
    std::perror(("plimo-cli render: " + options.reportFile).c_str());
    return kExitFailure;
  }
  // Standard output may carry the wav or the report; the lines for the
  // user then go to stderr.
  const bool stdoutTaken = options.output == kStandardStream || options.reportFile == kStandardStream;
  std::FILE* summaries = stdoutTaken ? stderr : stdout;
  RenderConsole console(options.quiet ? nullptr : summaries, !options.quiet && isatty(STDERR_FILENO) == 1,
                        static_cast<int64_t>(items.size()));
  TemporaryOutputs temporaries;
  const int jobs = std::max(1, std::min(options.jobs > 0 ? options.jobs : UsableCpus(),
                                        static_cast<int>(std::min<size_t>(items.size(), INT32_MAX))));

  std::signal(SIGINT, StopOnSignal);
  std::signal(SIGTERM, StopOnSignal);
  // A reader that goes away (render - - | head) fails the writes to it, so
  // that the batch ends through its own path and removes its temporaries.
  std::signal(SIGPIPE, SIG_IGN);
  const auto start = std::chrono::steady_clock::now();
  RenderBatch batch(items, record, options.seed, options.skipExisting, temporaries, report, console,
                    keepRunning);
  batch.Start(jobs);
  std::chrono::steady_clock::time_point stopSeen;
  bool abandoned = false;
  while (!batch.WaitFor(kRedrawInterval)) {
    console.Draw(batch.RunningSeconds());
    if (keepRunning.load()) continue;
    const auto now = std::chrono::steady_clock::now();
    if (stopSeen == std::chrono::steady_clock::time_point{}) stopSeen = now;
    if (now - stopSeen >= kStopGrace) {
      temporaries.DiscardAll();
      batch.Abandon();
      abandoned = true;
      break;
    }
  }
  console.Finish();
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const RenderTally tally = batch.Tally();
  int exitStatus = ExitStatus(tally, true);
  report.Summarise(tally, wallSeconds, jobs, exitStatus);
  const bool reportOk = report.Close();
  if (!reportOk) {
    std::fprintf(stderr, "plimo-cli render: %s: the report could not be written\n",
                 options.reportFile.c_str());
  }
  exitStatus = ExitStatus(tally, reportOk);
  if (stopSignal.load() != 0) {
    std::fprintf(stderr,
                 "plimo-cli render: stopped by %s; %lld of %lld inputs done, unfinished outputs removed\n",
                 stopSignal.load() == SIGINT ? "SIGINT" : "SIGTERM",
                 static_cast<long long>(tally.rendered + tally.skipped + tally.failed),
                 static_cast<long long>(tally.inputs));
  }
  if (abandoned) {
    // A worker still waits on its input: the process ends under it.
    std::fflush(nullptr);
    std::_Exit(exitStatus);
  }
  return exitStatus;
}

}  // namespace plimo::cli
