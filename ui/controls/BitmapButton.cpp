#include "ui/controls/BitmapButton.h"

#include <QPainter>

#include "ui/skin/Skin.h"

namespace plimo {

BitmapButton::BitmapButton(int controlId, QWidget* parent) : QAbstractButton(parent), controlId(controlId) {
  setObjectName(QString::number(controlId));
  setFocusPolicy(Qt::StrongFocus);
}

void BitmapButton::LoadBitmaps(const skin::ButtonBitmaps& newBitmaps) {
  bitmaps = newBitmaps;
  update();
}

void BitmapButton::SizeToContent() { resize(skin::BitmapSize(bitmaps.normal)); }

void BitmapButton::Collapse() {
  setGeometry(0, 0, 0, 0);
  setEnabled(true);
}

int BitmapButton::ShownBitmap() const {
  if (!isEnabled()) return bitmaps.disabled;
  if (isDown()) return bitmaps.pressed;
  if (hasFocus()) return bitmaps.focused;
  return bitmaps.normal;
}

QSize BitmapButton::sizeHint() const { return skin::BitmapSize(bitmaps.normal); }

void BitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  skin::DrawBitmap(painter, skin::Bitmap(ShownBitmap(), devicePixelRatioF()), rect(), true);
}

}  // namespace plimo
