#include "audio/MixerControls.h"

#include <iterator>

namespace plimo {

namespace {
constexpr const char* kMasterNames[] = {"Master"};
}  // namespace

SpeakerVolumeControl::SpeakerVolumeControl() {
  Open(MixerDirection::kPlayback, kMasterNames, std::size(kMasterNames), true);
}

// A switch the mixer refuses to turn leaves the sound as it was, which is
// all a program without a word for it could do.
void SpeakerVolumeControl::Activate() {
  if (hasVolumeControl) static_cast<void>(element.SetSwitch(true));
}

void SpeakerVolumeControl::Deactivate() {
  if (hasVolumeControl) static_cast<void>(element.SetSwitch(false));
}

MicrophoneGainControl::MicrophoneGainControl() {
  Open(MixerDirection::kCapture, kMicrophoneNames, std::size(kMicrophoneNames), false);
}

void MicrophoneGainControl::Activate() {
  if (hasVolumeControl) static_cast<void>(element.SetSwitch(true));
}

void MicrophoneGainControl::Deactivate() {}

MixerControls::MixerControls()
    : speaker(std::make_unique<SpeakerVolumeControl>()),
      microphone(std::make_unique<MicrophoneGainControl>()) {
  // No mixer on the input side: no microphone control at all.
  if (!microphone->IsOpen()) microphone.reset();
}

}  // namespace plimo
