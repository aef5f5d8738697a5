#include "engine/dsp/Fft.h"

#include <fftw3.h>

#include <map>
#include <mutex>
#include <utility>

namespace plimo {

namespace {

enum class PlanKind { kComplex, kRealForward, kRealBackward };

// Every array a plan is executed on comes from fftw_malloc, so all share
// the planner's alignment and the plans may use SIMD codelets. A plan
// made for one object's arrays serves every later object of that length
// (UNALIGNED plans ran up to twice as slow). Measured planning would run
// the powers of two about a third faster, but costs 0.1 to 0.3 s per
// length, and a run may need hundreds of lengths.
constexpr unsigned kPlanFlags = FFTW_ESTIMATE;

// Plans of every length and kind met so far. FFTW's planner keeps global
// state, so plans are only made under the lock; executing a plan with the
// new-array functions needs no lock. The cache is never torn down, so a
// transform still running on another thread at exit keeps its plan.
class PlanCache {
 public:
  fftw_plan Find(int n, PlanKind kind, void* in, void* out) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto key = std::make_pair(n, kind);
    auto found = plans.find(key);
    if (found != plans.end()) {
      return found->second;
    }
    const fftw_plan plan = Make(n, kind, in, out);
    if (plan != nullptr) {
      plans.emplace(key, plan);
    }
    return plan;
  }

 private:
  static fftw_plan Make(int n, PlanKind kind, void* in, void* out) {
    switch (kind) {
      case PlanKind::kComplex:
        return fftw_plan_dft_1d(n, static_cast<fftw_complex*>(in),
                                static_cast<fftw_complex*>(out), FFTW_FORWARD,
                                kPlanFlags);
      case PlanKind::kRealForward:
        return fftw_plan_dft_r2c_1d(n, static_cast<double*>(in),
                                    static_cast<fftw_complex*>(out),
                                    kPlanFlags);
      case PlanKind::kRealBackward:
        return fftw_plan_dft_c2r_1d(n, static_cast<fftw_complex*>(in),
                                    static_cast<double*>(out), kPlanFlags);
    }
    return nullptr;
  }

  std::mutex mutex;
  std::map<std::pair<int, PlanKind>, fftw_plan> plans;
};

PlanCache& Plans() {
  static PlanCache& cache = *new PlanCache;
  return cache;
}

fftw_complex* AsFftw(std::complex<double>* values) {
  return reinterpret_cast<fftw_complex*>(values);
}

}  // namespace

ComplexFft::ComplexFft(int n) {
  if (n < 1) {
    return;
  }
  const size_t bytes = sizeof(std::complex<double>) * static_cast<size_t>(n);
  auto* in = static_cast<std::complex<double>*>(fftw_malloc(bytes));
  auto* out = static_cast<std::complex<double>*>(fftw_malloc(bytes));
  // Out of place, because FFTW plans an out-of-place transform about three
  // times faster than an in-place one and runs both equally fast.
  fftw_plan made = nullptr;
  if (in != nullptr && out != nullptr) {
    made = Plans().Find(n, PlanKind::kComplex, in, out);
  }
  if (made == nullptr) {
    fftw_free(in);
    fftw_free(out);
    return;
  }
  plan = made;
  input = in;
  output = out;
  length = n;
}

ComplexFft::~ComplexFft() {
  fftw_free(input);
  fftw_free(output);
}

void ComplexFft::Transform(float* data, int direction) {
  if (plan == nullptr) {
    return;
  }
  // The backward transform is conj(forward(conj(x))); the conjugations
  // ride on the copies, and each length needs only one plan, which halves
  // the planning a run does up front.
  const float sign = direction == kFftForward ? 1.0f : -1.0f;
  for (int i = 0; i < length; ++i) {
    input[i] = {data[2 * i], sign * data[2 * i + 1]};
  }
  fftw_execute_dft(plan, AsFftw(input), AsFftw(output));
  for (int i = 0; i < length; ++i) {
    data[2 * i] = static_cast<float>(output[i].real());
    data[2 * i + 1] = sign * static_cast<float>(output[i].imag());
  }
}

RealFft::RealFft(int n) {
  if (n < 1) {
    return;
  }
  const auto bins = static_cast<size_t>(n / 2 + 1);
  auto* samples =
      static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
  auto* values = static_cast<std::complex<double>*>(
      fftw_malloc(sizeof(std::complex<double>) * bins));
  fftw_plan forward = nullptr;
  fftw_plan backward = nullptr;
  if (samples != nullptr && values != nullptr) {
    forward = Plans().Find(n, PlanKind::kRealForward, samples, values);
    backward = Plans().Find(n, PlanKind::kRealBackward, values, samples);
  }
  if (forward == nullptr || backward == nullptr) {
    fftw_free(samples);
    fftw_free(values);
    return;
  }
  forwardPlan = forward;
  backwardPlan = backward;
  real = samples;
  spectrum = values;
  length = n;
}

RealFft::~RealFft() {
  fftw_free(real);
  fftw_free(spectrum);
}

void RealFft::Forward(const float* x, std::complex<float>* bins) {
  if (forwardPlan == nullptr) {
    return;
  }
  for (int i = 0; i < length; ++i) {
    real[i] = x[i];
  }
  fftw_execute_dft_r2c(forwardPlan, real, AsFftw(spectrum));
  for (int k = 0; k < BinCount(); ++k) {
    bins[k] = {static_cast<float>(spectrum[k].real()),
               static_cast<float>(spectrum[k].imag())};
  }
}

void RealFft::Backward(const std::complex<float>* bins, float* x) {
  if (forwardPlan == nullptr) {
    return;
  }
  // The backward transform destroys its input, so it runs on a copy; the
  // imaginary parts that a real signal cannot carry are dropped here
  // rather than left to the codelet.
  for (int k = 0; k < BinCount(); ++k) {
    spectrum[k] = {bins[k].real(), bins[k].imag()};
  }
  spectrum[0].imag(0.0);
  if (length % 2 == 0) {
    spectrum[length / 2].imag(0.0);
  }
  fftw_execute_dft_c2r(backwardPlan, AsFftw(spectrum), real);
  for (int i = 0; i < length; ++i) {
    x[i] = static_cast<float>(real[i]);
  }
}

}  // namespace plimo
