#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "RecordSnapshot.h"
#include "params/Presets.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

using test::RecordSnapshot;

// What the target-voice tables say one (speaker kind, preset) pair stores.
// kKeep leaves reverb and compressor as they were; kOn sets both with
// level and threshold 0.5.
enum Effects { kOff, kOn, kKeep };
struct Expected {
  float pitchFactor;
  float vocalTractFactor;
  float pitchOffsetHz;
  int32_t robotVoiceOn;
  float robotPitchHz;  // 0: robot pitch untouched
  Effects effects;
};

// [preset][speaker kind - 1], copied from the target-voice tables.
const Expected kTable[25][3] = {
    {{0.85f, 0.8f, 0, 0, 0, kOff}, {0.7f, 0.7f, 0, 0, 0, kOff}, {0.5f, 0.5f, 0, 0, 0, kOff}},
    {{0.95f, 0.9f, 0, 0, 0, kOff}, {0.8f, 0.8f, 0, 0, 0, kOff}, {0.6f, 0.6f, 0, 0, 0, kOff}},
    {{1.1f, 0.95f, 0, 0, 0, kOff}, {0.85f, 0.8f, 0, 0, 0, kOff}, {0.7f, 0.7f, 0, 0, 0, kOff}},
    {{1.2f, 1.05f, 0, 0, 0, kOff}, {0.9f, 0.8f, 0, 0, 0, kOff}, {0.8f, 0.8f, 0, 0, 0, kOff}},
    {{1.8f, 1.2f, 0, 0, 0, kOff}, {0.85f, 0.8f, 0, 0, 0, kOff}, {0.7f, 0.7f, 0, 0, 0, kOff}},
    {{2.0f, 1.2f, 0, 0, 0, kOff}, {0.95f, 0.9f, 0, 0, 0, kOff}, {0.8f, 0.8f, 0, 0, 0, kOff}},
    {{2.2f, 1.2f, 0, 0, 0, kOff}, {1.1f, 0.95f, 0, 0, 0, kOff}, {0.85f, 0.8f, 0, 0, 0, kKeep}},
    {{2.0f, 1.15f, 0, 0, 0, kOff}, {1.2f, 1.05f, 0, 0, 0, kOff}, {0.8f, 0.9f, 0, 0, 0, kOff}},
    {{1.8f, 1.6f, 0, 0, 0, kOff}, {1.4f, 1.4f, 0, 0, 0, kOff}, {0.85f, 0.8f, 0, 0, 0, kOff}},
    {{1.9f, 1.8f, 0, 0, 0, kOff}, {1.7f, 1.7f, 0, 0, 0, kOff}, {0.95f, 0.9f, 0, 0, 0, kOff}},
    {{2.0f, 1.6f, 0, 0, 0, kOff}, {1.8f, 1.6f, 0, 0, 0, kOff}, {1.1f, 0.95f, 0, 0, 0, kOff}},
    {{2.0f, 2.0f, 0, 0, 0, kOff}, {2.0f, 1.8f, 0, 0, 0, kOff}, {1.2f, 1.05f, 0, 0, 0, kOff}},
    {{1, 1.1f, 0, 1, 170, kOff}, {1, 1.1f, 0, 1, 170, kOff}, {1, 1.1f, 0, 1, 200, kOff}},
    {{1, 1.2f, 0, 1, 220, kOff}, {1, 1.2f, 0, 1, 220, kOff}, {1, 1.2f, 0, 1, 250, kOff}},
    {{1, 1.15f, 0, 1, 190, kOff}, {1, 1.15f, 0, 1, 190, kOff}, {1, 1.15f, 0, 1, 220, kOff}},
    {{1, 1.1f, 0, 1, 230, kOff}, {1, 1.1f, 0, 1, 230, kOff}, {1, 1.1f, 0, 1, 260, kOff}},
    {{1, 0.75f, 0, 1, 85, kOff}, {1, 0.75f, 0, 1, 85, kOff}, {1, 0.75f, 0, 1, 130, kOff}},
    {{1, 0.8f, 0, 1, 160, kOff}, {1, 0.8f, 0, 1, 160, kOff}, {1, 0.8f, 0, 1, 190, kOff}},
    {{1, 1.15f, 0, 1, 190, kOn}, {1, 1.15f, 0, 1, 190, kOn}, {1, 1.15f, 0, 1, 220, kOn}},
    {{1, 0.8f, 0, 1, 160, kOn}, {1, 0.8f, 0, 1, 160, kOn}, {1, 0.8f, 0, 1, 190, kOn}},
    {{1, 1.8f, -40, 0, 0, kOff}, {1, 1.8f, -40, 0, 0, kOff}, {1, 1.8f, -40, 0, 0, kOff}},
    {{1, 2.0f, -30, 0, 0, kOff}, {1, 2.0f, -30, 0, 0, kOff}, {1, 2.0f, -30, 0, 0, kOff}},
    {{1, 1.8f, -40, 0, 0, kOn}, {1, 1.8f, -40, 0, 0, kOn}, {1, 1.8f, -40, 0, 0, kOn}},
    {{1, 2.0f, -30, 0, 0, kOn}, {1, 2.0f, -30, 0, 0, kOn}, {1, 2.0f, -30, 0, 0, kOn}},
    {{1, 1.0f, 0, 0, 0, kOff}, {1, 1.0f, 0, 0, 0, kOff}, {1, 1.0f, 0, 0, 0, kOff}},
};

class Buttons : public SpeakerKindButtons {
 public:
  Buttons(bool woman, bool child) : woman(woman), child(child) {}
  bool IsWomanSelected() const override { return woman; }
  bool IsChildSelected() const override { return child; }

 private:
  bool woman;
  bool child;
};

Buttons ButtonsFor(int32_t speakerKind) {
  return Buttons(speakerKind == kSpeakerWoman, speakerKind == kSpeakerChild);
}

class CountingRefresher : public SettingsRefresher {
 public:
  void RefreshFromParameters() override { ++refreshes; }
  int refreshes = 0;
};

// Puts every member a preset may leave alone at a value no preset uses,
// with reverb and compressor on.
void MarkUntouchedMembers(VoiceParameters& record) {
  record.reverbOn = 1;
  record.reverbLevel = 0.3f;
  record.compressorOn = 1;
  record.compressionThreshold = 0.2f;
  record.whisperOn = 1;
  record.whisperLevel = 0.6f;
  record.chorusOn = 1;
  record.expanderOn = 1;
  record.limiterOn = 1;
  record.gaterOn = 1;
  record.gatingThreshold = 0.1f;
  record.robotPitchHz = 123.0f;
  record.durationFactor = 2.5f;
  record.samplingRate = 22050;
  record.presetIndex = 17;
  record.equaliser.SetGain(3, 7.0f);
}

TEST(Presets, EveryPairStoresItsTableRowAndNothingElse) {
  for (int32_t kind = kSpeakerMan; kind <= kSpeakerChild; ++kind) {
    for (int32_t preset = 0; preset < kPresetCount; ++preset) {
      SCOPED_TRACE(std::string(PresetName(preset)->english) + " for speaker " + std::to_string(kind));
      const Expected& want = kTable[preset][kind - 1];
      VoiceParameters record;
      MarkUntouchedMembers(record);
      CountingRefresher refresher;
      ASSERT_EQ(ApplyPreset(record, preset, ButtonsFor(kind), &refresher), 1);

      EXPECT_EQ(int32_t(record.speakerKind), kind);
      EXPECT_EQ(float(record.pitchFactor), want.pitchFactor);
      EXPECT_EQ(float(record.vocalTractFactor), want.vocalTractFactor);
      EXPECT_EQ(float(record.pitchOffsetHz), want.pitchOffsetHz);
      EXPECT_EQ(float(record.durationFactor), 1.0f);
      EXPECT_EQ(int32_t(record.robotVoiceOn), want.robotVoiceOn);
      EXPECT_EQ(float(record.robotPitchHz), want.robotPitchHz != 0 ? want.robotPitchHz : 123.0f);
      const int32_t effectsOn = want.effects == kOff ? 0 : 1;
      EXPECT_EQ(int32_t(record.reverbOn), effectsOn);
      EXPECT_EQ(int32_t(record.compressorOn), effectsOn);
      const float level = want.effects == kOn ? 0.5f : 0.3f;
      const float threshold = want.effects == kOn ? 0.5f : 0.2f;
      EXPECT_EQ(float(record.reverbLevel), level) << "a cleared switch keeps its level";
      EXPECT_EQ(float(record.compressionThreshold), threshold);

      EXPECT_EQ(int32_t(record.whisperOn), 1);
      EXPECT_EQ(float(record.whisperLevel), 0.6f);
      EXPECT_EQ(int32_t(record.chorusOn), 1);
      EXPECT_EQ(int32_t(record.expanderOn) + int32_t(record.limiterOn) + int32_t(record.gaterOn), 3);
      EXPECT_EQ(float(record.gatingThreshold), 0.1f);
      EXPECT_EQ(int32_t(record.samplingRate), 22050);
      EXPECT_EQ(int32_t(record.presetIndex), 17);
      EXPECT_EQ(record.equaliser.Gain(3), 7.0f);
      EXPECT_EQ(refresher.refreshes, 1);
    }
  }
}

TEST(Presets, WomanButtonWinsOverChildAndNoneMeansMan) {
  EXPECT_EQ(SelectedSpeakerKind(Buttons(true, true)), kSpeakerWoman);
  EXPECT_EQ(SelectedSpeakerKind(Buttons(false, true)), kSpeakerChild);
  EXPECT_EQ(SelectedSpeakerKind(Buttons(false, false)), kSpeakerMan);
}

TEST(Presets, AnIndexOutsideTheListChangesNothingButStillRefreshes) {
  for (int32_t preset : {25, -1, 1000, INT32_MIN}) {
    VoiceParameters record;
    MarkUntouchedMembers(record);
    record.speakerKind = kSpeakerMan;
    const RecordSnapshot before(record);
    CountingRefresher refresher;
    EXPECT_EQ(ApplyPreset(record, preset, ButtonsFor(kSpeakerMan), &refresher), -1);
    EXPECT_TRUE(RecordSnapshot(record) == before) << preset;
    EXPECT_EQ(refresher.refreshes, 1);
  }
  VoiceParameters record;
  const RecordSnapshot before(record);
  EXPECT_EQ(StorePresetValues(record, 0, 4), -1);
  EXPECT_EQ(StorePresetValues(record, 4, 4), -1);
  EXPECT_TRUE(RecordSnapshot(record) == before);
}

TEST(Presets, StartUpGivesWoman1ForAMan) {
  VoiceParameters record;
  ASSERT_EQ(ApplyPreset(record, record.presetIndex, ButtonsFor(kSpeakerMan), nullptr), 1);
  EXPECT_EQ(float(record.pitchFactor), 1.8f);
  EXPECT_EQ(float(record.vocalTractFactor), 1.2f);
  EXPECT_EQ(float(record.durationFactor), 1.0f);
  EXPECT_EQ(float(record.pitchOffsetHz), 0.0f);
  EXPECT_EQ(float(record.robotPitchHz), 100.0f);
  EXPECT_EQ(int32_t(record.samplingRate), 16000);
}

TEST(PreviewPreset, TheSlidersBringAChildsMan1PitchUpToTheirMinimum) {
  VoiceParameters record;
  ASSERT_EQ(PreviewPreset(record, kSpeakerChild, 0), 1);
  EXPECT_EQ(float(record.pitchFactor), 0.6f);
  EXPECT_EQ(float(record.vocalTractFactor), 0.5f) << "0.5 lies within 0.3 .. 3.0";
}

TEST(PreviewPreset, ValuesWithinTheirSlidersComeBackUnchanged) {
  VoiceParameters record;
  ASSERT_EQ(PreviewPreset(record, kSpeakerMan, 16), 1);  // "Robot 5": 85 Hz
  EXPECT_EQ(float(record.robotPitchHz), 85.0f);
  EXPECT_EQ(float(record.vocalTractFactor), 0.75f);
  ASSERT_EQ(PreviewPreset(record, kSpeakerMan, 21), 1);  // "Donald Duck 2": vocal tract 2.0
  EXPECT_EQ(float(record.vocalTractFactor), 2.0f);
  EXPECT_EQ(float(record.pitchOffsetHz), -30.0f) << "the offset has no slider";
  EXPECT_EQ(PreviewPreset(record, kSpeakerMan, 25), -1);
}

TEST(PreviewPreset, Woman3ForAChildKeepsTheReverbOn) {
  VoiceParameters record;
  ASSERT_EQ(ApplyPreset(record, 18, ButtonsFor(kSpeakerChild), nullptr), 1);  // reverb on
  ASSERT_EQ(int32_t(record.reverbOn), 1);
  ASSERT_EQ(ApplyPreset(record, 6, ButtonsFor(kSpeakerChild), nullptr), 1);
  EXPECT_EQ(int32_t(record.reverbOn), 1);
  EXPECT_EQ(int32_t(record.compressorOn), 1);
  ASSERT_EQ(ApplyPreset(record, 7, ButtonsFor(kSpeakerChild), nullptr), 1);
  EXPECT_EQ(int32_t(record.reverbOn), 0);
}

TEST(PreviewPreset, Robot7TurnsOnAndDerivesReverbAndCompressor) {
  VoiceParameters record;
  // Effects left at other settings, so only a fresh derivation passes.
  record.derivedEffects.reverbLevel = 1.0f;
  record.derivedEffects.compressionThreshold = 1.0f;
  ASSERT_EQ(PreviewPreset(record, kSpeakerWoman, 18), 1);
  EXPECT_EQ(int32_t(record.reverbOn), 1);
  EXPECT_EQ(float(record.reverbLevel), 0.5f);
  EXPECT_EQ(int32_t(record.compressorOn), 1);
  EXPECT_EQ(float(record.compressionThreshold), 0.5f);
  EXPECT_EQ(float(record.derivedEffects.reverbLevel), 0.5f);
  EXPECT_EQ(float(record.derivedEffects.compressionThreshold), 0.5f);
}

TEST(PresetNames, TwentyFiveDistinctNamesInBothLanguages) {
  std::set<std::string> english;
  std::set<std::string> turkish;
  for (int32_t preset = 0; preset < kPresetCount; ++preset) {
    english.insert(PresetName(preset)->english);
    turkish.insert(PresetName(preset)->turkish);
  }
  EXPECT_EQ(english.size(), 25u);
  EXPECT_EQ(turkish.size(), 25u);
  EXPECT_STREQ(PresetName(4)->turkish, "Kad\xC4\xB1n 1");
  EXPECT_STREQ(PresetName(8)->turkish, "\xC3\x87ocuk 1");
  EXPECT_STREQ(PresetName(23)->english, "Donald Duck 4");
  EXPECT_EQ(PresetName(25), nullptr);
  EXPECT_EQ(PresetName(-1), nullptr);
}

}  // namespace
}  // namespace plimo
