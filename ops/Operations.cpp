#include "ops/Operations.h"

#include <filesystem>
#include <system_error>

namespace plimo {

Operations::Operations(OperationControls& controls, MessageSink& messages)
    : controls(controls), messages(messages) {}

Operations::~Operations() {
  StopAllOperations();
  WaitForWorkers();
}

void Operations::Join(std::thread& worker) {
  if (worker.joinable()) worker.join();
}

void Operations::WaitForWorkers() {
  Join(recordingWorker);
  Join(playWorker);
  Join(modificationWorker);
}

bool Operations::StartRecording(const std::string& path, int32_t rate, int64_t sampleLimit) {
  if (!flags.Claim(flags.isRecording)) return false;
  recordFilePath = path;
  recordSamplingRate = rate;
  recordSampleLimit = sampleLimit;
  Join(recordingWorker);
  recordingWorker = std::thread(&Operations::RecordingThread, this);
  return true;
}

bool Operations::StartPlay(const std::string& path, int32_t which) {
  if (flags.Any() || path.empty()) return false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  if (!flags.Claim(flags.isPlaying)) return false;
  playFilePath = path;
  activeOperation = which;
  Join(playWorker);
  playWorker = std::thread(&Operations::PlayThread, this);
  return true;
}

bool Operations::StartModification(VoiceParameters& record, uint32_t seed) {
  if (!flags.Claim(flags.isModifying)) return false;
  activeOperation = kOperationModification;
  Join(modificationWorker);
  modificationWorker = std::thread(&Operations::ModificationThread, this, std::ref(record), seed);
  return true;
}

void Operations::StopAllOperations() {
  // The flags go first: a worker whose read or write the stop cuts short
  // then knows it was stopped rather than failed.
  flags.ClearAll();
  output.RequestStop();
  input.RequestStop();
}

}  // namespace plimo
