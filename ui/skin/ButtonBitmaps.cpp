#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinLabels.h"
#include "ui/skin/SkinText.h"

namespace plimo::skin {

namespace {

constexpr qreal kFaceRadius = 4.0;     // px
constexpr qreal kPressOffset = 1.0;    // px the glyph sinks when pressed
constexpr qreal kGlyphShare = 0.62;    // of the face's height
constexpr int kCaptionPixelSize = 11;  // px
constexpr qreal kCaptionGap = 4.0;     // px between glyph and caption

struct Ink {
  QColor main;
  QColor record;
  QColor go;
};

Ink InkFor(ButtonState state) {
  if (state == ButtonState::kDisabled) return {kDisabledGlyph, kDisabledGlyph, kDisabledGlyph};
  return {kFrameDark, kRecordRed, kGoGreen};
}

void PaintFace(QPainter& painter, const QRectF& face, ButtonState state) {
  QLinearGradient gradient(face.topLeft(), face.bottomLeft());
  switch (state) {
    case ButtonState::kNormal:
      gradient.setColorAt(0.0, kFrameLight);
      gradient.setColorAt(1.0, QColor(206, 223, 246));
      painter.setPen(QPen(kPanelEdge.darker(120), 1.0));
      break;
    case ButtonState::kPressed:
      gradient.setColorAt(0.0, QColor(176, 200, 236));
      gradient.setColorAt(1.0, QColor(222, 233, 250));
      painter.setPen(QPen(kFrameDark, 1.0));
      break;
    case ButtonState::kDisabled:
      gradient.setColorAt(0.0, kDisabledFace);
      gradient.setColorAt(1.0, kDisabledFace);
      painter.setPen(QPen(kDisabledGlyph, 1.0));
      break;
  }
  painter.setBrush(gradient);
  painter.drawRoundedRect(face, kFaceRadius, kFaceRadius);
}

QPolygonF PlayTriangle(const QRectF& box) {
  return QPolygonF({QPointF(box.left() + box.width() * 0.18, box.top()),
                    QPointF(box.right(), box.center().y()),
                    QPointF(box.left() + box.width() * 0.18, box.bottom())});
}

void FillPolygon(QPainter& painter, const QPolygonF& polygon, const QColor& colour) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(polygon);
}

void Badge(QPainter& painter, const QRectF& box, const QColor& colour) {
  const qreal radius = box.width() * 0.2;
  painter.setPen(QPen(kFrameLight, 1.0));
  painter.setBrush(colour);
  painter.drawEllipse(QPointF(box.right() - radius * 0.4, box.bottom() - radius * 0.4), radius, radius);
}

void Stroke(QPainter& painter, const QColor& colour, qreal width) {
  painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
}

void PaintCross(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  Stroke(painter, colour, width);
  painter.drawLine(box.topLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomLeft());
}

void PaintFolder(QPainter& painter, const QRectF& box, const QColor& colour) {
  const qreal tab = box.height() * 0.25;
  QPainterPath folder;
  folder.moveTo(box.left(), box.top() + tab);
  folder.lineTo(box.left(), box.bottom());
  folder.lineTo(box.right(), box.bottom());
  folder.lineTo(box.right(), box.top() + tab);
  folder.lineTo(box.center().x(), box.top() + tab);
  folder.lineTo(box.center().x() - tab, box.top());
  folder.lineTo(box.left(), box.top());
  folder.closeSubpath();
  painter.setPen(QPen(colour, 1.2));
  painter.setBrush(QColor(colour.red(), colour.green(), colour.blue(), 60));
  painter.drawPath(folder);
}

void PaintDisk(QPainter& painter, const QRectF& box, const QColor& colour) {
  painter.setPen(QPen(colour, 1.2));
  painter.setBrush(QColor(colour.red(), colour.green(), colour.blue(), 60));
  painter.drawRoundedRect(box, 1.5, 1.5);
  painter.setBrush(colour);
  painter.drawRect(
      QRectF(box.left() + box.width() * 0.25, box.top(), box.width() * 0.5, box.height() * 0.32));
  painter.setBrush(kFrameLight);
  painter.drawRect(QRectF(box.left() + box.width() * 0.2, box.top() + box.height() * 0.55, box.width() * 0.6,
                          box.height() * 0.45));
}

void PaintRevertArrow(QPainter& painter, const QRectF& box, const QColor& colour) {
  Stroke(painter, colour, box.width() * 0.14);
  const QRectF ring =
      box.adjusted(box.width() * 0.1, box.height() * 0.1, -box.width() * 0.1, -box.height() * 0.1);
  constexpr int kStartAngle = 100 * 16;  // sixteenths of a degree
  constexpr int kSpanAngle = 260 * 16;
  painter.drawArc(ring, kStartAngle, kSpanAngle);
  const QPointF tip(ring.center().x() - ring.width() * 0.1, ring.top());
  FillPolygon(painter,
              QPolygonF({tip + QPointF(-box.width() * 0.28, 0),
                         tip + QPointF(box.width() * 0.08, -box.height() * 0.22),
                         tip + QPointF(box.width() * 0.08, box.height() * 0.22)}),
              colour);
}

void PaintSliders(QPainter& painter, const QRectF& box, const QColor& colour) {
  constexpr int kLines = 3;
  constexpr qreal kKnobHeights[kLines] = {0.3, 0.7, 0.45};  // of the glyph's height
  for (int i = 0; i < kLines; ++i) {
    const qreal x = box.left() + box.width() * (i + 0.5) / kLines;
    Stroke(painter, colour, 1.2);
    painter.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(
        QRectF(x - box.width() * 0.13, box.top() + box.height() * kKnobHeights[i] - 2, box.width() * 0.26, 4),
        1, 1);
  }
}

void PaintSpeaker(QPainter& painter, const QRectF& box, const QColor& colour) {
  const qreal w = box.width();
  const qreal h = box.height();
  FillPolygon(
      painter,
      QPolygonF(
          {QPointF(box.left(), box.top() + h * 0.35), QPointF(box.left() + w * 0.22, box.top() + h * 0.35),
           QPointF(box.left() + w * 0.5, box.top() + h * 0.1),
           QPointF(box.left() + w * 0.5, box.top() + h * 0.9),
           QPointF(box.left() + w * 0.22, box.top() + h * 0.65), QPointF(box.left(), box.top() + h * 0.65)}),
      colour);
  Stroke(painter, colour, w * 0.08);
  constexpr int kArcStart = -45 * 16;  // sixteenths of a degree
  constexpr int kArcSpan = 90 * 16;
  painter.drawArc(QRectF(box.left() + w * 0.3, box.top() + h * 0.28, w * 0.44, h * 0.44), kArcStart,
                  kArcSpan);
  painter.drawArc(QRectF(box.left() + w * 0.2, box.top() + h * 0.1, w * 0.8, h * 0.8), kArcStart, kArcSpan);
}

// Draws the glyph into box; returns nothing, the caption is drawn apart.
void PaintGlyph(QPainter& painter, const QRectF& box, Glyph glyph, const Ink& ink) {
  switch (glyph) {
    case Glyph::kRecord:
      painter.setPen(Qt::NoPen);
      painter.setBrush(ink.record);
      painter.drawEllipse(
          box.adjusted(box.width() * 0.1, box.height() * 0.1, -box.width() * 0.1, -box.height() * 0.1));
      break;
    case Glyph::kStop:
      painter.setPen(Qt::NoPen);
      painter.setBrush(ink.main);
      painter.drawRoundedRect(
          box.adjusted(box.width() * 0.14, box.height() * 0.14, -box.width() * 0.14, -box.height() * 0.14),
          1.5, 1.5);
      break;
    case Glyph::kPlayRecording:
      FillPolygon(painter, PlayTriangle(box), ink.main);
      Badge(painter, box, ink.record);
      break;
    case Glyph::kPlayOutput:
      FillPolygon(painter, PlayTriangle(box), ink.main);
      Badge(painter, box, ink.go);
      break;
    case Glyph::kStart: {
      const QRectF wave(box.left(), box.top() + box.height() * 0.2, box.width() * 0.7, box.height() * 0.6);
      PaintVoiceWave(painter, wave, ink.main, box.width() * 0.09);
      const qreal y = box.center().y();
      FillPolygon(painter,
                  QPolygonF({QPointF(box.right() - box.width() * 0.3, y - box.height() * 0.28),
                             QPointF(box.right(), y),
                             QPointF(box.right() - box.width() * 0.3, y + box.height() * 0.28)}),
                  ink.go);
      break;
    }
    case Glyph::kVolume: PaintSpeaker(painter, box, ink.main); break;
    case Glyph::kHelp:
      painter.setPen(QPen(ink.main, box.width() * 0.09));
      painter.setBrush(Qt::NoBrush);
      painter.drawEllipse(box);
      painter.setFont(SkinFont(qRound(box.height() * 0.75), true));
      painter.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
      break;
    case Glyph::kSettings: PaintSliders(painter, box, ink.main); break;
    case Glyph::kClose:
    case Glyph::kCancel:
      PaintCross(painter,
                 box.adjusted(box.width() * 0.2, box.height() * 0.2, -box.width() * 0.2, -box.height() * 0.2),
                 glyph == Glyph::kClose ? ink.main : ink.record, box.width() * 0.12);
      break;
    case Glyph::kCloseBox:
      PaintCross(
          painter,
          box.adjusted(box.width() * 0.12, box.height() * 0.12, -box.width() * 0.12, -box.height() * 0.12),
          ink.main, 1.4);
      break;
    case Glyph::kMinimise:
      Stroke(painter, ink.main, 1.6);
      painter.drawLine(QPointF(box.left() + box.width() * 0.1, box.bottom() - box.height() * 0.15),
                       QPointF(box.right() - box.width() * 0.1, box.bottom() - box.height() * 0.15));
      break;
    case Glyph::kBrowse:
    case Glyph::kLoad:
      PaintFolder(painter, box, ink.main);
      if (glyph == Glyph::kLoad) {
        const qreal x = box.center().x() + box.width() * 0.12;
        FillPolygon(painter,
                    QPolygonF({QPointF(x, box.top() + box.height() * 0.3),
                               QPointF(x + box.width() * 0.25, box.top() + box.height() * 0.62),
                               QPointF(x - box.width() * 0.25, box.top() + box.height() * 0.62)}),
                    ink.go);
      }
      break;
    case Glyph::kSave: PaintDisk(painter, box, ink.main); break;
    case Glyph::kRevert: PaintRevertArrow(painter, box, ink.main); break;
    case Glyph::kOk: {
      Stroke(painter, ink.go, box.width() * 0.14);
      painter.drawPolyline(
          QPolygonF({QPointF(box.left() + box.width() * 0.12, box.center().y()),
                     QPointF(box.left() + box.width() * 0.42, box.bottom() - box.height() * 0.15),
                     QPointF(box.right() - box.width() * 0.1, box.top() + box.height() * 0.15)}));
      break;
    }
  }
}

const MessagePair* CaptionOf(Glyph glyph) {
  switch (glyph) {
    case Glyph::kSettings: return &kCaptionSettings;
    case Glyph::kClose: return &kCaptionClose;
    case Glyph::kRevert: return &kCaptionRevert;
    case Glyph::kOk: return &kCaptionOk;
    case Glyph::kCancel: return &kCaptionCancel;
    default: return nullptr;
  }
}

}  // namespace

void PaintButton(QPainter& painter, QSizeF size, Glyph glyph, ButtonState state) {
  const QRectF face = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
  PaintFace(painter, face, state);
  const Ink ink = InkFor(state);
  const qreal shift = state == ButtonState::kPressed ? kPressOffset : 0.0;
  const qreal side = qMin(face.width(), face.height()) * kGlyphShare;

  const MessagePair* caption = CaptionOf(glyph);
  if (caption == nullptr) {
    const QRectF box(face.center().x() - side / 2 + shift, face.center().y() - side / 2 + shift, side, side);
    PaintGlyph(painter, box, glyph, ink);
    return;
  }
  // Glyph at the left, caption filling the rest.
  const qreal left = face.left() + (face.height() - side) / 2 + shift;
  const QRectF box(left, face.center().y() - side / 2 + shift, side, side);
  PaintGlyph(painter, box, glyph, ink);
  const QRectF text(box.right() + kCaptionGap, face.top() + shift,
                    face.right() - box.right() - kCaptionGap * 1.5, face.height());
  painter.setPen(ink.main);
  DrawFittedText(painter, text, LocalText(*caption), Qt::AlignCenter, kCaptionPixelSize, true);
}

}  // namespace plimo::skin
