#pragma once

#include <string>

#include "params/SettingsControls.h"
#include "params/VoiceParameters.h"

namespace plimo {

// The settings window's controls as they stand right after being filled
// from a record: each slider at the record's value within the slider's
// range, each check box as its switch, the record's sampling rate selected,
// no operation running. Copying these controls back is what the settings
// window does after a preset.
class RecordControls : public SettingsControls {
 public:
  explicit RecordControls(const VoiceParameters& record);

  float SliderValue(int sliderId) const override;
  bool IsChecked(int checkBoxId) const override;
  std::string SelectedSamplingRateText() const override;
  bool IsOperationRunning() const override { return false; }

 private:
  float pitchFactor;
  float durationFactor;
  float vocalTractFactor;
  float robotPitchHz;
  float reverbLevel;
  float whisperLevel;
  float chorusLevel;
  float compressionThreshold;
  float expansionThreshold;
  float limitingThreshold;
  float gatingThreshold;
  float bandGains[kBandSliderCount];  // dB
  bool robotVoiceOn;
  bool reverbOn;
  bool whisperOn;
  bool chorusOn;
  bool compressorOn;
  bool expanderOn;
  bool limiterOn;
  bool gaterOn;
  int32_t samplingRate;  // Hz
};

}  // namespace plimo
