#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "cli/RenderJob.h"

namespace plimo::cli {

// What a batch did, summed over its inputs.
struct RenderTally {
  int64_t inputs = 0;  // in this run's share
  int64_t rendered = 0;
  int64_t skipped = 0;
  int64_t failed = 0;
  int64_t stopped = 0;   // begun, then stopped by a signal
  double secondsIn = 0;  // audio read and written by the rendered inputs
  double secondsOut = 0;

  void Add(const RenderResult& result);
  int64_t NotStarted() const { return inputs - rendered - skipped - failed - stopped; }
};

// The --report file: one JSON object a line for every input as it is done
// (in the order they finish), then a summary line. Lines are flushed as
// written, so a batch that is killed keeps the record of what it did. Any
// thread may add a line.
class RenderReport {
 public:
  RenderReport() = default;
  virtual ~RenderReport();

  RenderReport(const RenderReport&) = delete;
  RenderReport& operator=(const RenderReport&) = delete;

  // Creates the file, or takes standard output for kStandardStream. false
  // when it cannot be created. Without Open the report writes nothing.
  bool Open(const std::string& path);

  // {"input", "output", "ok", "skipped", "error", "seconds_in",
  //  "seconds_out", "wall_seconds"}; error is null unless the input failed
  // or was stopped, the seconds null when not known.
  void Add(const RenderItem& item, const RenderResult& result);

  // {"summary": true, "inputs", "rendered", "skipped", "failed", "stopped",
  //  "not_started", "seconds_in", "seconds_out", "wall_seconds", "jobs",
  //  "exit_status"}
  void Summarise(const RenderTally& tally, double wallSeconds, int jobs, int exitStatus);

  // Closes the file. false when any line could not be written.
  bool Close();

 private:
  void Write(const std::string& line);

  std::mutex mutex;
  std::FILE* stream = nullptr;
  bool owned = false;  // not standard output
  bool failed = false;
};

}  // namespace plimo::cli
