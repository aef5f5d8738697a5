#pragma once

#include <atomic>
#include <string>

#include "messages/MessageSink.h"
#include "ops/OperationControls.h"

namespace plimo {
class Operations;
}

namespace plimo::cli {

// The operations' controls on a terminal: a one-line level meter on
// stderr when it is a terminal, nothing otherwise. The workers only leave
// the level here; the main thread draws it (DrawMeter), so the audio
// thread never formats or writes.
class ConsoleControls : public OperationControls {
 public:
  explicit ConsoleControls(bool showMeter) : showMeter(showMeter) {}
  void OperationStarted(int32_t, OperationReports reports) override { meterShown.store(reports.level); }
  void SetLevel(double level) override { meterLevel.store(level, std::memory_order_relaxed); }
  void SetProgress(double, const char*) override {}
  void OperationEnded(int32_t, OperationResult result) override {
    meterShown.store(false);
    if (result == OperationResult::kFailed) failed.store(true);
  }

  // Whether an operation has failed; once its worker has ended.
  bool AnyFailed() const { return failed.load(); }

  // Main thread: draws the meter's line, or ends it once it is hidden.
  void DrawMeter();

 private:
  bool showMeter;
  std::atomic<bool> meterShown{false};
  std::atomic<double> meterLevel{0.0};
  std::atomic<bool> failed{false};
  bool lineDrawn = false;  // main thread
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
// seconds (when positive) have passed, drawing the controls' meter
// meanwhile; then stops it cleanly and waits for its worker. true when it
// was stopped by Ctrl-C or the time limit.
bool RunUntilStopped(Operations& operations, ConsoleControls& controls, double seconds);

// Parses a number of seconds (> 0); false when it is not one.
bool ParseSeconds(const char* text, double* seconds);

}  // namespace plimo::cli
