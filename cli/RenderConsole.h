#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace plimo::cli {

// What plimo-cli render shows while it works: a line for each input done
// (on summaries, when there is one), errors on stderr, and one progress
// line on stderr for the whole batch (files done, seconds of audio, how
// many times real time) redrawn in place, when it is a terminal. Any
// thread may print; the progress line is cleared before, and drawn again
// at the next Draw.
class RenderConsole {
 public:
  // summaries: stdout, stderr, or null for none; showProgress: draw the
  // progress line.
  RenderConsole(std::FILE* summaries, bool showProgress, int64_t inputs);
  virtual ~RenderConsole() = default;

  RenderConsole(const RenderConsole&) = delete;
  RenderConsole& operator=(const RenderConsole&) = delete;

  void Summary(const std::string& line);
  void Error(const std::string& line);
  // An input is done; secondsIn is the audio it took (0 when unknown).
  void InputDone(double secondsIn);

  // Draws the progress line, with runningSeconds of audio analysed by the
  // inputs not done yet.
  void Draw(double runningSeconds);
  // The last progress line, then a line end.
  void Finish();

 private:
  void Print(std::FILE* stream, const std::string& line);
  void ClearLine();

  std::mutex mutex;
  std::FILE* summaries;
  bool showProgress;
  int64_t inputs;
  int64_t done = 0;
  double doneSeconds = 0.0;
  bool lineDrawn = false;
  std::chrono::steady_clock::time_point start;
};

}  // namespace plimo::cli
