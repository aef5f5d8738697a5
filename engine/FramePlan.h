#pragma once

namespace plimo {

// The pitch settings a frame is planned with, copied from the record at
// the start of every frame.
struct PitchSettings {
  int robotVoiceOn = 0;
  float robotPitch = 100.0f;  // Hz
  float pitchScale = 1.0f;
  float pitchOffset = 0.0f;  // Hz
};

// How one analysis frame is cut and placed, from its F0.
struct FramePlan {
  bool voiced = false;       // F0 > 10 Hz
  int analysisLength = 0;    // L': two periods (even), or the last voiced length
  int hop = 0;               // h: one period, at most L; 6 ms when unvoiced
  float pitchFactor = 1.0f;  // a, within 0.6 .. 3.0
};

// f0 in Hz as the pitch tracker gives it (0 when unvoiced); frameLength is
// L; previousAnalysisLength is L' of the frame before (L at the start).
FramePlan PlanFrame(float f0, int samplingRate, int frameLength, int previousAnalysisLength,
                    const PitchSettings& settings);

// The distance between two placements of a frame on the output time line:
// the new pitch period floor(hop / a + 0.5), at least 1 sample so that a
// frame is never placed twice at one position.
int PlacementStep(int hop, float pitchFactor);

}  // namespace plimo
