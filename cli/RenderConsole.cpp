#include "cli/RenderConsole.h"

namespace plimo::cli {

RenderConsole::RenderConsole(std::FILE* summaries, bool showProgress, int64_t inputs)
    : summaries(summaries),
      showProgress(showProgress),
      inputs(inputs),
      start(std::chrono::steady_clock::now()) {}

void RenderConsole::Summary(const std::string& line) {
  if (summaries != nullptr) Print(summaries, line);
}

void RenderConsole::Error(const std::string& line) { Print(stderr, line); }

void RenderConsole::InputDone(double secondsIn) {
  const std::lock_guard<std::mutex> lock(mutex);
  ++done;
  doneSeconds += secondsIn;
}

void RenderConsole::Draw(double runningSeconds) {
  const std::lock_guard<std::mutex> lock(mutex);
  if (!showProgress) return;
  const double seconds = doneSeconds + runningSeconds;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Back to the line's start, the line, and the rest of the old one erased.
  std::fprintf(stderr, "\rrender: %lld of %lld files done, %.1f s of audio, %.1fx real time\033[K",
               static_cast<long long>(done), static_cast<long long>(inputs), seconds,
               elapsed > 0.0 ? seconds / elapsed : 0.0);
  std::fflush(stderr);
  lineDrawn = true;
}

void RenderConsole::Finish() {
  Draw(0.0);
  const std::lock_guard<std::mutex> lock(mutex);
  if (lineDrawn) std::fputc('\n', stderr);
  lineDrawn = false;
}

void RenderConsole::Print(std::FILE* stream, const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex);
  ClearLine();
  std::fprintf(stream, "%s\n", line.c_str());
  std::fflush(stream);
}

void RenderConsole::ClearLine() {
  if (!lineDrawn) return;
  std::fputs("\r\033[K", stderr);
  lineDrawn = false;
}

}  // namespace plimo::cli
