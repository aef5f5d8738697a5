#include "audio/MixerControls.h"

#include <iterator>

namespace plimo {

namespace {
constexpr const char* kMasterNames[] = {"Master"};
}  // namespace

SpeakerVolumeControl::SpeakerVolumeControl() {
  Open(MixerDirection::kPlayback, kMasterNames, std::size(kMasterNames), true);
}

void SpeakerVolumeControl::Activate() {
  if (hasVolumeControl) element.SetSwitch(true);
}

void SpeakerVolumeControl::Deactivate() {
  if (hasVolumeControl) element.SetSwitch(false);
}

MicrophoneGainControl::MicrophoneGainControl() {
  Open(MixerDirection::kCapture, kMicrophoneNames, std::size(kMicrophoneNames), false);
}

void MicrophoneGainControl::Activate() {
  if (hasVolumeControl) element.SetSwitch(true);
}

void MicrophoneGainControl::Deactivate() {}

MixerControls::MixerControls()
    : speaker(std::make_unique<SpeakerVolumeControl>()),
      microphone(std::make_unique<MicrophoneGainControl>()) {
  // No mixer on the input side: no microphone control at all.
  if (!microphone->IsOpen()) microphone.reset();
}

}  // namespace plimo
