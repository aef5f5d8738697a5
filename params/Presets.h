#pragma once

#include <cstdint>

#include "messages/MessagePair.h"

namespace plimo {

class VoiceParameters;

inline constexpr int32_t kPresetCount = 25;

// The "Target voice" list entries, index 0 .. 24; nullptr outside.
const MessagePair* PresetName(int32_t presetIndex);

// The main window's "Man", "Woman" and "Child" radio buttons.
class SpeakerKindButtons {
 public:
  virtual ~SpeakerKindButtons() = default;
  virtual bool IsWomanSelected() const = 0;
  virtual bool IsChildSelected() const = 0;
};

// Woman if that button is selected, otherwise child if that one is,
// otherwise man.
int32_t SelectedSpeakerKind(const SpeakerKindButtons& buttons);

// The settings window, which shows the record again after a preset.
class SettingsRefresher {
 public:
  virtual ~SettingsRefresher() = default;
  virtual void RefreshFromParameters() = 0;
};

// Stores the values of preset presetIndex for speakerKind: the pitch and
// vocal tract factors, pitch offset, duration 1.0, the robot switch (and
// robot pitch for robots), and what the preset says about reverb and
// compressor. No effect is derived and nothing else changes. Returns 1,
// or -1 with the record untouched for a speaker kind other than 1 .. 3 or
// an index outside 0 .. 24.
[[nodiscard]] int StorePresetValues(VoiceParameters& record, int32_t speakerKind, int32_t presetIndex);

// The main window's preset choice: takes the speaker kind from the radio
// buttons into the record, stores the preset's values, then lets the
// settings window (when there is one) refresh itself, also after a refused
// index. The caller then copies the controls back with -1. Returns as
// StorePresetValues.
[[nodiscard]] int ApplyPreset(VoiceParameters& record, int32_t presetIndex, const SpeakerKindButtons& buttons,
                              SettingsRefresher* refresher);

// The record as the user meets a preset: defaults, the preset for
// speakerKind, then the round trip through the settings window's controls
// that brings every value within its slider's range and derives the
// enabled effects. Returns as StorePresetValues.
[[nodiscard]] int PreviewPreset(VoiceParameters& record, int32_t speakerKind, int32_t presetIndex);

}  // namespace plimo
