#include "engine/InverseMagnitudes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

namespace plimo {
namespace {

// Whatever vectors the processor has, every bin must be the one-at-a-time
// formula's to the bit: for counts that leave a remainder, for bins at and
// below the floor, for zeros, subnormals, squares beyond float's range,
// infinities and NaNs (which std::max keeps).
TEST(InverseMagnitudes, AreThePlainFormulaToTheBit) {
  constexpr double kFloor = 1e-30;
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const std::vector<std::complex<float>> edges = {
      {0.0f, 0.0f},     {-0.0f, 0.0f},  {1e-30f, 0.0f}, {7e-31f, 7e-31f}, {1e-31f, -1e-31f},
      {1e-45f, 1e-40f}, {3e38f, 3e38f}, {kInf, 1.0f},   {1.0f, -kInf},    {kNaN, 1.0f},
      {1.0f, kNaN},     {kNaN, kInf}};
  for (int count : {0, 1, 3, 4, 5, 7, 12, 13, 513, 1025}) {
    std::vector<std::complex<float>> bins(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
      const float re = static_cast<float>((k * 7919) % 2001 - 1000) * 0.0137f;
      const float im = static_cast<float>((k * 104729) % 1999 - 999) * 3.1e-3f;
      bins[static_cast<size_t>(k)] = {re, im};
    }
    for (size_t e = 0; e < edges.size() && e < bins.size(); ++e) bins[(e * 5) % bins.size()] = edges[e];
    std::vector<float> out(bins.size() + 1, -1.0f);
    InverseMagnitudes(bins.data(), count, kFloor, out.data());
    for (int k = 0; k < count; ++k) {
      const double re = bins[static_cast<size_t>(k)].real();
      const double im = bins[static_cast<size_t>(k)].imag();
      const float expected = static_cast<float>(1.0 / std::max(std::sqrt(re * re + im * im), kFloor));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(out[static_cast<size_t>(k)]), std::bit_cast<std::uint32_t>(expected))
          << "bin " << k << " of " << count;
    }
    EXPECT_EQ(out.back(), -1.0f) << count;
  }
}

}  // namespace
}  // namespace plimo
