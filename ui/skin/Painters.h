#pragma once

#include <QtCore/qnamespace.h>
#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;
class QString;

// The drawing of every bitmap, in logical pixels. Only the skin's own
// registry calls these.
namespace plimo::skin {

enum class ButtonState { kNormal, kPressed, kDisabled };

enum class Glyph {
  kRecord,
  kStop,
  kPlayRecording,
  kStart,
  kPlayOutput,
  kVolume,
  kHelp,
  kSettings,
  kClose,
  kCloseBox,
  kMinimise,
  kBrowse,
  kLoad,
  kSave,
  kRevert,
  kOk,
  kCancel,
};

void PaintButton(QPainter& painter, QSizeF size, Glyph glyph, ButtonState state);

void PaintMainBackground(QPainter& painter, QSizeF size);
void PaintSettingsBackground(QPainter& painter, QSizeF size);
void PaintVolumeBackground(QPainter& painter, QSizeF size);
void PaintMessageBackground(QPainter& painter, QSizeF size);

void PaintSliderThumb(QPainter& painter, QSizeF size);
// The channel above the thumb is empty, the one below it filled: the
// filled length shows how much of the value is set.
void PaintSliderChannel(QPainter& painter, QSizeF size, bool filled);

void PaintIcon(QPainter& painter, QSizeF size);
void PaintAbout(QPainter& painter, QSizeF size);

// Shared pieces of the look.
void PaintWindowFace(QPainter& painter, QSizeF size, const QColor& face);
void PaintTitleBand(QPainter& painter, qreal width, qreal height, const QString& title);
void PaintPanel(QPainter& painter, const QRectF& rect, const QColor& fill);
void PaintInset(QPainter& painter, const QRectF& rect);
void PaintLabel(QPainter& painter, const QRectF& rect, const QString& text,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, bool bold = false);
void PaintVoiceWave(QPainter& painter, const QRectF& rect, const QColor& colour, qreal lineWidth);

}  // namespace plimo::skin
