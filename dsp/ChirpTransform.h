#pragma once

#include <complex>

struct fftw_plan_s;

namespace plimo {

// Which factor of a product of complex values is conjugated, if any.
enum class ChirpProduct { kPlain, kConjugateResult, kConjugateRight };

// The forward transform (e^(-i 2 pi k t / n), unscaled) of one length n,
// carried out as a convolution with a chirp (Bluestein's algorithm) over
// FFTW transforms of a power of two or five times one, which take no
// working memory when they run. For the lengths whose own FFTW plans
// would allocate on every call.
// The chirp and the transformed convolution kernel are made in double
// precision once per length for the whole process and shared, read-only,
// by every object of that length and convolution size; Forward neither
// allocates nor locks. An object that needs only the first few values of
// each transform convolves over fewer points: the convolution then needs
// only n + outputs - 1 of them instead of 2n - 1.
class ChirpTransform {
 public:
  // Gives the first `outputs` values of each transform (all n where
  // outputs is not in 1 .. n). n < 1, or a failed plan or allocation,
  // leaves an object that is not Ready and whose Forward does nothing.
  explicit ChirpTransform(int n, int outputs = 0);
  ~ChirpTransform();
  ChirpTransform(const ChirpTransform&) = delete;
  ChirpTransform& operator=(const ChirpTransform&) = delete;

  bool Ready() const { return plan != nullptr; }

  // e^(-i pi k / n) for k = 0 .. n: the turns of a real transform of
  // length 2n that runs on this one. nullptr when not Ready.
  const std::complex<double>* HalfTurns() const { return halfTurns; }

  // in: n values; out: the first `outputs` values of their transform.
  // in and out may be the same array.
  void Forward(const std::complex<double>* in, std::complex<double>* out);

  // out[i] = x[i] y[i] for i < n, conjugated as kind says.
  using Products = void (*)(std::complex<double>* out, const std::complex<double>* x,
                            const std::complex<double>* y, int n, ChirpProduct kind);

 private:
  int length = 0;
  int outputs = 0;
  int size = 0;                 // of the convolution, at least n + outputs - 1
  fftw_plan_s* plan = nullptr;  // forward, of size; owned by the plan cache
  // Shared tables of the length, kept for the life of the process.
  const std::complex<double>* chirp = nullptr;      // n values, e^(-i pi t^2 / n)
  const std::complex<double>* kernel = nullptr;     // size values, transformed, / size
  const std::complex<double>* halfTurns = nullptr;  // n + 1 values
  std::complex<double>* work = nullptr;             // size values, fftw-aligned
  std::complex<double>* product = nullptr;          // size values, fftw-aligned
  Products products = nullptr;                      // the widest the processor has
};

}  // namespace plimo
