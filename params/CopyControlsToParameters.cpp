#include "params/SamplingRates.h"
#include "params/SettingsControls.h"
#include "params/VoiceParameters.h"

namespace plimo {

namespace {

bool Names(int controlId, int first, int second = kAllSettingsControls) {
  return controlId == kAllSettingsControls || controlId == first || controlId == second;
}

// A switch with its level: cleared, or set with the level from its slider.
// Returns true when the level was taken, so the caller derives the effect.
bool CopySwitchAndLevel(const SettingsControls& controls, int checkBoxId, int sliderId,
                        Relaxed<int32_t>& switchOn, Relaxed<float>& level) {
  switchOn = 0;
  if (!controls.IsChecked(checkBoxId)) return false;
  switchOn = 1;
  level = controls.SliderValue(sliderId);
  return true;
}

}  // namespace

void VoiceParameters::CopyControlsToParameters(int controlId, const SettingsControls& controls) {
  if (Names(controlId, kPitchSlider)) pitchFactor = controls.SliderValue(kPitchSlider);
  if (Names(controlId, kDurationSlider)) durationFactor = controls.SliderValue(kDurationSlider);
  if (Names(controlId, kVocalTractSlider)) {
    vocalTractFactor = controls.SliderValue(kVocalTractSlider);
  }
  if (Names(controlId, kRobotCheckBox, kRobotPitchSlider)) {
    robotVoiceOn = controls.IsChecked(kRobotCheckBox) ? 1 : 0;
    robotPitchHz = controls.SliderValue(kRobotPitchSlider);
  }
  if (Names(controlId, kReverbCheckBox, kReverbLevelSlider) &&
      CopySwitchAndLevel(controls, kReverbCheckBox, kReverbLevelSlider, reverbOn, reverbLevel)) {
    derivedEffects.reverbLevel = reverbLevel;
  }
  if (Names(controlId, kWhisperCheckBox, kWhisperLevelSlider)) {
    CopySwitchAndLevel(controls, kWhisperCheckBox, kWhisperLevelSlider, whisperOn, whisperLevel);
  }
  if (Names(controlId, kChorusCheckBox, kChorusLevelSlider) &&
      CopySwitchAndLevel(controls, kChorusCheckBox, kChorusLevelSlider, chorusOn, chorusLevel)) {
    derivedEffects.chorusLevel = chorusLevel;
  }
  if (Names(controlId, kCompressorCheckBox, kCompressionSlider) &&
      CopySwitchAndLevel(controls, kCompressorCheckBox, kCompressionSlider, compressorOn,
                         compressionThreshold)) {
    derivedEffects.compressionThreshold = compressionThreshold;
  }
  if (Names(controlId, kExpanderCheckBox, kExpansionSlider) &&
      CopySwitchAndLevel(controls, kExpanderCheckBox, kExpansionSlider, expanderOn, expansionThreshold)) {
    derivedEffects.expansionThreshold = expansionThreshold;
  }
  if (Names(controlId, kLimiterCheckBox, kLimitingSlider) &&
      CopySwitchAndLevel(controls, kLimiterCheckBox, kLimitingSlider, limiterOn, limitingThreshold)) {
    derivedEffects.limitingThreshold = limitingThreshold;
  }
  if (Names(controlId, kGaterCheckBox, kGatingSlider) &&
      CopySwitchAndLevel(controls, kGaterCheckBox, kGatingSlider, gaterOn, gatingThreshold)) {
    derivedEffects.gatingThreshold = gatingThreshold;
  }
  for (int band = 0; band < kBandSliderCount; ++band) {
    if (Names(controlId, kBandSliders[band])) {
      equaliser.SetGain(band, controls.SliderValue(kBandSliders[band]));
    }
  }
  // The engine sizes its buffers for the rate when a run starts, so the
  // rate cannot change under a running operation.
  if (Names(controlId, kSamplingRateList) && !controls.IsOperationRunning()) {
    const int32_t rate = ParseSamplingRateText(controls.SelectedSamplingRateText());
    if (rate > 0) samplingRate = rate;
  }
}

}  // namespace plimo
