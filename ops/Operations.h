#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "audio/SoundRead.h"
#include "audio/SoundWrite.h"
#include "ops/BusyFlags.h"
#include "ops/OperationControls.h"

namespace plimo {

class MessageSink;
struct MessagePair;
class VoiceParameters;

// Recording, playback and voice modification, each on a worker thread of
// its own, at most one at a time. The user-interface thread calls the
// starts and StopAllOperations; the workers report what happens through
// the controls and tell the user of failures through the message sink.
class Operations {
 public:
  // controls and messages must outlive this object.
  Operations(OperationControls& controls, MessageSink& messages);
  // Stops every operation and waits for the workers, so a recording ends
  // with a complete file.
  virtual ~Operations();

  Operations(const Operations&) = delete;
  Operations& operator=(const Operations&) = delete;

  // Records the microphone at rate (16-bit mono) into a wav file at path
  // until stopped, or until it holds sampleLimit samples when that is above
  // 0. false when another operation runs.
  [[nodiscard]] bool StartRecording(const std::string& path, int32_t rate, int64_t sampleLimit = 0);

  // Plays a wav file to the speaker; which is kOperationPlayInput or
  // kOperationPlayOutput. false when another operation runs, the path is
  // empty or names no file.
  [[nodiscard]] bool StartPlay(const std::string& path, int32_t which);

  // Runs a modification of record's settings (validated by the caller):
  // microphone to speaker in real-time mode, else file to file. record
  // must outlive the run. false when another operation runs.
  [[nodiscard]] bool StartModification(VoiceParameters& record, uint32_t seed);

  // Stops whatever runs: a playback has ended when this returns (its queue
  // discarded); a recording or modification ends on its own thread within
  // a block.
  void StopAllOperations();

  // Waits until every worker thread has ended.
  void WaitForWorkers();

  BusyFlags flags;
  std::atomic<int32_t> activeOperation{kOperationNone};
  std::string recordFilePath;
  int32_t recordSamplingRate = 0;
  int64_t recordSampleLimit = 0;  // samples; 0 = until stopped
  std::string playFilePath;
  // The microphone of recordings, and the recording's file and the
  // playback's speaker; their devices are set while nothing runs.
  SoundRead input;
  SoundWrite output;

 private:
  void RecordingThread();
  // What to tell the user when the recording failed, else nullptr.
  const MessagePair* RecordToFile(const std::string& path, int32_t rate, int64_t sampleLimit);
  void PlayThread();
  // What to tell the user when the speaker failed, else nullptr.
  const MessagePair* PlayOperation(const std::string& path);
  // The record's file names, copied on the starting thread: the window may
  // change them while the run goes on.
  struct RunFileNames {
    std::string workingFolder;
    std::string inputFileName;
    std::string outputFileName;
    std::string inputDevice;
    std::string outputDevice;
  };
  void ModificationThread(VoiceParameters& record, RunFileNames names, uint32_t seed);
  // Claims flag for a new operation once every earlier worker has ended.
  [[nodiscard]] bool Begin(std::atomic<bool>& flag);
  // Joins a finished worker before its thread object is used again.
  static void Join(std::thread& worker);
  // A worker's result: failed when it has something to tell the user.
  static OperationResult ResultOf(const MessagePair* failure);

  OperationControls& controls;
  MessageSink& messages;
  std::thread recordingWorker;
  std::thread playWorker;
  std::thread modificationWorker;
};

}  // namespace plimo
