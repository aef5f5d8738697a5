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

  // ValueSliderListener: keys and the wheel move the thumb only.
  void SliderKeyPressed(int) override {}
  void SliderReleased(int controlId) override;

 private:
  struct Gain {
    VolumeControl* control;  // null when missing
    ValueSlider* slider;
  };

  Gain SetUpGain(int controlId, VolumeControl* control, MessageSink& messages);

  Gain speaker;
  Gain microphone;
};

}  // namespace plimo
