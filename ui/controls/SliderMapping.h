#pragma once

namespace plimo {

// How a vertical value slider turns integer thumb positions into values.
// The top end (the lowest position) gives the upper value hi and the
// bottom end the lower value lo. With a centre value c, the middle position
// gives c and each half is linear on its own.
class SliderMapping {
 public:
  SliderMapping() = default;
  // A centre outside lo .. hi (or on either end, where a half would be
  // empty) becomes (lo + hi) / 2.
  SliderMapping(int minPos, int maxPos, float lo, float hi, bool centred, float centre);

  float ValueAt(int position) const;
  // The position of a value, truncated toward zero and kept within the
  // range, as the slider would hold it.
  int PositionOf(float value) const;

  int MinPos() const { return minPos; }
  int MaxPos() const { return maxPos; }
  int MidPos() const { return static_cast<int>((static_cast<long long>(minPos) + maxPos) / 2); }
  int Clamp(int position) const;

 private:
  int minPos = 0;
  int maxPos = 0;
  float lo = 0.0f;
  float hi = 0.0f;
  bool centred = false;
  float centre = 0.0f;
};

}  // namespace plimo
