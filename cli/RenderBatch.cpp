#include "cli/RenderBatch.h"

#include <cmath>
#include <cstdio>

#include "cli/RenderConsole.h"

namespace plimo::cli {

namespace {

std::string SummaryLine(const RenderItem& item, const RenderResult& result) {
  char figures[64];
  if (result.outcome == RenderOutcome::kSkipped) {
    std::snprintf(figures, sizeof figures, "skipped, the output exists");
  } else {
    std::snprintf(figures, sizeof figures, "%.2f s in, %.2f s out", result.secondsIn, result.secondsOut);
  }
  return item.input + " -> " + item.output + ": " + figures;
}

}  // namespace

RenderBatch::RenderBatch(const std::vector<RenderItem>& items, VoiceParameters& record, uint32_t seed,
                         bool skipExisting, TemporaryOutputs& temporaries, RenderReport& report,
                         RenderConsole& console, const std::atomic<bool>& keepRunning)
    : items(items),
      record(record),
      seed(seed),
      skipExisting(skipExisting),
      temporaries(temporaries),
      report(report),
      console(console),
      keepRunning(keepRunning) {
  tally.inputs = static_cast<int64_t>(items.size());
}

RenderBatch::~RenderBatch() {
  for (std::thread& worker : workers) {
    if (worker.joinable()) worker.join();
  }
}

void RenderBatch::Start(int jobs) {
  running = std::make_unique<std::atomic<double>[]>(static_cast<size_t>(jobs));
  for (int slot = 0; slot < jobs; ++slot) {
    running[static_cast<size_t>(slot)].store(0.0);
    workers.emplace_back(&RenderBatch::Work, this, static_cast<size_t>(slot));
  }
}

void RenderBatch::Work(size_t slot) {
  while (keepRunning.load()) {
    const size_t index = next.fetch_add(1);
    if (index >= items.size()) break;
    const RenderResult result =
        RenderOne(record, seed, skipExisting, items[index], temporaries, keepRunning, running[slot]);
    Finish(items[index], result);
    running[slot].store(0.0, std::memory_order_relaxed);
  }
  const std::lock_guard<std::mutex> lock(mutex);
  ++endedWorkers;
  workerEnded.notify_all();
}

void RenderBatch::Finish(const RenderItem& item, const RenderResult& result) {
  report.Add(item, result);
  switch (result.outcome) {
    case RenderOutcome::kRendered:
    case RenderOutcome::kSkipped: console.Summary(SummaryLine(item, result)); break;
    case RenderOutcome::kFailed:
      console.Error("plimo-cli render: " + result.failedPath + ": " + result.error);
      break;
    case RenderOutcome::kStopped: break;
  }
  if (result.outcome != RenderOutcome::kStopped) {
    console.InputDone(std::isfinite(result.secondsIn) ? result.secondsIn : 0.0);
  }
  const std::lock_guard<std::mutex> lock(mutex);
  tally.Add(result);
}

bool RenderBatch::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex);
  return workerEnded.wait_for(lock, timeout, [this] { return endedWorkers == workers.size(); });
}

double RenderBatch::RunningSeconds() const {
  double seconds = 0.0;
  for (size_t slot = 0; slot < workers.size(); ++slot) {
    seconds += running[slot].load(std::memory_order_relaxed);
  }
  return seconds;
}

RenderTally RenderBatch::Tally() const {
  const std::lock_guard<std::mutex> lock(mutex);
  return tally;
}

void RenderBatch::Abandon() {
  for (std::thread& worker : workers) worker.detach();
}

}  // namespace plimo::cli
