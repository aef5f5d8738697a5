#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

#include "audio/MixerControls.h"
#include "support/SoundEnvironment.h"
#include "ui/controls/ValueSlider.h"
#include "ui/support/Language.h"
#include "ui/support/ModalAnswerer.h"
#include "ui/support/Screenshots.h"
#include "ui/support/WindowFakes.h"
#include "ui/windows/MessageBox.h"
#include "ui/windows/VolumeWindow.h"

namespace plimo {
namespace {

constexpr int kSpeakerSliderId = 1035;
constexpr int kMicrophoneSliderId = 1036;

ValueSlider* SliderOf(VolumeWindow& window, int id) {
  return window.findChild<ValueSlider*>(QString::number(id));
}

void DragThumbTo(ValueSlider* slider, int y) {
  const QPoint thumb = slider->ThumbRect().center();
  QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, thumb);
  QTest::mouseMove(slider, QPoint(thumb.x(), y));
  QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(thumb.x(), y));
}

TEST(VolumeWindow, AMissingMicrophoneIsReportedOnceAndTheSpeakerStillWorks) {
  test::FakeGain speaker(0, 100, 40);
  myMessageBox messages;
  test::ModalAnswerer answerer;
  VolumeWindow window(&speaker, nullptr, messages, nullptr);
  window.show();
  ASSERT_EQ(answerer.Texts().size(), 1);
  EXPECT_EQ(answerer.Texts()[0], test::InLanguage("Cannot initialize microphone!", "Mikrofon bulunamadı!"));
  test::SaveScreenshot(window, QStringLiteral("volume-window-no-microphone"));

  ValueSlider* microphoneSlider = SliderOf(window, kMicrophoneSliderId);
  EXPECT_FALSE(microphoneSlider->isEnabled());
  ValueSlider* speakerSlider = SliderOf(window, kSpeakerSliderId);
  EXPECT_TRUE(speakerSlider->isEnabled());
  EXPECT_EQ(speakerSlider->value(), 60);  // the top end is the maximum
  EXPECT_FLOAT_EQ(speakerSlider->Value(), 40.0f);

  DragThumbTo(speakerSlider, 0);
  ASSERT_EQ(speaker.sets.size(), 1u);
  EXPECT_EQ(speaker.level, 100);
}

TEST(VolumeWindow, WheelAndKeysMoveTheThumbButNotTheLevel) {
  test::FakeGain speaker(0, 100, 40);
  test::FakeGain microphone(0, 31, 10);
  myMessageBox messages;
  VolumeWindow window(&speaker, &microphone, messages, nullptr);
  window.show();
  ValueSlider* slider = SliderOf(window, kMicrophoneSliderId);
  const QPoint centre = slider->rect().center();
  QWheelEvent away(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(slider, &away);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Up);
  EXPECT_FLOAT_EQ(slider->Value(), 13.0f);
  EXPECT_TRUE(microphone.sets.empty());
  EXPECT_EQ(microphone.level, 10);
  // Letting go of a click on it sets the level it shows.
  QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(centre.x(), slider->height() - 1));
  ASSERT_EQ(microphone.sets.size(), 1u);
  EXPECT_EQ(microphone.level, static_cast<int32_t>(slider->Value()));
  EXPECT_TRUE(speaker.sets.empty());
}

TEST(VolumeWindow, WithoutASoundCardBothGainsAreReportedInOrder) {
  test::NoSoundCard machine;
  MixerControls mixer;
  myMessageBox messages;
  test::ModalAnswerer answerer;
  VolumeWindow window(mixer.speaker.get(), mixer.microphone.get(), messages, nullptr);
  ASSERT_EQ(answerer.Texts().size(), 2);
  EXPECT_EQ(answerer.Texts()[0],
            test::InLanguage("Cannot initialize sound card!", "Ses kartına erişilemedi!"));
  EXPECT_EQ(answerer.Texts()[1], test::InLanguage("Cannot initialize microphone!", "Mikrofon bulunamadı!"));
  EXPECT_FALSE(SliderOf(window, kSpeakerSliderId)->isEnabled());
  EXPECT_FALSE(SliderOf(window, kMicrophoneSliderId)->isEnabled());
}

TEST(VolumeWindow, TheCloseBoxHidesItAndTipsAreInTheBuiltLanguage) {
  test::FakeGain speaker(0, 100, 40);
  test::FakeGain microphone(0, 31, 10);
  myMessageBox messages;
  VolumeWindow window(&speaker, &microphone, messages, nullptr);
  window.show();
  EXPECT_EQ(window.size(), QSize(133, 238));
  EXPECT_EQ(SliderOf(window, kSpeakerSliderId)->toolTip(), test::InLanguage("Speaker gain", "Ses seviyesi"));
  EXPECT_EQ(SliderOf(window, kMicrophoneSliderId)->toolTip(),
            test::InLanguage("Microphone recording gain", "Mikrofon kayıt seviyesi"));
  QWidget* close = window.findChild<QWidget*>(QStringLiteral("1075"));
  EXPECT_EQ(close->toolTip(),
            test::InLanguage("Close volume setting dialog", "Ses seviyesi ayarları penceresini kapat"));
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
  QTest::mouseClick(close, Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace plimo
