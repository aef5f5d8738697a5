#pragma once

#include <cstdint>

#include "engine/LiveDelay.h"
#include "messages/MessagePair.h"

namespace plimo {

// What a modification run tells the world while it runs: the main window's
// progress bar, status text and level meter, or plimo-cli's progress line.
// Calls come from the thread that runs the engine. Every hook does nothing
// unless overridden.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // File mode, after every frame: the fraction of the input analysed so far
  // (0 .. 1) and the status text, "Process: % " and the percentage with one
  // decimal ("%3.1f"), in the program's language.
  virtual void OnProgress(double /*fraction*/, const char* /*statusText*/) {}

  // Live microphone input, after every read: |first sample read| / 32700,
  // before the meter's own scale is applied.
  virtual void OnInputLevel(double /*level*/) {}

  // Every analysed frame: its index from 0, the absolute input position of
  // its analysis buffer (samples) and its F0 (Hz, 0 when unvoiced).
  virtual void OnFrameAnalysed(int64_t /*frame*/, int64_t /*position*/, float /*f0*/) {}

  // Live runs, once both devices run and then about four times a second:
  // the delay from the microphone to the speaker and what kept it down.
  virtual void OnLiveDelay(const LiveDelay& /*delay*/) {}

  // The run could not do its job (the output file cannot be created or
  // written, the input cannot be read); the message is for the user.
  virtual void OnRunFailure(const MessagePair& /*message*/) {}

  // The run is over, failed or not: progress back to the start, text empty.
  virtual void OnRunEnd() {}
};

}  // namespace plimo
