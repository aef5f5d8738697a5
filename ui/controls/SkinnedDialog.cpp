#include "ui/controls/SkinnedDialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

#include "ui/skin/Skin.h"
#include "ui/skin/SkinColours.h"

namespace plimo {

namespace {
constexpr qreal kCornerEllipse = 15.0;  // px, width and height of the corner ellipse
}  // namespace

SkinnedDialog::SkinnedDialog(int backgroundBitmap, const QColor& face, QWidget* owner, Qt::WindowFlags flags)
    : QDialog(owner, flags | Qt::FramelessWindowHint), backgroundBitmap(backgroundBitmap) {
  QPalette colours = palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::Window, face);
    colours.setColor(group, QPalette::Base, face);
    colours.setColor(group, QPalette::WindowText, skin::kTextColour);
    colours.setColor(group, QPalette::Text, skin::kTextColour);
    colours.setColor(group, QPalette::ButtonText, skin::kTextColour);
  }
  setPalette(colours);
  setSizeGripEnabled(false);
}

void SkinnedDialog::ApplyFrame() { setFixedSize(skin::BitmapSize(backgroundBitmap)); }

bool SkinnedDialog::ClaimSurfacePress(const QPoint&) { return false; }

void SkinnedDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  skin::DrawBitmap(painter, skin::Bitmap(backgroundBitmap, devicePixelRatioF()), rect(), true);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  const QPoint global = event->globalPosition().toPoint();
  if (ClaimSurfacePress(global)) return;
  QWindow* window = windowHandle();
  if (window != nullptr && window->startSystemMove()) return;
  followingPointer = true;
  pointerToCorner = global - frameGeometry().topLeft();
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event) {
  if (!followingPointer) {
    QDialog::mouseMoveEvent(event);
    return;
  }
  move(event->globalPosition().toPoint() - pointerToCorner);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* event) {
  followingPointer = false;
  QDialog::mouseReleaseEvent(event);
}

void SkinnedDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();  // the windows never close by keyboard
      return;
    default: QDialog::keyPressEvent(event);
  }
}

void SkinnedDialog::resizeEvent(QResizeEvent* event) {
  QPainterPath outline;
  outline.addRoundedRect(QRectF(rect()), kCornerEllipse / 2, kCornerEllipse / 2);
  setMask(QRegion(outline.toFillPolygon().toPolygon()));
  QDialog::resizeEvent(event);
}

}  // namespace plimo
