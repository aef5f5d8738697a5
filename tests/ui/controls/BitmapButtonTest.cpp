#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "ui/controls/BitmapButton.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/Skin.h"

namespace plimo {
namespace {

constexpr skin::ButtonBitmaps kRecordLook{skin::kBitmapRecord, skin::kBitmapRecordPressed,
                                          skin::kBitmapRecord, skin::kBitmapRecordDisabled};
constexpr skin::ButtonBitmaps kStopLook{skin::kBitmapStop, skin::kBitmapStopPressed, skin::kBitmapStop,
                                        skin::kBitmapStopDisabled};

class BitmapButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button = new BitmapButton(1019, &window);
    button->LoadBitmaps(kRecordLook);
    button->SizeToContent();
    other = new BitmapButton(1017, &window);
    other->move(40, 0);
    window.resize(100, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  // The inside of the button as shown, clear of its rounded edge where the
  // window behind shows through.
  QImage Shown() { return Inside(button->grab().toImage()); }
  static QImage Bitmap(int id) { return Inside(skin::RenderBitmap(id, 1.0)); }
  static QImage Inside(const QImage& image) {
    constexpr int kEdge = 3;  // px
    return image.convertToFormat(QImage::Format_RGB32)
        .copy(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize())
                  .adjusted(kEdge, kEdge, -kEdge, -kEdge));
  }

  QWidget window;
  BitmapButton* button = nullptr;
  BitmapButton* other = nullptr;
};

TEST_F(BitmapButtonTest, TakesTheSizeOfItsNormalBitmap) {
  EXPECT_EQ(button->size(), skin::BitmapSize(skin::kBitmapRecord));
  EXPECT_EQ(button->size(), QSize(27, 26));
}

TEST_F(BitmapButtonTest, ShowsOneBitmapPerState) {
  other->setFocus();
  EXPECT_EQ(button->ShownBitmap(), skin::kBitmapRecord);
  EXPECT_EQ(Shown(), Bitmap(skin::kBitmapRecord));

  QTest::mousePress(button, Qt::LeftButton);
  EXPECT_EQ(button->ShownBitmap(), skin::kBitmapRecordPressed);
  EXPECT_EQ(Shown(), Bitmap(skin::kBitmapRecordPressed));
  QTest::mouseRelease(button, Qt::LeftButton);

  button->setFocus();
  EXPECT_EQ(button->ShownBitmap(), skin::kBitmapRecord);

  button->setEnabled(false);
  EXPECT_EQ(button->ShownBitmap(), skin::kBitmapRecordDisabled);
  EXPECT_EQ(Shown(), Bitmap(skin::kBitmapRecordDisabled));
  EXPECT_NE(Bitmap(skin::kBitmapRecordDisabled), Bitmap(skin::kBitmapRecord));
}

TEST_F(BitmapButtonTest, NewBitmapsWhileShownChangeWhatItShows) {
  int clicks = 0;
  QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
  QTest::mouseClick(button, Qt::LeftButton);
  button->LoadBitmaps(kStopLook);
  EXPECT_EQ(Shown(), Bitmap(skin::kBitmapStop));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
}

TEST_F(BitmapButtonTest, CollapsedButtonHasNoSizeAndStaysEnabled) {
  button->setEnabled(false);
  button->Collapse();
  EXPECT_EQ(button->geometry(), QRect(0, 0, 0, 0));
  EXPECT_TRUE(button->isEnabled());
}

}  // namespace
}  // namespace plimo
