#pragma once

#include <complex>

#include "dsp/ChirpTransform.h"

struct fftw_plan_s;

namespace plimo {

// Transforms of any length over FFTW3 in double precision, with the sign
// convention forward = e^(-i 2 pi k t / n), backward = e^(+i ...), and no
// scaling in either direction.
//
// Plans are made once per (length, kind) and kept for the life of the
// process; FFTW's planner is not thread-safe, so making a plan takes a
// process-wide lock, while executing one does not. An object built once
// (per run, per length) transforms without allocating or locking, at every
// length: where FFTW's own plan would take memory on each call, the object
// carries the transform out as a chirp convolution instead.

inline constexpr int kFftForward = -1;
inline constexpr int kFftBackward = 1;

// A complex transform of one length. Data are n complex values as floats,
// real and imaginary parts interleaved.
class ComplexFft {
 public:
  // n < 1, or a failed plan or allocation, leaves an object that is not
  // Ready and whose Transform does nothing.
  explicit ComplexFft(int n);
  ~ComplexFft();
  ComplexFft(const ComplexFft&) = delete;
  ComplexFft& operator=(const ComplexFft&) = delete;

  int Length() const { return length; }
  bool Ready() const { return ready; }

  // Transforms data in place: direction kFftForward (-1) runs the forward
  // transform, any other value the backward one.
  void Transform(float* data, int direction);

 private:
  int length = 0;
  bool ready = false;
  fftw_plan_s* plan = nullptr;             // forward; owned by the process-wide cache
  ChirpTransform chirp;                    // instead of plan where that would allocate
  std::complex<double>* input = nullptr;   // n values, fftw-aligned
  std::complex<double>* output = nullptr;  // n values, fftw-aligned
};

// What a RealFft is built for. The inverse transforms of a run only ever
// go backward and its analysis only forward; skipping the other plan
// halves their planning.
enum class RealFftUse { kForwardAndBackward, kBackwardOnly, kForwardOnly };

// A real-input forward and real-output backward transform of one length n
// (even or odd). Bins are the first n/2 + 1 values of the complex spectrum.
class RealFft {
 public:
  // As for ComplexFft: n < 1 or a failure leaves an object that is not Ready.
  // A kBackwardOnly object's Forward does nothing, a kForwardOnly object's
  // Backward too. A kBackwardOnly object may be asked for only the first
  // `outputs` samples of each backward transform (1 .. n; any other value
  // asks for all n), which a chirp transform computes with less work.
  explicit RealFft(int n, RealFftUse use = RealFftUse::kForwardAndBackward, int outputs = 0);
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  int Length() const { return length; }
  int BinCount() const { return length / 2 + 1; }
  int Outputs() const { return outputs; }
  bool Ready() const { return ready; }

  // x: n real samples; bins: n/2 + 1 complex values out.
  void Forward(const float* x, std::complex<float>* bins) { Forward(x, length, bins); }

  // As Forward, with only the first count samples of x given (0 <= count
  // <= n) and the rest taken as zeros; only the zeros that a longer earlier
  // signal left behind are written again.
  void Forward(const float* x, int count, std::complex<float>* bins);

  // bins: n/2 + 1 complex values, taken as the first half of a Hermitian
  // spectrum (the imaginary parts of bin 0 and, for even n, bin n/2 are
  // ignored); x: the first Outputs() real samples out, unscaled. bins are
  // left as they are.
  void Backward(const std::complex<float>* bins, float* x);

 private:
  // Even lengths run on a complex transform of half the length (see
  // PairedForward); packed holds its input, and its output comes back in
  // the array TransformPacked returns.
  void PairedForward(const float* x, int count, std::complex<float>* bins);
  void PairedBackward(const std::complex<float>* bins, float* x);
  const std::complex<double>* TransformPacked();

  int length = 0;
  int outputs = 0;  // samples of a backward transform
  bool ready = false;
  bool forwardToo = false;
  bool backwardToo = false;
  // FFTW's plans, where they run without allocating; owned by the cache.
  fftw_plan_s* forwardPlan = nullptr;
  fftw_plan_s* backwardPlan = nullptr;
  double* real = nullptr;                    // n values, fftw-aligned (odd n)
  int realWritten = 0;                       // real's values from here on are zeros
  std::complex<double>* spectrum = nullptr;  // n/2 + 1 values, fftw-aligned (odd n)
  // Where FFTW's own would allocate, a chirp transform instead: for even n
  // of the n/2 complex values x[2t] + i x[2t + 1], for odd n of all n
  // samples as complex values. Even lengths also go backward through such
  // a half-length complex transform, FFTW's where it allocates nothing.
  ChirpTransform chirp;
  fftw_plan_s* halfPlan = nullptr;          // forward, of n/2; owned by the cache
  std::complex<double>* packed = nullptr;   // the complex values, fftw-aligned
  int packedWritten = 0;                    // packed's doubles from here on are zeros (even n)
  std::complex<double>* halfOut = nullptr;  // halfPlan's output, n/2 values
  std::complex<double>* turns = nullptr;    // e^(-i 2 pi k / n), k = 0 .. n/2
};

}  // namespace plimo
