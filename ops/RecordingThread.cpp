#include "ops/Operations.h"

#include <algorithm>
#include <vector>

#include "ui/messages/MessageSink.h"
#include "ui/messages/MessageTable.h"

namespace plimo {

namespace {
// Recording moves the microphone to the file 64 samples at a time, through
// 42 capture buffers of 3 ms.
constexpr int kRecordBlock = 64;
constexpr int32_t kCaptureTotalMs = 128;
constexpr int32_t kCaptureBufferMs = 3;
constexpr int16_t kRecordBits = 16;
constexpr int16_t kRecordChannels = 1;
// A block's level is its first sample over 32700.
constexpr double kLevelPerSample = 3.058104e-5;
}  // namespace

void Operations::RecordingThread() {
  controls.ShowLevelMeter(true);
  controls.ClearLevel();
  const MessagePair* failure = RecordToFile(recordFilePath, recordSamplingRate, recordSampleLimit);
  controls.ShowLevelMeter(false);
  flags.isRecording.store(false);
  if (failure != nullptr) messages.ShowMessage(*failure, kMessageTypeOk);
}

const MessagePair* Operations::RecordToFile(const std::string& path, int32_t rate, int64_t sampleLimit) {
  output.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  const bool fileOpen = output.OpenFile(path) == 1;
  std::vector<int16_t> block(kRecordBlock, 0);
  input.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  const bool microphoneOpen = input.OpenDevice(kCaptureTotalMs, kCaptureBufferMs) == 1;
  if (!fileOpen || !microphoneOpen) {
    if (fileOpen) output.Shutdown();
    if (microphoneOpen) input.Close();
    // Nothing is recorded; the user learns why rather than finding no file.
    return fileOpen ? &kMessageCannotOpenMicrophone : &kMessageCannotCreateRecording;
  }
  // Only what the microphone delivered reaches the file: a read cut short
  // by the stop writes nothing, and a microphone or disk that fails part
  // way ends the recording with the user told.
  const MessagePair* failure = nullptr;
  int64_t written = 0;
  while (flags.isRecording.load()) {
    int count = kRecordBlock;
    if (sampleLimit > 0) count = static_cast<int>(std::min<int64_t>(count, sampleLimit - written));
    if (input.Read(block.data(), count) != 1) {
      // A stop stands until the microphone is opened again; only a read
      // that failed without one is the microphone's fault.
      if (input.stopRequested == 0) failure = &kMessageCannotOpenMicrophone;
      break;
    }
    if (output.Write(block.data(), count) != 1) {
      failure = &kMessageCannotWriteOutputFile;
      break;
    }
    written += count;
    controls.SetLevel(block[0] * kLevelPerSample);
    if (sampleLimit > 0 && written >= sampleLimit) break;
  }
  // The header is written again with the final sizes.
  output.Flush();
  const bool fileComplete = output.Close() == 0;
  input.Close();
  if (failure == nullptr && !fileComplete) failure = &kMessageCannotWriteOutputFile;
  return failure;
}

}  // namespace plimo
