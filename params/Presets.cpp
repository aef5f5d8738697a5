#include "params/Presets.h"

#include "params/RecordControls.h"
#include "params/VoiceParameters.h"

namespace plimo {

namespace {

const MessagePair kPresetNames[kPresetCount] = {
    {"Man 1", "Erkek 1"},          {"Man 2", "Erkek 2"},          {"Man 3", "Erkek 3"},
    {"Man 4", "Erkek 4"},          {"Woman 1", "Kadın 1"},        {"Woman 2", "Kadın 2"},
    {"Woman 3", "Kadın 3"},        {"Woman 4", "Kadın 4"},        {"Child 1", "Çocuk 1"},
    {"Child 2", "Çocuk 2"},        {"Child 3", "Çocuk 3"},        {"Child 4", "Çocuk 4"},
    {"Robot 1", "Robot 1"},        {"Robot 2", "Robot 2"},        {"Robot 3", "Robot 3"},
    {"Robot 4", "Robot 4"},        {"Robot 5", "Robot 5"},        {"Robot 6", "Robot 6"},
    {"Robot 7", "Robot 7"},        {"Robot 8", "Robot 8"},        {"Donald Duck 1", "Vakvak 1"},
    {"Donald Duck 2", "Vakvak 2"}, {"Donald Duck 3", "Vakvak 3"}, {"Donald Duck 4", "Vakvak 4"},
    {"Normal", "Normal"},
};

constexpr int32_t kFirstRobotPreset = 12;
constexpr int32_t kFirstDuckPreset = 20;
constexpr int32_t kNormalPreset = 24;
constexpr int kSpeakerKindCount = 3;

// Level and threshold a preset gives reverb and compressor when it turns
// them on.
constexpr float kPresetEffectLevel = 0.5f;

// What a preset does with the reverb and compressor switches (always the
// two together).
enum class EffectsChange { kKeep, kOff, kOn };

struct FactorPair {
  float pitchFactor;
  float vocalTractFactor;
};

// Man, woman and child presets: [preset][speaker kind - 1].
constexpr FactorPair kHumanPresets[kFirstRobotPreset][kSpeakerKindCount] = {
    {{0.85f, 0.8f}, {0.7f, 0.7f}, {0.5f, 0.5f}},  {{0.95f, 0.9f}, {0.8f, 0.8f}, {0.6f, 0.6f}},
    {{1.1f, 0.95f}, {0.85f, 0.8f}, {0.7f, 0.7f}}, {{1.2f, 1.05f}, {0.9f, 0.8f}, {0.8f, 0.8f}},
    {{1.8f, 1.2f}, {0.85f, 0.8f}, {0.7f, 0.7f}},  {{2.0f, 1.2f}, {0.95f, 0.9f}, {0.8f, 0.8f}},
    {{2.2f, 1.2f}, {1.1f, 0.95f}, {0.85f, 0.8f}}, {{2.0f, 1.15f}, {1.2f, 1.05f}, {0.8f, 0.9f}},
    {{1.8f, 1.6f}, {1.4f, 1.4f}, {0.85f, 0.8f}},  {{1.9f, 1.8f}, {1.7f, 1.7f}, {0.95f, 0.9f}},
    {{2.0f, 1.6f}, {1.8f, 1.6f}, {1.1f, 0.95f}},  {{2.0f, 2.0f}, {2.0f, 1.8f}, {1.2f, 1.05f}},
};

// "Woman 3" for a child leaves reverb and compressor as they were.
constexpr int32_t kWoman3Preset = 6;

struct RobotPreset {
  float vocalTractFactor;
  float pitchManOrWomanHz;  // Hz
  float pitchChildHz;       // Hz
  EffectsChange effects;
};

constexpr RobotPreset kRobotPresets[kFirstDuckPreset - kFirstRobotPreset] = {
    {1.1f, 170.0f, 200.0f, EffectsChange::kOff},  {1.2f, 220.0f, 250.0f, EffectsChange::kOff},
    {1.15f, 190.0f, 220.0f, EffectsChange::kOff}, {1.1f, 230.0f, 260.0f, EffectsChange::kOff},
    {0.75f, 85.0f, 130.0f, EffectsChange::kOff},  {0.8f, 160.0f, 190.0f, EffectsChange::kOff},
    {1.15f, 190.0f, 220.0f, EffectsChange::kOn},  {0.8f, 160.0f, 190.0f, EffectsChange::kOn},
};

struct DuckPreset {
  float vocalTractFactor;
  float pitchOffsetHz;  // Hz
  EffectsChange effects;
};

constexpr DuckPreset kDuckPresets[kNormalPreset - kFirstDuckPreset] = {
    {1.8f, -40.0f, EffectsChange::kOff},
    {2.0f, -30.0f, EffectsChange::kOff},
    {1.8f, -40.0f, EffectsChange::kOn},
    {2.0f, -30.0f, EffectsChange::kOn},
};

void StoreEffectsChange(VoiceParameters& record, EffectsChange change) {
  switch (change) {
    case EffectsChange::kKeep: break;
    case EffectsChange::kOff:
      record.reverbOn = 0;
      record.compressorOn = 0;
      break;
    case EffectsChange::kOn:
      record.reverbOn = 1;
      record.reverbLevel = kPresetEffectLevel;
      record.compressorOn = 1;
      record.compressionThreshold = kPresetEffectLevel;
      break;
  }
}

}  // namespace

const MessagePair* PresetName(int32_t presetIndex) {
  if (presetIndex < 0 || presetIndex >= kPresetCount) return nullptr;
  return &kPresetNames[presetIndex];
}

int32_t SelectedSpeakerKind(const SpeakerKindButtons& buttons) {
  if (buttons.IsWomanSelected()) return kSpeakerWoman;
  if (buttons.IsChildSelected()) return kSpeakerChild;
  return kSpeakerMan;
}

int StorePresetValues(VoiceParameters& record, int32_t speakerKind, int32_t presetIndex) {
  if (speakerKind < kSpeakerMan || speakerKind > kSpeakerChild || presetIndex < 0 ||
      presetIndex >= kPresetCount) {
    return -1;
  }
  float pitchFactor = 1.0f;
  float pitchOffsetHz = 0.0f;
  float vocalTractFactor = 1.0f;
  int32_t robotVoiceOn = 0;
  EffectsChange effects = EffectsChange::kOff;

  if (presetIndex < kFirstRobotPreset) {
    const FactorPair& factors = kHumanPresets[presetIndex][speakerKind - 1];
    pitchFactor = factors.pitchFactor;
    vocalTractFactor = factors.vocalTractFactor;
    if (speakerKind == kSpeakerChild && presetIndex == kWoman3Preset) {
      effects = EffectsChange::kKeep;
    }
  } else if (presetIndex < kFirstDuckPreset) {
    const RobotPreset& robot = kRobotPresets[presetIndex - kFirstRobotPreset];
    vocalTractFactor = robot.vocalTractFactor;
    robotVoiceOn = 1;
    record.robotPitchHz = speakerKind == kSpeakerChild ? robot.pitchChildHz : robot.pitchManOrWomanHz;
    effects = robot.effects;
  } else if (presetIndex < kNormalPreset) {
    const DuckPreset& duck = kDuckPresets[presetIndex - kFirstDuckPreset];
    vocalTractFactor = duck.vocalTractFactor;
    pitchOffsetHz = duck.pitchOffsetHz;
    effects = duck.effects;
  }

  record.pitchFactor = pitchFactor;
  record.pitchOffsetHz = pitchOffsetHz;
  record.durationFactor = 1.0f;
  record.vocalTractFactor = vocalTractFactor;
  record.robotVoiceOn = robotVoiceOn;
  StoreEffectsChange(record, effects);
  return 1;
}

int ApplyPreset(VoiceParameters& record, int32_t presetIndex, const SpeakerKindButtons& buttons,
                SettingsRefresher* refresher) {
  record.speakerKind = SelectedSpeakerKind(buttons);
  const int status = StorePresetValues(record, record.speakerKind, presetIndex);
  if (refresher != nullptr) refresher->RefreshFromParameters();
  return status;
}

int PreviewPreset(VoiceParameters& record, int32_t speakerKind, int32_t presetIndex) {
  record.ResetToDefaults();
  const int status = StorePresetValues(record, speakerKind, presetIndex);
  if (status != 1) return status;
  record.speakerKind = speakerKind;
  const RecordControls controls(record);
  record.CopyControlsToParameters(kAllSettingsControls, controls);
  return status;
}

}  // namespace plimo
