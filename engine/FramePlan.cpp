#include "engine/FramePlan.h"

#include <algorithm>
#include <cmath>

#include "engine/RunGeometry.h"

namespace plimo {

namespace {

constexpr float kVoicedF0 = 10.0f;  // Hz

float LimitPitchFactor(float a) {
  if (!(a <= kMaxPitchFactor)) return kMaxPitchFactor;  // NaN too
  return std::max(a, kMinPitchFactor);
}

}  // namespace

FramePlan PlanFrame(float f0, int samplingRate, int frameLength, int previousAnalysisLength,
                    const PitchSettings& settings) {
  FramePlan plan;
  plan.voiced = f0 > kVoicedF0;
  if (!plan.voiced) {
    plan.analysisLength = previousAnalysisLength;
    plan.hop = UnvoicedHopFor(samplingRate);
    plan.pitchFactor = 1.0f;
    return plan;
  }
  const float fs = static_cast<float>(samplingRate);
  plan.analysisLength = std::min(static_cast<int>(2.0f * fs / f0), frameLength);
  plan.analysisLength -= plan.analysisLength % 2;
  // The tracker's smoother can return an F0 near 19 Hz, whose period would
  // read past the L-sample input history.
  plan.hop = std::min(static_cast<int>(std::floor(fs / f0 + 0.5)), frameLength);
  const float a =
      settings.robotVoiceOn != 0 ? settings.robotPitch / f0 : settings.pitchOffset / f0 + settings.pitchScale;
  plan.pitchFactor = LimitPitchFactor(a);
  return plan;
}

int PlacementStep(int hop, float pitchFactor) {
  return std::max(static_cast<int>(std::floor(static_cast<float>(hop) / pitchFactor + 0.5)), 1);
}

}  // namespace plimo
