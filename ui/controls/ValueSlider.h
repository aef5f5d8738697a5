#pragma once

#include <QSlider>
#include <QString>

#include "ui/controls/SliderMapping.h"

class QLabel;

namespace plimo {

// What a window hears from its value sliders.
class ValueSliderListener {
 public:
  virtual ~ValueSliderListener() = default;
  // A key went down on the slider (after the slider moved for it).
  virtual void SliderKeyPressed(int controlId) = 0;
  // The mouse let go of the slider: the end of a drag or of a click.
  virtual void SliderReleased(int controlId) = 0;
};

struct ValueSliderSetup {
  int minPos;
  int maxPos;
  int keyStep;  // positions per Up or Down; ten times that per page key
  float lo;
  float hi;
  float value;
  bool centred;
  float centreValue;
  // The window's static text that shows the value, or none.
  QLabel* display;
  // printf format of the display, given the value as a double.
  const char* format;
  QString prefix;
  int thumbBitmap;
  int channelAboveBitmap;  // drawn above the thumb
  int channelBelowBitmap;  // drawn below it; the slider takes its size
};

// A vertical track bar drawn from skin bitmaps that maps its integer
// positions to a floating-point value (SliderMapping) and can show the
// value in a text of its window.
//
// Keys: Up and Page Up raise the value, Down and Page Down lower it, by the
// key step or ten times it; the wheel steps the same way without telling
// the listener; a press on the thumb drags it, a press beside it pages
// toward the press.
class ValueSlider : public QSlider {
 public:
  enum Direction { kDown = 0, kUp = 1, kPageDown = 2, kPageUp = 3 };

  ValueSlider(int controlId, QWidget* parent);

  void SetUp(const ValueSliderSetup& setup);
  void SetListener(ValueSliderListener* newListener) { listener = newListener; }

  float Value() const { return mapping.ValueAt(value()); }
  int PositionOf(float newValue) const { return mapping.PositionOf(newValue); }
  // Moves the thumb to the value's position and shows it.
  void SetValue(float newValue);
  void Step(Direction direction);
  void UpdateDisplay();

  int ControlId() const { return controlId; }
  // The thumb's rectangle in the slider's coordinates.
  QRect ThumbRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  int PositionAtThumbTop(int thumbTop) const;

  int controlId;
  SliderMapping mapping;
  int keyStep = 1;
  QLabel* display = nullptr;
  QByteArray format;
  QString prefix;
  int thumbBitmap = 0;
  int channelAboveBitmap = 0;
  int channelBelowBitmap = 0;
  ValueSliderListener* listener = nullptr;
  bool pressed = false;
  bool draggingThumb = false;
  int grabOffset = 0;      // px from the thumb's top to the pointer
  int wheelRemainder = 0;  // eighths of a degree not yet stepped
};

}  // namespace plimo
