#pragma once

#include <memory>

#include "audio/VolumeControl.h"

namespace plimo {

// The master playback volume of the default output: the mixer's "Master",
// else its first element with a playback volume.
class SpeakerVolumeControl : public VolumeControl {
 public:
  SpeakerVolumeControl();
  void Activate() override;
  void Deactivate() override;
};

// The recording gain of the default input's microphone: the first capture
// volume named like one, in the order of kMicrophoneNames.
class MicrophoneGainControl : public VolumeControl {
 public:
  MicrophoneGainControl();
  void Activate() override;
  void Deactivate() override;
};

// Names a sound card gives its microphone's recording gain, most usual first.
inline constexpr const char* kMicrophoneNames[] = {"Capture",   "Mic",      "Internal Mic", "Mic Boost",
                                                   "Front Mic", "Rear Mic", "Headset Mic",  "Digital"};

// The two gains of the sound card, made once at start-up. The speaker
// control always exists (without a usable control when the card has none);
// the microphone control is null when the default input has no mixer.
class MixerControls {
 public:
  MixerControls();

  // The control exists and has a volume the user can set; otherwise the
  // volume window says "Cannot initialize sound card!" or "Cannot
  // initialize microphone!".
  bool SpeakerUsable() const { return speaker != nullptr && speaker->HasVolumeControl(); }
  bool MicrophoneUsable() const { return microphone != nullptr && microphone->HasVolumeControl(); }

  std::unique_ptr<SpeakerVolumeControl> speaker;
  std::unique_ptr<MicrophoneGainControl> microphone;
};

}  // namespace plimo
