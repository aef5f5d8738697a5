#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace plimo {

// Graphic equaliser applied to each frame's spectrum: band gains in dB at
// band centre frequencies become a smoothed linear gain per spectrum bin.
//
// Threads: one writer thread at a time (the user-interface thread) changes
// bands and gains through SetBands, SetGain and SetFrequency, while the
// processing thread calls BuildEqualiserCurve every frame and reads the
// curve. The bands live in fixed-capacity atomic storage guarded by a
// sequence counter: the builder copies a consistent snapshot without a
// lock and, should a writer stay mid-update for too long, keeps the last
// consistent snapshot for that frame. Nothing the builder reads is ever
// freed. The curve and its working array belong to the processing thread.
class Equaliser {
 public:
  static constexpr int kMaxBands = 32;
  static constexpr int kDefaultBandCount = 10;
  static constexpr float kDefaultFrequencies[kDefaultBandCount] = {
      100.0f,  200.0f,  300.0f,  600.0f,   1000.0f,
      3000.0f, 5000.0f, 8000.0f, 12000.0f, 17000.0f};  // Hz

  // The ten default bands at 0 dB.
  Equaliser();
  virtual ~Equaliser() = default;

  Equaliser(const Equaliser&) = delete;
  Equaliser& operator=(const Equaliser&) = delete;

  // Replaces the bands in one step as the builder sees it. count is
  // 0 .. kMaxBands; anything else returns -1 and changes nothing. With
  // frequencies (Hz) given they are copied; without, every frequency is 0
  // and the caller fills them with SetFrequency. With gains (dB) given they
  // are copied; without, every gain is 0 dB. Non-finite values are refused
  // (-1, nothing changed). Returns 1.
  int SetBands(int count, const float* frequencies,
               const float* gains = nullptr);

  int BandCount() const;
  // Band k's centre frequency in Hz / gain in dB; 0 for k out of range.
  float Frequency(int k) const;
  float Gain(int k) const;
  // Set band k; -1 when k is out of range or the value is not finite.
  int SetGain(int k, float gainDb);
  int SetFrequency(int k, float frequencyHz);

  // Sizes the curve and its working array for up to maxBinCount bins so
  // that building curves of that size allocates nothing. Call once per run
  // from the processing side. -1 for maxBinCount < 1.
  int ReserveCurve(int maxBinCount);

  // Rebuilds the curve for a spectrum of binCount bins spanning 0 to
  // samplingRate / 2. Bands at or above half the sampling rate are ignored;
  // when none lies below it the curve is flat at the first band's gain (1.0
  // with no bands). Allocates only when binCount exceeds the reserve.
  // Returns 1, or -1 for binCount < 1 or samplingRate not positive (the
  // curve is then left as it was).
  int BuildEqualiserCurve(float samplingRate, int binCount);

  // The curve of the last successful build, CurveLength() values.
  const float* Curve() const;
  int CurveLength() const;

 private:
  void TakeSnapshot();
  void BuildShape(float samplingRate, int binCount);
  void Smooth(int binCount);

  // Shared between the writer and the builder, guarded by sequence: odd
  // while a writer is mid-update.
  std::atomic<uint32_t> sequence{0};
  std::atomic<int> bandCount{0};
  std::atomic<float> frequencies[kMaxBands];  // Hz
  std::atomic<float> gains[kMaxBands];        // dB

  // The builder's own state.
  int snapshotCount = 0;
  float snapshotFrequencies[kMaxBands] = {};  // Hz
  float snapshotGains[kMaxBands] = {};        // dB
  float linearGains[kMaxBands] = {};
  int bandBins[kMaxBands] = {};
  std::vector<float> curve;
  std::vector<float> shape;  // the unsmoothed curve, then the first pass
  int binCount = 0;
};

}  // namespace plimo
