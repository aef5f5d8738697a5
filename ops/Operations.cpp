#include "ops/Operations.h"

#include <filesystem>
#include <system_error>

#include "params/VoiceParameters.h"

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

OperationResult Operations::ResultOf(const MessagePair* failure) {
  return failure == nullptr ? OperationResult::kDone : OperationResult::kFailed;
}

void Operations::WaitForWorkers() {
  Join(recordingWorker);
  Join(playWorker);
  Join(modificationWorker);
}

bool Operations::Begin(std::atomic<bool>& flag) {
  if (!flags.Claim(flag)) return false;
  // A stopped worker may still be closing the devices the new one opens,
  // and clears the flags on its way out: it finishes first (within a
  // block), and the claim is made again.
  WaitForWorkers();
  flag.store(true);
  return true;
}

bool Operations::StartRecording(const std::string& path, int32_t rate, int64_t sampleLimit) {
  if (!Begin(flags.isRecording)) return false;
  recordFilePath = path;
  recordSamplingRate = rate;
  recordSampleLimit = sampleLimit;
  recordingWorker = std::thread(&Operations::RecordingThread, this);
  return true;
}

bool Operations::StartPlay(const std::string& path, int32_t which) {
  if (flags.Any() || path.empty()) return false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  if (!Begin(flags.isPlaying)) return false;
  playFilePath = path;
  activeOperation = which;
  playWorker = std::thread(&Operations::PlayThread, this);
  return true;
}

bool Operations::StartModification(VoiceParameters& record, uint32_t seed) {
  if (!Begin(flags.isModifying)) return false;
  activeOperation = kOperationModification;
  RunFileNames names{record.workingFolder, record.inputFileName, record.outputFileName, record.inputDevice,
                     record.outputDevice};
  modificationWorker =
      std::thread(&Operations::ModificationThread, this, std::ref(record), std::move(names), seed);
  return true;
}

void Operations::StopAllOperations() {
  // The flags go first, so a worker between two blocks ends at once.
  flags.ClearAll();
  output.RequestStop();
  input.RequestStop();
}

}  // namespace plimo
