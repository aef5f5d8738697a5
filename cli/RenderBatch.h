#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/RenderJob.h"
#include "cli/RenderList.h"
#include "cli/RenderReport.h"

namespace plimo {
class VoiceParameters;
}

namespace plimo::cli {

class RenderConsole;
class TemporaryOutputs;

// The inputs of a batch rendered on worker threads. Each worker takes the
// next input not yet taken until none is left or keepRunning is cleared,
// renders it (RenderOne) and hands its result to the report, the console
// and the tally. The record is read by every worker and written by none.
class RenderBatch {
 public:
  RenderBatch(const std::vector<RenderItem>& items, VoiceParameters& record, uint32_t seed, bool skipExisting,
              TemporaryOutputs& temporaries, RenderReport& report, RenderConsole& console,
              const std::atomic<bool>& keepRunning);
  // Waits for the workers unless abandoned.
  virtual ~RenderBatch();

  RenderBatch(const RenderBatch&) = delete;
  RenderBatch& operator=(const RenderBatch&) = delete;

  void Start(int jobs);

  // Waits up to timeout for every worker to end; true when all have.
  bool WaitFor(std::chrono::milliseconds timeout);

  // Seconds of audio analysed so far by the inputs being rendered.
  double RunningSeconds() const;

  RenderTally Tally() const;

  // Lets go of workers that do not end, for a process that ends without
  // them.
  void Abandon();

 private:
  void Work(size_t slot);
  void Finish(const RenderItem& item, const RenderResult& result);

  const std::vector<RenderItem>& items;
  VoiceParameters& record;
  uint32_t seed;
  bool skipExisting;
  TemporaryOutputs& temporaries;
  RenderReport& report;
  RenderConsole& console;
  const std::atomic<bool>& keepRunning;

  std::vector<std::thread> workers;
  // Per worker: the audio its current input has been analysed up to.
  std::unique_ptr<std::atomic<double>[]> running;
  std::atomic<size_t> next{0};

  mutable std::mutex mutex;
  std::condition_variable workerEnded;
  size_t endedWorkers = 0;
  RenderTally tally;
};

}  // namespace plimo::cli
