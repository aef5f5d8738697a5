#pragma once

#include <vector>

namespace plimo {

// Estimates the fundamental frequency of each analysis buffer by a
// normalised autocorrelation peak search, with voicing hysteresis, an energy
// gate relative to the quietest frame seen, octave correction against two
// running averages and a three-frame median smoother. One tracker serves one
// modification run; its state carries over from frame to frame.
class PitchTracker {
 public:
  PitchTracker();
  virtual ~PitchTracker() = default;

  // Sets the rate, frame length L = floor(frameSeconds * fs + 0.5) and the
  // first hop, and sizes the working buffers. Call before EstimatePitch.
  void ConfigurePitchTracker(int fs, double frameSeconds, double hopSeconds);

  // Back to the state of a new run (counter, minimum log-energy, strengths,
  // averages, history, threshold).
  void Reset();

  // x holds the L-sample analysis buffer in 16-bit sample units. Returns F0
  // in Hz, 0 when the buffer is unvoiced. Allocates nothing.
  float EstimatePitch(const float* x);

  int samplingRate = 0;
  int decimatedRate = 1000;
  int minLag = 0;  // full-rate lag range, samples
  int maxLag = 0;
  int decimatedMinLag = 2;
  int decimatedMaxLag = 20;
  int frameLength = 0;           // L
  int decimatedFrameLength = 0;  // 40 for 0.04 s
  int hop = 0;                   // first hop; the driver rewrites it per frame
  int voicedFrameCount = 0;      // the driver sets it to 60 on a position wrap
  float minLogEnergy = 10.0f;
  float previousStrength = 0.0f;
  float strengthBefore = 0.0f;
  float slowAverage = 150.0f;
  float fastAverage = 150.0f;
  float history[3] = {0.0f, 0.0f, 0.0f};
  float threshold = 0.2f;

 private:
  float EstimateDecimated(const float* x, int row, float* strength,
                          double* energy);
  float EstimateFullRate(const float* x, float* strength, double* energy);

  std::vector<float> filtered;   // L
  std::vector<float> scratch;    // L, for the filter
  std::vector<float> decimated;  // max(40, decimated frame length)
};

}  // namespace plimo
