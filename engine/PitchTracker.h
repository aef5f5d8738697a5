#pragma once

#include <vector>

#include "engine/DecimatingLowPass.h"

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

  int SamplingRate() const { return samplingRate; }  // Hz
  int FrameLength() const { return frameLength; }    // L, samples
  int Hop() const { return hop; }                    // the first hop, samples
  // The lag ranges searched, at the full and the decimated rate, samples.
  int MinLag() const { return minLag; }
  int MaxLag() const { return maxLag; }
  int DecimatedMinLag() const { return decimatedMinLag; }
  int DecimatedMaxLag() const { return decimatedMaxLag; }
  int DecimatedFrameLength() const { return decimatedFrameLength; }
  // Voiced frames so far; octave correction starts past 60. The driver
  // sets it back to 60 when its position wraps, as a 32-bit run's would.
  int VoicedFrameCount() const { return voicedFrameCount; }
  void SetVoicedFrameCount(int count) { voicedFrameCount = count; }
  float MinLogEnergy() const { return minLogEnergy; }
  float PreviousStrength() const { return previousStrength; }
  float SlowAverage() const { return slowAverage; }  // Hz
  float FastAverage() const { return fastAverage; }  // Hz
  // The smoother's last three raw estimates, oldest first, Hz.
  float History(int k) const { return history[k]; }

 private:
  float EstimateDecimated(const float* x, float* strength, double* energy);
  float EstimateFullRate(const float* x, float* strength, double* energy);

  int samplingRate = 0;
  int decimatedRate = 1000;
  int minLag = 0;  // full-rate lag range, samples
  int maxLag = 0;
  int decimatedMinLag = 2;
  int decimatedMaxLag = 20;
  int frameLength = 0;           // L
  int decimatedFrameLength = 0;  // 40 for 0.04 s
  int hop = 0;                   // first hop
  int voicedFrameCount = 0;
  float minLogEnergy = 10.0f;
  float previousStrength = 0.0f;
  float strengthBefore = 0.0f;
  float slowAverage = 150.0f;
  float fastAverage = 150.0f;
  float history[3] = {0.0f, 0.0f, 0.0f};
  float threshold = 0.2f;

  // Rates with a low-pass of their own take the decimated path.
  bool decimatedPath = false;
  DecimatingLowPass lowPass;
  std::vector<float> decimated;  // max(40, decimated frame length)
};

}  // namespace plimo
