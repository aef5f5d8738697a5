#pragma once

#include "ui/controls/SkinnedDialog.h"
#include "ui/controls/ValueSlider.h"

namespace plimo {

class MessageSink;
class VolumeControl;

// The small tool window with the sound card's speaker gain and microphone
// recording gain. A control that is missing is reported once, when the
// window is made, and its slider stays disabled; the other one still
// works. A level is set when the user lets go of its slider.
class VolumeWindow : public SkinnedDialog, public ValueSliderListener {
 public:
  VolumeWindow(VolumeControl* speaker, VolumeControl* microphone, MessageSink& messages, QWidget* owner);

  // Shows the controls' ranges and values again, after they followed
  // other devices; a control missing now leaves its slider disabled
  // without a word.
  void Refresh();

  // ValueSliderListener: keys and the wheel move the thumb only.
  void SliderKeyPressed(int) override {}
  void SliderReleased(int controlId) override;

 private:
  struct Gain {
    VolumeControl* source;   // as given, null when there is none
    VolumeControl* control;  // null when missing or unusable
    ValueSlider* slider;
  };

  Gain SetUpGain(int controlId, VolumeControl* control, MessageSink& messages);
  // Sets the slider up for the control; false when it is missing.
  static bool ShowGain(Gain& gain);

  Gain speaker;
  Gain microphone;
};

}  // namespace plimo
