#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QWheelEvent>
#include <vector>

#include "ui/controls/SliderMapping.h"
#include "ui/controls/ValueSlider.h"
#include "ui/skin/BitmapIds.h"

namespace plimo {
namespace {

constexpr int kPitchSliderId = 1002;

struct RecordingListener : ValueSliderListener {
  void SliderKeyPressed(int controlId) override { keys.push_back(controlId); }
  void SliderReleased(int controlId) override { releases.push_back(controlId); }
  std::vector<int> keys;
  std::vector<int> releases;
};

ValueSliderSetup PitchSetup(QLabel* display, float value) {
  return {60,
          3000,
          5,
          0.6f,
          3.0f,
          value,
          true,
          1.0f,
          display,
          "%1.2f",
          QString(),
          skin::kBitmapSettingsThumb,
          skin::kBitmapSettingsChannelAbove,
          skin::kBitmapSettingsChannelBelow};
}

TEST(SliderMapping, CentredPitchRangeHasOneLinearHalfEachSideOfTheMiddle) {
  const SliderMapping pitch(60, 3000, 0.6f, 3.0f, true, 1.0f);
  EXPECT_FLOAT_EQ(pitch.ValueAt(1530), 1.0f);
  EXPECT_FLOAT_EQ(pitch.ValueAt(60), 3.0f);
  EXPECT_FLOAT_EQ(pitch.ValueAt(3000), 0.6f);
  EXPECT_EQ(pitch.PositionOf(1.0f), 1530);
  // Upper half: 1470 positions for 2.0; lower half: 1470 positions for 0.4.
  EXPECT_NEAR(pitch.ValueAt(1530 - 735), 2.0f, 1e-5);
  EXPECT_NEAR(pitch.ValueAt(1530 + 735), 0.8f, 1e-5);
  // Beyond the range the position stays at the end it passed.
  EXPECT_EQ(pitch.PositionOf(0.5f), 3000);
  EXPECT_EQ(pitch.PositionOf(7.0f), 60);
}

TEST(SliderMapping, PlainRangeIsLinearWithTheTopAtTheUpperValue) {
  const SliderMapping robot(80, 3000, 80.0f, 300.0f, false, 0.0f);
  EXPECT_FLOAT_EQ(robot.ValueAt(80), 300.0f);
  EXPECT_FLOAT_EQ(robot.ValueAt(3000), 80.0f);
  const int hundred = robot.PositionOf(100.0f);
  EXPECT_NEAR(robot.ValueAt(hundred), 100.0f, 0.08f);

  const SliderMapping band(-200, 200, -20.0f, 20.0f, false, 0.0f);
  EXPECT_EQ(band.PositionOf(0.0f), 0);
  EXPECT_FLOAT_EQ(band.ValueAt(-200), 20.0f);
}

TEST(SliderMapping, RoundTripOfEveryPositionReturnsWithinOnePosition) {
  const SliderMapping duration(30, 3000, 0.3f, 3.0f, true, 1.0f);
  for (int position = 30; position <= 3000; ++position) {
    EXPECT_NEAR(duration.PositionOf(duration.ValueAt(position)), position, 1) << position;
  }
}

TEST(SliderMapping, CentreOutsideTheValuesMovesToTheirMiddleAndOddInputsStayInRange) {
  const SliderMapping misplaced(0, 100, 0.0f, 1.0f, true, 5.0f);
  EXPECT_FLOAT_EQ(misplaced.ValueAt(50), 0.5f);
  const SliderMapping empty(10, 10, 1.0f, 2.0f, false, 0.0f);
  EXPECT_EQ(empty.PositionOf(1.5f), 10);
  const SliderMapping pitch(60, 3000, 0.6f, 3.0f, true, 1.0f);
  EXPECT_EQ(pitch.PositionOf(std::numeric_limits<float>::quiet_NaN()), 60);
  EXPECT_EQ(pitch.PositionOf(std::numeric_limits<float>::infinity()), 60);
  EXPECT_EQ(pitch.PositionOf(-std::numeric_limits<float>::infinity()), 3000);
}

class ValueSliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(100, 120);
    display = new QLabel(&window);
    slider = new ValueSlider(kPitchSliderId, &window);
    slider->SetUp(PitchSetup(display, 1.0f));
    slider->SetListener(&listener);
    slider->move(40, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    slider->setFocus();
  }

  QWidget window;
  QLabel* display = nullptr;
  ValueSlider* slider = nullptr;
  RecordingListener listener;
};

TEST_F(ValueSliderTest, SetUpTakesTheChannelSizeAndShowsTheValue) {
  EXPECT_EQ(slider->size(), QSize(12, 57));
  EXPECT_EQ(slider->value(), 1530);
  EXPECT_EQ(display->text(), "1.00");
  slider->SetValue(1.8f);
  EXPECT_EQ(display->text(), "1.80");
}

TEST_F(ValueSliderTest, KeysStepByTheKeyStepAndTellTheListenerAfterMoving) {
  QTest::keyClick(slider, Qt::Key_Up);
  EXPECT_EQ(slider->value(), 1525);
  QTest::keyClick(slider, Qt::Key_PageDown);
  EXPECT_EQ(slider->value(), 1575);
  QTest::keyClick(slider, Qt::Key_Down);
  EXPECT_EQ(slider->value(), 1580);
  EXPECT_EQ(listener.keys, (std::vector<int>{kPitchSliderId, kPitchSliderId, kPitchSliderId}));
  EXPECT_EQ(display->text(), QString::asprintf("%1.2f", static_cast<double>(slider->Value())));
  EXPECT_TRUE(listener.releases.empty());
}

TEST_F(ValueSliderTest, SteppingStopsAtTheEnds) {
  slider->setValue(60);
  slider->Step(ValueSlider::kUp);
  EXPECT_EQ(slider->value(), 60);
  slider->Step(ValueSlider::kPageUp);
  EXPECT_EQ(slider->value(), 60);
  // One key step above the bottom, a step down lands on the bottom; a page
  // step down from there would pass it and stops at it too.
  slider->setValue(2995);
  slider->Step(ValueSlider::kDown);
  EXPECT_EQ(slider->value(), 3000);
  slider->Step(ValueSlider::kDown);
  EXPECT_EQ(slider->value(), 3000);
  slider->setValue(2990);
  slider->Step(ValueSlider::kPageDown);
  EXPECT_EQ(slider->value(), 3000);
  EXPECT_EQ(display->text(), "0.60");
}

TEST_F(ValueSliderTest, WheelStepsAndShowsButDoesNotTellTheListener) {
  const QPoint centre = slider->rect().center();
  QWheelEvent away(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(slider, &away);
  EXPECT_EQ(slider->value(), 1525);
  EXPECT_EQ(display->text(), QString::asprintf("%1.2f", static_cast<double>(slider->Value())));
  QWheelEvent towards(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(slider, &towards);
  EXPECT_EQ(slider->value(), 1535);
  EXPECT_TRUE(listener.keys.empty());
  EXPECT_TRUE(listener.releases.empty());
}

TEST_F(ValueSliderTest, DraggingTheThumbMovesItAndReleasingTellsTheListenerOnce) {
  const QPoint thumb = slider->ThumbRect().center();
  QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, thumb);
  QTest::mouseMove(slider, QPoint(thumb.x(), 0));
  EXPECT_TRUE(listener.releases.empty());
  QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(thumb.x(), 0));
  EXPECT_EQ(slider->value(), 60);
  EXPECT_EQ(display->text(), "3.00");
  EXPECT_EQ(listener.releases, std::vector<int>{kPitchSliderId});
}

TEST_F(ValueSliderTest, APressBesideTheThumbPagesTowardIt) {
  QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(6, slider->height() - 1));
  EXPECT_EQ(slider->value(), 1580);
  QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(6, 0));
  EXPECT_EQ(slider->value(), 1530);
  EXPECT_EQ(listener.releases.size(), 2u);
}

TEST(ValueSliderDisplay, RobotGenderShowsWholeHertz) {
  QWidget window;
  QLabel display(&window);
  ValueSlider robot(1008, &window);
  robot.SetUp({80, 3000, 5, 80.0f, 300.0f, 100.0f, false, 0.0f, &display, "%3.0f Hz.", QString(),
               skin::kBitmapSettingsThumb, skin::kBitmapSettingsChannelAbove,
               skin::kBitmapSettingsChannelBelow});
  EXPECT_EQ(display.text(), "100 Hz.");
  robot.setValue(80);
  robot.UpdateDisplay();
  EXPECT_EQ(display.text(), "300 Hz.");
  robot.setValue(3000);
  robot.UpdateDisplay();
  EXPECT_EQ(display.text(), " 80 Hz.");
}

}  // namespace
}  // namespace plimo
