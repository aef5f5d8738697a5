#include <gtest/gtest.h>

#include <cstdint>

#include "FakeSettingsControls.h"
#include "RecordSnapshot.h"
#include "params/SettingsControls.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

using test::FakeSettingsControls;
using test::RecordSnapshot;

constexpr float kDefaultBandsHz[] = {100, 200, 300, 600, 1000, 3000, 5000, 8000, 12000, 17000};

TEST(VoiceParameters, ResetRestoresScalarsAndBandsButKeepsNamesAndEffectObjects) {
  VoiceParameters record;
  const RecordSnapshot fresh(record);
  record.inputFileName = "in.wav";
  record.settingsFileName = "voice.prm";
  record.samplingRate = 44100;
  record.pitchFactor = 2.5f;
  record.gaterOn = 1;
  record.gatingThreshold = 0.9f;
  record.presetIndex = 20;
  const float gains[10] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
  record.equaliser.SetBands(10, kDefaultBandsHz, gains);
  record.derivedEffects.limitingThreshold = 1.0f;

  record.ResetToDefaults();

  RecordSnapshot reset(record);
  EXPECT_EQ(reset.bits, fresh.bits);
  EXPECT_EQ(record.inputFileName, "in.wav");
  EXPECT_EQ(record.settingsFileName, "voice.prm");
  EXPECT_EQ(float(record.derivedEffects.limitingThreshold), 1.0f) << "the limiter keeps what it derived";
}

// One effect group: its check box, its slider and the record's members.
struct EffectGroup {
  const char* name;
  int checkBoxId;
  int sliderId;
  Relaxed<int32_t> VoiceParameters::*switchOn;
  Relaxed<float> VoiceParameters::*level;
};

const EffectGroup kEffectGroups[] = {
    {"reverb", kReverbCheckBox, kReverbLevelSlider, &VoiceParameters::reverbOn,
     &VoiceParameters::reverbLevel},
    {"whisper", kWhisperCheckBox, kWhisperLevelSlider, &VoiceParameters::whisperOn,
     &VoiceParameters::whisperLevel},
    {"chorus", kChorusCheckBox, kChorusLevelSlider, &VoiceParameters::chorusOn,
     &VoiceParameters::chorusLevel},
    {"compressor", kCompressorCheckBox, kCompressionSlider, &VoiceParameters::compressorOn,
     &VoiceParameters::compressionThreshold},
    {"expander", kExpanderCheckBox, kExpansionSlider, &VoiceParameters::expanderOn,
     &VoiceParameters::expansionThreshold},
    {"limiter", kLimiterCheckBox, kLimitingSlider, &VoiceParameters::limiterOn,
     &VoiceParameters::limitingThreshold},
    {"gater", kGaterCheckBox, kGatingSlider, &VoiceParameters::gaterOn, &VoiceParameters::gatingThreshold},
};

TEST(CopyControlsToParameters, ASliderMovedWhileItsBoxIsClearChangesNothing) {
  for (const EffectGroup& group : kEffectGroups) {
    VoiceParameters record;
    const RecordSnapshot before(record);
    FakeSettingsControls controls;
    controls.sliders[group.sliderId] = 0.9f;
    record.CopyControlsToParameters(group.sliderId, controls);
    EXPECT_TRUE(RecordSnapshot(record) == before) << group.name;
  }
}

TEST(CopyControlsToParameters, TickingTakesTheLevelAndUncheckingKeepsIt) {
  for (const EffectGroup& group : kEffectGroups) {
    VoiceParameters record;
    FakeSettingsControls controls;
    controls.sliders[group.sliderId] = 0.9f;
    controls.checks[group.checkBoxId] = true;
    record.CopyControlsToParameters(group.checkBoxId, controls);
    EXPECT_EQ(int32_t(record.*group.switchOn), 1) << group.name;
    EXPECT_EQ(float(record.*group.level), 0.9f) << group.name;

    controls.checks[group.checkBoxId] = false;
    controls.sliders[group.sliderId] = 0.6f;
    record.CopyControlsToParameters(group.sliderId, controls);
    EXPECT_EQ(int32_t(record.*group.switchOn), 0) << group.name;
    EXPECT_EQ(float(record.*group.level), 0.9f) << group.name;
  }
}

TEST(CopyControlsToParameters, TickedEffectsDeriveTheirSettings) {
  VoiceParameters record;
  FakeSettingsControls controls;
  for (const EffectGroup& group : kEffectGroups) controls.checks[group.checkBoxId] = true;
  controls.sliders[kReverbLevelSlider] = 1.0f;
  controls.sliders[kChorusLevelSlider] = 0.5f;
  controls.sliders[kCompressionSlider] = 0.5f;
  controls.sliders[kExpansionSlider] = 0.5f;
  controls.sliders[kLimitingSlider] = 0.5f;
  controls.sliders[kGatingSlider] = 0.5f;
  VoiceParameters::DerivedEffects& derived = record.derivedEffects;
  derived.limitingThreshold = 0.0f;
  derived.compressionThreshold = 1.0f;
  derived.gatingThreshold = 1.0f;
  derived.expansionThreshold = 1.0f;

  record.CopyControlsToParameters(kAllSettingsControls, controls);

  EXPECT_EQ(float(derived.reverbLevel), 1.0f);
  EXPECT_EQ(float(derived.chorusLevel), 0.5f);
  EXPECT_EQ(float(derived.compressionThreshold), 0.5f);
  EXPECT_EQ(float(derived.expansionThreshold), 0.5f);
  EXPECT_EQ(float(derived.limitingThreshold), 0.5f);
  EXPECT_EQ(float(derived.gatingThreshold), 0.5f);
}

TEST(CopyControlsToParameters, EachControlReachesOnlyItsOwnGroup) {
  VoiceParameters record;
  FakeSettingsControls controls;
  controls.sliders[kPitchSlider] = 2.0f;
  controls.sliders[kDurationSlider] = 1.5f;
  controls.sliders[kVocalTractSlider] = 0.7f;
  controls.sliders[kRobotPitchSlider] = 250.0f;
  controls.sliders[kBandSliders[6]] = -12.0f;
  controls.samplingRateText = "8000";

  record.CopyControlsToParameters(kPitchSlider, controls);
  EXPECT_EQ(float(record.pitchFactor), 2.0f);
  EXPECT_EQ(float(record.durationFactor), 1.0f);
  EXPECT_EQ(float(record.vocalTractFactor), 1.0f);
  EXPECT_EQ(float(record.robotPitchHz), 100.0f);
  EXPECT_EQ(record.equaliser.Gain(6), 0.0f);
  EXPECT_EQ(int32_t(record.samplingRate), 16000);

  // The robot pitch follows its slider even with the robot voice off.
  record.CopyControlsToParameters(kRobotCheckBox, controls);
  EXPECT_EQ(int32_t(record.robotVoiceOn), 0);
  EXPECT_EQ(float(record.robotPitchHz), 250.0f);

  // 1057 is the seventh band (5.0 kHz): the template skips 1056.
  record.CopyControlsToParameters(1057, controls);
  EXPECT_EQ(record.equaliser.Gain(6), -12.0f);
  EXPECT_EQ(record.equaliser.Gain(5), 0.0f);

  const RecordSnapshot before(record);
  record.CopyControlsToParameters(1056, controls);
  record.CopyControlsToParameters(1048, controls);
  EXPECT_TRUE(RecordSnapshot(record) == before) << "controls without a parameter";

  record.CopyControlsToParameters(kAllSettingsControls, controls);
  EXPECT_EQ(float(record.durationFactor), 1.5f);
  EXPECT_EQ(float(record.vocalTractFactor), 0.7f);
  EXPECT_EQ(int32_t(record.samplingRate), 8000);
}

TEST(CopyControlsToParameters, SamplingRateChangesOnlyWhileIdleAndOnlyToARealRate) {
  VoiceParameters record;
  FakeSettingsControls controls;
  controls.samplingRateText = "44100";
  controls.operationRunning = true;
  record.CopyControlsToParameters(kSamplingRateList, controls);
  record.CopyControlsToParameters(kAllSettingsControls, controls);
  EXPECT_EQ(int32_t(record.samplingRate), 16000);

  controls.operationRunning = false;
  record.CopyControlsToParameters(kSamplingRateList, controls);
  EXPECT_EQ(int32_t(record.samplingRate), 44100);

  for (const char* text : {"", "0", "44100 Hz", "12345", "-8000"}) {
    controls.samplingRateText = text;
    record.CopyControlsToParameters(kSamplingRateList, controls);
    EXPECT_EQ(int32_t(record.samplingRate), 44100) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace plimo
