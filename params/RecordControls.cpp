#include "params/RecordControls.h"

#include "params/SliderRanges.h"

namespace plimo {

RecordControls::RecordControls(const VoiceParameters& record)
    : pitchFactor(kPitchRange.Clamp(record.pitchFactor)),
      durationFactor(kDurationRange.Clamp(record.durationFactor)),
      vocalTractFactor(kVocalTractRange.Clamp(record.vocalTractFactor)),
      robotPitchHz(kRobotPitchRange.Clamp(record.robotPitchHz)),
      reverbLevel(kReverbLevelRange.Clamp(record.reverbLevel)),
      whisperLevel(kWhisperLevelRange.Clamp(record.whisperLevel)),
      chorusLevel(kChorusLevelRange.Clamp(record.chorusLevel)),
      compressionThreshold(kThresholdRange.Clamp(record.compressionThreshold)),
      expansionThreshold(kThresholdRange.Clamp(record.expansionThreshold)),
      limitingThreshold(kThresholdRange.Clamp(record.limitingThreshold)),
      gatingThreshold(kThresholdRange.Clamp(record.gatingThreshold)),
      bandGains{},
      robotVoiceOn(record.robotVoiceOn == 1),
      reverbOn(record.reverbOn == 1),
      whisperOn(record.whisperOn == 1),
      chorusOn(record.chorusOn == 1),
      compressorOn(record.compressorOn == 1),
      expanderOn(record.expanderOn == 1),
      limiterOn(record.limiterOn == 1),
      gaterOn(record.gaterOn == 1),
      samplingRate(record.samplingRate) {
  // A band slider the equaliser has no band for stands at 0 dB.
  for (int band = 0; band < kBandSliderCount; ++band) {
    bandGains[band] = kBandGainRange.Clamp(record.equaliser.Gain(band));
  }
}

float RecordControls::SliderValue(int sliderId) const {
  switch (sliderId) {
    case kPitchSlider: return pitchFactor;
    case kDurationSlider: return durationFactor;
    case kVocalTractSlider: return vocalTractFactor;
    case kRobotPitchSlider: return robotPitchHz;
    case kReverbLevelSlider: return reverbLevel;
    case kWhisperLevelSlider: return whisperLevel;
    case kChorusLevelSlider: return chorusLevel;
    case kCompressionSlider: return compressionThreshold;
    case kExpansionSlider: return expansionThreshold;
    case kLimitingSlider: return limitingThreshold;
    case kGatingSlider: return gatingThreshold;
    default: break;
  }
  for (int band = 0; band < kBandSliderCount; ++band) {
    if (sliderId == kBandSliders[band]) return bandGains[band];
  }
  return 0.0f;
}

bool RecordControls::IsChecked(int checkBoxId) const {
  switch (checkBoxId) {
    case kRobotCheckBox: return robotVoiceOn;
    case kReverbCheckBox: return reverbOn;
    case kWhisperCheckBox: return whisperOn;
    case kChorusCheckBox: return chorusOn;
    case kCompressorCheckBox: return compressorOn;
    case kExpanderCheckBox: return expanderOn;
    case kLimiterCheckBox: return limiterOn;
    case kGaterCheckBox: return gaterOn;
    default: return false;
  }
}

std::string RecordControls::SelectedSamplingRateText() const { return std::to_string(samplingRate); }

}  // namespace plimo
