#pragma once

#include <atomic>
#include <limits>
#include <string>

#include "cli/RenderList.h"

namespace plimo {
class VoiceParameters;
}

namespace plimo::cli {

class TemporaryOutputs;

enum class RenderOutcome { kRendered, kSkipped, kFailed, kStopped };

// How one input went.
struct RenderResult {
  RenderOutcome outcome = RenderOutcome::kFailed;
  std::string failedPath;  // the input or the output, when failed
  std::string error;       // why, on one line, when failed
  // Audio read and written, in seconds; NaN when not known.
  double secondsIn = std::numeric_limits<double>::quiet_NaN();
  double secondsOut = std::numeric_limits<double>::quiet_NaN();
  double wallSeconds = 0.0;
};

// One input rendered to its output as a run of its own, with its own
// generator started from seed, so its bytes depend on nothing else the
// batch does. The record is only read. A file output is written to a
// temporary file and renamed once complete; a run that fails, or ends
// because keepRunning was cleared, leaves nothing under the output's name
// (RenderOutcome::kStopped). With skipExisting an output that exists is
// left alone (RenderOutcome::kSkipped). secondsAnalysed follows the run's
// analysis position, for the batch's progress.
RenderResult RenderOne(VoiceParameters& record, uint32_t seed, bool skipExisting, const RenderItem& item,
                       TemporaryOutputs& temporaries, const std::atomic<bool>& keepRunning,
                       std::atomic<double>& secondsAnalysed);

}  // namespace plimo::cli
