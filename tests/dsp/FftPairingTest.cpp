#include "dsp/FftPairing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

namespace plimo {
namespace {

bool SameBits(std::complex<double> a, std::complex<double> b) {
  return std::bit_cast<std::uint64_t>(a.real()) == std::bit_cast<std::uint64_t>(b.real()) &&
         std::bit_cast<std::uint64_t>(a.imag()) == std::bit_cast<std::uint64_t>(b.imag());
}

// Whatever vectors the processor has, every pair must be the one-at-a-time
// complex arithmetic's to the bit, signed zeros included, for halves that
// leave a remainder after the groups.
TEST(FftPairing, IsTheComplexArithmeticToTheBit) {
  const std::complex<double> i{0.0, 1.0};
  for (int half : {1, 2, 3, 4, 5, 8, 9, 160, 257, 512}) {
    std::vector<std::complex<float>> bins(static_cast<size_t>(half) + 1);
    std::vector<std::complex<double>> twiddles(static_cast<size_t>(half) + 1);
    for (int k = 0; k <= half; ++k) {
      bins[static_cast<size_t>(k)] = {static_cast<float>((k * 7919) % 2001 - 1000) * 13.37f,
                                      static_cast<float>((k * 104729) % 1999 - 999) * 0.731f};
      twiddles[static_cast<size_t>(k)] = std::polar(1.0, -std::numbers::pi * k / half);
    }
    // Zeros of both signs, whose products' signs the pairing must keep.
    for (int k = 1; k <= half; k += 3) bins[static_cast<size_t>(k)] = {-0.0f, 0.0f};
    if (half > 2) twiddles[2] = {-0.0, 0.0};
    std::vector<std::complex<double>> packed(static_cast<size_t>(half) + 1, {-1.0, -1.0});
    PairForBackward(bins.data(), twiddles.data(), half, packed.data());
    EXPECT_TRUE(SameBits(packed[0], {-1.0, -1.0})) << half;
    EXPECT_TRUE(SameBits(packed[static_cast<size_t>(half)], {-1.0, -1.0})) << half;
    for (int k = 1; k < half; ++k) {
      const std::complex<float> x = bins[static_cast<size_t>(k)];
      const std::complex<float> y = bins[static_cast<size_t>(half - k)];
      const std::complex<double> value{x.real(), x.imag()};
      const std::complex<double> mirror{y.real(), -static_cast<double>(y.imag())};
      const std::complex<double> w = std::conj(twiddles[static_cast<size_t>(k)]);
      const std::complex<double> d = value - mirror;
      const std::complex<double> odd{d.real() * w.real() - d.imag() * w.imag(),
                                     d.real() * w.imag() + d.imag() * w.real()};
      const std::complex<double> rotated{i.real() * odd.real() - i.imag() * odd.imag(),
                                         i.real() * odd.imag() + i.imag() * odd.real()};
      const std::complex<double> expected = std::conj(value + mirror + rotated);
      EXPECT_TRUE(SameBits(packed[static_cast<size_t>(k)], expected)) << "pair " << k << " of " << half;
    }
  }
}

// The forward pairing likewise, rounded to float at the end.
TEST(FftPairing, ForwardIsTheComplexArithmeticToTheBit) {
  for (int half : {1, 2, 3, 4, 5, 8, 9, 160, 257, 512}) {
    std::vector<std::complex<double>> transformed(static_cast<size_t>(half) + 1);
    std::vector<std::complex<double>> twiddles(static_cast<size_t>(half) + 1);
    for (int k = 0; k <= half; ++k) {
      transformed[static_cast<size_t>(k)] = {((k * 7919) % 2001 - 1000) * 13.37, ((k * 104729) % 1999 - 999) * 0.731};
      twiddles[static_cast<size_t>(k)] = std::polar(1.0, -std::numbers::pi * k / half);
    }
    for (int k = 1; k <= half; k += 3) transformed[static_cast<size_t>(k)] = {-0.0, 0.0};
    if (half > 2) twiddles[2] = {-0.0, 0.0};
    const std::complex<float> untouched{-1.0f, -1.0f};
    std::vector<std::complex<float>> bins(static_cast<size_t>(half) + 1, untouched);
    PairForForward(transformed.data(), twiddles.data(), half, bins.data());
    EXPECT_EQ(bins[0], untouched) << half;
    EXPECT_EQ(bins[static_cast<size_t>(half)], untouched) << half;
    for (int k = 1; k < half; ++k) {
      const std::complex<double> z = transformed[static_cast<size_t>(k)];
      const std::complex<double> mirror = std::conj(transformed[static_cast<size_t>(half - k)]);
      const std::complex<double> w = twiddles[static_cast<size_t>(k)];
      // E + w O with O = -i/2 (z - mirror), the halving taken last.
      const std::complex<double> d = z - mirror;
      const std::complex<double> value{0.5 * ((z.real() + mirror.real()) + (w.imag() * d.real() + w.real() * d.imag())),
                                       0.5 * ((z.imag() + mirror.imag()) + (w.imag() * d.imag() + -(w.real() * d.real())))};
      const std::complex<float> got = bins[static_cast<size_t>(k)];
      EXPECT_EQ(std::bit_cast<std::uint32_t>(got.real()), std::bit_cast<std::uint32_t>(static_cast<float>(value.real())))
          << "bin " << k << " of " << half;
      EXPECT_EQ(std::bit_cast<std::uint32_t>(got.imag()), std::bit_cast<std::uint32_t>(static_cast<float>(value.imag())))
          << "bin " << k << " of " << half;
    }
  }
}

}  // namespace
}  // namespace plimo
