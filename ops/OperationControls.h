#pragma once

#include <cstdint>

#include "engine/LiveDelay.h"

namespace plimo {

// The operations. Operations::activeOperation holds the playback or
// modification started last; a recording never becomes the active one.
inline constexpr int32_t kOperationNone = 0;
inline constexpr int32_t kOperationPlayInput = 1;
inline constexpr int32_t kOperationPlayOutput = 2;
inline constexpr int32_t kOperationModification = 3;
inline constexpr int32_t kOperationRecording = 4;

// What a starting operation will report while it runs: a level (the
// microphone's or the played file's), the progress through a file, a live
// run's delay from the microphone to the speaker.
struct OperationReports {
  bool level = false;
  bool progress = false;
  bool delay = false;
};

// How an operation ended: it did its job (to the end of its input, or up to
// a stop), or it failed and the user is told why.
enum class OperationResult { kDone, kFailed };

// What the operations report while they run: one started, the level, the
// progress, one ended. Calls come from the worker threads; the main window
// queues each to the user-interface thread and decides there which
// controls move, show or wait (plimo-cli draws a level line, the tests
// record them). What the user is to be told goes through the operations'
// message sink.
class OperationControls {
 public:
  virtual ~OperationControls() = default;

  // operation is one of the kOperation ids; until the first SetLevel there
  // is no level.
  virtual void OperationStarted(int32_t operation, OperationReports reports) = 0;

  // A sample over 32700 (signed for recording and playback, a magnitude for
  // a modification), before a meter's own scale. Every block.
  virtual void SetLevel(double level) = 0;

  // A file modification's fraction done (0 .. 1) and its status text.
  // Every frame.
  virtual void SetProgress(double fraction, const char* text) = 0;

  // A live modification's delay from the microphone to the speaker, once
  // both devices run and then about four times a second.
  virtual void SetDelay(const LiveDelay& /*delay*/) {}

  // The last report of an operation: nothing of it runs any more but the
  // end of its worker thread.
  virtual void OperationEnded(int32_t operation, OperationResult result) = 0;
};

}  // namespace plimo
