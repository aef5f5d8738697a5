#include <QPainter>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinLabels.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"

namespace plimo::skin {

namespace {
constexpr qreal kVolumeTitleHeight = 22;   // px
constexpr qreal kMessageTitleHeight = 24;  // px
constexpr qreal kLabelHeight = 15;         // px
constexpr int kVolumeTitlePixelSize = 12;  // px
constexpr qreal kGlyphSide = 16;           // px of the marks above the sliders

void PaintMicrophone(QPainter& painter, const QRectF& box) {
  painter.setPen(QPen(kFrameDark, 1.4, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(kFrameDark);
  const qreal capsuleWidth = box.width() * 0.4;
  painter.drawRoundedRect(
      QRectF(box.center().x() - capsuleWidth / 2, box.top(), capsuleWidth, box.height() * 0.6),
      capsuleWidth / 2, capsuleWidth / 2);
  painter.setBrush(Qt::NoBrush);
  constexpr int kHalfTurn = 180 * 16;  // sixteenths of a degree
  painter.drawArc(QRectF(box.left() + box.width() * 0.15, box.top() + box.height() * 0.15, box.width() * 0.7,
                         box.height() * 0.6),
                  kHalfTurn, kHalfTurn);
  painter.drawLine(QPointF(box.center().x(), box.top() + box.height() * 0.75),
                   QPointF(box.center().x(), box.bottom()));
}

void PaintSpeakerMark(QPainter& painter, const QRectF& box) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kFrameDark);
  const qreal w = box.width();
  const qreal h = box.height();
  painter.drawPolygon(QPolygonF({QPointF(box.left() + w * 0.1, box.top() + h * 0.35),
                                 QPointF(box.left() + w * 0.35, box.top() + h * 0.35),
                                 QPointF(box.left() + w * 0.65, box.top() + h * 0.05),
                                 QPointF(box.left() + w * 0.65, box.top() + h * 0.95),
                                 QPointF(box.left() + w * 0.35, box.top() + h * 0.65),
                                 QPointF(box.left() + w * 0.1, box.top() + h * 0.65)}));
  painter.setPen(QPen(kFrameDark, 1.4, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  constexpr int kArcStart = -50 * 16;  // sixteenths of a degree
  constexpr int kArcSpan = 100 * 16;
  painter.drawArc(QRectF(box.left() + w * 0.4, box.top() + h * 0.2, w * 0.5, h * 0.6), kArcStart, kArcSpan);
}

}  // namespace

void PaintVolumeBackground(QPainter& painter, QSizeF size) {
  namespace t = tmpl::volume;
  PaintWindowFace(painter, size, kToolFace);
  PaintTitleBand(painter, size.width(), kVolumeTitleHeight, QString());
  painter.setPen(kFrameLight);
  DrawFittedText(painter, QRectF(10, 0, size.width() - 36, kVolumeTitleHeight), LocalText(kLabelVolume),
                 Qt::AlignLeft | Qt::AlignVCenter, kVolumeTitlePixelSize, true);

  const QRectF speaker(t::kSpeaker.Rect());
  const QRectF microphone(t::kMicrophone.Rect());
  constexpr qreal kColumnGap = 10;  // px between the two labels
  const qreal columnWidth = size.width() / 2 - kColumnGap;
  PaintPanel(
      painter,
      QRectF(6, kVolumeTitleHeight + 6, size.width() - 12, speaker.bottom() + 28 - kVolumeTitleHeight - 6),
      kToolPanel);
  PaintSpeakerMark(painter, QRectF(speaker.center().x() - kGlyphSide / 2, speaker.top() - kGlyphSide - 6,
                                   kGlyphSide, kGlyphSide));
  PaintMicrophone(painter, QRectF(microphone.center().x() - kGlyphSide / 2, microphone.top() - kGlyphSide - 6,
                                  kGlyphSide, kGlyphSide));
  PaintLabel(painter,
             QRectF(speaker.center().x() - columnWidth / 2, speaker.bottom() + 6, columnWidth, kLabelHeight),
             LocalText(kLabelSpeaker), Qt::AlignCenter);
  PaintLabel(
      painter,
      QRectF(microphone.center().x() - columnWidth / 2, microphone.bottom() + 6, columnWidth, kLabelHeight),
      LocalText(kLabelMicrophone), Qt::AlignCenter);
}

void PaintMessageBackground(QPainter& painter, QSizeF size) {
  namespace t = tmpl::message;
  PaintWindowFace(painter, size, kToolFace);
  PaintTitleBand(painter, size.width(), kMessageTitleHeight, QString::fromLatin1(kWindowTitle));
  // The message sits on a panel of its own colour.
  PaintPanel(painter, QRectF(t::kText.Rect()).adjusted(-8, -8, 8, 8), kMainFace);
}

}  // namespace plimo::skin
