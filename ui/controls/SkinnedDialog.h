#pragma once

#include <QColor>
#include <QDialog>
#include <QPoint>

namespace plimo {

// The frame every window of the program shares: its background bitmap
// painted over the whole window, a rounded outline, the window's colours
// for texts and fields, Enter and Escape that never close it (the message
// box answers them instead), and a press on the bare surface that moves
// the window as a caption would.
class SkinnedDialog : public QDialog {
 public:
  SkinnedDialog(int backgroundBitmap, const QColor& face, QWidget* owner, Qt::WindowFlags flags);

 protected:
  // Sizes the window to its background and gives it the rounded region.
  void ApplyFrame();

  // A press on the bare surface (global coordinates) that the window acts
  // on itself, such as a click on a painted label; true when claimed.
  // Unclaimed presses move the window.
  virtual bool ClaimSurfacePress(const QPoint& globalPosition);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int backgroundBitmap;
  // Where the window system cannot move the window itself (offscreen,
  // some compositors), the window follows the pointer here.
  bool followingPointer = false;
  QPoint pointerToCorner;
};

}  // namespace plimo
