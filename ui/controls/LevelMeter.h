#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <vector>

namespace plimo {

// A horizontal bar of segments in three zones, green, yellow and red from
// the left, lit up to the current level. Painted off screen and copied in
// one operation, so that the frequent repaints during a run do not
// flicker. User-interface thread only.
class LevelMeter : public QWidget {
 public:
  static constexpr int kNoLevel = -1;

  LevelMeter(int controlId, QWidget* parent);

  // Segment counts of the green, yellow and red zones.
  void SetUp(int green, int yellow, int red);
  // The total number of segments: the level that lights them all is
  // Scale() - 1.
  int Scale() const { return green + yellow + red; }

  // Stores the level (a segment index; kNoLevel, or any level below it,
  // lights none) and repaints.
  void SetLevel(int newLevel);
  int Level() const { return level; }

  // The segments' rectangles once the meter has been painted.
  const std::vector<QRect>& Segments() const { return segments; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();
  QColor SegmentColour(int index, bool lit) const;

  int green = 0;
  int yellow = 0;
  int red = 0;
  int level = kNoLevel;
  bool laidOut = false;
  std::vector<QRect> segments;
  QPixmap offScreen;
};

}  // namespace plimo
