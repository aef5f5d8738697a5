#include "ui/controls/LevelMeter.h"

#include <QPainter>

namespace plimo {

namespace {

constexpr int kMargin = 2;  // px around the segments and between them

const QColor kGreenLit{0, 255, 0};
const QColor kGreenUnlit{0, 100, 0};
const QColor kYellowLit{255, 255, 0};
const QColor kYellowUnlit{170, 170, 0};
const QColor kRedLit{255, 0, 0};
const QColor kRedUnlit{170, 0, 0};

}  // namespace

LevelMeter::LevelMeter(int controlId, QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(controlId));
}

void LevelMeter::SetUp(int newGreen, int newYellow, int newRed) {
  green = newGreen;
  yellow = newYellow;
  red = newRed;
  laidOut = false;
}

void LevelMeter::SetLevel(int newLevel) {
  level = newLevel;
  update();
}

void LevelMeter::resizeEvent(QResizeEvent*) { laidOut = false; }

void LevelMeter::LayOut() {
  const int count = Scale();
  segments.clear();
  segments.reserve(static_cast<size_t>(count));
  if (count > 0) {
    // Every segment spans the height but the margins; the widths share
    // what the margins leave, and each edge is truncated as it is
    // accumulated so the gaps stay even.
    const float segmentWidth = static_cast<float>(width() + 1 - (2 * count + 2)) / count;
    float left = kMargin;
    for (int i = 0; i < count; ++i) {
      const float right = left + segmentWidth;
      const int x0 = static_cast<int>(left);
      const int x1 = static_cast<int>(right);
      segments.emplace_back(QPoint(x0, kMargin), QPoint(x1 - 1, height() - kMargin - 1));
      left = right + kMargin;
    }
  }
  offScreen = QPixmap(size() * devicePixelRatioF());
  offScreen.setDevicePixelRatio(devicePixelRatioF());
  laidOut = true;
}

QColor LevelMeter::SegmentColour(int index, bool lit) const {
  if (index < green) return lit ? kGreenLit : kGreenUnlit;
  if (index < green + yellow) return lit ? kYellowLit : kYellowUnlit;
  return lit ? kRedLit : kRedUnlit;
}

void LevelMeter::paintEvent(QPaintEvent*) {
  if (!laidOut) LayOut();
  if (offScreen.isNull()) return;
  // Read once: the level may change between paints. A level below none
  // still paints the unlit bar, so the meter never vanishes mid-run.
  const int lastLit = qMin(level, Scale() - 1);
  {
    QPainter buffer(&offScreen);
    buffer.fillRect(rect(), Qt::black);
    for (int i = 0; i < static_cast<int>(segments.size()); ++i) {
      buffer.fillRect(segments[static_cast<size_t>(i)], SegmentColour(i, i <= lastLit));
    }
  }
  QPainter screen(this);
  screen.drawPixmap(0, 0, offScreen);
}

}  // namespace plimo
