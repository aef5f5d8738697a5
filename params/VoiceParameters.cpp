#include "params/VoiceParameters.h"

namespace plimo {

VoiceParameters::VoiceParameters() { ResetToDefaults(); }

void VoiceParameters::ResetToDefaults() {
  samplingRate = kDefaultSamplingRate;
  meterDisplay = 1;
  realTimeMode = 1;
  robotVoiceOn = 0;
  reserved0 = 0;
  reverbOn = 0;
  reverbLevel = kDefaultReverbLevel;
  whisperOn = 0;
  whisperLevel = kDefaultWhisperLevel;
  chorusOn = 0;
  chorusLevel = kDefaultChorusLevel;
  compressorOn = 0;
  compressionThreshold = kDefaultThreshold;
  expanderOn = 0;
  expansionThreshold = kDefaultThreshold;
  limiterOn = 0;
  limitingThreshold = kDefaultThreshold;
  gaterOn = 0;
  gatingThreshold = kDefaultThreshold;
  speakerKind = kSpeakerMan;
  presetIndex = kDefaultPresetIndex;
  pitchFactor = 1.0f;
  pitchOffsetHz = 0.0f;
  durationFactor = 1.0f;
  vocalTractFactor = 1.0f;
  reserved1 = kDefaultReserved1;
  reserved2 = kDefaultReserved2;
  robotPitchHz = kDefaultRobotPitchHz;
  equaliser.SetBands(Equaliser::kDefaultBandCount, Equaliser::kDefaultFrequencies);
}

}  // namespace plimo
