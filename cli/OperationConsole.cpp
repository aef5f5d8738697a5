#include "cli/OperationConsole.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "cli/Options.h"
#include "ops/Operations.h"

namespace plimo::cli {

namespace {

constexpr int kMeterWidth = 40;                        // characters
constexpr std::chrono::milliseconds kMeterRedraw{50};  // twenty lines a second
constexpr std::chrono::milliseconds kWaitStep{10};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void NoteInterrupt(int) { interrupted.store(true, std::memory_order_relaxed); }

}  // namespace

void ConsoleControls::Draw() {
  LiveDelay first;
  if (!startPrinted && delay.Load(&first)) {
    ClearMeterLine();
    std::fprintf(stream, "live: delay %ld ms (engine %ld, microphone %ld, speaker %ld)\n",
                 std::lround(first.totalMs), std::lround(first.engineMs), std::lround(first.captureMs),
                 std::lround(first.playbackMs));
    std::fflush(stream);
    startPrinted = true;
  }
  if (!showMeter) return;
  if (!meterShown.load()) {
    if (lineDrawn) std::fputc('\n', stream);
    lineDrawn = false;
    return;
  }
  const double level = meterLevel.load(std::memory_order_relaxed);
  const int filled = std::min(kMeterWidth, static_cast<int>(std::fabs(level) * kMeterWidth));
  char bar[kMeterWidth + 1];
  std::memset(bar, ' ', kMeterWidth);
  std::memset(bar, '#', static_cast<size_t>(filled));
  bar[kMeterWidth] = '\0';
  std::fprintf(stream, "\rlevel [%s]", bar);
  std::fflush(stream);
  lineDrawn = true;
}

void ConsoleControls::PrintDelaySummary() {
  LiveDelay last;
  if (!delay.Load(&last)) return;
  ClearMeterLine();
  std::fprintf(stream, "live: delay %ld ms at the end, %lld underruns, %lld ms shed\n",
               std::lround(last.totalMs), static_cast<long long>(last.underruns),
               static_cast<long long>(last.shedMs));
  std::fflush(stream);
}

void ConsoleControls::ClearMeterLine() {
  if (!lineDrawn) return;
  // Back to the line's start and erased, as a terminal understands it.
  std::fputs("\r\033[K", stream);
  lineDrawn = false;
}

int ConsoleMessages::ShowMessage(const MessagePair& message, int) {
  std::fprintf(stderr, "plimo-cli %s: %s\n", command.c_str(), ChooseText(message));
  return kMessageAnswerOk;
}

bool RunUntilStopped(Operations& operations, ConsoleControls& controls, double seconds) {
  interrupted.store(false);
  std::signal(SIGINT, NoteInterrupt);
  std::signal(SIGTERM, NoteInterrupt);
  const auto start = std::chrono::steady_clock::now();
  auto lastDraw = start;
  bool stopped = false;
  while (operations.flags.Any()) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw >= kMeterRedraw) {
      controls.Draw();
      lastDraw = now;
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (interrupted.load() || (seconds > 0.0 && elapsed >= seconds)) {
      stopped = true;
      break;
    }
    std::this_thread::sleep_for(kWaitStep);
  }
  operations.StopAllOperations();
  operations.WaitForWorkers();
  controls.Draw();
  controls.PrintDelaySummary();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  return stopped;
}

bool ParseSeconds(const char* text, double* seconds) {
  return ParseDouble(text, seconds) && *seconds > 0.0 && std::isfinite(*seconds);
}

}  // namespace plimo::cli
