#include <memory>

#include "audio/SoundFile.h"
#include "engine/RunGeometry.h"
#include "engine/RunObserver.h"
#include "engine/VoiceModifier.h"
#include "ops/Operations.h"
#include "params/VoiceParameters.h"
#include "messages/MessageSink.h"
#include "messages/MessageTable.h"

namespace plimo {

namespace {

// The run's progress and input level go to the main window's controls,
// its failures to the user.
class ControlsObserver : public RunObserver {
 public:
  ControlsObserver(OperationControls& controls, MessageSink& messages)
      : controls(controls), messages(messages) {}
  void OnProgress(double fraction, const char* text) override { controls.SetProgress(fraction, text); }
  void OnInputLevel(double level) override { controls.SetLevel(level); }
  void OnRunFailure(const MessagePair& message) override {
    messages.ShowMessage(message, kMessageTypeOk);
  }

 private:
  OperationControls& controls;
  MessageSink& messages;
};

}  // namespace

void Operations::ModificationThread(VoiceParameters& record, RunFileNames names, uint32_t seed) {
  const bool realTime = record.realTimeMode != 0;
  const bool meter = record.meterDisplay != 0;
  controls.ShowProgress(!realTime && !meter);
  controls.ArrangeForModification();
  ControlsObserver observer(controls, messages);
  auto modifier = std::make_unique<VoiceModifier>(record, flags.isModifying, &observer, seed);
  modifier->LoadSettings(record);
  modifier->LoadNames(names.workingFolder, names.inputFileName, names.outputFileName);

  // A file input is analysed at its own rate, whatever the settings say.
  int rate = record.samplingRate;
  if (modifier->inputName != kSoundBoardName) {
    const std::unique_ptr<SoundFile> probe = SoundFile::OpenForReading(modifier->inputName);
    if (probe->status == kSoundFileReading) rate = static_cast<int>(probe->sampleRate);
  }
  const int streams = modifier->OpenStreams();
  // A real-time run without its microphone or speaker would go on in
  // silence; the user is told instead, and nothing runs.
  bool run = true;
  if (realTime && streams != kStreamsOpen) {
    const bool microphone = modifier->inputKind == kStreamSoundBoard && streams == kSourceFailed;
    messages.ShowMessage(microphone ? kMessageCannotOpenMicrophone : kMessageCannotOpenSpeaker,
                         kMessageTypeOk);
    run = false;
  }
  modifier->Prepare(rate, kAnalysisFrameSeconds, kFirstHopSeconds);
  if (meter) {
    controls.ShowLevelMeter(true);
    controls.ClearLevel();
  }
  if (run && flags.isModifying.load()) modifier->Process();
  controls.ShowLevelMeter(false);
  controls.RestoreAfterModification();
  controls.ShowProgress(false);
  flags.isModifying.store(false);
  // Closes whatever a run that did not happen left open.
  modifier.reset();
}

}  // namespace plimo
