#pragma once

#include <atomic>
#include <cstdint>

namespace plimo {

// Memoryless compressor on 16-bit samples: samples at or below the
// threshold are raised by a fixed gain, louder ones follow a reduced slope
// so that full scale stays full scale.
//
// The settings window calls SetThreshold on the user-interface thread while
// the processing thread runs Process, so the derived constants are atomics
// that Process reads once per block. A block that races a SetThreshold may
// mix old and new constants; its samples stay within the sample range.
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

  // Maps every sample in place; length <= 0 does nothing.
  void Process(int16_t* samples, int length) const;

  std::atomic<float> control1{0.5f};
  std::atomic<float> control2{0.5f};
  int fullScale = 32767;
  int floorAmplitude = 5;
  float fullDb = 0.0f;   // 10 log10(fullScale^2), dB
  float floorDb = 0.0f;  // 10 log10(floorAmplitude^2), dB
  std::atomic<float> position{0.0f};
  std::atomic<float> ratio{0.0f};
  std::atomic<float> thresholdDb{0.0f};
  std::atomic<float> gain{0.0f};
};

}  // namespace plimo
