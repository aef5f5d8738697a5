#include "ui/controls/ValueSlider.h"

#include <algorithm>
#include <cstdint>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "ui/skin/Skin.h"

namespace plimo {

namespace {
constexpr int kPageFactor = 10;   // a page key steps ten key steps
constexpr int kWheelNotch = 120;  // eighths of a degree per wheel notch
}  // namespace

ValueSlider::ValueSlider(int controlId, QWidget* parent)
    : QSlider(Qt::Vertical, parent), controlId(controlId) {
  setObjectName(QString::number(controlId));
  setFocusPolicy(Qt::StrongFocus);
  // Every move goes through Step or a drag; the base class moves nothing.
  setSingleStep(0);
  setPageStep(0);
  setTickPosition(QSlider::NoTicks);
}

void ValueSlider::SetUp(const ValueSliderSetup& setup) {
  thumbBitmap = setup.thumbBitmap;
  channelAboveBitmap = setup.channelAboveBitmap;
  channelBelowBitmap = setup.channelBelowBitmap;
  resize(skin::BitmapSize(channelBelowBitmap));
  mapping = SliderMapping(setup.minPos, setup.maxPos, setup.lo, setup.hi, setup.centred, setup.centreValue);
  setRange(setup.minPos, setup.maxPos);
  keyStep = setup.keyStep;
  display = setup.display;
  format = QByteArray(setup.format == nullptr ? "" : setup.format);
  prefix = setup.prefix;
  SetValue(setup.value);
}

void ValueSlider::SetValue(float newValue) {
  setValue(PositionOf(newValue));
  UpdateDisplay();
}

void ValueSlider::Step(Direction direction) {
  const int step = (direction == kPageDown || direction == kPageUp) ? keyStep * kPageFactor : keyStep;
  int64_t position = value();
  if (direction == kDown || direction == kPageDown) {
    if (position < maximum()) position += step;
  } else if (position > minimum()) {
    position -= step;
  }
  setValue(static_cast<int>(std::clamp<int64_t>(position, minimum(), maximum())));
  UpdateDisplay();
}

void ValueSlider::UpdateDisplay() {
  if (display == nullptr) return;
  display->setText(prefix + QString::asprintf(format.constData(), static_cast<double>(Value())));
}

QRect ValueSlider::ThumbRect() const {
  const QSize thumb = skin::BitmapSize(thumbBitmap);
  // 64-bit: a mixer's range may span most of the 32-bit integers.
  const int64_t travel = height() - thumb.height();
  const int64_t span = int64_t{maximum()} - minimum();
  const int64_t top = span > 0 ? (int64_t{value()} - minimum()) * travel / span : 0;
  return QRect(QPoint((width() - thumb.width()) / 2, static_cast<int>(top)), thumb);
}

int ValueSlider::PositionAtThumbTop(int thumbTop) const {
  const int64_t travel = height() - skin::BitmapSize(thumbBitmap).height();
  if (travel <= 0) return minimum();
  const int64_t span = int64_t{maximum()} - minimum();
  const int64_t top = std::clamp<int64_t>(thumbTop, 0, travel);
  return static_cast<int>(minimum() + (top * span + travel / 2) / travel);
}

void ValueSlider::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  QPainter painter(this);
  const QRect thumb = ThumbRect();
  const int split = thumb.center().y();
  skin::DrawBitmap(painter, skin::Bitmap(channelAboveBitmap, ratio), QRect(0, 0, width(), split), false);
  painter.save();
  painter.setClipRect(QRect(0, split, width(), height() - split));
  painter.drawPixmap(0, 0, skin::Bitmap(channelBelowBitmap, ratio));
  painter.restore();
  painter.drawPixmap(thumb.topLeft(), skin::Bitmap(thumbBitmap, ratio));
}

void ValueSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  pressed = true;
  setSliderDown(true);
  const QRect thumb = ThumbRect();
  const int y = qRound(event->position().y());
  if (thumb.contains(event->position().toPoint())) {
    draggingThumb = true;
    grabOffset = y - thumb.top();
  } else {
    Step(y < thumb.top() ? kPageUp : kPageDown);
  }
  update();
}

void ValueSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!draggingThumb) return;
  setValue(PositionAtThumbTop(qRound(event->position().y()) - grabOffset));
  UpdateDisplay();
  update();
}

void ValueSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed || event->button() != Qt::LeftButton) return;
  pressed = false;
  draggingThumb = false;
  setSliderDown(false);
  UpdateDisplay();
  if (listener != nullptr) listener->SliderReleased(controlId);
}

void ValueSlider::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: Step(kUp); break;
    case Qt::Key_Down: Step(kDown); break;
    case Qt::Key_PageUp: Step(kPageUp); break;
    case Qt::Key_PageDown: Step(kPageDown); break;
    default:
      // Home, End and the rest take their normal course first, so the
      // listener hears the position they leave.
      QSlider::keyPressEvent(event);
      UpdateDisplay();
      break;
  }
  if (listener != nullptr) listener->SliderKeyPressed(controlId);
}

void ValueSlider::keyReleaseEvent(QKeyEvent* event) {
  UpdateDisplay();
  QSlider::keyReleaseEvent(event);
}

void ValueSlider::wheelEvent(QWheelEvent* event) {
  wheelRemainder += event->angleDelta().y();
  while (wheelRemainder >= kWheelNotch) {
    wheelRemainder -= kWheelNotch;
    Step(kUp);  // a turn away from the user raises the value
  }
  while (wheelRemainder <= -kWheelNotch) {
    wheelRemainder += kWheelNotch;
    Step(kDown);
  }
  UpdateDisplay();
  event->accept();
}

}  // namespace plimo
