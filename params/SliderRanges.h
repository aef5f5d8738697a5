#pragma once

#include <algorithm>

namespace plimo {

// The values the settings window's sliders can show. The record does not
// enforce them; a value outside comes back from the window as the range's
// nearest end.
struct SliderRange {
  float lowest;
  float highest;

  float Clamp(float value) const { return std::clamp(value, lowest, highest); }
};

inline constexpr SliderRange kPitchRange{0.6f, 3.0f};          // factor
inline constexpr SliderRange kDurationRange{0.3f, 3.0f};       // factor
inline constexpr SliderRange kVocalTractRange{0.3f, 3.0f};     // factor
inline constexpr SliderRange kRobotPitchRange{80.0f, 300.0f};  // Hz
inline constexpr SliderRange kReverbLevelRange{0.0f, 1.0f};
inline constexpr SliderRange kWhisperLevelRange{0.5f, 1.0f};
inline constexpr SliderRange kChorusLevelRange{0.5f, 1.0f};
inline constexpr SliderRange kThresholdRange{0.0f, 1.0f};    // all four dynamics effects
inline constexpr SliderRange kBandGainRange{-20.0f, 20.0f};  // dB

}  // namespace plimo
