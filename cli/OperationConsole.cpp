#include "cli/OperationConsole.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/Options.h"
#include "ops/Operations.h"

namespace plimo::cli {

namespace {

constexpr int kMeterWidth = 40;             // characters
constexpr long kMeterRedrawMs = 50;         // at most twenty lines a second
constexpr std::chrono::milliseconds kWaitStep{10};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void NoteInterrupt(int) { interrupted.store(true, std::memory_order_relaxed); }

long NowMs() {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count());
}

}  // namespace

void ConsoleControls::ShowLevelMeter(bool shown) {
  if (!showMeter) return;
  if (!shown && meterShown) std::fputc('\n', stderr);
  meterShown = shown;
}

void ConsoleControls::SetLevel(double level) {
  if (!showMeter || !meterShown) return;
  const long now = NowMs();
  if (now - lastDrawMs < kMeterRedrawMs) return;
  lastDrawMs = now;
  const int filled = std::min(kMeterWidth, static_cast<int>(std::fabs(level) * kMeterWidth));
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kMeterWidth, ' ');
  std::fprintf(stderr, "\rlevel [%s]", bar.c_str());
  std::fflush(stderr);
}

int ConsoleMessages::ShowMessage(const MessagePair& message, int) {
  shown.store(true);
  std::fprintf(stderr, "plimo-cli %s: %s\n", command.c_str(), ChooseText(message));
  return kMessageAnswerOk;
}

bool RunUntilStopped(Operations& operations, double seconds) {
  interrupted.store(false);
  std::signal(SIGINT, NoteInterrupt);
  std::signal(SIGTERM, NoteInterrupt);
  const auto start = std::chrono::steady_clock::now();
  bool stopped = false;
  while (operations.flags.Any()) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (interrupted.load() || (seconds > 0.0 && elapsed >= seconds)) {
      stopped = true;
      break;
    }
    std::this_thread::sleep_for(kWaitStep);
  }
  operations.StopAllOperations();
  operations.WaitForWorkers();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  return stopped;
}

bool ParseSeconds(const char* text, double* seconds) {
  return ParseDouble(text, seconds) && *seconds > 0.0 && std::isfinite(*seconds);
}

}  // namespace plimo::cli
