#pragma once

namespace plimo::skin {

// Every bitmap of the program by its resource number. Buttons have a
// normal, pressed and disabled picture; their focused picture is the
// normal one.
enum BitmapId : int {
  kBitmapAbout = 141,
  kBitmapIcon = 128,

  kBitmapMainBackground = 177,
  kBitmapSettingsBackground = 176,
  kBitmapVolumeBackground = 184,
  kBitmapMessageBackground = 566,

  kBitmapPlayRecording = 147,
  kBitmapPlayRecordingPressed = 146,
  kBitmapPlayRecordingDisabled = 157,
  kBitmapRecord = 149,
  kBitmapRecordPressed = 148,
  kBitmapRecordDisabled = 154,
  kBitmapStart = 151,
  kBitmapStartPressed = 150,
  kBitmapStartDisabled = 155,
  kBitmapStop = 153,
  kBitmapStopPressed = 152,
  kBitmapStopDisabled = 156,
  kBitmapPlayOutput = 161,
  kBitmapPlayOutputPressed = 160,
  kBitmapPlayOutputDisabled = 162,
  kBitmapVolume = 164,
  kBitmapVolumePressed = 163,
  kBitmapVolumeDisabled = 165,
  kBitmapHelp = 223,
  kBitmapHelpPressed = 225,
  kBitmapHelpDisabled = 224,
  kBitmapSettings = 185,
  kBitmapSettingsPressed = 186,
  kBitmapSettingsDisabled = 187,
  kBitmapClose = 196,
  kBitmapClosePressed = 197,
  kBitmapCloseDisabled = 195,
  kBitmapMainCloseBox = 217,
  kBitmapMainCloseBoxPressed = 218,
  kBitmapMainCloseBoxDisabled = 219,
  kBitmapMinimise = 238,
  kBitmapMinimisePressed = 239,
  kBitmapMinimiseDisabled = 240,
  kBitmapBrowse = 220,
  kBitmapBrowsePressed = 221,
  kBitmapBrowseDisabled = 222,

  kBitmapLoad = 201,
  kBitmapLoadPressed = 202,
  kBitmapLoadDisabled = 203,
  kBitmapSave = 204,
  kBitmapSavePressed = 206,
  kBitmapSaveDisabled = 205,
  kBitmapRevert = 191,
  kBitmapRevertPressed = 192,
  kBitmapRevertDisabled = 193,
  kBitmapSettingsCloseBox = 226,
  kBitmapSettingsCloseBoxPressed = 227,
  kBitmapSettingsCloseBoxDisabled = 228,
  kBitmapSettingsThumb = 229,
  kBitmapSettingsChannelAbove = 230,
  kBitmapSettingsChannelBelow = 231,

  kBitmapVolumeThumb = 232,
  kBitmapVolumeChannelAbove = 233,
  kBitmapVolumeChannelBelow = 234,
  kBitmapVolumeCloseBox = 235,
  kBitmapVolumeCloseBoxPressed = 236,
  kBitmapVolumeCloseBoxDisabled = 237,

  kBitmapMessageOk = 572,
  kBitmapMessageOkPressed = 570,
  kBitmapMessageOkDisabled = 571,
  kBitmapMessageCancel = 569,
  kBitmapMessageCancelPressed = 567,
  kBitmapMessageCancelDisabled = 568,
};

// The four pictures of a bitmap button, in the order normal, pressed,
// focused, disabled.
struct ButtonBitmaps {
  int normal;
  int pressed;
  int focused;
  int disabled;
};

}  // namespace plimo::skin
