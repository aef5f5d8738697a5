#pragma once

namespace plimo {

// The main-window controls the operations show, hide, enable, move and
// update while they run. Calls come from the worker threads; the main
// window queues each to the user-interface thread (plimo-cli draws a level
// line, the tests record them).
class OperationControls {
 public:
  virtual ~OperationControls() = default;

  // The level meter: shown or hidden; no level yet (-1); a level given as
  // a sample over 32700 (signed for recording and playback, a magnitude
  // for a modification), before the meter's own scale. Each repaints it.
  virtual void ShowLevelMeter(bool shown) = 0;
  virtual void ClearLevel() = 0;
  virtual void SetLevel(double level) = 0;

  // A file modification's progress bar and progress text.
  virtual void ShowProgress(bool shown) = 0;
  virtual void SetProgress(double fraction, const char* text) = 0;

  // Playback: Stop takes the place of the play button of activeOperation
  // (1 play input, 2 play output), the other play button, Record, Start and
  // the mode buttons are disabled; afterwards everything is put back (the
  // record and play buttons stay disabled in real-time mode).
  virtual void ArrangeForPlayback(int activeOperation) = 0;
  virtual void RestoreAfterPlayback() = 0;

  // Modification: Stop takes Start's place, the play, record and mode
  // buttons are disabled; afterwards everything is put back (the record
  // and play buttons stay disabled in real-time mode).
  virtual void ArrangeForModification() = 0;
  virtual void RestoreAfterModification() = 0;
};

}  // namespace plimo
