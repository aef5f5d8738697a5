#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "ui/controls/SkinnedDialog.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/SkinColours.h"

namespace plimo {
namespace {

// A window of the frame with a painted label on the left half that it
// claims, like the settings window's check-box labels.
class FramedWindow : public SkinnedDialog {
 public:
  FramedWindow() : SkinnedDialog(skin::kBitmapVolumeBackground, skin::kToolFace, nullptr, Qt::Dialog) {
    ApplyFrame();
  }
  int claimed = 0;

 protected:
  bool ClaimSurfacePress(const QPoint& global) override {
    if (mapFromGlobal(global).x() >= width() / 2) return false;
    ++claimed;
    return true;
  }
};

class SkinnedDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.move(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  FramedWindow window;
};

TEST_F(SkinnedDialogTest, TakesItsBackgroundsSizeAndRoundsItsCorners) {
  EXPECT_EQ(window.size(), QSize(133, 238));
  const QRegion region = window.mask();
  EXPECT_FALSE(region.contains(QPoint(0, 0)));
  EXPECT_FALSE(region.contains(QPoint(132, 237)));
  EXPECT_TRUE(region.contains(QPoint(7, 0)) || region.contains(QPoint(8, 0)));
  EXPECT_TRUE(region.contains(QPoint(66, 119)));
  EXPECT_TRUE(region.contains(QPoint(0, 119)));
}

TEST_F(SkinnedDialogTest, EnterAndEscapeNeverCloseIt) {
  QTest::keyClick(&window, Qt::Key_Escape);
  QTest::keyClick(&window, Qt::Key_Return);
  QTest::keyClick(&window, Qt::Key_Enter);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.result(), 0);
}

TEST_F(SkinnedDialogTest, APressOnTheBareSurfaceDragsTheWindow) {
  const QPoint start = window.pos();
  const QPoint grip(100, 150);
  QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, grip);
  QTest::mouseMove(&window, grip + QPoint(30, 20));
  QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, grip + QPoint(30, 20));
  EXPECT_EQ(window.pos(), start + QPoint(30, 20));
  EXPECT_EQ(window.claimed, 0);
}

TEST_F(SkinnedDialogTest, AClaimedPressDoesNotDrag) {
  const QPoint start = window.pos();
  QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 150));
  QTest::mouseMove(&window, QPoint(40, 170));
  QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, QPoint(40, 170));
  EXPECT_EQ(window.pos(), start);
  EXPECT_EQ(window.claimed, 1);
}

TEST_F(SkinnedDialogTest, StaticTextsTakeTheWindowsColours) {
  QLabel label(QStringLiteral("text"), &window);
  EXPECT_EQ(label.palette().color(QPalette::WindowText), skin::kTextColour);
  EXPECT_EQ(label.palette().color(QPalette::Window), skin::kToolFace);
}

}  // namespace
}  // namespace plimo
