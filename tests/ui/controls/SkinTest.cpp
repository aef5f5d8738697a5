#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "ui/skin/BitmapIds.h"
#include "ui/skin/Skin.h"
#include "ui/skin/Templates.h"

namespace plimo {
namespace {

using namespace skin;

// Every resource number the windows use.
const int kAllBitmaps[] = {kBitmapAbout,
                           kBitmapIcon,
                           kBitmapMainBackground,
                           kBitmapSettingsBackground,
                           kBitmapVolumeBackground,
                           kBitmapMessageBackground,
                           kBitmapPlayRecording,
                           kBitmapPlayRecordingPressed,
                           kBitmapPlayRecordingDisabled,
                           kBitmapRecord,
                           kBitmapRecordPressed,
                           kBitmapRecordDisabled,
                           kBitmapStart,
                           kBitmapStartPressed,
                           kBitmapStartDisabled,
                           kBitmapStop,
                           kBitmapStopPressed,
                           kBitmapStopDisabled,
                           kBitmapPlayOutput,
                           kBitmapPlayOutputPressed,
                           kBitmapPlayOutputDisabled,
                           kBitmapVolume,
                           kBitmapVolumePressed,
                           kBitmapVolumeDisabled,
                           kBitmapHelp,
                           kBitmapHelpPressed,
                           kBitmapHelpDisabled,
                           kBitmapSettings,
                           kBitmapSettingsPressed,
                           kBitmapSettingsDisabled,
                           kBitmapClose,
                           kBitmapClosePressed,
                           kBitmapCloseDisabled,
                           kBitmapMainCloseBox,
                           kBitmapMainCloseBoxPressed,
                           kBitmapMainCloseBoxDisabled,
                           kBitmapMinimise,
                           kBitmapMinimisePressed,
                           kBitmapMinimiseDisabled,
                           kBitmapBrowse,
                           kBitmapBrowsePressed,
                           kBitmapBrowseDisabled,
                           kBitmapLoad,
                           kBitmapLoadPressed,
                           kBitmapLoadDisabled,
                           kBitmapSave,
                           kBitmapSavePressed,
                           kBitmapSaveDisabled,
                           kBitmapRevert,
                           kBitmapRevertPressed,
                           kBitmapRevertDisabled,
                           kBitmapSettingsCloseBox,
                           kBitmapSettingsCloseBoxPressed,
                           kBitmapSettingsCloseBoxDisabled,
                           kBitmapSettingsThumb,
                           kBitmapSettingsChannelAbove,
                           kBitmapSettingsChannelBelow,
                           kBitmapVolumeThumb,
                           kBitmapVolumeChannelAbove,
                           kBitmapVolumeChannelBelow,
                           kBitmapVolumeCloseBox,
                           kBitmapVolumeCloseBoxPressed,
                           kBitmapVolumeCloseBoxDisabled,
                           kBitmapMessageOk,
                           kBitmapMessageOkPressed,
                           kBitmapMessageOkDisabled,
                           kBitmapMessageCancel,
                           kBitmapMessageCancelPressed,
                           kBitmapMessageCancelDisabled};

int OpaquePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
  }
  return count;
}

TEST(Skin, EveryBitmapIsDrawnAtOneAndTwoDevicePixelsPerPixel) {
  for (int id : kAllBitmaps) {
    const QSize size = BitmapSize(id);
    ASSERT_FALSE(size.isEmpty()) << id;
    const QImage single = RenderBitmap(id, 1.0);
    const QImage doubled = RenderBitmap(id, 2.0);
    EXPECT_EQ(single.size(), size) << id;
    EXPECT_EQ(doubled.size(), size * 2) << id;
    EXPECT_EQ(doubled.deviceIndependentSize().toSize(), size) << id;
    EXPECT_GT(OpaquePixels(single), 0) << id;
  }
  EXPECT_TRUE(RenderBitmap(9999, 1.0).isNull());
}

TEST(Skin, TwiceTheRatioDrawsFinerDetailNotBiggerPixels) {
  // An upscaled picture would repeat each pixel in 2 x 2 blocks; a drawn
  // one differs inside many of them along its edges.
  const QImage doubled = RenderBitmap(kBitmapHelp, 2.0);
  int blocksWithDetail = 0;
  for (int y = 0; y + 1 < doubled.height(); y += 2) {
    for (int x = 0; x + 1 < doubled.width(); x += 2) {
      const QRgb corner = doubled.pixel(x, y);
      if (doubled.pixel(x + 1, y) != corner || doubled.pixel(x, y + 1) != corner ||
          doubled.pixel(x + 1, y + 1) != corner) {
        ++blocksWithDetail;
      }
    }
  }
  EXPECT_GT(blocksWithDetail, 20);
}

TEST(Skin, BackgroundsHaveTheWindowsSizesAndButtonsTheirControlsSizes) {
  EXPECT_EQ(BitmapSize(kBitmapMainBackground), QSize(337, 413));
  EXPECT_EQ(BitmapSize(kBitmapSettingsBackground), QSize(303, 609));
  EXPECT_EQ(BitmapSize(kBitmapVolumeBackground), QSize(133, 238));
  EXPECT_EQ(BitmapSize(kBitmapMessageBackground), QSize(282, 186));
  EXPECT_EQ(BitmapSize(kBitmapAbout), QSize(194, 82));
  EXPECT_EQ(BitmapSize(kBitmapRecord), tmpl::main_window::kRecord.Rect().size());
  EXPECT_EQ(BitmapSize(kBitmapMessageOk), tmpl::message::kOk.Rect().size());
  EXPECT_EQ(BitmapSize(kBitmapSettingsChannelBelow), tmpl::settings::kPitch.Rect().size());
  EXPECT_EQ(BitmapSize(kBitmapVolumeChannelBelow), tmpl::volume::kSpeaker.Rect().size());
}

TEST(Skin, EachStateOfAButtonLooksDifferent) {
  const int looks[][3] = {{kBitmapRecord, kBitmapRecordPressed, kBitmapRecordDisabled},
                          {kBitmapStop, kBitmapStopPressed, kBitmapStopDisabled},
                          {kBitmapStart, kBitmapStartPressed, kBitmapStartDisabled},
                          {kBitmapMessageOk, kBitmapMessageOkPressed, kBitmapMessageOkDisabled}};
  for (const auto& look : looks) {
    const QImage normal = RenderBitmap(look[0], 1.0);
    EXPECT_NE(normal, RenderBitmap(look[1], 1.0)) << look[0];
    EXPECT_NE(normal, RenderBitmap(look[2], 1.0)) << look[0];
  }
  // Distinct buttons have distinct glyphs.
  std::set<qint64> keys;
  for (int id : {kBitmapRecord, kBitmapStop, kBitmapPlayRecording, kBitmapStart, kBitmapPlayOutput,
                 kBitmapVolume, kBitmapHelp}) {
    keys.insert(RenderBitmap(id, 1.0).cacheKey());
  }
  EXPECT_EQ(keys.size(), 7u);
}

TEST(Skin, IconIsDrawnAtEveryThemeSize) {
  for (int side : {16, 32, 48, 256}) {
    const QImage icon = RenderIcon(side);
    EXPECT_EQ(icon.size(), QSize(side, side));
    EXPECT_GT(OpaquePixels(icon), side * side / 2);
  }
  EXPECT_FALSE(ApplicationIcon().isNull());
}

}  // namespace
}  // namespace plimo
