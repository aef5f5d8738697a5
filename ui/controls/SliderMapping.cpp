#include "ui/controls/SliderMapping.h"

#include <cstdint>

namespace plimo {

namespace {

// Truncates toward zero after bounding the value to the positions, so an
// enormous or non-finite value never reaches the integer conversion.
int TruncatedWithin(float position, int low, int high) {
  if (!(position >= static_cast<float>(low))) return low;
  if (position > static_cast<float>(high)) return high;
  return static_cast<int>(position);
}

// to - from without overflow, for ranges as wide as a mixer's.
float Span(int from, int to) { return static_cast<float>(int64_t{to} - from); }

}  // namespace

SliderMapping::SliderMapping(int minPos, int maxPos, float lo, float hi, bool centred, float centre)
    : minPos(minPos), maxPos(maxPos), lo(lo), hi(hi), centred(centred), centre(centre) {
  if (centred && !(centre > lo && centre < hi)) this->centre = (lo + hi) / 2;
}

int SliderMapping::Clamp(int position) const {
  if (position < minPos) return minPos;
  if (position > maxPos) return maxPos;
  return position;
}

float SliderMapping::ValueAt(int position) const {
  if (maxPos <= minPos) return lo;
  if (!centred) return lo + (hi - lo) * Span(position, maxPos) / Span(minPos, maxPos);
  const int mid = MidPos();
  if (position <= mid) return centre + Span(position, mid) * (hi - centre) / Span(minPos, mid);
  return lo + Span(position, maxPos) * (centre - lo) / Span(mid, maxPos);
}

int SliderMapping::PositionOf(float value) const {
  if (maxPos <= minPos || !(hi > lo)) return minPos;
  float position;
  if (!centred) {
    position = maxPos - (value - lo) / (hi - lo) * Span(minPos, maxPos);
  } else {
    const int mid = MidPos();
    if (value >= centre) {
      position = mid - Span(minPos, mid) * (value - centre) / (hi - centre);
    } else {
      position = maxPos - (value - lo) * Span(mid, maxPos) / (centre - lo);
    }
  }
  return TruncatedWithin(position, minPos, maxPos);
}

}  // namespace plimo
