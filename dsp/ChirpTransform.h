#pragma once

#include <complex>

struct fftwf_plan_s;

namespace plimo {

// The transforms (e^(-i 2 pi k t / n) forward, e^(+i ...) backward,
// unscaled) of one length n in single precision, carried out as a
// convolution with a chirp (Bluestein's algorithm) over power-of-two FFTW
// transforms, which take no working memory when they run. For the lengths
// whose own FFTW plans would allocate on every call. The chirp and the
// transformed convolution kernel are computed once per length for the
// whole process (the angles in double precision, stored as floats) and
// shared, read-only, by every object of that length; Forward and Backward
// neither allocate nor lock.
class ChirpTransform {
 public:
  // n < 1, or a failed plan or allocation, leaves an object that is not
  // Ready and whose Forward and Backward do nothing.
  explicit ChirpTransform(int n);
  ~ChirpTransform();
  ChirpTransform(const ChirpTransform&) = delete;
  ChirpTransform& operator=(const ChirpTransform&) = delete;

  bool Ready() const { return plan != nullptr; }

  // e^(-i pi k / n) for k = 0 .. n: the turns of a real transform of
  // length 2n that runs on this one. nullptr when not Ready.
  const std::complex<float>* HalfTurns() const { return halfTurns; }

  // in: n values; out: their transform, n values. in and out may be the
  // same array, and need no particular alignment.
  void Forward(const std::complex<float>* in, std::complex<float>* out);
  void Backward(const std::complex<float>* in, std::complex<float>* out);

 private:
  // The backward transform is conj(forward(conj(x))); the conjugations
  // ride on the chirp products at either end.
  template <bool kBackward>
  void Run(const std::complex<float>* in, std::complex<float>* out);

  int length = 0;
  int size = 0;                  // power of two of the convolution, at least 2n - 1
  fftwf_plan_s* plan = nullptr;  // forward, of size; owned by the plan cache
  // Shared tables of the length, kept for the life of the process.
  const std::complex<float>* chirp = nullptr;      // n values, e^(-i pi t^2 / n)
  const std::complex<float>* kernel = nullptr;     // size values, transformed, / size
  const std::complex<float>* halfTurns = nullptr;  // n + 1 values
  std::complex<float>* work = nullptr;             // size values, fftw-aligned
  std::complex<float>* product = nullptr;          // size values, fftw-aligned
};

}  // namespace plimo
