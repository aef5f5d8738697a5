#include "ops/Operations.h"

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
  RecordToFile(recordFilePath, recordSamplingRate);
  controls.ShowLevelMeter(false);
}

void Operations::RecordToFile(const std::string& path, int32_t rate) {
  output.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  const bool fileOpen = output.OpenFile(path) == 1;
  std::vector<int16_t> block(kRecordBlock, 0);
  input.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  const bool microphoneOpen = input.OpenDevice(kCaptureTotalMs, kCaptureBufferMs) == 1;
  if (!fileOpen || !microphoneOpen) {
    if (fileOpen) output.Shutdown();
    if (microphoneOpen) input.Close();
    flags.isRecording.store(false);
    // Nothing is recorded; the user learns why rather than finding no file.
    messages.ShowMessage(fileOpen ? kMessageCannotOpenMicrophone : kMessageCannotCreateRecording,
                         kMessageTypeOk);
    return;
  }
  while (flags.isRecording.load()) {
    // A failed read leaves the block as it was.
    input.Read(block.data(), kRecordBlock);
    output.Write(block.data(), kRecordBlock);
    controls.SetLevel(block[0] * kLevelPerSample);
  }
  // The header is written again with the final sizes.
  output.Flush();
  output.Close();
  input.Close();
}

}  // namespace plimo
