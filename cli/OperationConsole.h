#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "messages/MessageSink.h"
#include "ops/LatestDelay.h"
#include "ops/OperationControls.h"

namespace plimo {
class Operations;
}

namespace plimo::cli {

// The operations' controls on a terminal: a one-line level meter on
// stream when it is a terminal, nothing otherwise; a live run's delay once
// at its start and once at its end, in a fixed form scripts can read:
//   live: delay 48 ms (engine 40, microphone 3, speaker 5)
//   live: delay 49 ms at the end, 0 underruns, 0 ms shed
// The workers only leave the level and the delay here; the main thread
// prints them (Draw, PrintDelaySummary), so the audio thread never formats
// or writes, and a delay line never lands inside the meter's line.
class ConsoleControls : public OperationControls {
 public:
  explicit ConsoleControls(bool showMeter, std::FILE* stream = stderr)
      : showMeter(showMeter), stream(stream) {}
  void OperationStarted(int32_t, OperationReports reports) override {
    delay.Clear();
    meterShown.store(reports.level);
  }
  void SetLevel(double level) override { meterLevel.store(level, std::memory_order_relaxed); }
  void SetProgress(double, const char*) override {}
  void SetDelay(const LiveDelay& reported) override { delay.Store(reported); }
  void OperationEnded(int32_t, OperationResult result) override {
    meterShown.store(false);
    if (result == OperationResult::kFailed) failed.store(true);
  }

  // Whether an operation has failed; once its worker has ended.
  bool AnyFailed() const { return failed.load(); }

  // Main thread: prints the first delay a run reports, then draws the
  // meter's line, or ends it once it is hidden.
  void Draw();
  // Main thread, once the run's worker has ended: the last delay it
  // reported, with what kept it down; nothing when it reported none.
  void PrintDelaySummary();

 private:
  // Ends the meter's line so that a whole line can follow.
  void ClearMeterLine();

  bool showMeter;
  std::FILE* stream;
  std::atomic<bool> meterShown{false};
  std::atomic<double> meterLevel{0.0};
  std::atomic<bool> failed{false};
  LatestDelay delay;
  bool lineDrawn = false;     // main thread
  bool startPrinted = false;  // main thread
};

// Messages for the user: one line on stderr, prefixed with the command.
class ConsoleMessages : public MessageSink {
 public:
  explicit ConsoleMessages(std::string command) : command(std::move(command)) {}
  int ShowMessage(const MessagePair& message, int type) override;

 private:
  std::string command;
};

// Waits until the running operation ends by itself, Ctrl-C is pressed, or
// seconds (when positive) have passed, drawing the controls meanwhile; then stops it cleanly and waits for its worker. true when it
// was stopped by Ctrl-C or the time limit.
bool RunUntilStopped(Operations& operations, ConsoleControls& controls, double seconds);

// Parses a number of seconds (> 0); false when it is not one.
bool ParseSeconds(const char* text, double* seconds);

}  // namespace plimo::cli
