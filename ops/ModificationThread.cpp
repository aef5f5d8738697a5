#include <memory>

#include "engine/RunObserver.h"
#include "engine/VoiceModifier.h"
#include "messages/MessageSink.h"
#include "messages/MessageTable.h"
#include "ops/Operations.h"
#include "params/VoiceParameters.h"

namespace plimo {

namespace {

// The run's progress and input level go to the controls, its failures to
// the user.
class ControlsObserver : public RunObserver {
 public:
  ControlsObserver(OperationControls& controls, MessageSink& messages)
      : controls(controls), messages(messages) {}
  void OnProgress(double fraction, const char* text) override { controls.SetProgress(fraction, text); }
  void OnInputLevel(double level) override { controls.SetLevel(level); }
  void OnLiveDelay(const LiveDelay& delay) override { controls.SetDelay(delay); }
  void OnRunFailure(const MessagePair& message) override {
    failed = true;
    messages.ShowMessage(message, kMessageTypeOk);
  }
  OperationResult Result() const { return failed ? OperationResult::kFailed : OperationResult::kDone; }

 private:
  OperationControls& controls;
  MessageSink& messages;
  bool failed = false;
};

}  // namespace

void Operations::ModificationThread(VoiceParameters& record, RunFileNames names, uint32_t seed) {
  const bool realTime = record.realTimeMode != 0;
  const bool meter = record.meterDisplay != 0;
  // Output cannot keep pace with the microphone at another duration: the
  // low profile holds it at 1, and the user is told why the slider does
  // nothing. Before the start, so no meter is drawn over the words.
  if (realTime && record.latencyProfile == LatencyProfile::kLow && record.durationFactor != 1.0f) {
    messages.ShowMessage(kMessageLowDelayDuration, kMessageTypeSelfClosing);
  }
  controls.OperationStarted(
      kOperationModification,
      OperationReports{.level = meter, .progress = !realTime && !meter, .delay = realTime});
  ControlsObserver observer(controls, messages);
  auto modifier = std::make_unique<VoiceModifier>(record, flags.isModifying, &observer, seed);
  modifier->SetDevices(names.inputDevice, names.outputDevice);
  const StreamsStatus streams =
      modifier->Start(record, names.workingFolder, names.inputFileName, names.outputFileName);
  // A real-time run without its microphone or speaker would go on in
  // silence; the user is told instead, and nothing runs.
  bool run = true;
  if (realTime && streams != StreamsStatus::kStreamsOpen) {
    const bool microphone =
        modifier->InputKind() == kStreamSoundBoard && streams == StreamsStatus::kSourceFailed;
    observer.OnRunFailure(microphone                                   ? kMessageCannotOpenMicrophone
                          : streams == StreamsStatus::kVoiceSinkFailed ? kMessageCannotOpenVirtualMicrophone
                                                                       : kMessageCannotOpenSpeaker);
    run = false;
  }
  // A failed run (also one at a rate the engine does not run at) has told
  // the observer, whose result is reported below.
  if (run && flags.isModifying.load()) static_cast<void>(modifier->Process());
  controls.OperationEnded(kOperationModification, observer.Result());
  flags.isModifying.store(false);
  // Closes whatever a run that did not happen left open.
  modifier.reset();
}

}  // namespace plimo
