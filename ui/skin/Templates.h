#pragma once

#include <QRect>
#include <QSize>

#include "params/SettingsControls.h"
#include "ui/skin/DialogUnits.h"

// The dialog templates: each control's identifier and place in dialog
// units; the settings controls that carry parameters take the identifiers
// the parameters are read by. The windows lay their controls out from these, and the
// backgrounds paint their labels beside the same places.
namespace plimo::tmpl {

struct Control {
  int id;
  int x;
  int y;
  int width;
  int height;

  QRect Rect() const { return DialogRect(x, y, width, height); }
};

// Main window, 224 x 255 units; resized to its background at start-up.
namespace main_window {
inline constexpr int kWidth = 224;
inline constexpr int kHeight = 255;
inline constexpr Control kRecord{1019, 42, 29, 18, 16};
inline constexpr Control kPlayRecording{1017, 62, 29, 18, 16};
inline constexpr Control kStart{1020, 82, 29, 18, 16};
inline constexpr Control kPlayOutput{1030, 102, 29, 18, 16};
inline constexpr Control kStop{1018, 3, 4, 18, 16};
inline constexpr Control kVolume{1033, 122, 29, 18, 16};
inline constexpr Control kHelp{1034, 142, 29, 18, 16};
inline constexpr Control kSettings{1044, 9, 234, 41, 15};
inline constexpr Control kExit{1039, 176, 234, 35, 15};
inline constexpr Control kCloseBox{1076, 203, 5, 9, 8};
inline constexpr Control kMinimise{1077, 189, 5, 9, 8};
inline constexpr Control kBrowseOutput{1035, 196, 204, 16, 13};
inline constexpr Control kBrowseFolder{1032, 196, 173, 16, 13};
inline constexpr Control kBrowseInput{1007, 196, 188, 16, 13};
inline constexpr Control kLevelMeter{1084, 9, 69, 206, 8};
inline constexpr Control kPresetList{1079, 81, 52, 61, 124};
inline constexpr Control kMan{1047, 88, 125, 10, 11};
inline constexpr Control kChild{1048, 147, 125, 10, 11};
inline constexpr Control kWoman{1046, 32, 125, 10, 11};
inline constexpr Control kFileMode{1057, 130, 85, 11, 10};
inline constexpr Control kRealTime{1043, 13, 85, 10, 10};
inline constexpr Control kWorkingFolder{1031, 73, 173, 122, 13};
inline constexpr Control kProgressBar{1028, 7, 68, 208, 8};
inline constexpr Control kProgressMessage{1029, 9, 56, 58, 10};
inline constexpr Control kInputFile{1000, 73, 188, 122, 13};
inline constexpr Control kOutputFile{1001, 73, 204, 122, 13};
// A live run's outputs: the virtual microphone, and the speaker.
inline constexpr Control kSendToMicrophone{1100, 13, 151, 9, 8};
inline constexpr Control kHearMyself{1101, 146, 151, 9, 8};
}  // namespace main_window

// Settings window, 202 x 375 units: the sound devices and the live run's
// delay have rows of their own below the equaliser, clear of the band
// sliders' press zones.
namespace settings {
inline constexpr int kWidth = 202;
inline constexpr int kHeight = 375;
inline constexpr Control kPitch{kPitchSlider, 40, 46, 8, 35};
inline constexpr Control kDuration{kDurationSlider, 87, 46, 8, 35};
inline constexpr Control kVocalTract{kVocalTractSlider, 135, 46, 8, 35};
inline constexpr Control kRobotPitch{kRobotPitchSlider, 183, 46, 8, 35};
inline constexpr Control kReverbLevel{kReverbLevelSlider, 40, 120, 8, 35};
inline constexpr Control kWhisperLevel{kWhisperLevelSlider, 88, 120, 8, 35};
inline constexpr Control kChorusLevel{kChorusLevelSlider, 136, 120, 8, 35};
inline constexpr Control kExpansion{kExpansionSlider, 40, 172, 8, 35};
inline constexpr Control kCompression{kCompressionSlider, 88, 172, 8, 35};
inline constexpr Control kLimiting{kLimitingSlider, 136, 172, 8, 35};
inline constexpr Control kGating{kGatingSlider, 183, 172, 8, 35};
inline constexpr int kBandCount = kBandSliderCount;
inline constexpr Control kBands[kBandCount] = {
    {kBandSliders[0], 39, 225, 8, 35},  {kBandSliders[1], 54, 225, 8, 35},
    {kBandSliders[2], 70, 225, 8, 35},  {kBandSliders[3], 85, 225, 8, 35},
    {kBandSliders[4], 101, 225, 8, 35}, {kBandSliders[5], 117, 225, 8, 35},
    {kBandSliders[6], 134, 225, 8, 35}, {kBandSliders[7], 150, 225, 8, 35},
    {kBandSliders[8], 168, 225, 8, 35}, {kBandSliders[9], 183, 225, 8, 35}};
inline constexpr Control kPitchDisplay{1021, 28, 82, 22, 8};
inline constexpr Control kDurationDisplay{1023, 69, 82, 22, 8};
inline constexpr Control kVocalTractDisplay{1024, 120, 82, 22, 8};
inline constexpr Control kRobotPitchDisplay{1026, 171, 82, 22, 8};
inline constexpr Control kRobotBox{kRobotCheckBox, 156, 35, 9, 8};
inline constexpr Control kReverbBox{kReverbCheckBox, 9, 109, 9, 8};
inline constexpr Control kWhisperBox{kWhisperCheckBox, 60, 109, 9, 8};
inline constexpr Control kChorusBox{kChorusCheckBox, 110, 109, 9, 8};
inline constexpr Control kExpanderBox{kExpanderCheckBox, 9, 161, 9, 8};
inline constexpr Control kCompressorBox{kCompressorCheckBox, 60, 161, 9, 8};
inline constexpr Control kLimiterBox{kLimiterCheckBox, 110, 161, 9, 8};
inline constexpr Control kGaterBox{kGaterCheckBox, 156, 161, 9, 8};
inline constexpr Control kSamplingRate{kSamplingRateList, 151, 129, 41, 61};
inline constexpr Control kMicrophoneDevice{1102, 62, 287, 130, 13};
inline constexpr Control kSpeakerDevice{1103, 62, 302, 130, 13};
inline constexpr Control kStandardDelay{1068, 9, 334, 9, 8};
inline constexpr Control kLowDelay{1069, 101, 334, 9, 8};
inline constexpr Control kLoad{1048, 6, 351, 20, 15};
inline constexpr Control kSave{1049, 36, 351, 35, 15};
inline constexpr Control kRevert{1041, 81, 351, 52, 15};
inline constexpr Control kClose{1075, 158, 351, 28, 15};
inline constexpr Control kCloseBox{1076, 185, 5, 8, 8};
}  // namespace settings

// Volume window, 88 x 148 units.
namespace volume {
inline constexpr int kWidth = 88;
inline constexpr int kHeight = 148;
inline constexpr Control kSpeaker{1035, 20, 42, 13, 71};
inline constexpr Control kMicrophone{1036, 59, 42, 13, 71};
inline constexpr Control kClose{1075, 74, 4, 9, 8};
}  // namespace volume

// Message box, 188 x 114 units.
namespace message {
inline constexpr int kWidth = 188;
inline constexpr int kHeight = 114;
inline constexpr Control kOk{1, 27, 65, 50, 14};
inline constexpr Control kCancel{2, 103, 65, 50, 14};
inline constexpr Control kText{67001, 20, 28, 150, 27};
}  // namespace message

}  // namespace plimo::tmpl
