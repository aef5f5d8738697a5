#pragma once

#include <cstdint>

#include "effects/SampleMap.h"

namespace plimo {

// Memoryless compressor on 16-bit samples: samples at or below the
// threshold are raised by a fixed gain, louder ones follow a reduced slope
// so that full scale stays full scale.
//
// One thread owns it (the run's): the settings reach it between blocks
// through the run's effects chain, which calls SetThreshold there.
class Compressor {
 public:
  // Derives the working constants from the constructed control values, so
  // a compressor switched on before its setter has run leaves quiet
  // samples audible instead of silencing them.
  Compressor();
  virtual ~Compressor() = default;

  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // t1 sets the threshold position, t2 the ratio; both are control values
  // in 0.0 .. 1.0 (the settings window passes the same value twice). A
  // higher value compresses more.
  void SetThreshold(float t1, float t2);

  // Memoryless: nothing to size or clear. Prepare returns 1.
  int Prepare(float samplingRate, int maxBlockLength);
  void Reset() {}

  // Maps every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) noexcept;

  float control1 = 0.5f;
  float control2 = 0.5f;
  int fullScale = 32767;
  int floorAmplitude = 5;
  float fullDb = 0.0f;   // 10 log10(fullScale^2), dB
  float floorDb = 0.0f;  // 10 log10(floorAmplitude^2), dB
  float position = 0.0f;
  float ratio = 0.0f;
  float thresholdDb = 0.0f;
  float gain = 0.0f;

 private:
  // The result for one sample from the settings; Process keeps it.
  int16_t MapSample(int16_t s) const;

  SampleMap results;
};

}  // namespace plimo
