#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "ui/controls/LevelMeter.h"
#include "ui/skin/DialogUnits.h"
#include "ui/support/Screenshots.h"

namespace plimo {
namespace {

const QRgb kGreenLit = qRgb(0, 255, 0);
const QRgb kGreenUnlit = qRgb(0, 100, 0);
const QRgb kYellowLit = qRgb(255, 255, 0);
const QRgb kYellowUnlit = qRgb(170, 170, 0);
const QRgb kRedLit = qRgb(255, 0, 0);
const QRgb kRedUnlit = qRgb(170, 0, 0);

// The main window's meter: 206 x 8 dialog units, 25 + 25 + 25 segments.
class LevelMeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    meter = new LevelMeter(1084, &window);
    meter->setGeometry(DialogRect(9, 69, 206, 8));
    meter->SetUp(25, 25, 25);
    window.resize(340, 140);
    window.show();
  }

  // The colour at the centre of every segment, as the meter shows it.
  std::vector<QRgb> SegmentColours() {
    const QImage shown = meter->grab().toImage();
    std::vector<QRgb> colours;
    for (const QRect& segment : meter->Segments()) {
      colours.push_back(shown.pixel(segment.center()) & 0xFFFFFFu);
    }
    return colours;
  }

  static int Count(const std::vector<QRgb>& colours, QRgb colour) {
    return static_cast<int>(std::count(colours.begin(), colours.end(), colour & 0xFFFFFFu));
  }

  QWidget window;
  LevelMeter* meter = nullptr;
};

TEST_F(LevelMeterTest, SegmentsShareTheWidthWithEvenGapsInsideTheMargins) {
  meter->grab();
  const std::vector<QRect>& segments = meter->Segments();
  ASSERT_EQ(segments.size(), 75u);
  EXPECT_EQ(meter->Scale(), 75);
  EXPECT_EQ(segments.front().left(), 2);
  for (const QRect& segment : segments) {
    EXPECT_EQ(segment.top(), 2);
    EXPECT_EQ(segment.bottom(), meter->height() - 3);
    EXPECT_GE(segment.width(), 2);
  }
  for (size_t i = 1; i < segments.size(); ++i) {
    const int gap = segments[i].left() - segments[i - 1].right() - 1;
    EXPECT_GE(gap, 1) << i;
    EXPECT_LE(gap, 3) << i;
  }
  EXPECT_LE(segments.back().right(), meter->width() - 2);
}

TEST_F(LevelMeterTest, LevelThirtyLightsAllGreenAndSixYellow) {
  meter->SetLevel(30);
  const std::vector<QRgb> colours = SegmentColours();
  EXPECT_EQ(Count(colours, kGreenLit), 25);
  EXPECT_EQ(Count(colours, kYellowLit), 6);
  EXPECT_EQ(Count(colours, kYellowUnlit), 19);
  EXPECT_EQ(Count(colours, kRedUnlit), 25);
  // Between the segments the meter is black.
  const QImage shown = meter->grab().toImage();
  const QRect first = meter->Segments()[0];
  EXPECT_EQ(shown.pixel(first.right() + 1, first.center().y()) & 0xFFFFFFu, 0u);
  EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFFu, 0u);
  test::SaveScreenshot(*meter, QStringLiteral("level-meter-30"));
}

TEST_F(LevelMeterTest, NoLevelLightsNothingAndTooHighLightsEverything) {
  meter->SetLevel(LevelMeter::kNoLevel);
  std::vector<QRgb> colours = SegmentColours();
  EXPECT_EQ(Count(colours, kGreenUnlit), 25);
  EXPECT_EQ(Count(colours, kYellowUnlit), 25);
  EXPECT_EQ(Count(colours, kRedUnlit), 25);
  // Below none the bar is still there, unlit, rather than gone.
  meter->SetLevel(-40);
  EXPECT_EQ(Count(SegmentColours(), kGreenUnlit), 25);
  meter->SetLevel(100);
  colours = SegmentColours();
  EXPECT_EQ(Count(colours, kGreenLit), 25);
  EXPECT_EQ(Count(colours, kYellowLit), 25);
  EXPECT_EQ(Count(colours, kRedLit), 25);
}

TEST_F(LevelMeterTest, ResizingLaysTheSegmentsOutAgain) {
  meter->grab();
  meter->resize(250, 13);
  meter->SetLevel(74);
  const std::vector<QRgb> colours = SegmentColours();
  EXPECT_LE(meter->Segments().back().right(), 248);
  EXPECT_EQ(Count(colours, kRedLit), 25);
}

}  // namespace
}  // namespace plimo
