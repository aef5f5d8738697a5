#pragma once

#include <QRect>

namespace plimo {

// The windows are laid out in dialog units of an 8-point sans-serif
// template font, whose base units are 6 x 13 pixels: four horizontal units
// make 6 pixels and eight vertical units make 13. Edges are converted one by
// one with rounding, so neighbouring controls never overlap or gap.
inline constexpr int kDialogBaseX = 6;   // pixels per 4 horizontal units
inline constexpr int kDialogBaseY = 13;  // pixels per 8 vertical units

inline int DialogX(int units) { return (units * kDialogBaseX + 2) / 4; }
inline int DialogY(int units) { return (units * kDialogBaseY + 4) / 8; }

inline QRect DialogRect(int x, int y, int width, int height) {
  const int left = DialogX(x);
  const int top = DialogY(y);
  return QRect(left, top, DialogX(x + width) - left, DialogY(y + height) - top);
}

}  // namespace plimo
