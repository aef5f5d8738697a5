#pragma once

#include <QAbstractButton>

#include "ui/skin/BitmapIds.h"

namespace plimo {

// A push button drawn from four skin bitmaps: normal, pressed, focused and
// disabled. A window may give it new bitmaps while it is shown.
class BitmapButton : public QAbstractButton {
 public:
  BitmapButton(int controlId, QWidget* parent);

  void LoadBitmaps(const skin::ButtonBitmaps& bitmaps);
  // Gives the button the size of its normal bitmap.
  void SizeToContent();
  // The button shrinks to nothing at the window's origin and stays enabled,
  // as the Stop button does while no operation runs.
  void Collapse();

  int ControlId() const { return controlId; }
  // The bitmap that the button shows in its current state.
  int ShownBitmap() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int controlId;
  skin::ButtonBitmaps bitmaps{};
};

}  // namespace plimo
