#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "params/Equaliser.h"
#include "params/LatencyProfile.h"
#include "params/Relaxed.h"

namespace plimo {

class SettingsControls;

// Speaker kinds: the user's own voice.
inline constexpr int32_t kSpeakerMan = 1;
inline constexpr int32_t kSpeakerWoman = 2;
inline constexpr int32_t kSpeakerChild = 3;

// Every setting of a voice modification, one instance for the program.
//
// Threads: the user-interface thread is the only writer. The processing
// thread reads the scalar members every frame and the equaliser's curve;
// scalars are Relaxed atomics and the equaliser hands its bands over
// without a lock, so neither side ever waits. The four strings are touched
// by the user-interface thread only: a modification takes copies of the
// file names on that thread as it starts. Switches are 0 or 1.
class VoiceParameters {
 public:
  static constexpr int32_t kDefaultSamplingRate = 16000;  // Hz
  static constexpr float kDefaultReverbLevel = 0.5f;
  static constexpr float kDefaultWhisperLevel = 0.75f;
  static constexpr float kDefaultChorusLevel = 0.75f;
  static constexpr float kDefaultThreshold = 0.5f;   // every dynamics effect
  static constexpr int32_t kDefaultPresetIndex = 4;  // "Woman 1"
  static constexpr float kDefaultReserved1 = 50.0f;
  static constexpr float kDefaultReserved2 = 500.0f;
  static constexpr float kDefaultRobotPitchHz = 100.0f;  // Hz

  // The level or threshold each time-domain effect was last derived from.
  // Only the settings window's copy of a ticked effect and plimo-cli's effect
  // options derive an effect; presets, parameter files and ResetToDefaults
  // leave these alone, so an enabled effect keeps running with what it last
  // derived. Each effect constructed afresh derives the record's defaults,
  // except the reverb. A run's effects chain takes them over between blocks
  // (the chorus level when the run starts).
  struct DerivedEffects {
    // No reverb level derived yet: the reverb keeps its comb unit's
    // constructed delay, which no level gives exactly.
    static constexpr float kNotDerived = std::numeric_limits<float>::quiet_NaN();

    Relaxed<float> reverbLevel{kNotDerived};
    Relaxed<float> chorusLevel{kDefaultChorusLevel};
    Relaxed<float> compressionThreshold{kDefaultThreshold};
    Relaxed<float> expansionThreshold{kDefaultThreshold};
    Relaxed<float> limitingThreshold{kDefaultThreshold};
    Relaxed<float> gatingThreshold{kDefaultThreshold};
  };

  // Empty strings, no effect derived, then the defaults.
  VoiceParameters();
  virtual ~VoiceParameters() = default;

  VoiceParameters(const VoiceParameters&) = delete;
  VoiceParameters& operator=(const VoiceParameters&) = delete;

  // Stores the default of every scalar and rebuilds the equaliser with its
  // ten default bands at 0 dB. The strings stay, and no effect is derived.
  void ResetToDefaults();

  // Copies the settings window's control values into the record: all
  // groups for kAllSettingsControls (-1), otherwise only the group that
  // controlId belongs to. A level or threshold follows its slider only
  // while its check box is ticked, and then its effect is derived again
  // (derivedEffects).
  void CopyControlsToParameters(int controlId, const SettingsControls& controls);

  std::string workingFolder;
  std::string inputFileName;
  std::string outputFileName;
  std::string settingsFileName;

  Relaxed<int32_t> samplingRate;  // Hz
  Relaxed<int32_t> meterDisplay;
  Relaxed<int32_t> realTimeMode;
  Relaxed<int32_t> robotVoiceOn;
  Relaxed<int32_t> reserved0;  // stored in parameter files, used nowhere
  Relaxed<int32_t> reverbOn;
  Relaxed<float> reverbLevel;
  Relaxed<int32_t> whisperOn;
  Relaxed<float> whisperLevel;
  Relaxed<int32_t> chorusOn;
  Relaxed<float> chorusLevel;
  Relaxed<int32_t> compressorOn;
  Relaxed<float> compressionThreshold;
  Relaxed<int32_t> expanderOn;
  Relaxed<float> expansionThreshold;
  Relaxed<int32_t> limiterOn;
  Relaxed<float> limitingThreshold;
  Relaxed<int32_t> gaterOn;
  Relaxed<float> gatingThreshold;
  Relaxed<int32_t> speakerKind;
  Relaxed<int32_t> presetIndex;
  Relaxed<float> pitchFactor;
  Relaxed<float> pitchOffsetHz;  // Hz
  Relaxed<float> durationFactor;
  Relaxed<float> vocalTractFactor;
  Relaxed<float> reserved1;     // stored in parameter files, used nowhere
  Relaxed<float> reserved2;     // stored in parameter files, used nowhere
  Relaxed<float> robotPitchHz;  // Hz
  Equaliser equaliser;
  DerivedEffects derivedEffects;
  // The live run's buffering, the session's choice: stored in no
  // parameter file and kept by ResetToDefaults, presets and loads.
  Relaxed<LatencyProfile> latencyProfile{LatencyProfile::kStandard};
  // Where a live run's voice goes, the session's choices as the profile
  // is: into the virtual microphone, and to the speaker (off by default
  // with the microphone, so that a caller hears no echo).
  Relaxed<int32_t> sendToMicrophone{0};
  Relaxed<int32_t> hearMyself{1};
  // The ALSA devices recording, playback and live runs use; "" for the
  // system's default ones. Written and read on the user-interface thread.
  std::string inputDevice;
  std::string outputDevice;
};

}  // namespace plimo
