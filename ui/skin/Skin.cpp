#include "ui/skin/Skin.h"

#include <QHash>
#include <QPainter>

#include "ui/skin/BitmapIds.h"
#include "ui/skin/Painters.h"
#include "ui/skin/Templates.h"

namespace plimo::skin {

namespace {

enum class Kind {
  kButton,
  kMainBackground,
  kSettingsBackground,
  kVolumeBackground,
  kMessageBackground,
  kThumb,
  kChannelAbove,
  kChannelBelow,
  kIcon,
  kAbout
};

struct Entry {
  int id;
  Kind kind;
  QSize size;  // logical pixels
  Glyph glyph;
  ButtonState state;
};

constexpr int kIconSide = 32;                   // px of the window icon
constexpr QSize kAboutSize{194, 82};            // px
constexpr QSize kMainBackgroundSize{337, 413};  // px
constexpr QSize kSettingsBackgroundSize{303, 609};
constexpr QSize kVolumeBackgroundSize{133, 238};
constexpr QSize kMessageBackgroundSize{282, 186};
constexpr QSize kSettingsThumbSize{12, 9};
constexpr QSize kVolumeThumbSize{20, 11};
constexpr int kIconSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

// A button bitmap takes the size of the control it was made for.
void AddButton(QList<Entry>& entries, const tmpl::Control& control, Glyph glyph, int normal, int pressed,
               int disabled) {
  const QSize size = control.Rect().size();
  entries.append({normal, Kind::kButton, size, glyph, ButtonState::kNormal});
  entries.append({pressed, Kind::kButton, size, glyph, ButtonState::kPressed});
  entries.append({disabled, Kind::kButton, size, glyph, ButtonState::kDisabled});
}

QList<Entry> BuildEntries() {
  namespace m = tmpl::main_window;
  namespace s = tmpl::settings;
  namespace v = tmpl::volume;
  namespace b = tmpl::message;
  QList<Entry> entries;
  AddButton(entries, m::kRecord, Glyph::kRecord, kBitmapRecord, kBitmapRecordPressed, kBitmapRecordDisabled);
  AddButton(entries, m::kStop, Glyph::kStop, kBitmapStop, kBitmapStopPressed, kBitmapStopDisabled);
  AddButton(entries, m::kPlayRecording, Glyph::kPlayRecording, kBitmapPlayRecording,
            kBitmapPlayRecordingPressed, kBitmapPlayRecordingDisabled);
  AddButton(entries, m::kStart, Glyph::kStart, kBitmapStart, kBitmapStartPressed, kBitmapStartDisabled);
  AddButton(entries, m::kPlayOutput, Glyph::kPlayOutput, kBitmapPlayOutput, kBitmapPlayOutputPressed,
            kBitmapPlayOutputDisabled);
  AddButton(entries, m::kVolume, Glyph::kVolume, kBitmapVolume, kBitmapVolumePressed, kBitmapVolumeDisabled);
  AddButton(entries, m::kHelp, Glyph::kHelp, kBitmapHelp, kBitmapHelpPressed, kBitmapHelpDisabled);
  AddButton(entries, m::kSettings, Glyph::kSettings, kBitmapSettings, kBitmapSettingsPressed,
            kBitmapSettingsDisabled);
  // Shared by the main window's Exit and the settings window's Close.
  AddButton(entries, m::kExit, Glyph::kClose, kBitmapClose, kBitmapClosePressed, kBitmapCloseDisabled);
  AddButton(entries, m::kCloseBox, Glyph::kCloseBox, kBitmapMainCloseBox, kBitmapMainCloseBoxPressed,
            kBitmapMainCloseBoxDisabled);
  AddButton(entries, m::kMinimise, Glyph::kMinimise, kBitmapMinimise, kBitmapMinimisePressed,
            kBitmapMinimiseDisabled);
  AddButton(entries, m::kBrowseFolder, Glyph::kBrowse, kBitmapBrowse, kBitmapBrowsePressed,
            kBitmapBrowseDisabled);
  AddButton(entries, s::kLoad, Glyph::kLoad, kBitmapLoad, kBitmapLoadPressed, kBitmapLoadDisabled);
  AddButton(entries, s::kSave, Glyph::kSave, kBitmapSave, kBitmapSavePressed, kBitmapSaveDisabled);
  AddButton(entries, s::kRevert, Glyph::kRevert, kBitmapRevert, kBitmapRevertPressed, kBitmapRevertDisabled);
  AddButton(entries, s::kCloseBox, Glyph::kCloseBox, kBitmapSettingsCloseBox, kBitmapSettingsCloseBoxPressed,
            kBitmapSettingsCloseBoxDisabled);
  AddButton(entries, v::kClose, Glyph::kCloseBox, kBitmapVolumeCloseBox, kBitmapVolumeCloseBoxPressed,
            kBitmapVolumeCloseBoxDisabled);
  AddButton(entries, b::kOk, Glyph::kOk, kBitmapMessageOk, kBitmapMessageOkPressed, kBitmapMessageOkDisabled);
  AddButton(entries, b::kCancel, Glyph::kCancel, kBitmapMessageCancel, kBitmapMessageCancelPressed,
            kBitmapMessageCancelDisabled);

  const auto add = [&](int id, Kind kind, QSize size) {
    entries.append({id, kind, size, Glyph::kOk, ButtonState::kNormal});
  };
  add(kBitmapMainBackground, Kind::kMainBackground, kMainBackgroundSize);
  add(kBitmapSettingsBackground, Kind::kSettingsBackground, kSettingsBackgroundSize);
  add(kBitmapVolumeBackground, Kind::kVolumeBackground, kVolumeBackgroundSize);
  add(kBitmapMessageBackground, Kind::kMessageBackground, kMessageBackgroundSize);
  add(kBitmapSettingsThumb, Kind::kThumb, kSettingsThumbSize);
  add(kBitmapSettingsChannelAbove, Kind::kChannelAbove, s::kPitch.Rect().size());
  add(kBitmapSettingsChannelBelow, Kind::kChannelBelow, s::kPitch.Rect().size());
  add(kBitmapVolumeThumb, Kind::kThumb, kVolumeThumbSize);
  add(kBitmapVolumeChannelAbove, Kind::kChannelAbove, v::kSpeaker.Rect().size());
  add(kBitmapVolumeChannelBelow, Kind::kChannelBelow, v::kSpeaker.Rect().size());
  add(kBitmapIcon, Kind::kIcon, QSize(kIconSide, kIconSide));
  add(kBitmapAbout, Kind::kAbout, kAboutSize);
  return entries;
}

const Entry* FindEntry(int bitmapId) {
  static const QList<Entry> entries = BuildEntries();
  for (const Entry& entry : entries) {
    if (entry.id == bitmapId) return &entry;
  }
  return nullptr;
}

void Paint(QPainter& painter, const Entry& entry) {
  const QSizeF size(entry.size);
  switch (entry.kind) {
    case Kind::kButton: PaintButton(painter, size, entry.glyph, entry.state); break;
    case Kind::kMainBackground: PaintMainBackground(painter, size); break;
    case Kind::kSettingsBackground: PaintSettingsBackground(painter, size); break;
    case Kind::kVolumeBackground: PaintVolumeBackground(painter, size); break;
    case Kind::kMessageBackground: PaintMessageBackground(painter, size); break;
    case Kind::kThumb: PaintSliderThumb(painter, size); break;
    case Kind::kChannelAbove: PaintSliderChannel(painter, size, false); break;
    case Kind::kChannelBelow: PaintSliderChannel(painter, size, true); break;
    case Kind::kIcon: PaintIcon(painter, size); break;
    case Kind::kAbout: PaintAbout(painter, size); break;
  }
}

}  // namespace

QSize BitmapSize(int bitmapId) {
  const Entry* entry = FindEntry(bitmapId);
  return entry == nullptr ? QSize() : entry->size;
}

QImage RenderBitmap(int bitmapId, qreal devicePixelRatio) {
  const Entry* entry = FindEntry(bitmapId);
  if (entry == nullptr || devicePixelRatio <= 0) return QImage();
  QImage image(entry->size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  Paint(painter, *entry);
  return image;
}

QPixmap Bitmap(int bitmapId, qreal devicePixelRatio) {
  static QHash<QPair<int, qreal>, QPixmap> cache;
  const QPair<int, qreal> key(bitmapId, devicePixelRatio);
  auto found = cache.constFind(key);
  if (found != cache.constEnd()) return *found;
  const QPixmap pixmap = QPixmap::fromImage(RenderBitmap(bitmapId, devicePixelRatio));
  cache.insert(key, pixmap);
  return pixmap;
}

void DrawBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& target, bool stretch) {
  if (stretch) {
    painter.drawPixmap(target, bitmap);
    return;
  }
  painter.save();
  painter.setClipRect(target);
  painter.drawPixmap(target.topLeft(), bitmap);
  painter.restore();
}

QImage RenderIcon(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintIcon(painter, QSizeF(side, side));
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int side : kIconSides) icon.addPixmap(QPixmap::fromImage(RenderIcon(side)));
  return icon;
}

}  // namespace plimo::skin
