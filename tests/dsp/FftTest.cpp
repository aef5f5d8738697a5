#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>
#include <vector>

#include "dsp/RandomGenerator.h"

namespace plimo {
namespace {

using LongComplex = std::complex<long double>;

// Interleaved complex samples in 16-bit sample units.
std::vector<float> RandomSignal(int n, uint32_t seed) {
  RandomGenerator random(seed);
  std::vector<float> data(2 * static_cast<size_t>(n));
  for (float& v : data) {
    v = static_cast<float>(40000.0 * NoiseValue(random));
  }
  return data;
}

// Direct evaluation of the transform sum in long double, with
// sign -1 for forward and +1 for backward.
std::vector<LongComplex> NaiveDft(const std::vector<LongComplex>& x, int sign) {
  const int n = static_cast<int>(x.size());
  std::vector<LongComplex> twiddle(n);
  for (int m = 0; m < n; ++m) {
    const long double angle = sign * 2.0L * std::numbers::pi_v<long double> * m / n;
    twiddle[m] = {std::cos(angle), std::sin(angle)};
  }
  std::vector<LongComplex> result(n);
  for (int k = 0; k < n; ++k) {
    LongComplex sum = 0;
    for (int t = 0; t < n; ++t) {
      sum += x[t] * twiddle[(static_cast<long long>(k) * t) % n];
    }
    result[k] = sum;
  }
  return result;
}

std::vector<LongComplex> ToComplex(const std::vector<float>& interleaved) {
  std::vector<LongComplex> values(interleaved.size() / 2);
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = {interleaved[2 * i], interleaved[2 * i + 1]};
  }
  return values;
}

long double LargestMagnitude(const std::vector<LongComplex>& values) {
  long double largest = 0;
  for (const auto& v : values) {
    largest = std::max(largest, std::abs(v));
  }
  return largest;
}

// Floats carry about 7 digits; the transform adds a little on top.
constexpr long double kRelativeTolerance = 1e-6L;

TEST(ComplexFft, MatchesDirectSumInBothDirections) {
  for (int n : {340, 1026, 512, 15, 2, 1}) {
    ComplexFft fft(n);
    ASSERT_TRUE(fft.Ready());
    ASSERT_EQ(fft.Length(), n);
    const std::vector<float> input = RandomSignal(n, static_cast<uint32_t>(n));
    for (int direction : {kFftForward, kFftBackward}) {
      std::vector<float> data = input;
      fft.Transform(data.data(), direction);
      const std::vector<LongComplex> expected = NaiveDft(ToComplex(input), direction == kFftForward ? -1 : 1);
      const long double tolerance = kRelativeTolerance * LargestMagnitude(expected);
      for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(data[2 * k], expected[k].real(), tolerance)
            << "n " << n << " direction " << direction << " bin " << k;
        ASSERT_NEAR(data[2 * k + 1], expected[k].imag(), tolerance)
            << "n " << n << " direction " << direction << " bin " << k;
      }
    }
  }
}

TEST(ComplexFft, AnyDirectionOtherThanForwardIsBackward) {
  const int n = 340;
  ComplexFft fft(n);
  std::vector<float> backward = RandomSignal(n, 5);
  std::vector<float> other = backward;
  fft.Transform(backward.data(), kFftBackward);
  fft.Transform(other.data(), 0);
  EXPECT_EQ(backward, other);
}

TEST(ComplexFft, ForwardThenBackwardScalesByLength) {
  for (int n : {340, 686, 2048}) {
    ComplexFft fft(n);
    const std::vector<float> input = RandomSignal(n, 11);
    std::vector<float> data = input;
    fft.Transform(data.data(), kFftForward);
    fft.Transform(data.data(), kFftBackward);
    for (size_t i = 0; i < data.size(); ++i) {
      ASSERT_NEAR(data[i], static_cast<double>(n) * input[i], 1e-5 * n * 20000.0)
          << "n " << n << " value " << i;
    }
  }
}

TEST(ComplexFft, UnusableLengthsDoNothing) {
  for (int n : {0, -4}) {
    ComplexFft fft(n);
    EXPECT_FALSE(fft.Ready());
    EXPECT_EQ(fft.Length(), 0);
    float data[2] = {3.0f, 4.0f};
    fft.Transform(data, kFftForward);
    EXPECT_EQ(data[0], 3.0f);
    EXPECT_EQ(data[1], 4.0f);
  }
  RealFft real(0);
  EXPECT_FALSE(real.Ready());
}

std::vector<float> RealPart(const std::vector<float>& interleaved) {
  std::vector<float> real(interleaved.size() / 2);
  for (size_t i = 0; i < real.size(); ++i) {
    real[i] = interleaved[2 * i];
  }
  return real;
}

TEST(RealFft, ForwardIsTheFirstHalfOfTheComplexSpectrum) {
  for (int n : {340, 512, 1026, 255}) {
    std::vector<float> complexData = RandomSignal(n, 21);
    for (size_t i = 1; i < complexData.size(); i += 2) {
      complexData[i] = 0.0f;
    }
    const std::vector<float> samples = RealPart(complexData);
    ComplexFft complexFft(n);
    complexFft.Transform(complexData.data(), kFftForward);

    RealFft fft(n);
    ASSERT_TRUE(fft.Ready());
    ASSERT_EQ(fft.BinCount(), n / 2 + 1);
    std::vector<std::complex<float>> bins(fft.BinCount());
    fft.Forward(samples.data(), bins.data());

    const float tolerance = 1e-7f * 20000.0f * static_cast<float>(n);
    for (int k = 0; k < fft.BinCount(); ++k) {
      ASSERT_NEAR(bins[k].real(), complexData[2 * k], tolerance) << "n " << n << " bin " << k;
      ASSERT_NEAR(bins[k].imag(), complexData[2 * k + 1], tolerance) << "n " << n << " bin " << k;
    }
  }
}

// A shorter signal after a longer one, and after a backward transform
// that used the same working array, must see zeros where they were.
TEST(RealFft, ForwardOfTheFirstSamplesIsTheZeroPaddedSignal) {
  for (int n : {512, 255, 340, 74}) {
    RealFft fft(n);
    ASSERT_TRUE(fft.Ready());
    const std::vector<float> longSignal = RealPart(RandomSignal(n, 5));
    std::vector<std::complex<float>> bins(fft.BinCount());
    std::vector<float> scratch(n);
    for (int count : {n - 3, n / 2, 1, 0}) {
      std::vector<float> padded = RealPart(RandomSignal(n, 9 + count));
      std::fill(padded.begin() + count, padded.end(), 0.0f);
      RealFft fresh(n);
      std::vector<std::complex<float>> expected(fresh.BinCount());
      fresh.Forward(padded.data(), expected.data());

      fft.Forward(longSignal.data(), bins.data());
      fft.Forward(padded.data(), count, bins.data());
      ASSERT_EQ(bins, expected) << "after a longer signal, n " << n << " count " << count;
      fft.Backward(bins.data(), scratch.data());
      fft.Forward(padded.data(), count, bins.data());
      ASSERT_EQ(bins, expected) << "after a backward transform, n " << n << " count " << count;
    }
  }
}

// An inverse asked for its first samples only (through a shorter chirp
// convolution where the length needs one) gives those of the whole
// inverse and writes nothing beyond them.
TEST(RealFft, BackwardOfTheFirstSamplesIsTheStartOfTheWhole) {
  for (int n : {568, 142, 254, 111, 255}) {  // chirp even, chirp odd, FFTW's
    RealFft whole(n, RealFftUse::kBackwardOnly);
    const std::vector<float> random = RandomSignal(whole.BinCount(), 17);
    std::vector<std::complex<float>> spectrum(whole.BinCount());
    for (int k = 0; k < whole.BinCount(); ++k) spectrum[k] = {random[2 * k], random[2 * k + 1]};
    std::vector<float> expected(n);
    whole.Backward(spectrum.data(), expected.data());
    for (int outputs : {1, n / 3, n / 2 + 1, n - 1}) {
      RealFft first(n, RealFftUse::kBackwardOnly, outputs);
      ASSERT_TRUE(first.Ready());
      ASSERT_EQ(first.Outputs(), outputs);
      constexpr float kUntouched = 12345.0f;
      std::vector<float> x(n, kUntouched);
      first.Backward(spectrum.data(), x.data());
      const float tolerance = 1e-7f * 20000.0f * static_cast<float>(n);
      for (int i = 0; i < outputs; ++i) {
        ASSERT_NEAR(x[i], expected[i], tolerance) << "n " << n << " outputs " << outputs << " sample " << i;
      }
      for (int i = outputs; i < n; ++i) ASSERT_EQ(x[i], kUntouched) << "n " << n << " sample " << i;
    }
  }
}

TEST(RealFft, BackwardIsTheRealPartOfTheHermitianCompletion) {
  for (int n : {340, 512, 255}) {
    RealFft fft(n);
    const int bins = fft.BinCount();
    const std::vector<float> random = RandomSignal(bins, 33);
    std::vector<std::complex<float>> spectrum(bins);
    for (int k = 0; k < bins; ++k) {
      spectrum[k] = {random[2 * k], random[2 * k + 1]};
    }
    // Bin 0 and (for even n) bin n/2 carry imaginary parts that a real
    // signal cannot have, as a modified spectrum may.
    ASSERT_NE(spectrum[0].imag(), 0.0f);
    ASSERT_NE(spectrum[bins - 1].imag(), 0.0f);
    const std::vector<std::complex<float>> original = spectrum;

    std::vector<float> completed(2 * static_cast<size_t>(n));
    for (int k = 0; k < bins; ++k) {
      completed[2 * k] = spectrum[k].real();
      completed[2 * k + 1] = spectrum[k].imag();
    }
    for (int k = 1; k < (n + 1) / 2; ++k) {
      completed[2 * (n - k)] = spectrum[k].real();
      completed[2 * (n - k) + 1] = -spectrum[k].imag();
    }
    ComplexFft complexFft(n);
    complexFft.Transform(completed.data(), kFftBackward);

    std::vector<float> x(n);
    fft.Backward(spectrum.data(), x.data());
    EXPECT_EQ(spectrum, original) << "the caller's bins must survive";

    const float tolerance = 1e-7f * 20000.0f * static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
      ASSERT_NEAR(x[i], completed[2 * i], tolerance) << "n " << n << " sample " << i;
    }
  }
}

TEST(FftThreads, ConcurrentTransformsAgreeWithSingleThreaded) {
  const int n = 340;
  const int rounds = 200;
  const std::vector<float> inputs[2] = {RandomSignal(n, 1), RandomSignal(n, 2)};
  std::vector<float> expected[2];
  std::vector<std::complex<float>> expectedBins[2];
  {
    ComplexFft fft(n);
    RealFft real(n);
    for (int t = 0; t < 2; ++t) {
      expected[t] = inputs[t];
      fft.Transform(expected[t].data(), kFftForward);
      expectedBins[t].resize(real.BinCount());
      real.Forward(inputs[t].data(), expectedBins[t].data());
    }
  }

  int mismatches[2] = {0, 0};
  auto worker = [&](int t) {
    ComplexFft fft(n);
    RealFft real(n);
    std::vector<float> data;
    std::vector<std::complex<float>> bins(real.BinCount());
    for (int round = 0; round < rounds; ++round) {
      data = inputs[t];
      fft.Transform(data.data(), kFftForward);
      real.Forward(inputs[t].data(), bins.data());
      mismatches[t] += (data != expected[t]) + (bins != expectedBins[t]);
    }
  };
  std::thread first(worker, 0);
  std::thread second(worker, 1);
  first.join();
  second.join();
  EXPECT_EQ(mismatches[0], 0);
  EXPECT_EQ(mismatches[1], 0);
}

TEST(FftThreads, ConcurrentSetUpOfNewLengths) {
  // Several threads meet the same unplanned lengths in different orders,
  // as runs starting together would.
  std::vector<int> lengths;
  for (int n = 1204; n <= 1404; n += 4) {
    lengths.push_back(n);
  }
  const int threads = 4;
  int failures[threads] = {};
  auto worker = [&](int t) {
    for (size_t i = 0; i < lengths.size(); ++i) {
      const int n = lengths[(i * 7 + static_cast<size_t>(t) * 13) % lengths.size()];
      ComplexFft fft(n);
      RealFft real(n);
      if (!fft.Ready() || !real.Ready()) {
        ++failures[t];
        continue;
      }
      // An impulse at 0 transforms to all ones.
      std::vector<float> data(2 * static_cast<size_t>(n), 0.0f);
      data[0] = 1.0f;
      fft.Transform(data.data(), kFftForward);
      const int k = n / 3;
      failures[t] += std::abs(data[2 * k] - 1.0f) > 1e-6f || std::abs(data[2 * k + 1]) > 1e-6f;
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back(worker, t);
  }
  for (auto& thread : pool) {
    thread.join();
  }
  for (int t = 0; t < threads; ++t) {
    EXPECT_EQ(failures[t], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace plimo
