// The frame modification on its own: its sizes, the identity frame, the
// real-transform path against the plain complex-transform computation,
// the envelope warp, the whisper, and that a frame allocates nothing.

#include "engine/FrameModifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/Primitives.h"
#include "dsp/RandomGenerator.h"
#include "engine/EqualiserCurve.h"
#include "engine/RunGeometry.h"
#include "params/Equaliser.h"
#include "support/AllocationCounter.h"
#include "support/Signals.h"

namespace plimo {
namespace {

constexpr int kRate = 8000;  // Hz
constexpr int kFftSize = 512;
constexpr int kBins = 257;
constexpr int kOrder = 10;
constexpr int kFrameLength = 320;

// A DC-free, Hamming-windowed frame of two periods of a harmonic sound.
std::vector<float> WindowedFrame(int n, double f0 = 100.0) {
  std::vector<float> frame = test::Tone(f0, 6000.0, kRate, n);
  const std::vector<float> second = test::Tone(3 * f0, 2500.0, kRate, n, 0.7);
  const std::vector<float> third = test::Tone(7 * f0, 900.0, kRate, n, 1.9);
  std::vector<float> window(static_cast<size_t>(n));
  HammingWindow(window.data(), n);
  for (int i = 0; i < n; ++i) frame[i] = (frame[i] + second[i] + third[i]) * window[i];
  return frame;
}

class FrameModifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(modifier.Configure(kRate, kFftSize, kOrder, kFrameLength, equaliser, random), 1);
  }

  Equaliser equaliser;
  RandomGenerator random{7};
  FrameModifier modifier;
};

TEST_F(FrameModifierTest, SizesFollowThePitchAndFormantFactors) {
  struct Case {
    float a;
    float formant;
    int inverseBins;
    int inverseSize;
    int outputLength;
    int warpedLength;
  };
  const Case cases[] = {
      {2.0f, 1.0f, 129, 256, 80, 128},                                       // 257 / 2 = 128.5 rounds to 129
      {1.5f, 1.0f, 171, 340, 106, 171},                                      // 340 = 4 * 5 * 17
      {0.8f, 1.0f, 257, 512, 160, 257},                                      // below 1: not shortened
      {1.0f, 1.0f, 257, 512, 160, 257},                                      // the identity
      {1.0f, 1.2f, 257, 512, 160, 308},                                      // ceil(257 * 1.2 - 0.5)
      {1.0f, 0.8f, 257, 512, 160, 206}, {1.494f, 1.0f, 171, 340, 106, 172},  // 172 is even, so K' = 171
  };
  for (const Case& c : cases) {
    const FrameModifier::Sizes sizes = modifier.SizesFor(160, c.a, c.formant);
    EXPECT_EQ(sizes.inverseBins, c.inverseBins) << "a " << c.a;
    EXPECT_EQ(sizes.inverseSize, c.inverseSize) << "a " << c.a;
    EXPECT_EQ(sizes.outputLength, c.outputLength) << "a " << c.a;
    EXPECT_EQ(sizes.warpedLength, c.warpedLength) << "a " << c.a << " formant " << c.formant;
  }
  EXPECT_FLOAT_EQ(modifier.SizesFor(160, 2.0f, 1.2f).stretch, 0.6f);
  EXPECT_FLOAT_EQ(modifier.SizesFor(160, 0.8f, 1.2f).stretch, 1.2f);
}

// The inverse transforms compute only the samples a frame can keep; no
// pitch factor and frame length may want more, at any rate's geometry.
TEST(FrameModifierInverses, EveryFrameFitsTheSamplesItsInverseComputes) {
  Equaliser equaliser;
  RandomGenerator random(1);
  for (const int rate : {8000, 11025, 16000, 22050, 44100, 48000}) {
    const int frameLength = static_cast<int>(std::floor(kAnalysisFrameSeconds * rate + 0.5));
    FrameModifier modifier;
    ASSERT_EQ(modifier.Configure(rate, FftSizeFor(rate), LpcOrderFor(rate), frameLength, equaliser, random), 1);
    constexpr float kStep = 1e-4f;
    for (float a = kMinPitchFactor; a <= kMaxPitchFactor; a += kStep) {
      for (const int n : {frameLength, frameLength - 1}) {
        const FrameModifier::Sizes sizes = modifier.SizesFor(n, a, 1.0f);
        ASSERT_LE(std::min(sizes.outputLength, sizes.inverseSize), modifier.KeptSamplesOf(sizes.inverseBins))
            << "rate " << rate << " a " << a << " n " << n;
      }
    }
  }
}

TEST_F(FrameModifierTest, IdentitySettingsReturnTheFrame) {
  const std::vector<float> original = WindowedFrame(160);
  std::vector<float> frame = original;
  ASSERT_EQ(modifier.ModifyFrame(frame.data(), 160, 1.0f, 1.0f, 0, 0.75f), 160);
  double maxError = 0.0;
  for (int i = 0; i < 160; ++i) maxError = std::max<double>(maxError, std::fabs(frame[i] - original[i]));
  EXPECT_LT(maxError, 0.05);  // on a frame whose peak is near 9000
}

// The frame modification as the plain complex-transform computation: the
// Hermitian completion of bins 0 .. K'-1 to Q bins, transformed back, real
// part taken. The envelope is evaluated here with direct sines and cosines.
std::vector<float> ComplexPath(const std::vector<float>& input, int n, float a, float formant,
                               Equaliser& equaliser, int whisperOn, float whisperLevel,
                               RandomGenerator& random) {
  int bins = kBins;
  float stretch = formant;
  if (a >= 1.0f) {
    bins = static_cast<int>(std::floor(kBins / a + 0.5));
    stretch = formant / a;
  }
  if (bins % 2 == 0) --bins;
  const int q = 2 * bins - 2;
  const int m = a > 1.0f ? 2 * (static_cast<int>(std::floor((n / 2 + 1) / a + 0.5)) - 1) : n;
  const int warpedLength = static_cast<int>(std::ceil(kBins * stretch - 0.5));

  std::vector<double> r(kOrder + 1), lpc(kOrder), scratch(kOrder);
  Autocorrelation(r.data(), input.data(), kOrder, n);
  LevinsonDurbin(lpc.data(), r.data(), kOrder, scratch.data());
  std::vector<float> envelope(kBins);
  for (int k = 0; k < kBins; ++k) {
    std::complex<double> polynomial = 1.0;
    for (int j = 1; j <= kOrder; ++j) {
      polynomial -= lpc[j - 1] * std::polar(1.0, -2.0 * std::numbers::pi * k * j / kFftSize);
    }
    envelope[k] = static_cast<float>(1.0 / std::abs(polynomial));
  }

  std::vector<float> spectrum(2 * kFftSize, 0.0f);
  for (int i = 0; i < n; ++i) spectrum[2 * i] = input[i];
  ComplexFft(kFftSize).Transform(spectrum.data(), kFftForward);
  std::vector<float> warped(std::max(warpedLength, bins));
  LinearResample(envelope.data(), kBins, warped.data(), warpedLength);
  for (int k = warpedLength; k < bins; ++k) warped[k] = warped[warpedLength - 1];
  EqualiserCurve curve;
  curve.BuildEqualiserCurve(equaliser, static_cast<float>(kRate), bins);
  for (int k = 0; k < bins; ++k) {
    std::complex<double> value(spectrum[2 * k] / envelope[k] * warped[k] * curve.Curve()[k],
                               spectrum[2 * k + 1] / envelope[k] * warped[k] * curve.Curve()[k]);
    if (whisperOn != 0) {
      const double phase = k == 0 ? 0.0 : (NoiseValue(random) + 0.5) * 2.0 * std::numbers::pi;
      const double level = whisperLevel;
      value = (1.0 - level) * value + level * std::polar(std::abs(value), phase);
    }
    spectrum[2 * k] = static_cast<float>(value.real());
    spectrum[2 * k + 1] = static_cast<float>(value.imag());
  }
  for (int k = 1; k <= bins - 2; ++k) {
    spectrum[2 * (q - k)] = spectrum[2 * k];
    spectrum[2 * (q - k) + 1] = -spectrum[2 * k + 1];
  }
  ComplexFft(q).Transform(spectrum.data(), kFftBackward);
  std::vector<float> out(static_cast<size_t>(m), 0.0f);
  for (int i = 0; i < std::min(m, q); ++i) out[i] = spectrum[2 * i] / q;
  return out;
}

TEST_F(FrameModifierTest, RealTransformsMatchTheComplexComputation) {
  const float gains[] = {3.0f, -2.0f, 0.0f, 6.0f, -8.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  for (int band = 0; band < 10; ++band) equaliser.SetGain(band, gains[band]);
  struct Case {
    float a;
    float formant;
    int whisperOn;
  };
  for (Case c : {Case{1.0f, 1.0f, 0}, Case{1.5f, 1.2f, 0}, Case{2.0f, 0.8f, 0}, Case{0.7f, 1.3f, 0},
                 Case{3.0f, 1.0f, 0}, Case{1.8f, 1.2f, 1}}) {
    const std::vector<float> input = WindowedFrame(160);
    std::vector<float> frame = input;
    RandomGenerator referenceRandom(99);
    random.Seed(99);
    const int m = modifier.ModifyFrame(frame.data(), 160, c.a, c.formant, c.whisperOn, 0.8f);
    const std::vector<float> expected =
        ComplexPath(input, 160, c.a, c.formant, equaliser, c.whisperOn, 0.8f, referenceRandom);
    ASSERT_EQ(m, static_cast<int>(expected.size())) << "a " << c.a;
    // Both paths draw one phase per bin above 0.
    EXPECT_EQ(random.state, referenceRandom.state);
    double peak = 0.0, maxError = 0.0;
    for (int i = 0; i < m; ++i) {
      peak = std::max(peak, std::fabs(static_cast<double>(expected[i])));
      maxError = std::max(maxError, std::fabs(static_cast<double>(frame[i]) - expected[i]));
    }
    EXPECT_GT(peak, 100.0);
    EXPECT_LT(maxError, 1e-4 * peak) << "a " << c.a << " formant " << c.formant;
  }
}

// The frame's own autocorrelation, the predictor from it, and 1 / |A| at
// every bin against a direct evaluation in double precision. Near a sharp
// resonance |A| is small and its sum cancels; a table of single-precision
// sines and cosines stays within about 5e-5 there, and so must the
// envelope.
TEST_F(FrameModifierTest, EnvelopeIsTheInversePredictionErrorFilter) {
  for (int n : {160, 161, 320, 12}) {
    std::vector<float> frame = WindowedFrame(n, 137.0);
    const std::vector<float> input = frame;
    modifier.ModifyFrame(frame.data(), n, 1.2f, 1.0f, 0, 0.75f);
    std::vector<double> r(kOrder + 1);
    Autocorrelation(r.data(), input.data(), kOrder, n);
    for (int k = 0; k <= kOrder; ++k) ASSERT_EQ(modifier.autocorrelation[k], r[k]) << "n " << n;
    std::vector<double> lpc(kOrder), scratch(kOrder);
    LevinsonDurbin(lpc.data(), r.data(), kOrder, scratch.data());
    for (int k = 0; k < kBins; ++k) {
      std::complex<double> polynomial = 1.0;
      for (int j = 1; j <= kOrder; ++j) {
        polynomial -= lpc[j - 1] * std::polar(1.0, -2.0 * std::numbers::pi * k * j / kFftSize);
      }
      const double expected = 1.0 / std::abs(polynomial);
      ASSERT_NEAR(modifier.envelope[k], expected, 1e-4 * expected) << "n " << n << " bin " << k;
    }
  }
}

TEST_F(FrameModifierTest, NarrowedEnvelopeRepeatsItsLastValueUpToTheInverseBins) {
  std::vector<float> frame = WindowedFrame(160);
  modifier.ModifyFrame(frame.data(), 160, 1.0f, 0.8f, 0, 0.75f);
  for (int k = 206; k < kBins; ++k) ASSERT_EQ(modifier.warped[k], modifier.warped[205]) << k;
  // The resampler keeps the ends: bins 0 and 1, and the last one.
  EXPECT_EQ(modifier.warped[0], modifier.envelope[0]);
  EXPECT_EQ(modifier.warped[1], modifier.envelope[1]);
  EXPECT_EQ(modifier.warped[205], modifier.envelope[kBins - 1]);
}

TEST_F(FrameModifierTest, WhisperKeepsMagnitudesAndBinZeroPhase) {
  const std::vector<float> input = WindowedFrame(160);
  std::vector<float> plain = input;
  modifier.ModifyFrame(plain.data(), 160, 1.5f, 1.0f, 0, 1.0f);
  const std::vector<std::complex<float>> voiced(modifier.spectrum.begin(), modifier.spectrum.begin() + 171);
  std::vector<float> whispered = input;
  modifier.ModifyFrame(whispered.data(), 160, 1.5f, 1.0f, 1, 1.0f);
  EXPECT_EQ(modifier.spectrum[0].imag(), 0.0f);
  EXPECT_GE(modifier.spectrum[0].real(), 0.0f);
  int phaseChanged = 0;
  for (int k = 0; k < 171; ++k) {
    EXPECT_NEAR(std::abs(modifier.spectrum[k]), std::abs(voiced[k]), 1e-3f * std::abs(voiced[k]) + 1e-3f);
    if (std::abs(modifier.spectrum[k] - voiced[k]) > 1e-2f * std::abs(voiced[k])) ++phaseChanged;
  }
  EXPECT_GT(phaseChanged, 150);

  // Level 0 with the switch on: the draws are made but the frame is as
  // without whisper.
  std::vector<float> levelZero = input;
  const uint32_t before = random.state;
  modifier.ModifyFrame(levelZero.data(), 160, 1.5f, 1.0f, 1, 0.0f);
  EXPECT_NE(random.state, before);
  for (int i = 0; i < 106; ++i) EXPECT_NEAR(levelZero[i], plain[i], 1e-3f) << i;
}

TEST_F(FrameModifierTest, SilentFrameStaysSilent) {
  std::vector<float> frame(160, 0.0f);
  const int m = modifier.ModifyFrame(frame.data(), 160, 1.3f, 1.1f, 0, 0.75f);
  for (int i = 0; i < m; ++i) ASSERT_EQ(frame[i], 0.0f);
}

// Once each of their inverse lengths has been met.
TEST_F(FrameModifierTest, FramesAllocateNothing) {
  equaliser.SetGain(4, 12.0f);
  std::vector<float> frame(kFrameLength);
  long before = 0;
  for (int pass = 0; pass < 2; ++pass) {
    before = test::AllocationCount();
    for (float a : {0.6f, 1.0f, 1.37f, 2.2f, 3.0f}) {
      for (float formant : {0.3f, 1.0f, 3.0f, 10.0f}) {
        for (int i = 0; i < kFrameLength; ++i) frame[i] = static_cast<float>((i * 37 % 101) - 50);
        modifier.ModifyFrame(frame.data(), kFrameLength, a, formant, 1, 0.9f);
      }
    }
  }
  EXPECT_EQ(test::AllocationCount(), before);
}

}  // namespace
}  // namespace plimo
