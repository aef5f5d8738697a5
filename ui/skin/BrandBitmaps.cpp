#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinText.h"

namespace plimo::skin {

namespace {
constexpr qreal kIconCornerShare = 0.22;  // of the icon's side
constexpr qreal kAboutRadius = 8;         // px
constexpr int kAboutWordPixelSize = 30;   // px
}  // namespace

// Two voices on a blue tile: the speaker's, and the disguised one above it.
void PaintIcon(QPainter& painter, QSizeF size) {
  const QRectF tile = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
  gradient.setColorAt(0.0, kAccent);
  gradient.setColorAt(1.0, kFrameDark);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  const qreal corner = size.width() * kIconCornerShare;
  painter.drawRoundedRect(tile, corner, corner);
  const qreal w = size.width();
  const qreal h = size.height();
  PaintVoiceWave(painter, QRectF(w * 0.14, h * 0.5, w * 0.72, h * 0.34), kToolFace, w * 0.06);
  PaintVoiceWave(painter, QRectF(w * 0.14, h * 0.16, w * 0.72, h * 0.34), kFrameLight, w * 0.07);
}

void PaintAbout(QPainter& painter, QSizeF size) {
  const QRectF all = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(all.topLeft(), all.bottomLeft());
  gradient.setColorAt(0.0, kFrameLight);
  gradient.setColorAt(1.0, kToolFace);
  painter.setPen(QPen(kPanelEdge, 1.0));
  painter.setBrush(gradient);
  painter.drawRoundedRect(all, kAboutRadius, kAboutRadius);

  const qreal side = size.height() * 0.62;
  painter.save();
  painter.translate(size.height() * 0.19, size.height() * 0.19);
  PaintIcon(painter, QSizeF(side, side));
  painter.restore();

  const QRectF word(size.height() * 0.19 + side + 10, 0, size.width() - side - 24, size.height() * 0.62);
  painter.setPen(kFrameDark);
  DrawFittedText(painter, word, QStringLiteral("Varnel"), Qt::AlignLeft | Qt::AlignBottom,
                 kAboutWordPixelSize, true);
  PaintVoiceWave(painter, QRectF(word.left(), size.height() * 0.68, word.width() - 6, size.height() * 0.2),
                 kAccent, 1.5);
}

}  // namespace plimo::skin
