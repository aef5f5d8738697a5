#pragma once

#include <string>

namespace plimo {

// Identifiers of the settings window's controls that carry parameters.
inline constexpr int kAllSettingsControls = -1;

inline constexpr int kPitchSlider = 1002;
inline constexpr int kReverbLevelSlider = 1003;
inline constexpr int kDurationSlider = 1004;
inline constexpr int kVocalTractSlider = 1005;
inline constexpr int kWhisperLevelSlider = 1006;
inline constexpr int kChorusLevelSlider = 1007;
inline constexpr int kRobotPitchSlider = 1008;
inline constexpr int kCompressionSlider = 1009;
inline constexpr int kExpansionSlider = 1010;
inline constexpr int kLimitingSlider = 1011;
inline constexpr int kGatingSlider = 1012;

inline constexpr int kRobotCheckBox = 1027;
inline constexpr int kReverbCheckBox = 1061;
inline constexpr int kWhisperCheckBox = 1062;
inline constexpr int kChorusCheckBox = 1063;
inline constexpr int kCompressorCheckBox = 1064;
inline constexpr int kExpanderCheckBox = 1065;
inline constexpr int kLimiterCheckBox = 1066;
inline constexpr int kGaterCheckBox = 1067;

inline constexpr int kSamplingRateList = 1036;

// Band sliders 0.1 kHz .. 17.0 kHz; the template has no 1056.
inline constexpr int kBandSliderCount = 10;
inline constexpr int kBandSliders[kBandSliderCount] = {1050, 1051, 1052, 1053, 1054,
                                                       1055, 1057, 1058, 1059, 1060};

// What CopyControlsToParameters reads from the settings window: the
// window implements it over its real controls.
class SettingsControls {
 public:
  virtual ~SettingsControls() = default;

  // The value a value slider stands at, in its parameter's units.
  virtual float SliderValue(int sliderId) const = 0;
  virtual bool IsChecked(int checkBoxId) const = 0;
  // The selected text of the sampling-rate list; empty when none.
  virtual std::string SelectedSamplingRateText() const = 0;
  // True while a recording, playback or modification runs.
  virtual bool IsOperationRunning() const = 0;
};

}  // namespace plimo
