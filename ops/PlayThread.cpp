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
  controls.ArrangeForPlayback(activeOperation.load());
  controls.ShowLevelMeter(true);
  controls.ClearLevel();
  PlayOperation(playFilePath);
  StopAllOperations();
  controls.ShowLevelMeter(false);
  controls.RestoreAfterPlayback();
}

void Operations::PlayOperation(const std::string& path) {
  if (output.IsOpen() != 0 || path.empty()) return;
  MeterLevel meter(controls);
  output.PlayFile(path, false, &meter, &flags.isPlaying);
  StopAllOperations();
  output.Flush();
  output.Close();
}

}  // namespace plimo
