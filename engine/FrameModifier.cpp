#include "engine/FrameModifier.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/Primitives.h"
#include "dsp/RandomGenerator.h"
#include "engine/InverseMagnitudes.h"
#include "engine/LpcAutocorrelation.h"
#include "engine/RunGeometry.h"
#include "params/Equaliser.h"

namespace plimo {

namespace {

// Keeps 1 / |A| finite for a prediction polynomial that vanishes on the
// unit circle (a numerically degenerate frame).
constexpr double kMinPredictorMagnitude = 1e-30;

float LimitFormant(float formant) {
  if (!(formant >= kMinFormantFactor)) return kMinFormantFactor;  // NaN too
  return std::min(formant, kMaxFormantFactor);
}

}  // namespace

int FrameModifier::Configure(int rate, int size, int order, int maxLength, const Equaliser& bands,
                             RandomGenerator& generator) {
  if (rate < kMinRunRate || rate > kMaxRunRate || size < 4 || (size & (size - 1)) != 0 || order < 1 ||
      order >= size || maxLength < 2 || maxLength > size) {
    return -1;
  }
  samplingRate = rate;
  fftSize = size;
  binCount = size / 2 + 1;
  lpcOrder = order;
  maxFrameLength = maxLength;
  equaliser = &bands;
  random = &generator;

  autocorrelation.assign(static_cast<size_t>(order) + 1, 0.0);
  widened.assign(static_cast<size_t>(maxLength), 0.0);
  lpcCoefficients.assign(static_cast<size_t>(order), 0.0);
  levinsonScratch.assign(static_cast<size_t>(order), 0.0);
  envelope.assign(static_cast<size_t>(binCount), 0.0f);
  const int largestWarped = static_cast<int>(std::ceil(binCount * kMaxFormantFactor));
  warped.assign(static_cast<size_t>(std::max(binCount, largestWarped)), 0.0f);
  spectrum.assign(static_cast<size_t>(binCount), {0.0f, 0.0f});
  signal.assign(static_cast<size_t>(size), 0.0f);
  if (equaliserCurve.Prepare(binCount) < 0) return -1;

  forward = std::make_unique<RealFft>(size, RealFftUse::kForwardOnly);
  if (!forward->Ready()) return -1;
  smallestInverseBins = SmallestInverseBinCount(binCount);
  inverses.clear();
  inverses.resize(static_cast<size_t>((binCount - smallestInverseBins) / 2 + 1));
  if (inverseTiming == InverseTiming::kAllUpFront) {
    for (int bins = smallestInverseBins; bins <= binCount; bins += 2) {
      if (InverseFor(bins) == nullptr) return -1;
    }
  }
  return 1;
}

FrameModifier::Sizes FrameModifier::SizesFor(int n, float pitchFactor, float formant) const {
  Sizes sizes{};
  formant = LimitFormant(formant);
  if (pitchFactor < 1.0f) {
    sizes.inverseBins = binCount;
    sizes.stretch = formant;
  } else {
    sizes.inverseBins = static_cast<int>(std::floor(static_cast<float>(binCount) / pitchFactor + 0.5));
    sizes.stretch = formant / pitchFactor;
  }
  if (sizes.inverseBins % 2 == 0) --sizes.inverseBins;
  sizes.inverseSize = 2 * sizes.inverseBins - 2;
  sizes.outputLength =
      pitchFactor > 1.0f
          ? 2 * (static_cast<int>(std::floor(static_cast<float>(n / 2 + 1) / pitchFactor + 0.5)) - 1)
          : n;
  // A frame of fewer than two samples shrinks to nothing, not below.
  sizes.outputLength = std::max(sizes.outputLength, 0);
  sizes.warpedLength = static_cast<int>(std::ceil(static_cast<float>(binCount) * sizes.stretch - 0.5));
  return sizes;
}

RealFft* FrameModifier::InverseFor(int inverseBins) {
  const int index =
      std::clamp((inverseBins - smallestInverseBins) / 2, 0, static_cast<int>(inverses.size()) - 1);
  std::unique_ptr<RealFft>& inverse = inverses[static_cast<size_t>(index)];
  if (inverse == nullptr) {
    const int bins = smallestInverseBins + 2 * index;
    inverse = std::make_unique<RealFft>(2 * bins - 2, RealFftUse::kBackwardOnly, KeptSamplesOf(bins));
  }
  return inverse->Ready() ? inverse.get() : nullptr;
}

// At a pitch factor a >= 1, K' bins mean binCount / a + 0.5 < K' + 2
// (one less where the count came out even), and a frame of n samples
// keeps 2 (floor((n/2 + 1) / a + 0.5) - 1) < (n + 2) / a - 1 of them; a
// factor below 1 takes all binCount bins and keeps n. The inverse
// transforms compute no more than that.
int FrameModifier::KeptSamplesOf(int inverseBins) const {
  const double bound = (maxFrameLength + 2.0) * (inverseBins + 1.5) / binCount;
  constexpr int kRoundingMargin = 2;  // samples, for SizesFor's float arithmetic
  return std::min(2 * inverseBins - 2, static_cast<int>(std::ceil(bound)) + kRoundingMargin);
}

// r[k] = sum over i of x[i] x[i + k], k = 0 .. p.
void FrameModifier::Autocorrelate(const float* frame, int n) {
  std::copy(frame, frame + n, widened.begin());
  LpcAutocorrelation(widened.data(), n, lpcOrder, autocorrelation.data());
}

// envelope[k] = 1 / |A_k| with A_k = 1 - sum_j a_j e^(-i 2 pi k j / N): the
// forward transform of the prediction-error filter (1, -a_1, .., -a_p)
// padded to N, which needs no trigonometry per frame.
void FrameModifier::EstimateEnvelope(const float* frame, int n) {
  Autocorrelate(frame, n);
  LevinsonDurbin(lpcCoefficients.data(), autocorrelation.data(), lpcOrder, levinsonScratch.data());
  signal[0] = 1.0f;
  for (int j = 0; j < lpcOrder; ++j) {
    signal[static_cast<size_t>(j) + 1] = static_cast<float>(-lpcCoefficients[static_cast<size_t>(j)]);
  }
  forward->Forward(signal.data(), lpcOrder + 1, spectrum.data());
  InverseMagnitudes(spectrum.data(), binCount, kMinPredictorMagnitude, envelope.data());
}

// Keeps 1 - level of each bin and adds level of its magnitude at a random
// phase; bin 0 keeps phase 0.
void FrameModifier::Whisper(int bins, float level) {
  for (int k = 0; k < bins; ++k) {
    const std::complex<float> value = spectrum[static_cast<size_t>(k)];
    const double magnitude = std::sqrt(static_cast<double>(value.real()) * value.real() +
                                       static_cast<double>(value.imag()) * value.imag());
    double phase = 0.0;
    if (k > 0) phase = (NoiseValue(*random) + 0.5) * 2.0 * std::numbers::pi;
    spectrum[static_cast<size_t>(k)] = {
        static_cast<float>((1.0 - level) * value.real() + level * magnitude * std::cos(phase)),
        static_cast<float>((1.0 - level) * value.imag() + level * magnitude * std::sin(phase))};
  }
}

int FrameModifier::ModifyFrame(float* frame, int n, float pitchFactor, float formant, int whisperOn,
                               float whisperLevel) {
  n = std::clamp(n, 0, maxFrameLength);
  const Sizes sizes = SizesFor(n, pitchFactor, formant);
  const int bins = sizes.inverseBins;

  EstimateEnvelope(frame, n);

  forward->Forward(frame, n, spectrum.data());

  // A formant at bin j moves to about bin j * stretch.
  const int warpedLength = std::clamp(sizes.warpedLength, 1, static_cast<int>(warped.size()));
  LinearResample(envelope.data(), binCount, warped.data(), warpedLength);
  if (warpedLength < bins) {
    std::fill(warped.begin() + warpedLength, warped.begin() + bins, warped[warpedLength - 1]);
  }
  // Rebuilt every frame, so band changes act from the next frame on.
  const float* curve = nullptr;
  if (equaliserCurve.BuildEqualiserCurve(*equaliser, static_cast<float>(samplingRate), bins) > 0 &&
      equaliserCurve.CurveLength() >= bins) {
    curve = equaliserCurve.Curve();
  }
  // The excitation (the spectrum over the envelope) under the stretched
  // envelope and the equaliser. Bins from K' on are never transformed back.
  for (int k = 0; k < bins; ++k) {
    const size_t bin = static_cast<size_t>(k);
    float re = spectrum[bin].real() / envelope[bin] * warped[bin];
    float im = spectrum[bin].imag() / envelope[bin] * warped[bin];
    if (curve != nullptr) {
      re *= curve[k];
      im *= curve[k];
    }
    spectrum[bin] = {re, im};
  }

  if (whisperOn != 0) Whisper(bins, whisperLevel);

  // The real inverse of bins 0 .. K'-1 is the real part of the inverse of
  // their Hermitian completion to Q bins.
  RealFft* inverse = InverseFor(bins);
  if (inverse != nullptr) {
    inverse->Backward(spectrum.data(), signal.data());
  } else {
    // A transform that could not be made leaves the frame silent.
    std::fill(signal.begin(), signal.end(), 0.0f);
  }
  const int kept = std::min({sizes.outputLength, sizes.inverseSize, inverse != nullptr ? inverse->Outputs() : 0});
  const float size = static_cast<float>(sizes.inverseSize);
  for (int i = 0; i < kept; ++i) frame[i] = signal[static_cast<size_t>(i)] / size;
  if (sizes.outputLength > kept) std::fill(frame + kept, frame + sizes.outputLength, 0.0f);
  return sizes.outputLength;
}

}  // namespace plimo
