#include "cli/RenderReport.h"

#include "cli/Json.h"
#include "cli/RenderOptions.h"

namespace plimo::cli {

void RenderTally::Add(const RenderResult& result) {
  switch (result.outcome) {
    case RenderOutcome::kRendered:
      ++rendered;
      secondsIn += result.secondsIn;
      secondsOut += result.secondsOut;
      break;
    case RenderOutcome::kSkipped: ++skipped; break;
    case RenderOutcome::kFailed: ++failed; break;
    case RenderOutcome::kStopped: ++stopped; break;
  }
}

RenderReport::~RenderReport() { static_cast<void>(Close()); }

bool RenderReport::Open(const std::string& path) {
  if (path == kStandardStream) {
    stream = stdout;
    return true;
  }
  stream = std::fopen(path.c_str(), "w");
  owned = stream != nullptr;
  return owned;
}

void RenderReport::Add(const RenderItem& item, const RenderResult& result) {
  const bool ok = result.outcome == RenderOutcome::kRendered || result.outcome == RenderOutcome::kSkipped;
  std::string error = "null";
  if (result.outcome == RenderOutcome::kFailed) error = JsonString(result.error);
  if (result.outcome == RenderOutcome::kStopped) error = JsonString("stopped");
  Write("{\"input\":" + JsonString(item.input) + ",\"output\":" + JsonString(item.output) +
        ",\"ok\":" + (ok ? "true" : "false") +
        ",\"skipped\":" + (result.outcome == RenderOutcome::kSkipped ? "true" : "false") +
        ",\"error\":" + error + ",\"seconds_in\":" + JsonNumber(result.secondsIn) + ",\"seconds_out\":" +
        JsonNumber(result.secondsOut) + ",\"wall_seconds\":" + JsonNumber(result.wallSeconds) + "}");
}

void RenderReport::Summarise(const RenderTally& tally, double wallSeconds, int jobs, int exitStatus) {
  Write("{\"summary\":true,\"inputs\":" + std::to_string(tally.inputs) +
        ",\"rendered\":" + std::to_string(tally.rendered) + ",\"skipped\":" + std::to_string(tally.skipped) +
        ",\"failed\":" + std::to_string(tally.failed) + ",\"stopped\":" + std::to_string(tally.stopped) +
        ",\"not_started\":" + std::to_string(tally.NotStarted()) +
        ",\"seconds_in\":" + JsonNumber(tally.secondsIn) +
        ",\"seconds_out\":" + JsonNumber(tally.secondsOut) + ",\"wall_seconds\":" + JsonNumber(wallSeconds) +
        ",\"jobs\":" + std::to_string(jobs) + ",\"exit_status\":" + std::to_string(exitStatus) + "}");
}

void RenderReport::Write(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex);
  if (stream == nullptr) return;
  if (std::fprintf(stream, "%s\n", line.c_str()) < 0 || std::fflush(stream) != 0) failed = true;
}

bool RenderReport::Close() {
  const std::lock_guard<std::mutex> lock(mutex);
  if (stream != nullptr && owned && std::fclose(stream) != 0) failed = true;
  stream = nullptr;
  owned = false;
  return !failed;
}

}  // namespace plimo::cli
