#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// The graphic equaliser's bands: centre frequencies in Hz with a gain in dB
// each. The engine turns them into a gain per spectrum bin for every frame
// (EqualiserCurve).
//
// Threads: one writer thread at a time (the user-interface thread) changes
// bands and gains through SetBands, SetGain and SetFrequency, while the
// processing thread takes a snapshot every frame. The bands live in
// fixed-capacity atomic storage guarded by a sequence counter: the reader
// copies a consistent snapshot without a lock and, should a writer stay
// mid-update for too long, keeps its last consistent snapshot for that
// frame. Nothing the reader reads is ever freed.
class Equaliser {
 public:
  static constexpr int kMaxBands = 32;
  static constexpr int kDefaultBandCount = 10;
  static constexpr float kDefaultFrequencies[kDefaultBandCount] = {
      100.0f, 200.0f, 300.0f, 600.0f, 1000.0f, 3000.0f, 5000.0f, 8000.0f, 12000.0f, 17000.0f};  // Hz

  // A consistent copy of the bands, owned by the reader; it starts as the
  // ten default bands at 0 dB.
  struct Snapshot {
    Snapshot();
    int count = 0;
    float frequencies[kMaxBands] = {};  // Hz
    float gains[kMaxBands] = {};        // dB
  };

  // The ten default bands at 0 dB.
  Equaliser();
  virtual ~Equaliser() = default;

  Equaliser(const Equaliser&) = delete;
  Equaliser& operator=(const Equaliser&) = delete;

  // Replaces the bands in one step as the reader sees it. count is
  // 0 .. kMaxBands; anything else returns -1 and changes nothing. With
  // frequencies (Hz) given they are copied; without, every frequency is 0
  // and the caller fills them with SetFrequency. With gains (dB) given they
  // are copied; without, every gain is 0 dB. Non-finite values are refused
  // (-1, nothing changed). Returns 1.
  int SetBands(int count, const float* frequencies, const float* gains = nullptr);

  int BandCount() const;
  // Band k's centre frequency in Hz / gain in dB; 0 for k out of range.
  float Frequency(int k) const;
  float Gain(int k) const;
  // Set band k; -1 when k is out of range or the value is not finite.
  int SetGain(int k, float gainDb);
  int SetFrequency(int k, float frequencyHz);

  // Copies a consistent set of bands into snapshot without waiting; when a
  // writer stays mid-update through every attempt, snapshot keeps what it
  // held and the result is false. Allocates nothing.
  bool TakeSnapshot(Snapshot& snapshot) const;

 private:
  // Shared between the writer and the reader, guarded by sequence: odd
  // while a writer is mid-update.
  std::atomic<uint32_t> sequence{0};
  std::atomic<int> bandCount{0};
  std::atomic<float> frequencies[kMaxBands];  // Hz
  std::atomic<float> gains[kMaxBands];        // dB
};

}  // namespace plimo
