#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinText.h"

namespace plimo::skin {

namespace {
constexpr qreal kPanelRadius = 6.0;  // px
constexpr qreal kFrameWidth = 1.5;   // px
constexpr int kLabelPixelSize = 11;  // px
constexpr int kTitlePixelSize = 12;  // px
constexpr qreal kTitleInset = 14.0;  // px from the left edge
constexpr int kWaveCycles = 3;
constexpr int kWavePoints = 48;
}  // namespace

void PaintWindowFace(QPainter& painter, QSizeF size, const QColor& face) {
  const QRectF all(QPointF(0, 0), size);
  QLinearGradient gradient(all.topLeft(), all.bottomLeft());
  gradient.setColorAt(0.0, face.lighter(104));
  gradient.setColorAt(1.0, face);
  painter.fillRect(all, gradient);
  painter.setPen(QPen(kFrameDark, kFrameWidth));
  painter.setBrush(Qt::NoBrush);
  const qreal half = kFrameWidth / 2;
  painter.drawRoundedRect(all.adjusted(half, half, -half, -half), kPanelRadius + 1, kPanelRadius + 1);
}

void PaintTitleBand(QPainter& painter, qreal width, qreal height, const QString& title) {
  QPainterPath band;
  band.addRoundedRect(QRectF(0, 0, width, height + kPanelRadius * 2), kPanelRadius + 1, kPanelRadius + 1);
  QPainterPath below;
  below.addRect(QRectF(0, height, width, kPanelRadius * 2));
  QLinearGradient gradient(0, 0, 0, height);
  gradient.setColorAt(0.0, kAccent);
  gradient.setColorAt(1.0, kFrameDark);
  painter.fillPath(band.subtracted(below), gradient);
  painter.setPen(kFrameLight);
  DrawFittedText(painter, QRectF(kTitleInset, 0, width / 2, height), title, Qt::AlignLeft | Qt::AlignVCenter,
                 kTitlePixelSize, true);
}

void PaintPanel(QPainter& painter, const QRectF& rect, const QColor& fill) {
  painter.setPen(QPen(kPanelEdge, 1.0));
  painter.setBrush(fill);
  painter.drawRoundedRect(rect, kPanelRadius, kPanelRadius);
}

void PaintInset(QPainter& painter, const QRectF& rect) {
  painter.setPen(QPen(kFrameDark, 1.0));
  painter.setBrush(QColor(18, 30, 52));
  painter.drawRoundedRect(rect, 3, 3);
}

void PaintLabel(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment,
                bool bold) {
  painter.setPen(kTextColour);
  DrawFittedText(painter, rect, text, alignment, kLabelPixelSize, bold);
}

void PaintVoiceWave(QPainter& painter, const QRectF& rect, const QColor& colour, qreal lineWidth) {
  // A sine whose loudness swells and fades, like a spoken syllable.
  QPainterPath wave;
  for (int i = 0; i <= kWavePoints; ++i) {
    const qreal t = static_cast<qreal>(i) / kWavePoints;
    const qreal envelope = qSin(t * M_PI);
    const qreal y = rect.center().y() - envelope * qSin(t * kWaveCycles * 2 * M_PI) * rect.height() / 2;
    const QPointF point(rect.left() + t * rect.width(), y);
    if (i == 0) {
      wave.moveTo(point);
    } else {
      wave.lineTo(point);
    }
  }
  painter.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(wave);
}

}  // namespace plimo::skin
