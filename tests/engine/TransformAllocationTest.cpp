// Every inverse transform a run can meet must run without allocating, as
// the frame loop must. FFTW takes its working memory through
// posix_memalign / memalign, which the operator-new counter does not see,
// so this test binary counts those too.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <complex>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/RunGeometry.h"
#include "engine/dsp/Fft.h"

namespace {
std::atomic<long> alignedAllocations{0};
}  // namespace

extern "C" int posix_memalign(void** memory, size_t alignment, size_t size) {
  using Real = int (*)(void**, size_t, size_t);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "posix_memalign"));
  alignedAllocations.fetch_add(1, std::memory_order_relaxed);
  return real(memory, alignment, size);
}

extern "C" void* memalign(size_t alignment, size_t size) {
  using Real = void* (*)(size_t, size_t);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "memalign"));
  alignedAllocations.fetch_add(1, std::memory_order_relaxed);
  return real(alignment, size);
}

namespace plimo {
namespace {

// Disabled while the transforms of lengths with a prime factor of 37 or
// more allocate on every call (FFTW's Rader solver does): about 40 % of the
// inverse lengths at every rate.
TEST(TransformAllocation, DISABLED_EveryInverseLengthOfARunTransformsWithoutAllocating) {
  for (int rate : {8000, 16000, 44100}) {
    const int bins = FftSizeFor(rate) / 2 + 1;
    std::vector<std::complex<float>> spectrum(static_cast<size_t>(bins), {1.0f, 0.5f});
    std::vector<float> samples(static_cast<size_t>(2 * bins));
    std::string allocating;
    for (int inverseBins = SmallestInverseBinCount(bins); inverseBins <= bins; inverseBins += 2) {
      RealFft inverse(2 * inverseBins - 2);
      ASSERT_TRUE(inverse.Ready());
      const long before = alignedAllocations.load();
      inverse.Backward(spectrum.data(), samples.data());
      if (alignedAllocations.load() != before) allocating += " " + std::to_string(inverse.Length());
    }
    EXPECT_TRUE(allocating.empty()) << rate << " Hz, lengths" << allocating;
  }
}

}  // namespace
}  // namespace plimo
