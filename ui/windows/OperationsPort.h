#pragma once

#include <cstdint>
#include <string>

#include "ops/OperationControls.h"

namespace plimo {

// The operations as the main window starts and stops them: at most one
// recording, playback or modification at a time, each on a worker of its
// own. Every start does nothing while one runs.
class OperationsPort {
 public:
  virtual ~OperationsPort() = default;

  virtual bool IsRecording() const = 0;
  virtual bool IsPlaying() const = 0;
  virtual bool IsModifying() const = 0;
  bool IsBusy() const { return IsRecording() || IsPlaying() || IsModifying(); }
  // kOperationPlayInput, kOperationPlayOutput or kOperationModification.
  virtual int ActiveOperation() const = 0;

  // Records the microphone into the wav file at path.
  virtual void StartRecording(const std::string& path, int32_t samplingRate) = 0;
  // Plays the wav file at path; operation is kOperationPlayInput or
  // kOperationPlayOutput.
  virtual void StartPlay(int operation, const std::string& path) = 0;
  // Marks the modification as the active operation before the main window
  // validates its fields.
  virtual void PrepareModification() = 0;
  // Runs a modification with the record as the main window left it.
  virtual void StartModification() = 0;
  // Stops whatever runs and clears the busy flags; returns once a playback
  // has let go of the speaker.
  virtual void StopAllOperations() = 0;
};

}  // namespace plimo
