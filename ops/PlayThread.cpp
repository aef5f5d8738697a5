#include "messages/MessageSink.h"
#include "messages/MessageTable.h"
#include "ops/Operations.h"

namespace plimo {

namespace {

// Hands PlayFile's block levels to the level meter.
class MeterLevel : public PlaybackLevelListener {
 public:
  explicit MeterLevel(OperationControls& controls) : controls(controls) {}
  void OnPlaybackLevel(double level) override { controls.SetLevel(level); }

 private:
  OperationControls& controls;
};

}  // namespace

void Operations::PlayThread() {
  const int32_t operation = activeOperation.load();
  controls.OperationStarted(operation, OperationReports{.level = true});
  const MessagePair* failure = PlayOperation(playFilePath);
  StopAllOperations();
  controls.OperationEnded(operation, ResultOf(failure));
  if (failure != nullptr) messages.ShowMessage(*failure, kMessageTypeOk);
}

const MessagePair* Operations::PlayOperation(const std::string& path) {
  if (output.IsOpen() != 0 || path.empty()) return nullptr;
  MeterLevel meter(controls);
  const PlayResult played = output.PlayFile(path, false, &meter, &flags.isPlaying);
  StopAllOperations();
  // PlayFile has closed the speaker it opened; this only makes sure.
  static_cast<void>(output.Close());
  // A file that cannot be read ends the playback without a word, as it
  // always has; a speaker that cannot play is the user's to know.
  if (played == PlayResult::kPlaySpeakerUnavailable) return &kMessageCannotOpenSpeaker;
  if (played == PlayResult::kPlayDeviceFailed) return &kMessageSoundDeviceFailed;
  return nullptr;
}

}  // namespace plimo
