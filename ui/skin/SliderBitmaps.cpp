#include <QLinearGradient>
#include <QPainter>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"

namespace plimo::skin {

namespace {
constexpr qreal kGrooveShare = 0.4;  // of the channel's width
}  // namespace

void PaintSliderThumb(QPainter& painter, QSizeF size) {
  const QRectF body = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(body.topLeft(), body.bottomLeft());
  gradient.setColorAt(0.0, kFrameLight);
  gradient.setColorAt(1.0, QColor(180, 203, 236));
  painter.setPen(QPen(kFrameDark, 1.0));
  painter.setBrush(gradient);
  const qreal radius = qMin(body.height(), body.width()) / 3;
  painter.drawRoundedRect(body, radius, radius);
  painter.setPen(QPen(kAccent, 1.0));
  const qreal y = body.center().y();
  painter.drawLine(QPointF(body.left() + 3, y), QPointF(body.right() - 3, y));
}

void PaintSliderChannel(QPainter& painter, QSizeF size, bool filled) {
  const qreal grooveWidth = size.width() * kGrooveShare;
  const QRectF groove((size.width() - grooveWidth) / 2, 0.5, grooveWidth, size.height() - 1);
  painter.setPen(QPen(kPanelEdge.darker(130), 1.0));
  if (filled) {
    QLinearGradient gradient(groove.topLeft(), groove.topRight());
    gradient.setColorAt(0.0, kAccent);
    gradient.setColorAt(1.0, kFrameDark);
    painter.setBrush(gradient);
  } else {
    painter.setBrush(kFrameLight);
  }
  painter.drawRoundedRect(groove, grooveWidth / 2, grooveWidth / 2);
}

}  // namespace plimo::skin
