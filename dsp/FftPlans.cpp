#include "dsp/FftPlans.h"

#include <map>
#include <mutex>
#include <utility>

namespace plimo {

namespace {

// Every array a plan is executed on comes from fftw_malloc, so all share
// the planner's alignment and the plans may use SIMD codelets. A plan
// made for one object's arrays serves every later object of that length
// (UNALIGNED plans ran up to twice as slow). Measured planning would run
// the powers of two about a third faster, but costs 0.1 to 0.3 s per
// length, and a run may need hundreds of lengths.
constexpr unsigned kPlanFlags = FFTW_ESTIMATE;

// Of every length up to 4096, FFTW 3.3's estimated plans allocate on
// execute exactly for some lengths whose largest prime factor is 37 or
// more (complex, real forward and real backward alike), and never for the
// others. Lengths at or above this factor all take the chirp route; the
// transform tests check every length for allocations.
constexpr int kSmallestAllocatingPrime = 37;

// The cache is never torn down, so a transform still running on another
// thread at exit keeps its plan.
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
      case PlanKind::kComplexForward:
        return fftw_plan_dft_1d(n, static_cast<fftw_complex*>(in), static_cast<fftw_complex*>(out),
                                FFTW_FORWARD, kPlanFlags);
      case PlanKind::kRealForward:
        return fftw_plan_dft_r2c_1d(n, static_cast<double*>(in), static_cast<fftw_complex*>(out), kPlanFlags);
      case PlanKind::kRealBackward:
        return fftw_plan_dft_c2r_1d(n, static_cast<fftw_complex*>(in), static_cast<double*>(out), kPlanFlags);
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

int LargestPrimeFactor(int n) {
  int largest = 1;
  for (int p = 2; p * p <= n; ++p) {
    while (n % p == 0) {
      largest = p;
      n /= p;
    }
  }
  return n > 1 ? n : largest;
}

}  // namespace

fftw_plan FindPlan(int n, PlanKind kind, void* in, void* out) { return Plans().Find(n, kind, in, out); }

bool NeedsChirp(int n) { return n > 1 && LargestPrimeFactor(n) >= kSmallestAllocatingPrime; }

}  // namespace plimo
