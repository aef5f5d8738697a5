#include "ui/windows/VolumeWindow.h"

#include "audio/VolumeControl.h"
#include "messages/MessageSink.h"
#include "messages/MessageTable.h"
#include "ui/controls/BitmapButton.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"
#include "ui/windows/WindowTexts.h"

namespace plimo {

namespace t = tmpl::volume;

namespace {

struct GainRow {
  const tmpl::Control* control;
  MessagePair toolTip;
  MessagePair missing;
};

const GainRow kGainRows[] = {{&t::kSpeaker, texts::kSpeakerGain, kMessageNoSoundCard},
                             {&t::kMicrophone, texts::kMicrophoneGain, kMessageNoMicrophone}};

constexpr skin::ButtonBitmaps kCloseLook{skin::kBitmapVolumeCloseBox, skin::kBitmapVolumeCloseBoxPressed,
                                         skin::kBitmapVolumeCloseBox, skin::kBitmapVolumeCloseBoxDisabled};
constexpr int kKeyStep = 1;  // one unit of the control

bool Usable(const VolumeControl* control) { return control != nullptr && control->HasVolumeControl(); }

}  // namespace

VolumeWindow::VolumeWindow(VolumeControl* speakerControl, VolumeControl* microphoneControl,
                           MessageSink& messages, QWidget* owner)
    : SkinnedDialog(skin::kBitmapVolumeBackground, skin::kToolFace, owner, Qt::Tool) {
  setObjectName(QStringLiteral("volume"));
  ApplyFrame();
  speaker = SetUpGain(t::kSpeaker.id, speakerControl, messages);
  microphone = SetUpGain(t::kMicrophone.id, microphoneControl, messages);

  auto* close = new BitmapButton(t::kClose.id, this);
  close->LoadBitmaps(kCloseLook);
  close->move(t::kClose.Rect().topLeft());
  close->SizeToContent();
  close->setToolTip(LocalText(texts::kCloseVolume));
  connect(close, &QAbstractButton::clicked, this, &QDialog::accept);
  setToolTip(LocalText(texts::kVolumeSurface));
}

VolumeWindow::Gain VolumeWindow::SetUpGain(int controlId, VolumeControl* control, MessageSink& messages) {
  const GainRow& row = controlId == t::kSpeaker.id ? kGainRows[0] : kGainRows[1];
  auto* slider = new ValueSlider(row.control->id, this);
  slider->move(row.control->Rect().topLeft());
  slider->setToolTip(LocalText(row.toolTip));
  slider->SetListener(this);
  Gain gain{control, nullptr, slider};
  if (!ShowGain(gain)) messages.ShowMessage(row.missing, kMessageTypeOk);
  return gain;
}

bool VolumeWindow::ShowGain(Gain& gain) {
  const bool usable = Usable(gain.source);
  gain.control = usable ? gain.source : nullptr;
  // A missing control shows an empty slider at the bottom.
  const int minimum = usable ? gain.control->Minimum() : 0;
  const int maximum = usable ? gain.control->Maximum() : 1;
  const float level = usable ? static_cast<float>(gain.control->GetVolume()) : 0.0f;
  gain.slider->SetUp({minimum, maximum, kKeyStep, static_cast<float>(minimum), static_cast<float>(maximum),
                      level, false, 0.0f, nullptr, nullptr, QString(), skin::kBitmapVolumeThumb,
                      skin::kBitmapVolumeChannelAbove, skin::kBitmapVolumeChannelBelow});
  gain.slider->setEnabled(usable);
  return usable;
}

void VolumeWindow::Refresh() {
  ShowGain(speaker);
  ShowGain(microphone);
}

void VolumeWindow::SliderReleased(int controlId) {
  for (const Gain& gain : {speaker, microphone}) {
    if (gain.slider->ControlId() != controlId || gain.control == nullptr) continue;
    // Truncated toward zero; the control ignores a value outside its range.
    gain.control->SetVolume(static_cast<uint32_t>(static_cast<int64_t>(gain.slider->Value())));
  }
}

}  // namespace plimo
